#include "app/InstallSession.h"

#include <winsock2.h>

#include <time.h>

#include <cwchar>

#include "app/InstallSettings.h"
#include "app/MainWindow.h"
#include "app/StartupRules.h"
#include "app/WindowMessages.h"
#include "config/ProductIdentity.h"
#include "download/DownloadEnvironment.h"
#include "download/DownloadRules.h"
#include "net/ConnectionRoutes.h"
#include "platform/BasedThread.h"
#include "platform/CacheFolders.h"
#include "platform/DllSearch.h"
#include "platform/Error.h"
#include "platform/FileStream.h"
#include "platform/FileSystem.h"
#include "platform/StringConv.h"
#include "platform/StringUtil.h"
#include "platform/SystemInfo.h"
#include "server/AppInfo.h"
#include "server/PkgInfo.h"
#include "server/ServerInfo.h"
#include "telemetry/DeferredLogger.h"
#include "telemetry/LoggerServer.h"
#include "ui/DisplayScale.h"

namespace orvane {

InstallFacts& GetInstallFacts() {
  static InstallFacts facts;
  return facts;
}

ILoggerServer& DefaultStartupServices::Logger() {
  // not EventLogger(): during the session that is the deferred logger,
  // which asks here for the real one
  return CLoggerServer::GetInstance();
}

std::wstring DefaultStartupServices::ProductVersion() {
  return CAppInfo::GetInstance().GetFileProductVersion(L"");
}

bool DefaultStartupServices::StartPackageQuery() {
  return CPkgInfo::GetInstance() != nullptr;
}

bool DefaultStartupServices::StartServerQuery(const std::string& channel) {
  return CServerInfo::GetInstance(channel) != nullptr;
}

void DefaultStartupServices::StopQueries() {
  CPkgInfo::StopInstance();
  CServerInfo::StopInstance();
}

std::unique_ptr<IBaseWindow> DefaultStartupServices::CreateMainWindow(HINSTANCE) {
  return std::make_unique<MainWindow>();
}

namespace {

BOOL CALLBACK FindMainWindow(HWND hwnd, LPARAM found) {
  wchar_t name[260] = {};
  ::GetClassNameW(hwnd, name, 259);
  if (std::wcscmp(name, kMainWindowClass) != 0) return TRUE;
  *reinterpret_cast<HWND*>(found) = hwnd;
  return FALSE;
}

std::string WorkOutChannel(IStartupServices& services, const std::string& stem) {
  std::string channel = ChannelFromStem(stem);
  return ChannelFromProductVersion(WideToUtf8(services.ProductVersion()), channel);
}

// the launching application's path (written to config.ini by
// StartupRecords) and its file name for the start telemetry
void FindLaunchingApplication(InstallFacts& facts) {
  std::wstring parentPath;
  unsigned long parent = GetParentProcessId(::GetCurrentProcessId());
  if (!parent || !GetProcessImagePath(parent, &parentPath)) return;
  facts.launchAppPath = parentPath;
  size_t slash = parentPath.rfind(L'\\');
  facts.parentAppName =
      WideToUtf8(slash == std::wstring::npos ? parentPath : parentPath.substr(slash + 1));
}

std::unique_ptr<CFileStream> MeasureDownloadTime(InstallFacts& facts) {
  auto self = std::make_unique<CFileStream>(GetOwnModulePath(), CFileStream::kModeReadShared);
  int64_t creation = 0, access = 0, lastWrite = 0;
  facts.downloadTime =
      self->GetTimes(&creation, &access, &lastWrite) ? DownloadSeconds(creation, lastWrite) : 0;
  return self;
}

void SendStartTelemetry(ILoggerServer& logger, const InstallFacts& facts) {
  logger.Send(Event("pSoftInstall")
                  .Bool("is_first_install", facts.firstInstall)
                  .String("soft_package_name", facts.packageStem)
                  .Int("download_time", facts.downloadTime)
                  .String("parent_app_name", facts.parentAppName)
                  .String("install_type", "安装器"));
  logger.WriteLaunch(1, "", "", "");
  logger.WriteReport(4, "0001", "0001", facts.packageStem, "", {});
}

SdkRoute RouteOf(const ProxySettings& proxy, const ResolverSettings& resolver) {
  SdkRoute route;
  route.proxyType = proxy.type;
  route.proxyHost = proxy.host;
  route.proxyPort = proxy.port;
  route.resolverMode = resolver.mode;
  route.dnsServer = resolver.server;
  return route;
}

// the SDK's uploads take the routes the installer's own connections found
// to work (a proxy, the own resolver), from the moment they change
void FollowRoutesInUploads(ILoggerServer& logger) {
  ProcessRoutes().SetListener([&logger](const ProxySettings& p, const ResolverSettings& r) {
    logger.SetUploadRoute(RouteOf(p, r));
  });
  ProxySettings proxy = ProcessRoutes().Proxy();
  ResolverSettings resolver = ProcessRoutes().Resolver();
  if (proxy.type != kProxyDirect || resolver.mode != kSystemResolver)
    logger.SetUploadRoute(RouteOf(proxy, resolver));
}

void SendQuitTelemetry(ILoggerServer& logger) {
  logger.WriteReport(4, "0001", "0002", "", "", {});
  logger.Send(Event("vSoftQuit").String("event_name", "软件退出"));
}

void PrepareCacheFolder() {
  try {
    std::wstring root = GetPackageCacheRoot();
    if (!root.empty()) CreateDirectories(root + kCacheFolderName);
  } catch (...) {
    // start-up goes on without the cache folder
  }
}

// What start-up records in config.ini (the begin time, the launching
// application), the remembered package it hands the download engine, and
// the cache folder it makes, in that order. The settings' first use loads
// shell32 (15 ms under Wine) and checks the remembered package's MD5 (0.4 s
// for 256 MiB): the first page needs none of it, so it runs beside the
// page's making, and the loop waits for it before it handles anything.
class StartupRecords : private COrvaneBasedThread {
 public:
  StartupRecords() = default;
  ~StartupRecords() override { Wait(); }

