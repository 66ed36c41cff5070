// The browser launch on a real (Wine) system: fake browsers under the known
// names, the default-browser and uninstall keys written for the test, and
// the installer itself played by open_url_driver.exe copied to where a case
// needs it. Every fake browser logs its command line, so each case checks
// which program was started with which arguments.
#include "platform/Browser.h"

#include <windows.h>

#include <shellapi.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <ctime>

#include "platform/FileSystem.h"
#include "platform/ProcInfo.h"
#include "platform/StringConv.h"
#include "platform/SystemInfo.h"
#include "support/RecordingLogger.h"
#include "support/WineTestSupport.h"

namespace orvane {
namespace {

using test::ScratchDir;
using test::ScratchRegKey;
using test::W;

const std::wstring kUninstall = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::wstring kUserChoice =
    L"Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\http\\UserChoice";
const std::wstring kUrl = L"http://www.orvane.test/kestrelvault/welcome?_channel=c1&_mid=m";
const std::wstring kQuotedUrl = L"\"" + kUrl + L"\"";
// the shell's own handler cannot be watched: a scheme of the test's stands in
const std::wstring kShellUrl = L"orvanetest://welcome?_channel=c1&_mid=m";
constexpr DWORD kWaitMs = 60000;

// sets a string value for the test and puts back what was there before
class ScopedRegString {
 public:
  ScopedRegString(HKEY root, std::wstring key, std::wstring value, const std::wstring& data)
      : root_(root), key_(std::move(key)), value_(std::move(value)) {
    RegKey k;
    keyExisted_ = ::RegOpenKeyExW(root_, key_.c_str(), 0, KEY_READ, k.receive()) == ERROR_SUCCESS;
    wchar_t old[1024] = {};
    DWORD bytes = sizeof(old) - sizeof(wchar_t);
    hadValue_ = keyExisted_ && ::RegGetValueW(root_, key_.c_str(), value_.c_str(), RRF_RT_REG_SZ,
                                              nullptr, old, &bytes) == ERROR_SUCCESS;
    old_ = old;
    Set(data);
  }
  ~ScopedRegString() {
    if (hadValue_) {
      Set(old_);
    } else if (!keyExisted_) {
      ::RegDeleteTreeW(root_, key_.c_str());
      ::RegDeleteKeyW(root_, key_.c_str());
    } else {
      ::RegDeleteKeyValueW(root_, key_.c_str(), value_.c_str());
    }
  }
  void Set(const std::wstring& data) {
    ASSERT_EQ(::RegSetKeyValueW(root_, key_.c_str(), value_.c_str(), REG_SZ, data.c_str(),
                                static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
  }

 private:
  HKEY root_;
  std::wstring key_, value_, old_;
  bool keyExisted_ = false, hadValue_ = false;
};

// a class under HKEY_CLASSES_ROOT whose open command is given; as a URL
// scheme when `protocol` is set
class ScratchOpenCommand {
 public:
  ScratchOpenCommand(const std::wstring& name, const std::wstring& command, bool protocol)
      : root_(HKEY_CLASSES_ROOT, name),
        command_(HKEY_CLASSES_ROOT, name + L"\\shell\\open\\command") {
    if (protocol) root_.SetString(L"URL Protocol", L"");
    command_.SetString(L"", command);
  }

 private:
  ScratchRegKey root_;
  ScratchRegKey command_;
};

std::vector<std::wstring> Arguments(const std::wstring& commandLine) {
  int argc = 0;
  LPWSTR* argv = ::CommandLineToArgvW(commandLine.c_str(), &argc);
  std::vector<std::wstring> args(argv, argv + (argv ? argc : 0));
  ::LocalFree(argv);
  return args;
}

int64_t Now() {
  return static_cast<int64_t>(std::time(nullptr));
}

// Fake browsers in a scratch folder. On destruction every fake browser that
// runs from the folder, started by the test or by the code under test, is
// told to end and, failing that, ended.
class FakeBrowsers {
 public:
  FakeBrowsers() = default;
  ~FakeBrowsers() { StopAll(); }

  const std::wstring& root() const { return dir_.path(); }

  // a copy of the fake browser at root\folder\name
  std::wstring Install(const std::wstring& folder, const std::wstring& name) {
    std::wstring dir = folder.empty() ? root() : root() + L"\\" + folder;
    EXPECT_TRUE(CreateDirectories(dir));
    std::wstring path = dir + L"\\" + name;
    EXPECT_TRUE(
        ::CopyFileW((test::OwnFolder() + L"\\fake_browser.exe").c_str(), path.c_str(), FALSE));
    folders_.push_back(dir);
    return path;
  }

  // starts a fake browser as if the user had; waits until it has logged
  DWORD Start(const std::wstring& path, bool suspended = false) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + path + L"\" --started-by-test";
    if (!::CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE,
                          suspended ? CREATE_SUSPENDED : 0, nullptr, nullptr, &si, &pi)) {
      ADD_FAILURE() << "cannot start a fake browser";
      return 0;
    }
    ::CloseHandle(pi.hThread);
    started_.emplace_back(pi.hProcess);
    if (!suspended) {
      EXPECT_TRUE(WaitForStarts(path, 1));
    }
    return pi.dwProcessId;
  }

