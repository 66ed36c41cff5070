// The demo package as the installer uses it: started with the progress page's
// silent command line (in any order), it installs the demo product into the
// given folder, writes the uninstall entry that the installer reads, and ends
// with the exit codes of the package format. The installer's own readers
// (CAppInfo) look at the result where they can.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "config/ProductIdentity.h"
#include "platform/FileSystem.h"
#include "platform/Handles.h"
#include "server/AppInfo.h"
#include "support/WineTestSupport.h"

namespace orvane {
namespace {

using test::ScratchDir;
using test::ScratchRegKey;
using test::W;

const std::wstring kVersion = W(ORVANE_DEMO_VERSION);
const std::wstring kProductName = W("栖木工坊");
// the progress page's fixed part of the command line
const std::wstring kSilent = L" /SILENT /VERYSILENT /SP- /noicons ";
constexpr DWORD kRunMs = 60000;

std::wstring Package() {
  return test::HostPath(ORVANE_DEMO_PACKAGE);
}

// runs the package with the given parameters; its exit code, or -1 on time-out
int RunPackage(const std::wstring& parameters) {
  UniqueHandle process = test::StartProcess(L"\"" + Package() + L"\" " + parameters);
  if (!process) {
    ADD_FAILURE() << "cannot start the demo package";
    return -1;
  }
  return test::WaitExitCode(process.get(), kRunMs);
}

// a text value of the uninstall entry in the 32-bit view; empty, and
// `found` false, when it is missing
std::wstring EntryValue(const std::wstring& name, bool* found = nullptr) {
  if (found) *found = false;
  RegKey key;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | KEY_WOW64_32KEY,
                      key.receive()) != ERROR_SUCCESS) {
    return L"";
  }
  wchar_t data[1024] = {};
  DWORD bytes = sizeof(data) - sizeof(wchar_t);
  if (::RegGetValueW(key.get(), nullptr, name.c_str(), RRF_RT_REG_SZ, nullptr, data, &bytes) !=
      ERROR_SUCCESS) {
    return L"";
  }
  if (found) *found = true;
  return data;
}

bool EntryExists() {
  RegKey key;
  return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | KEY_WOW64_32KEY,
                         key.receive()) == ERROR_SUCCESS;
}

std::wstring Setting(const std::wstring& folder, const wchar_t* key) {
  wchar_t value[2048] = {};
  ::GetPrivateProfileStringW(L"Setup", key, L"<missing>", value, 2047,
                             (folder + L"\\product.ini").c_str());
  return value;
}

// The uninstall entry, the failure counter of the package and the folders
// are removed before and after every case: the prefix is shared.
class DemoPackage : public ::testing::Test {
 protected:
  void SetUp() override { ResetCounter(); }
  void TearDown() override { ResetCounter(); }

  static void ResetCounter() {
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, temp);
    ::DeleteFileW((std::wstring(temp) + L"KestrelVaultDemo.failures").c_str());
  }

  // a folder with spaces and Chinese characters below the scratch folder
  std::wstring Folder(int n = 0) const {
    return dir_.File(W("栖木 工坊 ") + std::to_wstring(n) + W("\\安装 目录"));
  }

  ScratchRegKey entry_{HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_32KEY};
  ScratchDir dir_;
};

TEST_F(DemoPackage, SilentInstallWithTheOptionsInAnyOrder) {
  // the four pieces of the progress page's command line; every order, with
  // and without the experience-plan switch
  for (bool declined : {true, false}) {
    std::vector<int> order = {0, 1, 2, 3};
    if (!declined) order.pop_back();
    std::sort(order.begin(), order.end());
    int run = 0;
    do {
      const std::wstring folder = Folder(run + (declined ? 100 : 0));
      const std::array<std::wstring, 4> pieces = {kSilent, L"-nowelcome ",
                                                  L"/DIR=\"" + folder + L"\"",
                                                  L"-noexperience "};
      std::wstring parameters;
      for (int i : order) parameters += L" " + pieces[i] + L" ";
      SCOPED_TRACE(parameters);
      ASSERT_EQ(RunPackage(parameters), 0);
      EXPECT_TRUE(FileExists(folder + L"\\KestrelVault.exe"));
      EXPECT_TRUE(FileExists(folder + L"\\uninstall.exe"));
      EXPECT_EQ(EntryValue(L"DisplayIcon"), folder + L"\\KestrelVault.exe");
      EXPECT_EQ(Setting(folder, L"experience"), declined ? L"0" : L"1");
      EXPECT_EQ(Setting(folder, L"welcome"), L"0");
      EXPECT_EQ(Setting(folder, L"icons"), L"0");
      ++run;
    } while (std::next_permutation(order.begin(), order.end()));
    EXPECT_EQ(run, declined ? 24 : 6);
  }
}

