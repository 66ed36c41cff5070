#include "app/MainWindow.h"

#include "app/WindowMessages.h"
#include "config/ProductIdentity.h"
#include "platform/Error.h"

namespace orvane {

MainWindow::MainWindow(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &MainWindow::WindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = kMainWindowClass;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  ::RegisterClassExW(&wc);  // already registered is fine
  HWND hwnd = ::CreateWindowExW(0, kMainWindowClass, kProductTitle, WS_POPUP, 0, 0, 0, 0, nullptr,
                                nullptr, instance, this);
  if (!hwnd) throw Error("create window error");
  window_.reset(hwnd);
}

MainWindow::~MainWindow() {
  if (window_) ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
}

void MainWindow::Show() {}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<MainWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
  return self->HandleMessage(hwnd, msg, wParam, lParam);
}

LRESULT MainWindow::HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_APP_ACTIVATE_INSTANCE:
      ++activations_;
      if (::IsWindowVisible(hwnd)) {
        ::ShowWindow(hwnd, SW_RESTORE);
        ::SetForegroundWindow(hwnd);
      }
      return 0;
    case WM_CLOSE:
      ::DestroyWindow(window_.release());
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
  }
  return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace orvane
