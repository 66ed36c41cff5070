// The private window messages between pages, dialogs, workers and a second
// instance of the installer. All lie above WM_APP (0x8000).
#pragma once

namespace orvane {

constexpr unsigned kWmApp = 0x8000;

constexpr unsigned WM_APP_SHOW_PAGE = kWmApp + 106;
constexpr unsigned WM_APP_CONTROL_CLICK = kWmApp + 107;
constexpr unsigned WM_APP_TRAY_NOTIFY = kWmApp + 110;
constexpr unsigned WM_APP_CANCEL_CONFIRMED = kWmApp + 114;
constexpr unsigned WM_APP_RETRY_CONFIRMED = kWmApp + 115;
constexpr unsigned WM_APP_DOWNLOAD_FAILED = kWmApp + 118;
constexpr unsigned WM_APP_INSTALL_FAILED = kWmApp + 119;
constexpr unsigned WM_APP_PROGRESS_TICK = kWmApp + 123;
constexpr unsigned WM_APP_FRAME_READY = kWmApp + 124;
constexpr unsigned WM_APP_OPEN_WELCOME = kWmApp + 125;
constexpr unsigned WM_APP_ACTIVATE_INSTANCE = kWmApp + 255;

}  // namespace orvane
