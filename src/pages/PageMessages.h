// The private window messages of the page flow: what pages and dialogs post
// to the main window and to themselves. All lie above WM_APP (0x8000), beside
// the widget toolkit's own (ui/ViewMessages.h).
#pragma once

#include "ui/ViewMessages.h"

namespace orvane {

// a page to the main window: show page wParam (a PageIndex)
constexpr unsigned WM_APP_SHOW_PAGE = kWmApp + 106;
// the shell, for the progress page's notification-area icon
constexpr unsigned WM_APP_TRAY_NOTIFY = kWmApp + 110;
// the cancel confirmation's "确认", to the dialog's own window
constexpr unsigned WM_APP_CANCEL_CONFIRMED = kWmApp + 114;
// the retry dialog's "立即重试", to the dialog's own window
constexpr unsigned WM_APP_RETRY_CONFIRMED = kWmApp + 115;
// the progress page to itself through the main window
constexpr unsigned WM_APP_DOWNLOAD_FAILED = kWmApp + 118;
constexpr unsigned WM_APP_INSTALL_FAILED = kWmApp + 119;
constexpr unsigned WM_APP_PROGRESS_TICK = kWmApp + 123;
// the main window to itself, as the last step of showing the finished page
constexpr unsigned WM_APP_OPEN_WELCOME = kWmApp + 125;

// the main window's pages, by index
enum PageIndex : int {
  kPageReminder = 0,
  kPageBegin = 1,
  kPageCustom = 2,
  kPageProgress = 3,
  kPageFinished = 4,
  kPageCount = 5,
};

}  // namespace orvane
