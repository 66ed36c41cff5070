// Scoped owners of GDI painting state that platform/Handles.h does not
// cover: a BeginPaint/EndPaint pair and a DC's background mode.
#pragma once

#include <windows.h>

namespace orvane {

class PaintDc {
 public:
  explicit PaintDc(HWND hwnd) : hwnd_(hwnd), dc_(::BeginPaint(hwnd, &ps_)) {}
  ~PaintDc() { ::EndPaint(hwnd_, &ps_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

class ScopedBkMode {
 public:
  ScopedBkMode(HDC dc, int mode) : dc_(dc), old_(::SetBkMode(dc, mode)) {}
  ~ScopedBkMode() {
    if (old_) ::SetBkMode(dc_, old_);
  }
  ScopedBkMode(const ScopedBkMode&) = delete;
  ScopedBkMode& operator=(const ScopedBkMode&) = delete;

 private:
  HDC dc_;
  int old_;
};

}  // namespace orvane
