// The installer under Wine against the loopback analytics sink: its start
// and quit records (around those of the page the user cancels on) reach the
// journal and the sink in order, with their exact properties, across a run
// without the sink; an installer whose SDK resource is missing or broken
// still runs and sends nothing.
#include <gtest/gtest.h>

#include <time.h>

#include <functional>
#include <iostream>
#include <set>

#include "config/ProductIdentity.h"
#include "download/DownloadRules.h"
#include "platform/CacheFolders.h"
#include "platform/FileStream.h"
#include "platform/FileSystem.h"
#include "support/AnalyticsSink.h"
#include "support/InstallerWindows.h"
#include "support/WineTestSupport.h"

namespace orvane::test {
namespace {

// generous, but all cases of a test together stay within its time limit
constexpr DWORD kWaitMs = 30000;
const char kStem[] = "KestrelVaultSetup_huawei00";

std::wstring QlxFolder() {
  return GetPackageCacheRoot() + L"Qlx\\";
}

struct ResourceCopy {
  std::wstring type;  // a name, or "#<number>"
  std::wstring name;
  WORD language = 0;
  std::string data;
};

std::wstring IdText(LPCWSTR id) {
  return IS_INTRESOURCE(id) ? L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(id))
                            : std::wstring(id);
}

LPCWSTR IdOf(const std::wstring& text) {
  return text[0] == L'#' ? MAKEINTRESOURCEW(std::stoi(text.substr(1))) : text.c_str();
}

BOOL CALLBACK
CollectLanguage(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR out) {
  HRSRC found = ::FindResourceExW(module, type, name, language);
  HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
  const char* bytes = loaded ? static_cast<const char*>(::LockResource(loaded)) : nullptr;
  ResourceCopy copy{IdText(type), IdText(name), language,
                    std::string(bytes ? bytes : "", bytes ? ::SizeofResource(module, found) : 0)};
  reinterpret_cast<std::vector<ResourceCopy>*>(out)->push_back(std::move(copy));
  return TRUE;
}

BOOL CALLBACK CollectName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR out) {
  ::EnumResourceLanguagesW(module, type, name, &CollectLanguage, out);
  return TRUE;
}

BOOL CALLBACK CollectType(HMODULE module, LPWSTR type, LONG_PTR out) {
  ::EnumResourceNamesW(module, type, &CollectName, out);
  return TRUE;
}

// a copy of the installer under a channel name
class InstallerCopy {
 public:
  InstallerCopy() : path_(dir_.File(W(kStem) + L".exe")) {
    EXPECT_TRUE(::CopyFileW(HostPath(ORVANE_INSTALLER_EXE).c_str(), path_.c_str(), FALSE));
    // Wine reports a file's last-write time as its creation time too, so
    // the download time is 0 there; it is read here as the installer reads it
    SetFileTimes(path_, _time64(nullptr) - 42, _time64(nullptr));
    CFileStream file(path_, CFileStream::kModeReadShared);
    int64_t creation = 0, access = 0, lastWrite = 0;
    EXPECT_TRUE(file.GetTimes(&creation, &access, &lastWrite));
    downloadTime_ = DownloadSeconds(creation, lastWrite);
  }
  // the download time the installer will see
  int downloadTime() const { return downloadTime_; }
  // the process id of the last run
  DWORD processId() const { return processId_; }
  const std::wstring& path() const { return path_; }

