#include "ui/DibSurface.h"

namespace orvane {

DibSurface::DibSurface(HDC reference, int width, int height) : width_(width), height_(height) {
  dc_.reset(::CreateCompatibleDC(reference));
  if (!dc_ || width <= 0 || height <= 0) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // positive: the top row is stored last
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.reset(::CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap_ || !bits) return;
  old_ = ::SelectObject(dc_.get(), bitmap_.get());
  bits_ = bits;
}

DibSurface::~DibSurface() {
  if (old_ && old_ != HGDI_ERROR) ::SelectObject(dc_.get(), old_);
}

uint32_t DibSurface::Pixel(int x, int y) const {
  if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  ::GdiFlush();
  const auto* rows = static_cast<const uint32_t*>(bits_);
  return rows[static_cast<size_t>(height_ - 1 - y) * width_ + x];
}

}  // namespace orvane
