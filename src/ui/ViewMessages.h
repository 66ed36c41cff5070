// The private window messages of the widget toolkit: what a view posts to
// its window and what it answers itself. All lie above WM_APP (0x8000);
// app/WindowMessages.h lists them with the page flow's messages.
#pragma once

namespace orvane {

constexpr unsigned kWmApp = 0x8000;

// posted by a view when a widget was clicked: wParam the widget's index,
// lParam the point
constexpr unsigned WM_APP_CONTROL_CLICK = kWmApp + 107;
// posted by the banner animation widget when its next frame is ready
constexpr unsigned WM_APP_FRAME_READY = kWmApp + 124;
// sent by a second instance of the installer; a view comes to the front
constexpr unsigned WM_APP_ACTIVATE_INSTANCE = kWmApp + 255;

}  // namespace orvane