TEST_F(DemoPackage, TheProgressPagesExactCommandLine) {
  const std::wstring folder = Folder();
  // built as the progress page builds it: no space between the pieces
  for (bool declined : {false, true}) {
    std::wstring parameters =
        kSilent + (declined ? L"-noexperience " : L"") + L"-nowelcome /DIR=\"" + folder + L"\"";
    SCOPED_TRACE(parameters);
    ASSERT_EQ(RunPackage(parameters), 0);
    EXPECT_EQ(Setting(folder, L"experience"), declined ? L"0" : L"1");
    EXPECT_EQ(Setting(folder, L"command_line"), parameters.substr(1));
  }
}

TEST_F(DemoPackage, WritesTheUninstallEntryThatTheInstallerReads) {
  const std::wstring folder = Folder();
  ASSERT_EQ(RunPackage(kSilent + L"-nowelcome /DIR=\"" + folder + L"\""), 0);

  const std::wstring program = folder + L"\\KestrelVault.exe";
  const std::wstring uninstaller = folder + L"\\uninstall.exe";
  struct Value {
    const wchar_t* name;
    std::wstring expected;
  } values[] = {
      {L"DisplayName", kProductName},
      {L"DisplayIcon", program},  // no icon index: the installer checks the file exists
      {L"DisplayVersion", kVersion},
      {L"InstallLocation", folder + L"\\"},
      {L"UninstallString", L"\"" + uninstaller + L"\""},
      {L"QuietUninstallString", L"\"" + uninstaller + L"\" /S"},
  };
  for (const auto& v : values) {
    bool found = false;
    EXPECT_EQ(EntryValue(v.name, &found), v.expected) << v.name;
    EXPECT_TRUE(found) << v.name;
  }

  CAppInfo& info = CAppInfo::GetInstance();
  ASSERT_TRUE(info.Refresh());
  EXPECT_EQ(info.GetExePath(), program);
  EXPECT_EQ(info.GetVersion(), kVersion);

  // its own uninstaller, in place (_?=) so that the test can wait for it
  UniqueHandle un =
      test::StartProcess(EntryValue(L"UninstallString") + L" /S _?=" + folder);
  ASSERT_TRUE(un);
  EXPECT_EQ(test::WaitExitCode(un.get(), kRunMs), 0);
  EXPECT_FALSE(EntryExists());
  EXPECT_FALSE(FileExists(program));
  EXPECT_FALSE(FileExists(folder + L"\\product.ini"));
  ASSERT_TRUE(info.Refresh());
  EXPECT_EQ(info.GetExePath(), L"");
}

TEST_F(DemoPackage, VersionResourcesCarryThePackageVersion) {
  const std::wstring folder = Folder();
  ASSERT_EQ(RunPackage(kSilent + L"/DIR=\"" + folder + L"\""), 0);
  CAppInfo& info = CAppInfo::GetInstance();
  // what the downloader compares with the package answer's version
  EXPECT_EQ(info.GetFileProductVersion(Package()), kVersion);
  // what the main window compares for the reinstall reminder
  EXPECT_EQ(info.GetFileProductVersion(folder + L"\\KestrelVault.exe"), kVersion);
  EXPECT_EQ(EntryValue(L"DisplayVersion"), kVersion);
}

TEST_F(DemoPackage, ExitCodesOfThePackageFormat) {
  struct Case {
    const char* what;
    std::wstring options;
    int exitCode;
    bool installed;  // the product and its entry are there afterwards
  } cases[] = {
      {"success", L"", 0, true},
      {"setup failed to initialize", L"/FAIL=1", 1, false},
      {"cancelled before the install started", L"/FAIL=2", 2, false},
      {"fatal error preparing", L"/FAIL=3", 3, false},
      {"fatal error during the install", L"/FAIL=4", 4, false},
      // installed, but the user chose not to restart
      {"no restart", L"/FAIL=5", 5, true},
      {"killed", L"/FAIL=6", 6, false},
      {"preparing cannot proceed", L"/FAIL=7", 7, false},
      {"preparing failed, restart needed", L"/FAIL=8", 8, false},
      // requests and folders the package cannot use fail to initialize
      {"code out of range", L"/FAIL=9", 1, false},
      {"code zero", L"/FAIL=0", 1, false},
      {"not a number", L"/FAIL=four", 1, false},
      {"bad count", L"/FAIL=4xz", 1, false},
      {"bad delay", L"/DELAY=soon", 1, false},
      // NSIS would read a leading zero as octal
      {"leading zero", L"/FAIL=04", 1, false},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::wstring folder = Folder(n++);
    EXPECT_EQ(RunPackage(kSilent + c.options + L" /DIR=\"" + folder + L"\""), c.exitCode);
    EXPECT_EQ(FileExists(folder + L"\\KestrelVault.exe"), c.installed);
    EXPECT_EQ(EntryExists(), c.installed);
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_32KEY, 0);
  }
  // a relative folder
  EXPECT_EQ(RunPackage(kSilent + L"/DIR=\"relative\\folder\""), 1);
}

