// The main window's work when the install has succeeded: config.ini, the
// welcome page's address, the telemetry, the conversion report and the
// browser.
#include <time.h>

#include "BuildConfig.h"
#include "app/AppGlobals.h"
#include "app/InstallSession.h"
#include "app/InstallSettings.h"
#include "app/MainWindow.h"
#include "app/ProductIdentity.h"
#include "app/StartupRules.h"
#include "app/WelcomeUrl.h"
#include "app/WindowMessages.h"
#include "pages/FinishedView.h"
#include "pages/PageEvents.h"
#include "platform/Browser.h"
#include "platform/MacAddress.h"
#include "platform/Md5.h"
#include "platform/StringConv.h"
#include "platform/StringUtil.h"
#include "platform/SystemInfo.h"
#include "server/AppInfo.h"
#include "server/KMReportThread.h"
#include "server/PkgInfo.h"
#include "server/ServerInfo.h"
#include "telemetry/LoggerServer.h"

namespace orvane {

namespace {

std::wstring Now() {
  return Utf8ToWide(FormatInt64(_time64(nullptr)));
}

// what the channel's welcome query answered; its fields are read only once
// it is done, never while its worker may still write them
struct ChannelWelcome {
  std::string page;
  std::string accountName;
  bool conversionReport = false;
};

ChannelWelcome ReadChannelWelcome() {
  ChannelWelcome answer;
  CServerInfo* info = CServerInfo::GetInstance();
  if (!info || info->GetStatus() != 1) return answer;
  answer.page = info->GetWelcomeUrl();
  answer.accountName = info->GetAdvertisingAccountName();
  answer.conversionReport = info->GetKelmorOcpc();
  return answer;
}

}  // namespace

void MainWindow::Complete() {
  auto* finished = PageOf<CFinishedView>(kPageFinished);
  InstallSettings& settings = InstallSettings::GetInstance();
  ILoggerServer& logger = EventLogger();

  settings.Set(&InstallSettings::install, L"install", L"1");
  const std::wstring end = Now();
  if (!end.empty()) settings.Set(&InstallSettings::endTimestamp, L"end_timestamp", end);

  WelcomeParts parts;
  parts.channel = GetAppGlobals()->Channel();
  const ChannelWelcome channel = ReadChannelWelcome();
  parts.channelPage = channel.page;
  parts.defaultPage = config::kWelcomeUrl;
  settings.Set(&InstallSettings::isSem, L"is_sem", channel.page.empty() ? L"0" : L"1");

  parts.cam = Md5Hex(GetMacAddress());
  CPkgInfo* package = CPkgInfo::GetInstance();
  const char* version = package ? package->GetVersionCode() : nullptr;
  parts.version = version ? version : "";
  parts.mid = logger.GetMid();
  parts.timeStamp = FormatInt64(_time64(nullptr));
  parts.accountName = channel.accountName;

  settings.Set(&InstallSettings::cam, L"cam", Utf8ToWide(parts.cam));
  settings.Set(&InstallSettings::channelId, L"channel_id", Utf8ToWide(parts.channel));
  settings.Set(&InstallSettings::mid, L"mid", Utf8ToWide(logger.GetMid()));
  settings.Set(&InstallSettings::appId, L"app_id", Utf8ToWide(kAppId));
  settings.Set(&InstallSettings::appVersion, L"app_version", Utf8ToWide(parts.version));
  settings.Set(&InstallSettings::advertisingAccountName, L"advertising_account_name",
               Utf8ToWide(channel.accountName));

  const WelcomeUrl welcome = ComposeWelcomeUrl(parts);
  settings.Set(&InstallSettings::sessionId, L"session_id", Utf8ToWide(welcome.sessionId));
  welcomeUrl_ = Utf8ToWide(welcome.url);

  const InstallFacts& facts = GetInstallFacts();
  SendPageEvent("pSoftInstallResult",
                {{"is_first_install", facts.firstInstall}, {"is_reinstall", facts.reinstall}},
                {{"install_status", "安装成功"},
                 {"soft_package_name", PackageStem(WideToUtf8(GetOwnModulePath()))},
                 {"install_type", "安装器"}});

  CAppInfo::GetInstance().Refresh();
  appPath_ = CAppInfo::GetInstance().GetExePath();
  finished->SetAppPath(appPath_);

  if (channel.conversionReport && !reportThread_)
    reportThread_ = std::make_unique<CKMReportThread>(this);
  ::PostMessageW(hwnd_, WM_APP_OPEN_WELCOME, 0, 0);
}

void MainWindow::OpenWelcome() {
  const std::wstring browser = GetInstallFacts().launchAppPath;
  const std::wstring url = welcomeUrl_;
  if (!url.empty())
    InstallSettings::GetInstance().Set(&InstallSettings::welcomeUrl, L"welcome_url", url);
  OpenUrlInBrowser(browser.c_str(), url.c_str());
}

}  // namespace orvane