  // the command lines of every start of the program so far
  std::vector<std::wstring> Starts(const std::wstring& path) const {
    std::vector<std::wstring> lines;
    std::string text = test::ReadFileBytes(path + L".log");
    size_t from = 0, end;
    while ((end = text.find('\n', from)) != std::string::npos) {
      lines.push_back(Utf8ToWide(text.substr(from, end - from)));
      from = end + 1;
    }
    return lines;
  }

  bool WaitForStarts(const std::wstring& path, size_t count) const {
    for (DWORD waited = 0; waited < kWaitMs; waited += 100) {
      if (Starts(path).size() >= count) return true;
      ::Sleep(100);
    }
    return false;
  }

 private:
  void StopAll() {
    for (const auto& dir : folders_)
      test::WriteFileBytes(dir + L"\\stop", "");
    for (auto& process : started_) {
      if (::WaitForSingleObject(process.get(), 100) != WAIT_OBJECT_0)
        ::TerminateProcess(process.get(), 0);  // a suspended one cannot see the stop file
      ::WaitForSingleObject(process.get(), kWaitMs);
    }
    // the ones that the code under test started
    UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL ok = ::Process32FirstW(snapshot.get(), &entry); ok;
         ok = ::Process32NextW(snapshot.get(), &entry)) {
      std::wstring image;
      if (!GetProcessImagePath(entry.th32ProcessID, &image) || image.size() < root().size())
        continue;
      if (::CompareStringOrdinal(image.c_str(), static_cast<int>(root().size()), root().c_str(),
                                 static_cast<int>(root().size()), TRUE) != CSTR_EQUAL) {
        continue;
      }
      UniqueHandle process(
          ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
      if (process && ::WaitForSingleObject(process.get(), kWaitMs) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "a fake browser did not end";
        ::TerminateProcess(process.get(), 0);
        ::WaitForSingleObject(process.get(), kWaitMs);
      }
    }
  }

