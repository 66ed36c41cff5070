// Keeps the Wine desktop in use for a whole test run. Wine closes a desktop
// a moment after its last user ends, and the next test that needs one
// starts the desktop process again, which then holds that test's output
// pipe open and keeps ctest waiting. A message-only window is invisible to
// window searches and broadcasts, so no test sees it.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = ::DefWindowProcW;
  wc.hInstance = instance;
  wc.lpszClassName = L"OrvaneTestDesktopKeeper";
  if (!::RegisterClassW(&wc)) return 1;
  if (!::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance,
                         nullptr)) {
    return 1;
  }
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
    ::DispatchMessageW(&msg);
  return 0;
}
