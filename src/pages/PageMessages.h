// The private window messages of the page flow: what pages and dialogs post
// to the main window and to themselves. All lie above WM_APP (0x8000), beside
// the widget toolkit's own (ui/ViewMessages.h).
#pragma once

#include "ui/ViewMessages.h"

namespace orvane {

constexpr unsigned WM_APP_SHOW_PAGE = kWmApp + 106;
constexpr unsigned WM_APP_TRAY_NOTIFY = kWmApp + 110;
constexpr unsigned WM_APP_CANCEL_CONFIRMED = kWmApp + 114;
constexpr unsigned WM_APP_RETRY_CONFIRMED = kWmApp + 115;
constexpr unsigned WM_APP_DOWNLOAD_FAILED = kWmApp + 118;
constexpr unsigned WM_APP_INSTALL_FAILED = kWmApp + 119;
constexpr unsigned WM_APP_PROGRESS_TICK = kWmApp + 123;
constexpr unsigned WM_APP_OPEN_WELCOME = kWmApp + 125;

}  // namespace orvane