TEST_F(DemoPackage, FailingSomeRunsThenSucceeding) {
  const std::wstring folder = Folder();
  const std::wstring run = kSilent + L"/FAIL=4x2 /DIR=\"" + folder + L"\"";
  EXPECT_EQ(RunPackage(run), 4);
  EXPECT_EQ(RunPackage(run), 4);
  EXPECT_FALSE(EntryExists());
  EXPECT_EQ(RunPackage(run), 0);
  EXPECT_TRUE(EntryExists());
  // the count starts again after the run that succeeded
  EXPECT_EQ(RunPackage(run), 4);
}

// the switch also comes through the environment, which the installer's
// child inherits; the command line wins
TEST_F(DemoPackage, FailureRequestFromTheEnvironment) {
  struct ScopedVariable {
    ScopedVariable() { ::SetEnvironmentVariableW(L"ORVANE_DEMO_FAIL", L"7"); }
    ~ScopedVariable() { ::SetEnvironmentVariableW(L"ORVANE_DEMO_FAIL", nullptr); }
  } variable;
  const std::wstring dir = L" /DIR=\"" + Folder() + L"\"";
  EXPECT_EQ(RunPackage(kSilent + dir), 7);
  EXPECT_EQ(RunPackage(kSilent + L"/FAIL=3" + dir), 3);
  EXPECT_FALSE(EntryExists());
}

TEST_F(DemoPackage, DelayBeforeWriting) {
  const std::wstring folder = Folder();
  DWORD start = ::GetTickCount();
  EXPECT_EQ(RunPackage(kSilent + L"/DELAY=1500 /DIR=\"" + folder + L"\""), 0);
  EXPECT_GE(::GetTickCount() - start, 1500u);
  EXPECT_TRUE(EntryExists());
}

TEST_F(DemoPackage, ShortcutsUnlessNoIcons) {
  wchar_t programs[MAX_PATH] = {};
  ASSERT_TRUE(::SHGetSpecialFolderPathW(nullptr, programs, CSIDL_COMMON_PROGRAMS, FALSE));
  const std::wstring shortcut =
      std::wstring(programs) + L"\\" + kProductName + L"\\" + kProductName + L".lnk";
  const std::wstring folder = Folder();
  ASSERT_EQ(RunPackage(L"/VERYSILENT /DIR=\"" + folder + L"\""), 0);
  EXPECT_TRUE(FileExists(shortcut));
  EXPECT_EQ(Setting(folder, L"icons"), L"1");
  UniqueHandle un = test::StartProcess(L"\"" + folder + L"\\uninstall.exe\" /S _?=" + folder);
  ASSERT_TRUE(un);
  EXPECT_EQ(test::WaitExitCode(un.get(), kRunMs), 0);
  EXPECT_FALSE(FileExists(shortcut));
}

struct WindowSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK MatchProductWindow(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(hwnd, &owner);
  wchar_t name[64] = {};
  ::GetClassNameW(hwnd, name, 63);
  if (owner != search->processId || std::wstring(name) != L"KestrelVaultDemoWindow") return TRUE;
  search->found = hwnd;
  return FALSE;
}

// the demo product's top-level window in the given process, or null
HWND ProductWindow(DWORD processId) {
  WindowSearch search{processId, nullptr};
  ::EnumWindows(MatchProductWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The product shows its name and the version of its own resource.
TEST_F(DemoPackage, TheInstalledProductShowsItsVersion) {
  const std::wstring folder = Folder();
  ASSERT_EQ(RunPackage(kSilent + L"/DIR=\"" + folder + L"\""), 0);
  DWORD processId = 0;
  UniqueHandle product = test::StartProcess(L"\"" + folder + L"\\KestrelVault.exe\"", &processId);
  ASSERT_TRUE(product);
  struct EndAnyway {
    HANDLE process;
    ~EndAnyway() {
      if (::WaitForSingleObject(process, 0) == WAIT_TIMEOUT) ::TerminateProcess(process, 1);
    }
  } endAnyway{product.get()};
  HWND window = nullptr;
  for (int i = 0; i < 200 && !window; ++i) {
    window = ProductWindow(processId);
    if (!window) ::Sleep(50);
  }
  ASSERT_NE(window, nullptr);
  wchar_t title[256] = {};
  ::GetWindowTextW(window, title, 255);
  EXPECT_EQ(std::wstring(title), kProductName + L" " + kVersion);
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(test::WaitExitCode(product.get(), 10000), 0);
}

}  // namespace
}  // namespace orvane
