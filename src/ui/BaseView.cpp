#include "ui/BaseView.h"

#include <algorithm>

#include "platform/Handles.h"
#include "ui/DibSurface.h"
#include "ui/GdiScopes.h"
#include "ui/HitTest.h"
#include "ui/ImageResource.h"
#include "ui/ViewMessages.h"

namespace orvane {

int32_t WidgetStateOf(const IBaseResource& widget) {
  const auto* drawn = dynamic_cast<const CImageResource*>(&widget);
  return drawn ? drawn->state() : -1;
}

bool IsEnabledButton(const IBaseResource& widget) {
  return widget.kind() == kKindButton && WidgetStateOf(widget) != kStateDisabled;
}

IBaseResource* IBaseView::WidgetAt(int32_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= widgets_.size()) return nullptr;
  return widgets_[index].get();
}

int32_t IBaseView::HitTest(LPARAM lParam) const {
  int32_t x = 0, y = 0;
  PointFromLParam(static_cast<uint32_t>(lParam), &x, &y);
  return HitTestWidgets(widgets_, x, y);
}

IBaseResource* IBaseView::FindWidget(int32_t id) const {
  for (const auto& w : widgets_) {
    if (w->id() == id) return w.get();
  }
  return nullptr;
}

void IBaseView::DrawWidgets(HDC dc) const {
  for (const auto& w : widgets_)
    w->Draw(dc);
}

void IBaseView::DrawAhead() {
  RECT client{};
  ::GetClientRect(hwnd_, &client);
  WindowDc window(hwnd_);
  ahead_.Start(window.get(), client.right, client.bottom, [this](HDC dc) { DrawWidgets(dc); });
}

LRESULT IBaseView::PaintOpaque(UINT msg, WPARAM wParam, LPARAM lParam) {
  {
    WindowDc window(hwnd_);
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    // the frame drawn ahead, when there is one of this size
    const bool copied = window.get() && ahead_.Take(window.get(), client.right, client.bottom);
    ahead_.Drop();
    MemoryDc memory(copied ? nullptr : ::CreateCompatibleDC(window.get()));
    GdiObject bitmap(copied ? nullptr
                            : ::CreateCompatibleBitmap(window.get(), client.right, client.bottom));
    if (window.get() && memory && bitmap) {
      ScopedSelect select(memory.get(), bitmap.get());
      DrawWidgets(memory.get());
      ::BitBlt(window.get(), 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
    }
  }
  return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
}

LRESULT IBaseView::PaintLayered() {
  // a frame drawn ahead is opaque: finished, and no use here
  ahead_.Drop();
  PaintDc paint(hwnd_);
  const LONG exStyle = ::GetWindowLongW(hwnd_, GWL_EXSTYLE);
  if (!(exStyle & WS_EX_LAYERED)) ::SetWindowLongW(hwnd_, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
  RECT window{};
  ::GetWindowRect(hwnd_, &window);
  SIZE size{window.right - window.left, window.bottom - window.top};

  DibSurface surface(paint.get(), size.cx, size.cy);
  if (!surface.ok()) return 0;
  ScopedBkMode transparent(surface.dc(), TRANSPARENT);
  DrawWidgets(surface.dc());

  WindowDc screen(nullptr);
  POINT destination{window.left, window.top};
  POINT source{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  ::UpdateLayeredWindow(hwnd_, screen.get(), &destination, &size, surface.dc(), &source, 0, &blend,
                        ULW_ALPHA);
  return 0;
}

LRESULT IBaseView::ShowOnTop(HWND hwnd, int topmost) {
  ::ShowWindow(hwnd, SW_SHOWNORMAL);
  ::SetWindowPos(hwnd, (topmost & 0xFF) ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE);
  ::SetForegroundWindow(hwnd);
  ::SetFocus(hwnd);
  return 0;
}

void IBaseView::InvalidateAll() {
  ahead_.Drop();
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

LRESULT IBaseView::OnMouseMove(WPARAM wParam,
                               LPARAM lParam,
                               std::initializer_list<int32_t> passiveKinds,
                               const StateUpdate& update) {
  ::DefWindowProcW(hwnd_, WM_MOUSEMOVE, wParam, lParam);
  const int32_t index = HitTest(lParam);
  IBaseResource* widget = WidgetAt(index);
  if (widget && index != hoverIndex_) {
    bool changed = false;
    const int32_t kind = widget->kind();
    if (kind == kKindButton) {
      changed = update(StateCause::kMouseMove, index);
    } else if (std::find(passiveKinds.begin(), passiveKinds.end(), kind) != passiveKinds.end() &&
               hoverIndex_ != -1) {
      changed = update(StateCause::kMouseMove, 0);
    }
    if (changed) InvalidateAll();
  }
  hoverIndex_ = index;
  return 0;
}

LRESULT IBaseView::OnButtonDown(WPARAM wParam,
                                LPARAM lParam,
                                bool dragWindow,
                                const StateUpdate& update) {
  ::DefWindowProcW(hwnd_, WM_LBUTTONDOWN, wParam, lParam);
  const int32_t index = HitTest(lParam);
  IBaseResource* widget = WidgetAt(index);
  if (widget && IsEnabledButton(*widget)) {
    if (update(StateCause::kButtonDown, index)) InvalidateAll();
    return 0;
  }
  if (widget && (widget->kind() == kKindCheckbox || widget->kind() == kKindEdit)) return 0;
  ::ReleaseCapture();
  if (dragWindow) ::SendMessageW(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
  return 0;
}

LRESULT IBaseView::OnButtonUp(WPARAM wParam,
                              LPARAM lParam,
                              const std::function<bool(const IBaseResource&)>& accepts) {
  ::DefWindowProcW(hwnd_, WM_LBUTTONUP, wParam, lParam);
  const int32_t index = HitTest(lParam);
  IBaseResource* widget = WidgetAt(index);
  if (widget && accepts(*widget)) {
    ::PostMessageW(hwnd_, WM_APP_CONTROL_CLICK, static_cast<WPARAM>(index), lParam);
  }
  return 0;
}

LRESULT IBaseView::OnActivateInstance() {
  ::ShowWindow(hwnd_, SW_SHOWNORMAL);
  ::SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ::SetForegroundWindow(hwnd_);
  ::SetFocus(hwnd_);
  return 0;
}

}  // namespace orvane
