#include "support/InstallerWindows.h"

#include "app/ProductIdentity.h"
#include "support/WineTestSupport.h"

namespace orvane::test {

namespace {

struct Search {
  const wchar_t* className;
  DWORD processId;
  HWND found;
};

BOOL CALLBACK Match(HWND hwnd, LPARAM lParam) {
  auto* s = reinterpret_cast<Search*>(lParam);
  wchar_t name[260] = {};
  ::GetClassNameW(hwnd, name, 259);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(hwnd, &owner);
  if (wcscmp(name, s->className) != 0 || (s->processId && owner != s->processId)) return TRUE;
  s->found = hwnd;
  return FALSE;
}

}  // namespace

HWND WaitForWindowOf(const wchar_t* className, DWORD processId, DWORD timeoutMs) {
  for (DWORD waited = 0;; waited += 50) {
    Search s{className, processId, nullptr};
    ::EnumWindows(&Match, reinterpret_cast<LPARAM>(&s));
    if (s.found) return s.found;
    if (waited >= timeoutMs) return nullptr;
    ::Sleep(50);
  }
}

void ClickLogical(HWND window, unsigned baseWidth, int x, int y) {
  RECT client{};
  ::GetClientRect(window, &client);
  const double scale = static_cast<double>(client.right) / baseWidth;
  const LPARAM at = MAKELPARAM(static_cast<int>(x * scale), static_cast<int>(y * scale));
  ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageW(window, WM_LBUTTONUP, 0, at);
}

int CancelInstaller(HANDLE process, DWORD processId, DWORD timeoutMs) {
  HWND main = WaitForWindowOf(kMainWindowClass, processId, timeoutMs);
  if (!main) return -2;
  ::PostMessageW(main, WM_CLOSE, 0, 0);
  HWND dialog = nullptr;
  for (DWORD waited = 0; !dialog && waited < timeoutMs; waited += 100) {
    dialog = WaitForWindowOf(L"BeginChildCloseWnd", processId, 0);
    if (!dialog) dialog = WaitForWindowOf(L"CustomeChildCloseWnd", processId, 100);
  }
  if (!dialog) return -2;
  // "确认", the first of the dialog's two buttons
  ClickLogical(dialog, 400, 250, 164);
  return WaitExitCode(process, timeoutMs);
}

}  // namespace orvane::test
