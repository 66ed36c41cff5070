// CachedBitmap: what a widget draws with GDI+, rendered once into a
// premultiplied 32-bit DIB and copied to the DC with one GDI blit on every
// later paint, until its key or size changes. Under Wine, GDI+ resamples a
// scaled picture pixel by pixel and fills large shapes in software: a
// scaled draw of the 900 x 600 page background alone cost a few hundred
// milliseconds, and the pages repaint 20 times a second.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/Handles.h"
#include "ui/GdiplusHandles.h"
#include "ui/Geometry.h"

namespace orvane {

// what a rendering depends on besides its size; equal keys, equal pixels
struct CacheKey {
  uint64_t parts[6] = {};
  bool operator==(const CacheKey& o) const {
    for (int i = 0; i < 6; ++i) {
      if (parts[i] != o.parts[i]) return false;
    }
    return true;
  }
};

class CachedBitmap {
 public:
  // draws onto a graphics whose origin is the bitmap's top-left corner
  using Render = std::function<void(Gdiplus::GpGraphics* g)>;

  CachedBitmap() = default;
  ~CachedBitmap();
  CachedBitmap(const CachedBitmap&) = delete;
  CachedBitmap& operator=(const CachedBitmap&) = delete;

  // renders again unless the key and the size match the copy; false when
  // the size is empty or there is no memory for the copy
  bool Ensure(int width, int height, const CacheKey& key, const Render& render);
  // copies the rendering to (x, y) of the DC: BitBlt when every pixel is
  // opaque, else AlphaBlend; false when nothing is rendered
  bool Blit(HDC dc, int x, int y) const;
  void Reset();

  bool ready() const { return bits_ != nullptr; }
  // whether Ensure with these would render nothing new
  bool Matches(int width, int height, const CacheKey& key) const {
    return bits_ && width == width_ && height == height_ && key == key_;
  }
  int width() const { return width_; }
  int height() const { return height_; }
  size_t bytes() const { return static_cast<size_t>(width_) * height_ * 4; }

 private:
  CacheKey key_;
  int width_ = 0;
  int height_ = 0;
  bool opaque_ = false;
  MemoryDc dc_;
  GdiObject bitmap_;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
};

// the key of a picture's frame in DrawCachedPicture
CacheKey PictureKey(Gdiplus::GpImage* image, uint32_t frameKey);

// a picture (its active frame) scaled into r through the cache; frameKey
// tells the frames of one animated picture apart. Without memory for the
// copy the picture is drawn with g directly. g's drawing is flushed first,
// so that GDI paints over it in order.
void DrawCachedPicture(CachedBitmap& cache,
                       HDC dc,
                       Gdiplus::GpGraphics* g,
                       Gdiplus::GpImage* image,
                       const IntRect& r,
                       uint32_t frameKey = 0);

}  // namespace orvane
