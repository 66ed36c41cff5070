#include "ui/BaseWindow.h"

#include "config/ProductIdentity.h"
#include "ui/DisplayScale.h"

namespace orvane {

namespace {

constexpr wchar_t kWindowProp[] = L"WndClassPtr";
constexpr int kIconResourceId = 102;

// computed once per install session and kept in its DisplayScale; without
// a session it is asked every time
double DisplayRatio(IDisplayFacts& display) {
  DisplayScale* scale = CurrentDisplayScale();
  if (scale && scale->displayRatioKnown) return scale->displayRatio;
  const double ratio =
      DisplayRatioFrom(display.DesktopHorzRes(), display.HorzRes(), display.LogPixelsX());
  if (scale) {
    scale->displayRatio = ratio;
    scale->displayRatioKnown = true;
  }
  return ratio;
}

int ScreenCaps(int index) {
  HDC screen = ::GetDC(nullptr);
  if (!screen) return 0;
  const int value = ::GetDeviceCaps(screen, index);
  ::ReleaseDC(nullptr, screen);
  return value;
}

}  // namespace

bool SystemDisplayFacts::GetWorkArea(IntRect* area) {
  RECT r{};
  if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) return false;
  *area = {r.left, r.top, r.right, r.bottom};
  return true;
}

int SystemDisplayFacts::DesktopHorzRes() {
  return ScreenCaps(DESKTOPHORZRES);
}
int SystemDisplayFacts::HorzRes() {
  return ScreenCaps(HORZRES);
}
int SystemDisplayFacts::LogPixelsX() {
  return ScreenCaps(LOGPIXELSX);
}

IBaseWindow::IBaseWindow(unsigned baseWidth, unsigned baseHeight, IDisplayFacts* display)
    : baseWidth_(baseWidth),
      baseHeight_(baseHeight),
      display_(display ? display : &systemDisplay_) {}

IBaseWindow::~IBaseWindow() {
  if (hwnd_ && ::GetPropW(hwnd_, kWindowProp) == this) ::RemovePropW(hwnd_, kWindowProp);
}

WindowSize IBaseWindow::ComputeSize() {
  WindowSize size{static_cast<double>(baseWidth_), static_cast<double>(baseHeight_), 1.0};
  if (display_->GetWorkArea(&workArea_)) {
    size = ScaleForDisplay(workArea_, baseWidth_, baseHeight_, DisplayRatio(*display_));
  }
  if (DisplayScale* scale = CurrentDisplayScale()) scale->uiScale = size.scale;
  return size;
}

SIZE IBaseWindow::PlannedClientSize() {
  const WindowSize size = ComputeSize();
  return {PixelExtent(size.width), PixelExtent(size.height)};
}

void IBaseWindow::ShowAndPaint() {
  ::ShowWindow(hwnd_, SW_SHOW);
  ::UpdateWindow(hwnd_);
}

bool IBaseWindow::Create(const wchar_t* className, HWND parent) {
  const DWORD exStyle = parent ? WS_EX_TOOLWINDOW : WS_EX_APPWINDOW;
  HINSTANCE instance =
      parent ? reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE))
             : ::GetModuleHandleW(nullptr);
  const WindowSize size = ComputeSize();
  int x = 0, y = 0;
  CentredOrigin(workArea_, size, &x, &y);

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = &IBaseWindow::SharedWindowProc;
  wc.hInstance = instance;
  wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(kIconResourceId));
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  wc.lpszClassName = className;
  if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

  HWND hwnd =
      ::CreateWindowExW(exStyle, className, kProductTitle, WS_POPUP, x, y, PixelExtent(size.width),
                        PixelExtent(size.height), parent, nullptr, instance, nullptr);
  if (!hwnd) return false;
  hwnd_ = hwnd;
  ::SetPropW(hwnd_, kWindowProp, this);
  return true;
}

bool IBaseWindow::Resize(unsigned baseWidth, unsigned baseHeight) {
  baseWidth_ = baseWidth;
  baseHeight_ = baseHeight;
  if (!hwnd_ || !::IsWindow(hwnd_)) return false;
  const WindowSize size = ComputeSize();
  int x = 0, y = 0;
  CentredOrigin(workArea_, size, &x, &y);
  const bool sized = ::SetWindowPos(hwnd_, nullptr, 0, 0, PixelExtent(size.width),
                                    PixelExtent(size.height), SWP_NOZORDER | SWP_NOMOVE);
  const bool moved = ::SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
  return sized && moved;
}

LRESULT CALLBACK IBaseWindow::SharedWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = static_cast<IBaseWindow*>(::GetPropW(hwnd, kWindowProp));
  if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
  const LRESULT result = self->HandleMessage(msg, wParam, lParam);
  if (msg == WM_NCDESTROY) ::RemovePropW(hwnd, kWindowProp);
  return result;
}

}  // namespace orvane
