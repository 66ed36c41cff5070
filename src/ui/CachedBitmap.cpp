#include "ui/CachedBitmap.h"

#include "ui/WidgetPainter.h"

namespace orvane {

using namespace Gdiplus;

CachedBitmap::~CachedBitmap() {
  Reset();
}

void CachedBitmap::Reset() {
  if (old_ && old_ != HGDI_ERROR) ::SelectObject(dc_.get(), old_);
  old_ = nullptr;
  bitmap_.reset();
  dc_.reset();
  bits_ = nullptr;
  width_ = height_ = 0;
  key_ = CacheKey();
}

bool CachedBitmap::Ensure(int width, int height, const CacheKey& key, const Render& render) {
  if (width <= 0 || height <= 0) return false;
  if (Matches(width, height, key)) return true;
  if (!bits_ || width != width_ || height != height_) {
    Reset();
    dc_.reset(::CreateCompatibleDC(nullptr));
    if (!dc_) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first, as GDI+ writes it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.reset(::CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap_ || !bits) {
      Reset();
      return false;
    }
    old_ = ::SelectObject(dc_.get(), bitmap_.get());
    bits_ = bits;
    width_ = width;
    height_ = height;
  }
  ::GdiFlush();
  auto* pixels = static_cast<uint32_t*>(bits_);
  const size_t count = static_cast<size_t>(width) * height;
  for (size_t i = 0; i < count; ++i)
    pixels[i] = 0;

  // GDI+ draws into the DIB's own memory, premultiplied as AlphaBlend wants
  GpBitmap* target = nullptr;
  if (gp::GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppPARGB,
                                    static_cast<BYTE*>(bits_), &target) != Ok) {
    Reset();
    return false;
  }
  GdipImage targetOwner(target);
  GdipGraphics g;
  if (gp::GdipGetImageGraphicsContext(target, g.receive()) != Ok) {
    Reset();
    return false;
  }
  gp::GdipSetSmoothingMode(g.get(), SmoothingModeAntiAlias);
  render(g.get());
  g.reset();
  targetOwner.reset();

  opaque_ = true;
  for (size_t i = 0; i < count && opaque_; ++i)
    opaque_ = (pixels[i] >> 24) == 0xFF;
  key_ = key;
  return true;
}

bool CachedBitmap::Blit(HDC dc, int x, int y) const {
  if (!bits_) return false;
  if (opaque_) return ::BitBlt(dc, x, y, width_, height_, dc_.get(), 0, 0, SRCCOPY) != FALSE;
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  return ::AlphaBlend(dc, x, y, width_, height_, dc_.get(), 0, 0, width_, height_, blend) != FALSE;
}

CacheKey PictureKey(GpImage* image, uint32_t frameKey) {
  CacheKey key;
  key.parts[0] = reinterpret_cast<uintptr_t>(image);
  key.parts[1] = frameKey;
  return key;
}

void DrawCachedPicture(CachedBitmap& cache,
                       HDC dc,
                       GpGraphics* g,
                       GpImage* image,
                       const IntRect& r,
                       uint32_t frameKey) {
  if (!image || r.width() <= 0 || r.height() <= 0) return;
  if (g) gp::GdipFlush(g, FlushIntentionSync);
  const int w = r.width(), h = r.height();
  const bool ready = cache.Ensure(
      w, h, PictureKey(image, frameKey),
      [image, w, h](GpGraphics* target) { gp::GdipDrawImageRectI(target, image, 0, 0, w, h); });
  if (ready && cache.Blit(dc, r.left, r.top)) return;
  if (g) DrawPicture(g, image, r);
}

}  // namespace orvane