  ScratchDir dir_;
  std::vector<std::wstring> folders_;
  std::vector<UniqueHandle> started_;
};

// what the installer did: the type it returned and the events it sent
struct Outcome {
  int type = -2;
  std::vector<std::string> events;
};

// runs the installer stand-in from root\folder\KestrelVaultSetup.exe, its
// file last written at `writeTime`
Outcome RunInstaller(const FakeBrowsers& browsers,
                     const std::wstring& folder,
                     int64_t writeTime,
                     const std::wstring& given,
                     const std::wstring& url) {
  Outcome outcome;
  std::wstring dir = browsers.root() + L"\\" + folder;
  EXPECT_TRUE(CreateDirectories(dir));
  std::wstring exe = dir + L"\\KestrelVaultSetup.exe";
  std::wstring result = browsers.root() + L"\\result.txt";
  EXPECT_TRUE(
      ::CopyFileW((test::OwnFolder() + L"\\open_url_driver.exe").c_str(), exe.c_str(), FALSE));
  test::SetFileTimes(exe, writeTime - 60, writeTime);
  UniqueHandle driver = test::StartProcess(L"\"" + exe + L"\" \"" + given + L"\" \"" + url +
                                           L"\" \"" + result + L"\"");
  EXPECT_TRUE(driver.valid());
  EXPECT_EQ(test::WaitExitCode(driver.get(), kWaitMs), 0);
  std::string text = test::ReadFileBytes(result);
  size_t from = 0, end;
  while ((end = text.find('\n', from)) != std::string::npos) {
    std::string line = text.substr(from, end - from);
    if (line.rfind("type ", 0) == 0) outcome.type = std::atoi(line.c_str() + 5);
    if (line.rfind("event ", 0) == 0) outcome.events.push_back(line);
    from = end + 1;
  }
  return outcome;
}

std::string OpenUrlEvent(int type, int count, const std::string& names) {
  return "event vOpenUrl {browser_num=" + std::to_string(count) +
         ", launch_app_type=" + std::to_string(type) + ", browser_name=" + names + "}";
}

// the program's last start, as arguments after the program itself
std::vector<std::wstring> LastArguments(const FakeBrowsers& browsers, const std::wstring& path) {
  std::vector<std::wstring> starts = browsers.Starts(path);
  if (starts.empty()) return {};
  std::vector<std::wstring> args = Arguments(starts.back());
  if (!args.empty()) args.erase(args.begin());
  return args;
}

TEST(BrowserLaunch, DownloadFolderBrowsers) {
  struct Case {
    const char* folder;
    const wchar_t* key;
    const wchar_t* program;
    HKEY root;
    const wchar_t* value;  // how the uninstall entry names the folder
  } cases[] = {
      {"360极速浏览器下载", L"360Chrome", L"360chrome.exe", HKEY_CURRENT_USER, L"InstallLocation"},
      {"360安全浏览器下载", L"360se6", L"360se.exe", HKEY_LOCAL_MACHINE, L"DisplayIcon"},
      {"下载\\搜狗高速下载", L"SogouExplorer", L"SogouExplorer.exe", HKEY_CURRENT_USER,
       L"InstallLocation"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder);
    FakeBrowsers browsers;
    std::wstring program = browsers.Install(L"app", c.program);
    // a running browser that must not count: the download folder comes first
    browsers.Start(browsers.Install(L"other", L"firefox.exe"));
    ScratchRegKey entry(c.root, kUninstall + c.key);
    std::wstring folder = browsers.root() + L"\\app";
    entry.SetString(c.value, std::wstring(c.value) == L"DisplayIcon"
                                 ? folder + L"\\" + c.program + L",0"
                                 : folder + L"\\");

    Outcome outcome = RunInstaller(browsers, W(c.folder), Now() + 3600, L"", kUrl);
    EXPECT_EQ(outcome.type, kLaunchDownloadFolder);
    EXPECT_EQ(outcome.events, std::vector<std::string>{OpenUrlEvent(3, 0, "")});
    ASSERT_TRUE(browsers.WaitForStarts(program, 1));
    EXPECT_EQ(LastArguments(browsers, program), std::vector<std::wstring>{kUrl});
  }
}

TEST(BrowserLaunch, StaleDownloadFolderEntryFallsThroughToTheShell) {
  FakeBrowsers browsers;
  std::wstring handler = browsers.Install(L"handler", L"url_handler.exe");
  ScratchOpenCommand scheme(L"orvanetest", L"\"" + handler + L"\" \"%1\"", true);
  CreateDirectories(browsers.root() + L"\\empty");
  ScratchRegKey entry(HKEY_CURRENT_USER, kUninstall + L"360Chrome");
  entry.SetString(L"InstallLocation", browsers.root() + L"\\empty");

  Outcome outcome = RunInstaller(browsers, W("360极速浏览器下载"), Now() + 3600, L"", kShellUrl);
  EXPECT_EQ(outcome.type, kLaunchShell);
  EXPECT_EQ(outcome.events, std::vector<std::string>{OpenUrlEvent(0, 0, "")});
  ASSERT_TRUE(browsers.WaitForStarts(handler, 1));
  EXPECT_EQ(LastArguments(browsers, handler), std::vector<std::wstring>{kShellUrl});
}

TEST(BrowserLaunch, Running360ChromeCountsTwice) {
  FakeBrowsers browsers;
  std::wstring chrome360 = browsers.Install(L"360", L"360chrome.exe");
  browsers.Start(chrome360);

  Outcome outcome = RunInstaller(browsers, L"dl", Now() + 3600, L"", kUrl);
  EXPECT_EQ(outcome.type, kLaunchRunning);
  EXPECT_EQ(outcome.events,
            std::vector<std::string>{OpenUrlEvent(2, 2, "360chrome.exe chrome.exe ")});
  // the running browser's own program, started again with the page
  ASSERT_TRUE(browsers.WaitForStarts(chrome360, 2));
  EXPECT_EQ(LastArguments(browsers, chrome360), std::vector<std::wstring>{kUrl});
}

TEST(BrowserLaunch, RunningDefaultBrowserWinsOverRank) {
  FakeBrowsers browsers;
  std::wstring chrome360 = browsers.Install(L"360", L"360chrome.exe");
  std::wstring firefox = browsers.Install(L"Mozilla Firefox", L"firefox.exe");
  DWORD chromeId = browsers.Start(chrome360);
  DWORD firefoxId = browsers.Start(firefox);
  ScratchOpenCommand progId(L"OrvaneTest.FirefoxURL", L"\"" + firefox + L"\" -osint -url \"%1\"",
                            false);
  ScopedRegString choice(HKEY_CURRENT_USER, kUserChoice, L"ProgId", L"OrvaneTest.FirefoxURL");

  Outcome outcome = RunInstaller(browsers, L"dl", Now() + 3600, L"", kUrl);
  EXPECT_EQ(outcome.type, kLaunchRunning);
  // names in the order of the process ids
  std::string names = firefoxId < chromeId ? "firefox.exe 360chrome.exe chrome.exe "
                                           : "360chrome.exe chrome.exe firefox.exe ";
  EXPECT_EQ(outcome.events, std::vector<std::string>{OpenUrlEvent(2, 3, names)});
  ASSERT_TRUE(browsers.WaitForStarts(firefox, 2));
  EXPECT_EQ(LastArguments(browsers, firefox), std::vector<std::wstring>{kUrl});
  EXPECT_EQ(browsers.Starts(chrome360).size(), 1u);
}

TEST(BrowserLaunch, BrowserStartedAfterTheInstallerWasWrittenIsIgnored) {
  FakeBrowsers browsers;
  std::wstring firefox = browsers.Install(L"ff", L"firefox.exe");
  std::wstring chrome360 = browsers.Install(L"360", L"360chrome.exe");
  DWORD firefoxId = browsers.Start(firefox);
  int64_t firefoxStarted = 0;
  CSystemBrowserFacts facts;
  ASSERT_TRUE(facts.CreationTime(firefoxId, &firefoxStarted));
  // the installer is written a second after Firefox started; 360chrome, the
  // better-ranked browser, starts later still
  const int64_t written = firefoxStarted + 1;
  while (Now() < written)
    ::Sleep(100);
  browsers.Start(chrome360);

  Outcome outcome = RunInstaller(browsers, L"dl", written, L"", kUrl);
  EXPECT_EQ(outcome.type, kLaunchRunning);
  EXPECT_EQ(outcome.events, std::vector<std::string>{OpenUrlEvent(2, 1, "firefox.exe ")});
  ASSERT_TRUE(browsers.WaitForStarts(firefox, 2));
  EXPECT_EQ(LastArguments(browsers, firefox), std::vector<std::wstring>{kUrl});
  EXPECT_EQ(browsers.Starts(chrome360).size(), 1u);
}

// in-process cases: the clues before the running browsers, and the shell

struct InProcess {
  int type;
  std::vector<std::string> events;
};

InProcess OpenInProcess(const wchar_t* given,
                        const std::wstring& url,
                        IBrowserFacts* facts = nullptr) {
  test::RecordingLogger logger;
  ScopedLoggerOverride use(&logger);
  CSystemBrowserFacts system;
  int type = OpenUrlInBrowser(given, url.c_str(), facts ? *facts : system);
  return {type, logger.Lines()};
}

TEST(BrowserLaunch, GivenBrowserWithSwitchesIsCutAfterExe) {
  FakeBrowsers browsers;
  std::wstring chrome = browsers.Install(L"Google Chrome", L"chrome.exe");
  std::wstring given = chrome + L" --profile-directory=Default --flag";
  InProcess result = OpenInProcess(given.c_str(), kUrl);
  EXPECT_EQ(result.type, kLaunchGiven);
  EXPECT_EQ(result.events, std::vector<std::string>{OpenUrlEvent(1, 0, "")});
  ASSERT_TRUE(browsers.WaitForStarts(chrome, 1));
  EXPECT_EQ(Arguments(browsers.Starts(chrome).back()), (std::vector<std::wstring>{chrome, kUrl}));
}

TEST(BrowserLaunch, HostileUrlReachesTheBrowserAsOneArgument) {
  FakeBrowsers browsers;
  std::wstring chrome = browsers.Install(L"", L"chrome.exe");
  InProcess result = OpenInProcess(chrome.c_str(), L"http://h/w?a=\" --gpu-launcher=calc.exe");
  EXPECT_EQ(result.type, kLaunchGiven);
  ASSERT_TRUE(browsers.WaitForStarts(chrome, 1));
  EXPECT_EQ(LastArguments(browsers, chrome),
            std::vector<std::wstring>{L"http://h/w?a=%22%20--gpu-launcher=calc.exe"});
}

TEST(BrowserLaunch, EdgeBrokerOpensTheEdgeProtocol) {
  FakeBrowsers browsers;
  std::wstring handler = browsers.Install(L"edge", L"edge_handler.exe");
  ScratchOpenCommand scheme(L"microsoft-edge", L"\"" + handler + L"\" \"%1\"", true);
  InProcess result = OpenInProcess(L"C:\\Windows\\System32\\browser_broker.exe", kUrl);
  EXPECT_EQ(result.type, kLaunchGiven);
  EXPECT_EQ(result.events, std::vector<std::string>{OpenUrlEvent(1, 0, "")});
  ASSERT_TRUE(browsers.WaitForStarts(handler, 1));
  EXPECT_EQ(LastArguments(browsers, handler), std::vector<std::wstring>{L"microsoft-edge:" + kUrl});
}

TEST(BrowserLaunch, NoClueHandsTheUrlToTheShell) {
  FakeBrowsers browsers;
  std::wstring handler = browsers.Install(L"handler", L"url_handler.exe");
  ScratchOpenCommand scheme(L"orvanetest", L"\"" + handler + L"\" \"%1\"", true);
  // no given browser, one that is no browser, one whose file is missing
  const std::wstring missing = browsers.root() + L"\\gone\\chrome.exe --flag";
  const wchar_t* givens[] = {nullptr, L"", L"C:\\windows\\explorer.exe", missing.c_str()};
  size_t starts = 0;
  for (const wchar_t* given : givens) {
    SCOPED_TRACE(given ? W("") + given : L"null");
    InProcess result = OpenInProcess(given, kShellUrl);
    EXPECT_EQ(result.type, kLaunchShell);
    EXPECT_EQ(result.events, std::vector<std::string>{OpenUrlEvent(0, 0, "")});
    ASSERT_TRUE(browsers.WaitForStarts(handler, ++starts));
    EXPECT_EQ(LastArguments(browsers, handler), std::vector<std::wstring>{kShellUrl});
  }
}

// Wine reports every thread of a suspended process as running (state 0), so
// the system's answer is replaced for the one process the test suspended;
// the installer's time too, as the test cannot rewrite its own file.
class SuspendedProcessFacts : public CSystemBrowserFacts {
 public:
  explicit SuspendedProcessFacts(DWORD suspended) : suspended_(suspended) {}
  bool InstallerWriteTime(int64_t* seconds) override {
    *seconds = Now() + 3600;
    return true;
  }
  ProcessRunState RunState(uint32_t processId) override {
    ProcessRunState state = CSystemBrowserFacts::RunState(processId);
    return processId == suspended_ && state == ProcessRunState::kRunning
               ? ProcessRunState::kSuspended
               : state;
  }

