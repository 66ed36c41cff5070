#include "pages/ReminderView.h"

#include "pages/PageEvents.h"
#include "pages/PageMessages.h"
#include "platform/StringConv.h"
#include "telemetry/LoggerServer.h"

namespace orvane {

namespace {

TemplateSpec ReminderSpec() {
  TemplateSpec s;
  s.textId = 5;
  s.iconId = 4;
  s.layoutId = 6;
  s.spacerId = 7;
  s.icon = L"inquire_icon.png";
  s.heading = L"您已安装最新版本";
  s.text = L"点击“打开”运行软件，或点击“安装”重新安装软件。";
  s.firstButton = L"打开";
  s.secondButton = L"安装";
  s.fontSize = 14;
  s.closeButton = true;
  s.rounded = false;
  return s;
}

}  // namespace

CReminderView::CReminderView(HWND mainWindow, IResourceMgr* resources, bool reinstall)
    : CTemplateView(mainWindow, resources, ReminderSpec()) {
  SendPageEvent("vInstallPage", {{"is_reinstall", reinstall}}, {{"windows_name", "覆盖安装"}});
}

LRESULT CReminderView::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  // Alt+F4 and the like end the installer as the close button does
  if (msg == WM_CLOSE) {
    OnButton(kCloseButton);
    return 0;
  }
  return HandlePageMessage(msg, wParam, lParam);
}

void CReminderView::OnButton(int32_t id) {
  if (id == kFirstButton) {
    SendPageEvent("vReInstallOpera", {}, {{"event_name", "打开软件"}});
    EventLogger().ShellExecAsUser("open", WideToUtf8(appPath_), "", "", 0);
  } else if (id == kSecondButton) {
    SendPageEvent("vReInstallOpera", {}, {{"event_name", "直接安装"}});
    ::PostMessageW(hwnd_, WM_APP_SHOW_PAGE, kPageBegin, 0);
    InvalidateAll();
    return;
  } else if (id == kCloseButton) {
    SendPageEvent("vReInstallOpera", {}, {{"event_name", "关闭"}});
  } else {
    return;
  }
  ::ShowWindow(hwnd_, SW_HIDE);
  ::PostQuitMessage(0);
}

}  // namespace orvane