  // replaces resource 105 (null data: removes it). The program's resources
  // are written anew, because Wine's UpdateResourceW cannot remove one.
  void ReplaceSdkResource(const std::string* data) {
    std::vector<ResourceCopy> all;
    HMODULE image = ::LoadLibraryExW(path_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(image, nullptr);
    ::EnumResourceTypesW(image, &CollectType, reinterpret_cast<LONG_PTR>(&all));
    ::FreeLibrary(image);
    HANDLE update = ::BeginUpdateResourceW(path_.c_str(), TRUE);
    ASSERT_NE(update, nullptr);
    bool replaced = false;
    for (ResourceCopy& r : all) {
      // the resource compiler stores type names in capitals
      if (_wcsicmp(r.type.c_str(), L"BinarySystem") == 0 && r.name == L"#105") {
        replaced = true;
        if (!data) continue;
        r.data = *data;
      }
      ASSERT_TRUE(::UpdateResourceW(update, IdOf(r.type), IdOf(r.name), r.language, &r.data[0],
                                    static_cast<DWORD>(r.data.size())));
    }
    ASSERT_TRUE(replaced);
    ASSERT_TRUE(::EndUpdateResourceW(update, FALSE));
    image = ::LoadLibraryExW(path_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(::FindResourceW(image, MAKEINTRESOURCEW(105), L"BinarySystem") != nullptr,
              data != nullptr);
    EXPECT_NE(::FindResourceW(image, MAKEINTRESOURCEW(103), L"BinarySystem"), nullptr);
    ::FreeLibrary(image);
  }

  // starts it, closes its window and confirms as a user does; the exit code
  int RunAndClose() {
    DWORD id = 0;
    UniqueHandle process = StartProcess(L"\"" + path_ + L"\"", &id);
    if (!process) return -2;
    processId_ = id;
    ULONGLONG start = ::GetTickCount64();
    int code = CancelInstaller(process.get(), id, kWaitMs);
    std::cout << "running and closing took " << ::GetTickCount64() - start << " ms\n";
    if (code == -2) {
      DWORD state = 0;
      ::GetExitCodeProcess(process.get(), &state);
      ADD_FAILURE() << "no main window or no cancel confirmation; the installer's state: "
                    << (state == STILL_ACTIVE ? std::string("running")
                                              : "ended with " + std::to_string(state));
    }
    if (code < 0) {
      // no installer may outlive its case: it holds the single-instance mutex
      ::TerminateProcess(process.get(), 99);
      ::WaitForSingleObject(process.get(), kWaitMs);
    }
    return code;
  }

 private:
  ScratchDir dir_;
  std::wstring path_;
  int downloadTime_ = 0;
  DWORD processId_ = 0;
};

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
  for (DWORD waited = 0; !done(); waited += 100) {
    if (waited >= timeoutMs) return false;
    ::Sleep(100);
  }
  return true;
}

// the records of each run in journal order; a run's records share a "sid"
std::vector<std::vector<std::string>> Runs(const std::vector<std::string>& lines) {
  std::vector<std::vector<std::string>> runs;
  std::string sid;
  for (const std::string& line : lines) {
    const std::string next = ParseJsonLine(line)["sid"].asString();
    if (runs.empty() || next != sid) runs.emplace_back();
    sid = next;
    runs.back().push_back(line);
  }
  return runs;
}

// one run: the three start records first and the two quit records last,
// checked field by field; between them the pages' own records, among them
// the confirmed cancel
void ExpectOneRun(const std::vector<std::string>& run, int downloadTime) {
  ASSERT_GE(run.size(), 6u);
  std::vector<Json::Value> r;
  for (const std::string& line : run)
    r.push_back(ParseJsonLine(line));
  bool cancelled = false;
  for (size_t i = 0; i < r.size(); ++i) {
    ASSERT_TRUE(r[i].isObject()) << run[i];
    EXPECT_EQ(r[i]["seq"].asInt(), static_cast<int>(i) + 1);
    EXPECT_EQ(r[i]["pid"].asUInt(), r[0]["pid"].asUInt());
    EXPECT_EQ(r[i]["app"].asString(), "40917263");
    EXPECT_EQ(r[i]["name"].asString(), "win_installer");
    EXPECT_EQ(r[i]["mid"].asString().size(), 32u);
    cancelled = cancelled || r[i]["event"].asString() == "pCancelInstall";
  }
  EXPECT_TRUE(cancelled);
  const std::string start = run[0];
  EXPECT_EQ(r[0]["type"].asInt(), 6);
  EXPECT_EQ(r[0]["event"].asString(), "pSoftInstall");
  const std::string props = "\"props\":{\"download_time\":" + std::to_string(downloadTime) +
                            ",\"is_first_install\":true,\"install_type\":\"安装器\","
                            "\"parent_app_name\":\"" ORVANE_E2E_EXE_NAME
                            "\","
                            "\"soft_package_name\":\"" +
                            std::string(kStem) + "\"}}";
  EXPECT_EQ(start.substr(start.find("\"props\"")), props);
  EXPECT_EQ(r[1]["type"].asInt(), 1);
  EXPECT_EQ(run[1].substr(run[1].find("\"fields\"")), "\"fields\":[[1,1]]}");
  EXPECT_EQ(r[2]["type"].asInt(), 4);
  EXPECT_EQ(run[2].substr(run[2].find("\"fields\"")),
            std::string("\"fields\":[[50,4],[51,\"0001\"],[52,\"0001\"],[53,\"") + kStem + "\"]]}");
  const size_t n = run.size();
  EXPECT_EQ(r[n - 2]["type"].asInt(), 4);
  EXPECT_EQ(run[n - 2].substr(run[n - 2].find("\"fields\"")),
            "\"fields\":[[50,4],[51,\"0001\"],[52,\"0002\"]]}");
  EXPECT_EQ(r[n - 1]["type"].asInt(), 6);
  EXPECT_EQ(r[n - 1]["event"].asString(), "vSoftQuit");
  EXPECT_EQ(run[n - 1].substr(run[n - 1].find("\"props\"")),
            "\"props\":{\"event_name\":\"软件退出\"}}");
}

class InstallerTelemetry : public testing::Test {
 protected:
  void SetUp() override {
    // a first install, with a fresh journal
    DeleteTree(QlxFolder());
    ASSERT_FALSE(DirectoryExists(QlxFolder()));
  }
  void TearDown() override { SetSinkMode(kSinkProduct, ""); }

