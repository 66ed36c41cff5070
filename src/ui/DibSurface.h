// A 32-bit bottom-up DIB section selected into its own memory DC: the
// surface that layered windows are painted on, and that tests read pixels
// from.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/Handles.h"

namespace orvane {

class DibSurface {
 public:
  // reference may be null (the screen); all pixels start as 0 (transparent black)
  DibSurface(HDC reference, int width, int height);
  ~DibSurface();
  DibSurface(const DibSurface&) = delete;
  DibSurface& operator=(const DibSurface&) = delete;

  bool ok() const { return bits_ != nullptr; }
  HDC dc() const { return dc_.get(); }
  int width() const { return width_; }
  int height() const { return height_; }
  // 0xAARRGGBB of the pixel at (x, y), y counted from the top; 0 outside
  uint32_t Pixel(int x, int y) const;

 private:
  MemoryDc dc_;
  GdiObject bitmap_;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
  int width_;
  int height_;
};

}  // namespace orvane
