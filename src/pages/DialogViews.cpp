#include "pages/DialogViews.h"

#include <shellapi.h>

#include "pages/PageEvents.h"
#include "pages/PageMessages.h"
#include "telemetry/LoggerServer.h"

namespace orvane {

namespace {

TemplateSpec WarnSpec() {
  TemplateSpec s;
  s.textId = 4;
  s.iconId = 5;
  s.layoutId = 6;
  s.spacerId = 7;
  s.icon = L"inquire_icon.png";
  s.heading = L"确定要取消安装吗？";
  s.text = L"安装尚未开始，关闭窗口会取消安装，点击“取消”后继续安装。";
  s.firstButton = L"确认";
  s.secondButton = L"取消";
  s.closeButton = true;
  return s;
}

TemplateSpec ErrorSpec() {
  TemplateSpec s;
  s.heading = L"网络异常";
  s.text = L"检测到网络异常，必要组件无法加载，请检查网络后重试。";
  s.firstButton = L"立即重试";
  s.secondButton = L"稍后重试";
  s.titleBorderColor = 0xFF1F1F1F;
  return s;
}

TemplateSpec DownloadReminderSpec() {
  TemplateSpec s;
  s.heading = L"网络异常";
  s.text = L"您的网络环境存在网络异常，需要手动下载软件必要组件，请点击“确认”开始下载。";
  s.firstButton = L"确认";
  s.secondButton = L"取消";
  return s;
}

TemplateSpec InstallReminderSpec() {
  TemplateSpec s;
  s.heading = L"配置环境异常";
  s.text =
      L"检测到配置环境存在一些问题，不过不用担心，已为您准备好安装包可供安装，是否确认手动安装？";
  s.firstButton = L"确认";
  s.secondButton = L"取消";
  return s;
}

// hides the dialog and ends its nested loop once the window is closed
void CloseDialog(HWND dialog) {
  ::ShowWindow(dialog, SW_HIDE);
  ::PostMessageW(dialog, WM_CLOSE, 0, 0);
  ::PostMessageW(dialog, WM_QUIT, 0, 0);
}

}  // namespace

WarnView::WarnView(HWND dialog, IResourceMgr* resources)
    : CTemplateView(dialog, resources, WarnSpec()) {}

LRESULT WarnView::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  return HandleDialogMessage(msg, wParam, lParam);
}

void WarnView::OnButton(int32_t id) {
  const char* page = origin_ == 1 ? "0005" : "0006";
  if (id == kFirstButton) {
    WriteClick(page, "0001");
    ::PostMessageW(hwnd_, WM_APP_CANCEL_CONFIRMED, 0, 0);
  } else {
    WriteClick(page, "0002");
  }
  CloseDialog(hwnd_);
}

ErrorView::ErrorView(HWND dialog, IResourceMgr* resources)
    : CTemplateView(dialog, resources, ErrorSpec()) {}

LRESULT ErrorView::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  return HandleDialogMessage(msg, wParam, lParam);
}

void ErrorView::OnButton(int32_t id) {
  const char* page = kind_ == 1 ? "0007" : "0008";
  if (id == kFirstButton) {
    WriteClick(page, "0001");
    ::PostMessageW(hwnd_, WM_APP_RETRY_CONFIRMED, 0, 0);
  } else {
    WriteClick(page, "0002");
  }
  CloseDialog(hwnd_);
}

DownloadReminderView::DownloadReminderView(HWND dialog, IResourceMgr* resources)
    : CTemplateView(dialog, resources, DownloadReminderSpec()) {}

LRESULT DownloadReminderView::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  return HandleDialogMessage(msg, wParam, lParam);
}

void DownloadReminderView::OnButton(int32_t id) {
  if (id == kFirstButton) {
    WriteClick("0010", "0001");
    EventLogger().OpenUrl(url_);
  } else {
    WriteClick("0010", "0002");
  }
  ::PostQuitMessage(0);
}

InstallReminderView::InstallReminderView(HWND dialog, IResourceMgr* resources)
    : CTemplateView(dialog, resources, InstallReminderSpec()) {}

LRESULT InstallReminderView::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  return HandleDialogMessage(msg, wParam, lParam);
}

void InstallReminderView::OnButton(int32_t id) {
  if (id == kFirstButton) {
    WriteClick("0011", "0001");
    if (!path_.empty())
      ::ShellExecuteW(nullptr, L"open", path_.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  } else {
    WriteClick("0011", "0002");
  }
  ::PostQuitMessage(0);
}

}  // namespace orvane