 private:
  DWORD suspended_;
};

TEST(BrowserLaunch, SuspendedBrowserIsSkipped) {
  FakeBrowsers browsers;
  std::wstring chrome360 = browsers.Install(L"360", L"360chrome.exe");
  std::wstring firefox = browsers.Install(L"ff", L"firefox.exe");
  DWORD suspended = browsers.Start(chrome360, true);
  browsers.Start(firefox);
  SuspendedProcessFacts facts(suspended);
  InProcess result = OpenInProcess(L"", kUrl, &facts);
  EXPECT_EQ(result.type, kLaunchRunning);
  EXPECT_EQ(result.events, std::vector<std::string>{OpenUrlEvent(2, 1, "firefox.exe ")});
  ASSERT_TRUE(browsers.WaitForStarts(firefox, 2));
  EXPECT_EQ(LastArguments(browsers, firefox), std::vector<std::wstring>{kUrl});
  EXPECT_TRUE(browsers.Starts(chrome360).empty());
}

TEST(BrowserLaunch, ProcessSnapshotOfTheSystem) {
  FakeBrowsers browsers;
  DWORD running = browsers.Start(browsers.Install(L"", L"firefox.exe"));
  cProcInfo info;
  EXPECT_EQ(info.StateOf(running), ProcessRunState::kMissing);  // nothing taken yet
  ASSERT_TRUE(info.Query());
  EXPECT_GT(info.size(), 1000u);  // grown from its first 1000 bytes
  EXPECT_EQ(info.StateOf(running), ProcessRunState::kRunning);
  EXPECT_EQ(info.StateOf(::GetCurrentProcessId()), ProcessRunState::kRunning);
  EXPECT_EQ(info.StateOf(0xFFFFFFF0), ProcessRunState::kMissing);
}

TEST(DefaultBrowser, FromTheUsersChoice) {
  ScopedRegString choice(HKEY_CURRENT_USER, kUserChoice, L"ProgId", L"OrvaneTest.Html");
  struct Case {
    const wchar_t* command;
    const wchar_t* path;
  } cases[] = {
      {L"\"C:\\Program Files\\Mozilla Firefox\\firefox.exe\" -osint -url \"%1\"",
       L"C:\\Program Files\\Mozilla Firefox\\firefox.exe"},
      {L"C:\\Browsers\\chrome.exe -- %1", L"C:\\Browsers\\chrome.exe"},
      {L"", L""},
  };
  for (const auto& c : cases) {
    ScratchOpenCommand command(L"OrvaneTest.Html", c.command, false);
    EXPECT_EQ(GetDefaultBrowserPath(), c.path) << c.command;
  }
  choice.Set(L"");
  EXPECT_EQ(GetDefaultBrowserPath(), L"");
  choice.Set(L"OrvaneTest.NoSuchClass");
  EXPECT_EQ(GetDefaultBrowserPath(), L"");
}

TEST(DefaultBrowser, XpReadsTheHtmlFileClass) {
  // Wine registers its own browser for "htmlfile"
  EXPECT_EQ(::lstrcmpiW(GetDefaultBrowserPathFor(kOsXp, false).c_str(),
                        L"C:\\windows\\system32\\winebrowser.exe"),
            0);
}

TEST(BrowserLaunch, NormalizeExePath) {
  ScratchDir dir;
  std::wstring chrome = dir.File(L"chrome.exe");
  test::WriteFileBytes(chrome, "MZ");
  std::wstring path = chrome + L" --flag";
  EXPECT_TRUE(NormalizeExePath(&path));
  EXPECT_EQ(path, chrome);
  path = dir.File(L"firefox.exe -url");
  EXPECT_FALSE(NormalizeExePath(&path));
  EXPECT_EQ(path, dir.File(L"firefox.exe"));
}

}  // namespace
}  // namespace orvane
