#include "pages/DialogWindows.h"

#include "pages/DialogPlacement.h"
#include "pages/DialogViews.h"
#include "pages/PageMessages.h"
#include "platform/Error.h"

namespace orvane {

namespace {

IntRect ToIntRect(const RECT& r) {
  return {r.left, r.top, r.right, r.bottom};
}

}  // namespace

CDialogWindow::CDialogWindow(const wchar_t* className, HWND parent) : IBaseWindow(400, 200) {
  if (!Create(className, parent)) throw Error("create window error");
}

CDialogWindow::~CDialogWindow() {
  // the view must outlive every message its window can still receive
  if (hwnd_ && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
  view_.reset();
}

LRESULT CDialogWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_ERASEBKGND) return 0;
  if (view_) return view_->HandleMessage(msg, wParam, lParam);
  return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
}

void CDialogWindow::ShowOver(HWND owner) {
  RECT ownerRect{}, dialogRect{};
  ::GetWindowRect(owner, &ownerRect);
  ::GetWindowRect(hwnd_, &dialogRect);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  IntRect work;
  if (::GetMonitorInfoW(::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor))
    work = ToIntRect(monitor.rcWork);
  const IntRect place = PlaceDialogOver(ToIntRect(ownerRect), dialogRect.right - dialogRect.left,
                                        dialogRect.bottom - dialogRect.top, work);
  ::SetWindowPos(hwnd_, nullptr, place.left, place.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ::ShowWindow(hwnd_, SW_SHOW);
  ::UpdateWindow(hwnd_);
}

bool CDialogWindow::RunModal(HWND owner, UINT watched) {
  ShowOver(owner);
  bool seen = false;
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd == hwnd_) {
      if (watched != 0 && msg.message == watched) seen = true;
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    } else if (msg.message == WM_PAINT) {
      // a paint left undone would be handed out again at once
      ::DispatchMessageW(&msg);
    }
  }
  return seen;
}

WarnWindow::WarnWindow(const wchar_t* className,
                       HWND parent,
                       IResourceMgr* resources,
                       int32_t origin)
    : CDialogWindow(className, parent) {
  auto view = std::make_unique<WarnView>(hwnd_, resources);
  view->SetOrigin(origin);
  view_ = std::move(view);
}

ErrorWindow::ErrorWindow(HWND parent, IResourceMgr* resources, int32_t kind)
    : CDialogWindow(L"ProgressChildCloseWnd", parent) {
  auto view = std::make_unique<ErrorView>(hwnd_, resources);
  view->SetKind(kind);
  view_ = std::move(view);
}

DownloadReminderWindow::DownloadReminderWindow(HWND parent,
                                               IResourceMgr* resources,
                                               const std::string& url)
    : CDialogWindow(L"ProgressDReminderWnd", parent) {
  auto view = std::make_unique<DownloadReminderView>(hwnd_, resources);
  view->SetDownloadUrl(url);
  view_ = std::move(view);
}

InstallReminderWindow::InstallReminderWindow(HWND parent,
                                             IResourceMgr* resources,
                                             const std::wstring& path)
    : CDialogWindow(L"ProgressIReminderWnd", parent) {
  auto view = std::make_unique<InstallReminderView>(hwnd_, resources);
  view->SetInstallerPath(path);
  view_ = std::move(view);
}

bool CancelConfirmation::Ask(HWND mainWindow, IResourceMgr* resources) {
  if (open_ && ::IsWindow(open_)) {
    ::ShowWindow(open_, SW_SHOWNORMAL);
    ::SetWindowPos(open_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetForegroundWindow(open_);
    ::SetWindowPos(open_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return false;
  }
  WarnWindow dialog(className_, mainWindow, resources, origin_);
  open_ = dialog.hwnd();
  const bool confirmed = dialog.RunModal(mainWindow, WM_APP_CANCEL_CONFIRMED);
  open_ = nullptr;
  return confirmed;
}

}  // namespace orvane
