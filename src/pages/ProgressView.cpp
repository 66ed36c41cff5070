#include "pages/ProgressView.h"

#include <windows.h>
// after windows.h, which it needs
#include <mmsystem.h>

#include "pages/PageEvents.h"
#include "pages/PageMessages.h"
#include "pages/PageStyles.h"
#include "pages/ProgressRules.h"
#include "server/BannerSource.h"
#include "ui/ButtonResource.h"
#include "ui/ImageResource.h"
#include "ui/LayoutResource.h"
#include "ui/MovieResource.h"
#include "ui/ProgressResource.h"
#include "ui/ResourceMgr.h"
#include "ui/SpacerResource.h"
#include "ui/TextResource.h"
#include "ui/ViewMessages.h"

namespace orvane {

using namespace colors;

namespace {

// the icon of the program's own module, as the window class uses it
constexpr int kIconResource = 102;
static_assert(sizeof(NOTIFYICONDATAW) == 956, "the notification data the shell expects");

WidgetStyles BarStyle() {
  WidgetStyles s;
  s[0].textColor = kAccent;      // the bar
  s[0].backgroundColor = kPage;  // the track
  s[0].cornerRadius = 100;       // a pill: the diameter is clamped to the bar
  return s;
}

}  // namespace

CProgressView::CProgressView(HWND host, IResourceMgr* resources) : IBaseView(host, resources) {
  BuildWidgets();
}

void CProgressView::BuildWidgets() {
  auto layout = [&](int32_t orientation) {
    return Add(std::make_unique<CLayoutResource>(orientation, kIdLayout));
  };
  auto spacer = [&] { return Add(std::make_unique<CSpacerResource>()); };

  auto* root = layout(kVertical);
  const WidgetStyles page = PageBackgroundStyle();
  root->SetBackground(Add(std::make_unique<CImageResource>(kIdBackground, kKindBackground, &page)));

  auto* band = layout(kVertical);
  band->SetMargins(20, 24, 20, 0);
  root->AddChild(band, 3);
  banner_ = Add(std::make_unique<CMovieResource>(
      hwnd_, WM_APP_FRAME_READY, std::unique_ptr<IMovieSource>(CreateBannerSource()),
      resources_ ? resources_->GetImage(L"install_banner.png") : nullptr, kIdBanner, nullptr));
  banner_->SetAspect(2.0);
  band->SetBackground(banner_);
  auto* topRow = layout(kHorizontal);
  band->AddChild(topRow, 1);
  topRow->AddChild(spacer(), 5);
  const WidgetStyles hideStyle = LinkStyle(14, false, 2, 0);
  topRow->AddChild(Add(std::make_unique<CButtonResource>(L"隐藏窗口", kIdHide, &hideStyle)), 1);
  band->AddChild(spacer(), 10);

  auto* statusBand = layout(kVertical);
  statusBand->SetMargins(48, 0, 48, 24);
  root->AddChild(statusBand, 1);
  statusBand->AddChild(spacer(), 6);
  const WidgetStyles textStyle = TextStyle(kText, 14);
  status_ = Add(std::make_unique<CTextResource>(kIdStatus, kKindText, &textStyle));
  status_->SetText(ProgressStatusText(0));
  statusBand->AddChild(status_, 6);
  statusBand->AddChild(spacer(), 3);
  const WidgetStyles barStyle = BarStyle();
  bar_ = Add(std::make_unique<CProgressResource>(kIdBar, &barStyle));
  statusBand->AddChild(bar_, 2);
  statusBand->AddChild(spacer(), 3);

  RECT client{};
  ::GetClientRect(hwnd_, &client);
  root->SetRect(client.left, client.top, client.right, client.bottom);
}

CProgressView::~CProgressView() {
  StopTimer();
  {
    XMutexLock hold(lock_);
    installer_.reset();  // waits for a running installer (it was started by this run)
  }
  DeleteTrayIcon();
  if (downloader_) downloader_->Release();
}

void CProgressView::SetJoinFlag(bool join) {
  XMutexLock hold(lock_);
  join_ = join;
}

bool CProgressView::joinFlag() const {
  XMutexLock hold(lock_);
  return join_;
}

void CProgressView::SetQuiet(bool quiet) {
  if (banner_) banner_->SetQuiet(quiet);
}

bool CProgressView::UpdateStates(StateCause cause, int32_t index) {
  return UpdateButtonLooks(*this, cause, index);
}

LRESULT CProgressView::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  auto update = [this](StateCause cause, int32_t index) { return UpdateStates(cause, index); };
  switch (msg) {
    case WM_PAINT:
      return PaintOpaque(msg, wParam, lParam);
    case WM_MOUSEMOVE:
      // the banner counts as passive too: leaving the hide button for the
      // banner around it must end the hover look
      return OnMouseMove(wParam, lParam,
                         {kKindBackground, kKindAnimation, kKindText, kKindSpacer, kKindProgress},
                         update);
    case WM_LBUTTONDOWN:
      return OnButtonDown(wParam, lParam, true, update);
    case WM_LBUTTONUP:
      return OnButtonUp(wParam, lParam, [](const IBaseResource& w) {
        return IsEnabledButton(w) && w.id() == kIdHide;
      });
    case WM_APP_CONTROL_CLICK:
      OnClick(static_cast<int32_t>(wParam));
      if (UpdateStates(StateCause::kClick, static_cast<int32_t>(wParam))) InvalidateAll();
      return 0;
    case WM_APP_TRAY_NOTIFY:
      return OnTrayNotify(wParam, lParam);
    case WM_APP_PROGRESS_TICK:
      return OnProgressTick();
    case WM_APP_DOWNLOAD_FAILED:
      OnDownloadFailed();
      return 0;
    case WM_APP_INSTALL_FAILED:
      OnInstallFailed();
      return 0;
    case WM_APP_FRAME_READY:
      InvalidateAll();
      return 0;
    case WM_APP_ACTIVATE_INSTANCE:
      ::ShowWindow(hwnd_, SW_SHOW);
      DeleteTrayIcon();
      return OnActivateInstance();
  }
  return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
}

