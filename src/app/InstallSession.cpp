#include "app/InstallSession.h"

#include <winsock2.h>

#include <time.h>

#include <cwchar>

#include "app/AppGlobals.h"
#include "app/InstallSettings.h"
#include "app/MainWindow.h"
#include "app/ProductIdentity.h"
#include "app/StartupRules.h"
#include "app/WindowMessages.h"
#include "platform/CacheFolders.h"
#include "platform/Error.h"
#include "platform/FileStream.h"
#include "platform/FileSystem.h"
#include "platform/StringConv.h"
#include "platform/StringUtil.h"
#include "platform/SystemInfo.h"
#include "server/AppInfo.h"
#include "server/PkgInfo.h"
#include "server/ServerInfo.h"
#include "telemetry/LoggerServer.h"

namespace orvane {

InstallFacts& GetInstallFacts() {
  static InstallFacts facts;
  return facts;
}

ILoggerServer& DefaultStartupServices::Logger() {
  return EventLogger();
}

std::wstring DefaultStartupServices::ProductVersion() {
  return CAppInfo::GetInstance().GetFileProductVersion(L"");
}

bool DefaultStartupServices::StartPackageQuery() {
  return CPkgInfo::GetInstance() != nullptr;
}

bool DefaultStartupServices::StartServerQuery() {
  return CServerInfo::GetInstance() != nullptr;
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

void WorkOutChannel(IStartupServices& services, const std::string& stem) {
  std::string channel = ChannelFromStem(stem);
  channel = ChannelFromProductVersion(WideToUtf8(services.ProductVersion()), channel);
  GetAppGlobals()->SetChannel(channel);
}

void RecordLaunchingApplication(InstallFacts& facts) {
  std::wstring parentPath;
  unsigned long parent = GetParentProcessId(::GetCurrentProcessId());
  if (!parent || !GetProcessImagePath(parent, &parentPath)) return;
  facts.launchAppPath = parentPath;
  InstallSettings::GetInstance().Set(&InstallSettings::launchAppName, L"launch_appname",
                                     parentPath);
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
  logger.ClearProperties();
  logger.SetBoolProperty("is_first_install", facts.firstInstall);
  logger.SetStringProperty("soft_package_name", facts.packageStem);
  logger.SetIntProperty("download_time", facts.downloadTime);
  logger.SetStringProperty("parent_app_name", facts.parentAppName);
  logger.SetStringProperty("install_type", "安装器");
  logger.WriteEvent("pSoftInstall");
  logger.WriteLaunch(1, "", "", "");
  logger.WriteReport(4, "0001", "0001", facts.packageStem, "", {});
}

void SendQuitTelemetry(ILoggerServer& logger) {
  logger.WriteReport(4, "0001", "0002", "", "", {});
  logger.ClearProperties();
  logger.SetStringProperty("event_name", "软件退出");
  logger.WriteEvent("vSoftQuit");
}

void PrepareCacheFolder() {
  try {
    std::wstring root = GetPackageCacheRoot();
    if (!root.empty()) CreateDirectories(root + kCacheFolderName);
  } catch (...) {
    // start-up goes on without the cache folder
  }
}

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
    AppGlobalsScope globals;
    std::unique_ptr<CFileStream> ownFile;
    std::unique_ptr<IBaseWindow> window;
    InstallFacts& facts = GetInstallFacts();
    try {
      facts.instance = instance;

      using SetProcessDpiAwareFn = BOOL(WINAPI*)();
      if (HMODULE user32 = ::LoadLibraryW(L"user32")) {
        auto aware = reinterpret_cast<SetProcessDpiAwareFn>(
            reinterpret_cast<void*>(::GetProcAddress(user32, "SetProcessDPIAware")));
        if (aware) aware();
      }

      RegKey uninstall;
      if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, uninstall.receive()) ==
          ERROR_SUCCESS) {
        facts.firstInstall = false;
      }
      uninstall.reset();

      facts.packageStem = PackageStem(WideToUtf8(GetOwnModulePath()));
      WorkOutChannel(services, facts.packageStem);

      facts.beginTimestamp = _time64(nullptr);
      std::string begin = FormatInt64(facts.beginTimestamp);
      InstallSettings::GetInstance().Set(&InstallSettings::beginTimestamp, L"begin_timestamp",
                                         std::wstring(begin.begin(), begin.end()));

      RecordLaunchingApplication(facts);
      ownFile = MeasureDownloadTime(facts);

      logger = &services.Logger();
      SendStartTelemetry(*logger, facts);

      WSADATA wsa;
      ::WSAStartup(MAKEWORD(1, 1), &wsa);
      if (!services.StartPackageQuery()) throw Error("Get package information error");
      if (!services.StartServerQuery()) throw Error("Get server information error");

      PrepareCacheFolder();

      window = services.CreateMainWindow(instance);
      if (window && ::IsWindow(window->hwnd())) {
        ::ShowWindow(window->hwnd(), SW_SHOW);
        ::UpdateWindow(window->hwnd());
      }

      MSG msg;
      while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
      }
    } catch (...) {
      // every start-up failure ends here; the user saw what the failing
      // part showed, and the closing sequence still runs
    }

    window.reset();
    ownFile.reset();
    services.StopQueries();
    if (!logger) logger = &services.Logger();
    SendQuitTelemetry(*logger);
  }
  return 0;
}

}  // namespace orvane
