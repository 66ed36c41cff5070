// The private window messages between the pages, their dialogs and the main
// window. All lie above WM_APP (0x8000); the toolkit's own are in
// ui/UiMessages.h.
#pragma once

#include "ui/UiMessages.h"

namespace orvane {

// a page to the main window: show page wParam (0 to 4)
constexpr unsigned WM_APP_SHOW_PAGE = 0x8000 + 106;
// the shell, for the progress page's notification-area icon
constexpr unsigned WM_APP_TRAY_NOTIFY = 0x8000 + 110;
// the cancel confirmation's "确认", to the dialog's own window
constexpr unsigned WM_APP_CANCEL_CONFIRMED = 0x8000 + 114;
// the retry dialog's "立即重试", to the dialog's own window
constexpr unsigned WM_APP_RETRY_CONFIRMED = 0x8000 + 115;
// the progress page to itself through the main window
constexpr unsigned WM_APP_DOWNLOAD_FAILED = 0x8000 + 118;
constexpr unsigned WM_APP_INSTALL_FAILED = 0x8000 + 119;
constexpr unsigned WM_APP_PROGRESS_TICK = 0x8000 + 123;

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
