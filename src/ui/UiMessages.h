// The private window messages of the widget toolkit: what a view posts to its
// own window and what every view answers. All lie above WM_APP (0x8000).
#pragma once

namespace orvane {

// a view, on a button-up over a widget that takes clicks: wParam the
// widget's index, lParam the button-up's point
constexpr unsigned WM_APP_CONTROL_CLICK = 0x8000 + 107;
// the banner animation, when its next frame is due
constexpr unsigned WM_APP_FRAME_READY = 0x8000 + 124;
// a second instance of the program: the view brings its window to the front
constexpr unsigned WM_APP_ACTIVATE_INSTANCE = 0x8000 + 255;

}  // namespace orvane
