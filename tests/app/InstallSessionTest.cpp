#include "app/InstallSession.h"

#include <gtest/gtest.h>

#include <functional>

#include "app/InstallSettings.h"
#include "app/WindowMessages.h"
#include "config/ProductIdentity.h"
#include "download/DownloadEnvironment.h"
#include "net/ConnectionRoutes.h"
#include "platform/CacheFolders.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Md5.h"
#include "support/RecordingLogger.h"
#include "telemetry/LoggerServer.h"
#include "support/WineTestSupport.h"
#include "ui/DisplayScale.h"

namespace orvane {
namespace {

// a main window of the right class that ends the loop when it is closed
class ClosingWindow : public IBaseWindow {
 public:
  explicit ClosingWindow(std::function<void()> onClose = {})
      : IBaseWindow(600, 400), onClose_(std::move(onClose)) {
    Create(kMainWindowClass, nullptr);
  }
  ~ClosingWindow() override {
    if (hwnd_) ::DestroyWindow(hwnd_);
  }
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_CLOSE) {
      if (onClose_) onClose_();
      ::PostQuitMessage(0);
      return 0;
    }
    return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
  }

 private:
  std::function<void()> onClose_;
};

class FakeServices : public IStartupServices {
 public:
  test::RecordingLogger logger;
  std::wstring version = L"1.0.0.2";
  bool packageQueryOk = true;
  bool serverQueryOk = true;
  bool createWindow = true;
  // the window reports an event while it is made, as the real one does
  bool windowSendsEvent = false;
  std::string channelSeen = "<unset>";
  int windows = 0;
  // -1 never stopped, 1 stopped
  int queriesStopped = -1;
  // how many windows were shown when the logger (the SDK) was first asked
  // for; -1 never asked
  int windowsWhenLoggerMade = -1;

  ILoggerServer& Logger() override {
    if (windowsWhenLoggerMade < 0) windowsWhenLoggerMade = windows;
    return logger;
  }
  std::wstring ProductVersion() override { return version; }
  // what else happens while the package query starts
  std::function<void()> onPackageQuery;
  bool StartPackageQuery() override {
    if (onPackageQuery) onPackageQuery();
    return packageQueryOk;
  }
  bool StartServerQuery(const std::string& channel) override {
    channelSeen = channel;
    return serverQueryOk;
  }
  void StopQueries() override { queriesStopped = 1; }
  // what the window does when the user closes it, the first message the
  // loop handles
  std::function<void()> onClose;
  std::unique_ptr<IBaseWindow> CreateMainWindow(HINSTANCE) override {
    if (!createWindow) throw Error("create window error");
    auto w = std::make_unique<ClosingWindow>(onClose);
    if (windowSendsEvent) EventLogger().Send(Event("vFromWindow").Int("page", 1));
    ++windows;
    // the user closes the window as soon as the loop runs
    ::PostMessageW(w->hwnd(), WM_CLOSE, 0, 0);
    return w;
  }
};

const char kQuitReport[] = "report 4|0001|0002|||";
const char kQuitEvent[] = "event vSoftQuit {event_name=软件退出}";

std::string StartEventPrefix() {
  return "event pSoftInstall {download_time=";
}

void ExpectStartThenQuit(const std::vector<std::string>& lines) {
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].rfind(StartEventPrefix(), 0), 0u) << lines[0];
  EXPECT_EQ(lines[1], "launch 1|||");
  EXPECT_EQ(lines[2], "report 4|0001|0001|app_tests||");
  EXPECT_EQ(lines[3], kQuitReport);
  EXPECT_EQ(lines[4], kQuitEvent);
}

TEST(InstallSession, FullRunSendsStartAndQuitAroundTheLoop) {
  test::ScratchRegKey uninstall(HKEY_LOCAL_MACHINE, kUninstallKey);
  FakeServices services;
  EXPECT_EQ(RunInstaller(::GetModuleHandleW(nullptr), services), 0);
  EXPECT_EQ(services.windows, 1);
  std::vector<std::string> lines = services.logger.Lines();
  ExpectStartThenQuit(lines);
  // the start event's properties, keys in order per type
  EXPECT_NE(lines[0].find("is_first_install=true"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find("install_type=安装器"), std::string::npos);
  EXPECT_NE(lines[0].find("soft_package_name=app_tests"), std::string::npos);
  EXPECT_NE(lines[0].find("parent_app_name="), std::string::npos);
  EXPECT_EQ(GetInstallFacts().packageStem, "app_tests");
  // the session's display record is gone after shutdown, and the queries
  // were stopped
  EXPECT_EQ(CurrentDisplayScale(), nullptr);
  EXPECT_EQ(services.queriesStopped, 1);
}

TEST(InstallSession, TheSdkComesAfterTheFirstPaintAndNothingChangesItsOrder) {
  FakeServices services;
  services.windowSendsEvent = true;
  EXPECT_EQ(RunInstaller(::GetModuleHandleW(nullptr), services), 0);
  // the logger (and with it the SDK) was made once the window was shown
  EXPECT_EQ(services.windowsWhenLoggerMade, 1);
  // and got the start first, then what the window sent, as it would have
  const std::vector<std::string> lines = services.logger.Lines();
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0].rfind(StartEventPrefix(), 0), 0u) << lines[0];
  EXPECT_EQ(lines[1], "launch 1|||");
  EXPECT_EQ(lines[2], "report 4|0001|0001|app_tests||");
  EXPECT_EQ(lines[3], "event vFromWindow {page=1}");
  EXPECT_EQ(lines[4], kQuitReport);
  EXPECT_EQ(lines[5], kQuitEvent);
}

