// Helpers for the widget tests under Wine: GDI+ running, a 32-bit surface
// to draw on, pictures of one colour, and colour comparisons.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "ui/DibSurface.h"
#include "ui/GdiplusHandles.h"
#include "ui/Geometry.h"

namespace orvane::test {

// a picture of one colour, as GDI+ decodes a skin file
inline GdipImage SolidImage(int width, int height, uint32_t argb) {
  Gdiplus::GpBitmap* bitmap = nullptr;
  gp::GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &bitmap);
  for (int y = 0; bitmap && y < height; ++y) {
    for (int x = 0; x < width; ++x)
      gp::GdipBitmapSetPixel(bitmap, x, y, argb);
  }
  return GdipImage(bitmap);
}

// each of red, green and blue within `tolerance`; alpha is not compared
inline bool Near(uint32_t pixel, uint32_t argb, int tolerance = 6) {
  for (int shift = 0; shift <= 16; shift += 8) {
    const int a = (pixel >> shift) & 0xFF;
    const int b = (argb >> shift) & 0xFF;
    if (std::abs(a - b) > tolerance) return false;
  }
  return true;
}

// pixels of the colour inside the rectangle
inline int CountNear(const DibSurface& s, const IntRect& r, uint32_t argb, int tolerance = 6) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x)
      n += Near(s.Pixel(x, y), argb, tolerance) ? 1 : 0;
  }
  return n;
}

// the smallest rectangle that holds every pixel of the colour; empty if none
inline IntRect BoundsOf(const DibSurface& s, uint32_t argb, int tolerance = 40) {
  IntRect b{s.width(), s.height(), 0, 0};
  for (int y = 0; y < s.height(); ++y) {
    for (int x = 0; x < s.width(); ++x) {
      if (!Near(s.Pixel(x, y), argb, tolerance)) continue;
      if (x < b.left) b.left = x;
      if (y < b.top) b.top = y;
      if (x + 1 > b.right) b.right = x + 1;
      if (y + 1 > b.bottom) b.bottom = y + 1;
    }
  }
  return b.right > b.left ? b : IntRect{};
}

}  // namespace orvane::test

#include <cstdio>
#include <string>

namespace orvane::test {

// writes the surface as a 32-bit BMP, to look at when a test fails
inline void SaveBmp(const DibSurface& s, const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  const uint32_t pixels = static_cast<uint32_t>(s.width() * s.height() * 4);
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + pixels;
  info.biSize = sizeof(info);
  info.biWidth = s.width();
  info.biHeight = -s.height();
  info.biPlanes = 1;
  info.biBitCount = 32;
  std::fwrite(&file, sizeof(file), 1, f);
  std::fwrite(&info, sizeof(info), 1, f);
  for (int y = 0; y < s.height(); ++y) {
    for (int x = 0; x < s.width(); ++x) {
      const uint32_t p = s.Pixel(x, y) | 0xFF000000u;
      std::fwrite(&p, 4, 1, f);
    }
  }
  std::fclose(f);
}

}  // namespace orvane::test
