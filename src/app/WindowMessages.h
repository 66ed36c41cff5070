// The private window messages between pages, dialogs, workers and a second
// instance of the installer, all above WM_APP (0x8000): the widget toolkit's
// (ui/ViewMessages.h) and the page flow's (pages/PageMessages.h).
#pragma once

#include "pages/PageMessages.h"
#include "ui/ViewMessages.h"