  // on a thread of its own, or here when there is none
  void Start(std::wstring beginTimestamp, std::wstring launchApp, DownloadEnvironment* sources) {
    begin_ = std::move(beginTimestamp);
    launchApp_ = std::move(launchApp);
    sources_ = sources;
    started_ = COrvaneBasedThread::Start();
    if (!started_) Run();
  }
  // returns once everything is recorded
  void Wait() {
    if (!started_) return;
    Join(INFINITE);
    started_ = false;
  }

 private:
  int Run() override {
    try {
      InstallSettings& settings = InstallSettings::GetInstance();
      settings.Set(&InstallSettings::beginTimestamp, L"begin_timestamp", begin_);
      sources_->remembered = &settings;
      if (!launchApp_.empty())
        settings.Set(&InstallSettings::launchAppName, L"launch_appname", launchApp_);
    } catch (...) {
      // as a write the profile API refused: the run goes on
    }
    PrepareCacheFolder();
    return 0;
  }

  std::wstring begin_;
  std::wstring launchApp_;
  DownloadEnvironment* sources_ = nullptr;
  bool started_ = false;
};

}  // namespace

bool ActivateRunningInstance() {
  HWND found = nullptr;
  ::EnumWindows(&FindMainWindow, reinterpret_cast<LPARAM>(&found));
  if (!found) return false;
  ::PostMessageW(found, WM_APP_ACTIVATE_INSTANCE, 0, 0);
  return true;
}

int RunInstaller(HINSTANCE instance, IStartupServices& services) {
  UniqueHandle singleInstance(::CreateMutexW(nullptr, TRUE, kSingleInstanceMutex));
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    singleInstance.reset();
    ActivateRunningInstance();
    return 0;
  }

