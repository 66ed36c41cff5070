// Every private window message of the installer: the toolkit's, the pages'
// and the main window's own. All lie above WM_APP (0x8000).
#pragma once

#include "pages/PageMessages.h"
#include "ui/UiMessages.h"

namespace orvane {

constexpr unsigned kWmApp = 0x8000;

// the main window to itself, as the last step of showing the finished page
constexpr unsigned WM_APP_OPEN_WELCOME = kWmApp + 125;

}  // namespace orvane