// The run's own connections fall back to a proxy (here while the package
// query starts): from then on the SDK's uploads take that route too. The SDK
// is made after the first paint, so it gets the route of that moment, not
// the steps before. After the run nobody follows the routes any more.
TEST(InstallSession, TheSdksUploadsFollowTheRoutesTheRunFinds) {
  ProcessRoutes().Reset();
  FakeServices services;
  ScopedLoggerOverride events(&services.logger);  // the fallback's own event
  services.onPackageQuery = [] {
    ProcessRoutes().RecordProxyFallback({kProxyHttpTunnel, "proxy.test", 3128});
    ProcessRoutes().RecordResolverFallback({kOwnResolver, "127.0.0.53"});
  };
  EXPECT_EQ(RunInstaller(::GetModuleHandleW(nullptr), services), 0);
  EXPECT_EQ(services.logger.Routes(),
            std::vector<std::string>{"1 proxy.test:3128 1 127.0.0.53"});
  ProcessRoutes().RecordResolverFallback({kOwnResolver, "127.0.0.54"});
  EXPECT_EQ(services.logger.Routes().size(), 1u);

  // a run that starts with routes found already hands them over at once
  FakeServices second;
  EXPECT_EQ(RunInstaller(::GetModuleHandleW(nullptr), second), 0);
  EXPECT_EQ(second.logger.Routes(), std::vector<std::string>{"1 proxy.test:3128 1 127.0.0.54"});
  ProcessRoutes().Reset();
}

TEST(InstallSession, ChannelComesFromTheFileNameUnlessTheVersionNamesOne) {
  FakeServices fromName;
  fromName.version = L"1.0.0.2";
  RunInstaller(::GetModuleHandleW(nullptr), fromName);
  EXPECT_EQ(fromName.channelSeen, "tests");  // app_tests.exe

  FakeServices fromVersion;
  fromVersion.version = L"3.99.1.0";
  RunInstaller(::GetModuleHandleW(nullptr), fromVersion);
  EXPECT_EQ(fromVersion.channelSeen, "huawei00");
  EXPECT_EQ(GetInstallFacts().channel, "huawei00");
}

TEST(InstallSession, DefaultServicesReadTheOwnVersionResource) {
  DefaultStartupServices services;
  EXPECT_EQ(services.ProductVersion(), L"1.97.0.0");
}

TEST(InstallSession, ExistingUninstallKeyMeansNotAFirstInstall) {
  test::ScratchRegKey uninstall(HKEY_LOCAL_MACHINE, kUninstallKey);
  uninstall.SetString(L"DisplayName", L"栖木工坊");
  FakeServices services;
  RunInstaller(::GetModuleHandleW(nullptr), services);
  std::vector<std::string> lines = services.logger.Lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_NE(lines[0].find("is_first_install=false"), std::string::npos) << lines[0];
}

TEST(InstallSession, FailingPackageQueryStillSendsTheClosingSequence) {
  FakeServices services;
  services.packageQueryOk = false;
  EXPECT_EQ(RunInstaller(::GetModuleHandleW(nullptr), services), 0);
  EXPECT_EQ(services.windows, 0);  // no window is shown
  ExpectStartThenQuit(services.logger.Lines());
  EXPECT_EQ(CurrentDisplayScale(), nullptr);
}

TEST(InstallSession, FailingServerQueryStillSendsTheClosingSequence) {
  FakeServices services;
  services.serverQueryOk = false;
  EXPECT_EQ(RunInstaller(::GetModuleHandleW(nullptr), services), 0);
  EXPECT_EQ(services.windows, 0);
  ExpectStartThenQuit(services.logger.Lines());
  // the package query had started: it is stopped on the way out too
  EXPECT_EQ(services.queriesStopped, 1);
}

TEST(InstallSession, FailingMainWindowStillSendsTheClosingSequence) {
  FakeServices services;
  services.createWindow = false;
  EXPECT_EQ(RunInstaller(::GetModuleHandleW(nullptr), services), 0);
  ExpectStartThenQuit(services.logger.Lines());
  EXPECT_EQ(services.queriesStopped, 1);
  // made for the closing records, with the kept start before them
  EXPECT_EQ(services.windowsWhenLoggerMade, 0);
}