  ILoggerServer* logger = nullptr;
  {
    // the layers below telemetry report through the event logger
    ScopedEventSink events(&LoggerEventSink());
    // The SDK is made after the first page is painted: until then whatever
    // start-up sends (the start telemetry, the window's and the first page's
    // events) is kept, in order, and then handed over (CDeferredLogger).
    CDeferredLogger deferred([&services]() -> ILoggerServer& { return services.Logger(); });
    ScopedLoggerOverride useDeferred(&deferred);
    // the UI scale and display ratio of this session's windows
    DisplayScaleScope displayScale;
    // the download engine's remembered package: the install settings, once
    // start-up has opened them
    DownloadEnvironment packageSources;
    ScopedDownloadEnvironment usePackageSources(&packageSources);
    StartupRecords records;
    std::unique_ptr<CFileStream> ownFile;
    std::unique_ptr<IBaseWindow> window;
    InstallFacts& facts = GetInstallFacts();
    try {
      facts.instance = instance;

      // user32 is imported on the first call into it (a delay-load), so it
      // is not there yet: loaded here, from the system folder, and kept
      using SetProcessDpiAwareFn = BOOL(WINAPI*)();
      if (HMODULE user32 = LoadSystemLibrary(L"user32.dll").release()) {
        auto aware = reinterpret_cast<SetProcessDpiAwareFn>(
            reinterpret_cast<void*>(::GetProcAddress(user32, "SetProcessDPIAware")));
        if (aware) aware();
      }

      // before the records' thread starts loading shell32: loads of DLLs
      // wait for each other
      WSADATA wsa;
      ::WSAStartup(MAKEWORD(1, 1), &wsa);

      RegKey uninstall;
      if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, uninstall.receive()) ==
          ERROR_SUCCESS) {
        facts.firstInstall = false;
      }
      uninstall.reset();

      facts.packageStem = PackageStem(WideToUtf8(GetOwnModulePath()));
      facts.channel = WorkOutChannel(services, facts.packageStem);

      facts.beginTimestamp = _time64(nullptr);
      std::string begin = FormatInt64(facts.beginTimestamp);
      FindLaunchingApplication(facts);
      records.Start(std::wstring(begin.begin(), begin.end()), facts.launchAppPath,
                    &packageSources);
      ownFile = MeasureDownloadTime(facts);

      logger = &deferred;
      SendStartTelemetry(*logger, facts);
      FollowRoutesInUploads(*logger);

      if (!services.StartPackageQuery()) throw Error("Get package information error");
      if (!services.StartServerQuery(facts.channel)) throw Error("Get server information error");

      window = services.CreateMainWindow(instance);
      if (window && ::IsWindow(window->hwnd())) window->ShowAndPaint();
      // The first page is on the screen. The SDK comes once the loop has
      // waited for input the first time (a thread timer fires only then),
      // so that nothing delays the paint's end; after a second at the latest.
      const DWORD painted = ::GetTickCount();
      const UINT_PTR sdkTimer = ::SetTimer(nullptr, 0, 0, nullptr);
      MSG msg;
      while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // nothing the user does is handled before the records are there
        records.Wait();
        const bool sdkTick = sdkTimer && msg.message == WM_TIMER && !msg.hwnd &&
                             msg.wParam == sdkTimer;
        if (!deferred.released() &&
            (sdkTick || !sdkTimer || ::GetTickCount() - painted > 1000)) {
          if (sdkTimer) ::KillTimer(nullptr, sdkTimer);
          deferred.Release();
        }
        if (sdkTick) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
      }
    } catch (...) {
      // every start-up failure ends here; the user saw what the failing
      // part showed, and the closing sequence still runs
    }

    records.Wait();
    window.reset();
    ownFile.reset();
    services.StopQueries();
    ProcessRoutes().SetListener({});
    // what start-up kept goes out before the closing records
    logger = &deferred.Release();
    SendQuitTelemetry(*logger);
  }
  // on a drive root, perhaps a removable one: nothing of this run stays there
  RemoveRunTempFolder();
  return 0;
}

}  // namespace orvane