void CProgressView::OnClick(int32_t index) {
  IBaseResource* w = WidgetAt(index);
  if (w && w->kind() == kKindButton && w->id() == kIdHide) HideToTray();
}

void CProgressView::HideToTray() {
  WriteClick("0003", "0001");
  tray_ = NOTIFYICONDATAW{};
  tray_.cbSize = sizeof(tray_);
  tray_.hWnd = hwnd_;
  tray_.uID = 0;
  tray_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  tray_.uCallbackMessage = WM_APP_TRAY_NOTIFY;
  tray_.hIcon = ::LoadIconW(reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE)),
                            MAKEINTRESOURCEW(kIconResource));
  wcsncpy(tray_.szTip, L"栖木工坊已最小化，点击弹出", ARRAYSIZE(tray_.szTip) - 1);
  ::ShowWindow(hwnd_, SW_HIDE);
  ::Shell_NotifyIconW(NIM_ADD, &tray_);
  SetQuiet(true);
  ::PostMessageW(hwnd_, WM_APP_TRAY_NOTIFY, 0, 0);
}

LRESULT CProgressView::OnTrayNotify(WPARAM wParam, LPARAM lParam) {
  // the icon's id, and the mouse message the shell saw on it
  if (wParam != 0 || (lParam != WM_LBUTTONUP && lParam != WM_RBUTTONUP)) return 0;
  ::ShowWindow(hwnd_, SW_SHOW);
  SetQuiet(false);
  DeleteTrayIcon();
  WriteClick("0003", "0002");
  return 0;
}

void CProgressView::DeleteTrayIcon() {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = hwnd_;
  data.uID = 0;
  ::Shell_NotifyIconW(NIM_DELETE, &data);
}

void CProgressView::Refresh() {
  int percent = 0;
  {
    XMutexLock hold(lock_);
    if (!installerRunning_) {
      percent = downloader_ ? DownloadPercent(downloader_->GetProgress()) : 0;
    } else if (installer_) {
      percent = InstallPercent(::timeGetTime() - installStartTick_);
    } else {
      percent = installerSucceeded_ ? 100 : 0;
    }
  }
  bar_->SetPercent(percent);
  status_->SetText(ProgressStatusText(percent));
  InvalidateAll();
}

}  // namespace orvane
