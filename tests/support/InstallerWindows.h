// The installer's windows, seen from a test that started it: find them by
// class and process, click a dialog's button by its logical position, and
// end the installer as a user does (close, then "确认" in the cancel
// confirmation).
#pragma once

#include <windows.h>

namespace orvane::test {

// the first top-level window of the class that belongs to the process
// (any process for 0); null after the time-out
HWND WaitForWindowOf(const wchar_t* className, DWORD processId, DWORD timeoutMs);

// a press and a release at a point of the window's base size (the design's
// logical pixels), scaled as the window was; posted, so the window's own
// thread handles them
void ClickLogical(HWND window, unsigned baseWidth, int x, int y);

// WM_CLOSE to the installer's main window, then "确认" in the cancel
// confirmation of the begin or custom page; the exit code, -1 when the
// process did not end in time, -2 when a window did not show up
int CancelInstaller(HANDLE process, DWORD processId, DWORD timeoutMs);

}  // namespace orvane::test