  ScratchRegKey uninstall_{HKEY_LOCAL_MACHINE, kUninstallKey};
};

TEST_F(InstallerTelemetry, StartAndQuitReachJournalAndSinkOnceEachAcrossAnOfflineRun) {
  SetSinkMode(kSinkProduct, "down");
  InstallerCopy installer;
  ASSERT_EQ(installer.RunAndClose(), 0);
  std::vector<std::string> lines = JournalLines(QlxFolder());
  ASSERT_EQ(Runs(lines).size(), 1u);
  ExpectOneRun(lines, installer.downloadTime());
  const std::vector<std::string> firstUids = UidsOf(lines);
  const std::set<std::string> firstRun(firstUids.begin(), firstUids.end());
  const std::set<std::string> stored0 = [] {
    auto u = SinkUids();
    return std::set<std::string>(u.begin(), u.end());
  }();
  for (const auto& u : firstRun)
    EXPECT_EQ(stored0.count(u), 0u);

  SetSinkMode(kSinkProduct, "");
  const std::vector<std::string> firstRunLines = lines;
  ASSERT_EQ(installer.RunAndClose(), 0);
  const DWORD secondPid = installer.processId();
  // The second run sends both runs' records before it ends (the last
  // upload of its exit); acknowledged lines do not stay in the journal, so
  // the sink holds the whole story now. Other tests' programs upload to
  // the sink meanwhile: only the two runs' processes count.
  std::vector<std::vector<std::string>> runs;
  ASSERT_TRUE(WaitFor(
      [&] {
        lines.clear();
        for (const std::string& line : SinkRecordLines()) {
          const Json::Value r = ParseJsonLine(line);
          const std::string uid = r["uid"].asString();
          if (firstRun.count(uid) || (!stored0.count(uid) && r["pid"].asUInt() == secondPid))
            lines.push_back(line);
        }
        runs = Runs(lines);
        return runs.size() == 2 && runs[1].size() >= 6 &&
               ParseJsonLine(runs[1].back())["event"].asString() == "vSoftQuit";
      },
      kWaitMs));
  ASSERT_EQ(runs.size(), 2u);
  // stored in journal order, each once, byte for byte as journaled
  EXPECT_EQ(runs[0], firstRunLines);
  ExpectOneRun(runs[1], installer.downloadTime());
  const std::vector<std::string> uids = UidsOf(lines);
  std::set<std::string> wanted(uids.begin(), uids.end());
  for (const std::string& uid : UidsOf(JournalLines(QlxFolder())))
    EXPECT_EQ(wanted.count(uid), 0u) << "acknowledged and still journaled: " << uid;
  // each record was acknowledged in exactly one request to the product's path
  std::multiset<std::string> acknowledged;
  for (const SinkRequest& r : SinkRequests()) {
    bool ours = false;
    for (const auto& u : r.uids)
      ours = ours || wanted.count(u);
    if (!ours) continue;
    EXPECT_EQ(r.listener, "127.0.0.13:80");
    EXPECT_EQ(r.path, "/sa?project=production");
    if (r.status == 200) acknowledged.insert(r.uids.begin(), r.uids.end());
  }
  for (const auto& u : uids)
    EXPECT_EQ(acknowledged.count(u), 1u) << u;
}

TEST_F(InstallerTelemetry, BrokenSdkResourceStillRunsAndSendsNothing) {
  const std::string dir = ORVANE_TEST_ARCHIVES;
  struct Case {
    const char* name;
    std::string file;  // empty: the resource is removed
  } cases[] = {
      {"missing", ""},
      {"not an archive", dir + "/garbage.bin"},
      {"damaged Qlx.dll entry", dir + "/badcrc.zip"},
      {"no Qlx.dll", dir + "/nodll.zip"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DeleteTree(QlxFolder());
    InstallerCopy installer;
    if (c.file.empty()) {
      installer.ReplaceSdkResource(nullptr);
    } else {
      std::string data = ReadFileBytes(HostPath(c.file));
      ASSERT_FALSE(data.empty());
      installer.ReplaceSdkResource(&data);
    }
    const size_t requestsBefore = SinkRequests().size();
    EXPECT_EQ(installer.RunAndClose(), 0);
    EXPECT_FALSE(FileExists(QlxFolder() + L"Qlx.dll"));
    EXPECT_FALSE(FileExists(QlxFolder() + L"Qlx.journal"));
    size_t ours = 0;
    std::vector<SinkRequest> all = SinkRequests();
    for (size_t i = requestsBefore; i < all.size(); ++i)
      if (all[i].listener == "127.0.0.13:80") ++ours;
    EXPECT_EQ(ours, 0u);
  }
}

}  // namespace
}  // namespace orvane::test