TEST(InstallSession, FirstRunCreatesTheCacheFolderAndConfigComesLater) {
  const std::wstring folder = GetPackageCacheRoot() + kCacheFolderName;
  DeleteTree(GetPackageCacheRoot());
  {
    FakeServices services;
    RunInstaller(::GetModuleHandleW(nullptr), services);
  }
  EXPECT_TRUE(DirectoryExists(folder));
  // begin_timestamp could not reach config.ini before the folder existed
  EXPECT_FALSE(FileExists(folder + L"config.ini"));
  EXPECT_FALSE(InstallSettings::GetInstance().beginTimestamp.empty());
}

TEST(InstallSession, LaterRunWritesBeginTimestamp) {
  const std::wstring folder = GetPackageCacheRoot() + kCacheFolderName;
  ASSERT_TRUE(CreateDirectories(folder));
  ::DeleteFileW((folder + L"config.ini").c_str());
  FakeServices services;
  RunInstaller(::GetModuleHandleW(nullptr), services);
  wchar_t begin[64] = {};
  ::GetPrivateProfileStringW(L"General", L"begin_timestamp", L"", begin, 63,
                             (folder + L"config.ini").c_str());
  EXPECT_EQ(InstallSettings::GetInstance().beginTimestamp, begin);
  EXPECT_GT(_wtoi64(begin), 1700000000);
}

// Start-up's records (config.ini's begin time, the remembered package for
// the download engine, the cache folder) are made beside the first page;
// the loop handles nothing before they are there. A remembered package of
// 64 MiB makes them take a while: its MD5 is checked first.
TEST(InstallSession, TheLoopHandlesNothingBeforeStartupsRecords) {
  const std::wstring folder = GetPackageCacheRoot() + kCacheFolderName;
  const std::wstring config = folder + L"config.ini";
  const std::wstring package = folder + L"remembered-for-the-test.exe";
  ASSERT_TRUE(CreateDirectories(folder));
  {
    // sparse: nothing written, so the free space other tests compare stays
    UniqueHandle file(::CreateFileW(package.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.valid());
    LARGE_INTEGER size{};
    size.QuadPart = int64_t{64} << 20;
    ASSERT_TRUE(::SetFilePointerEx(file.get(), size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(::SetEndOfFile(file.get()));
  }
  const std::string md5 = Md5File(package);
  ASSERT_EQ(md5.size(), 32u);
  ::WritePrivateProfileStringW(L"General", L"md5", test::W(md5).c_str(), config.c_str());
  ::WritePrivateProfileStringW(L"General", L"path", package.c_str(), config.c_str());
  ::WritePrivateProfileStringW(L"General", L"begin_timestamp", L"", config.c_str());

  std::wstring rememberedAtClose = L"<not closed>";
  std::wstring beginAtClose;
  FakeServices services;
  services.onClose = [&] {
    rememberedAtClose = RememberedPackage().RememberedPackagePath();
    wchar_t begin[64] = {};
    ::GetPrivateProfileStringW(L"General", L"begin_timestamp", L"", begin, 63, config.c_str());
    beginAtClose = begin;
  };
  EXPECT_EQ(RunInstaller(::GetModuleHandleW(nullptr), services), 0);
  EXPECT_EQ(rememberedAtClose, package);
  EXPECT_GT(_wtoi64(beginAtClose.c_str()), 1700000000) << beginAtClose;
  ::DeleteFileW(package.c_str());
  ::DeleteFileW(config.c_str());
}

// a window of the main window class that counts activations
int g_activations = 0;
LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_APP_ACTIVATE_INSTANCE) ++g_activations;
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

TEST(InstallSession, SecondInstanceActivatesTheFirstAndSendsNothing) {
  UniqueHandle first(::CreateMutexW(nullptr, TRUE, kSingleInstanceMutex));
  WNDCLASSW wc{};
  wc.lpfnWndProc = CountingProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = kMainWindowClass;
  ASSERT_TRUE(::RegisterClassW(&wc));
  UniqueWindow window(::CreateWindowExW(0, kMainWindowClass, L"first", WS_POPUP, 0, 0, 0, 0,
                                        nullptr, nullptr, wc.hInstance, nullptr));
  ASSERT_TRUE(window.valid()) << ::GetLastError();

  FakeServices services;
  EXPECT_EQ(RunInstaller(::GetModuleHandleW(nullptr), services), 0);
  EXPECT_TRUE(services.logger.Lines().empty());
  EXPECT_EQ(services.windows, 0);
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    ::DispatchMessageW(&msg);
  EXPECT_EQ(g_activations, 1);
}

}  // namespace
}  // namespace orvane
