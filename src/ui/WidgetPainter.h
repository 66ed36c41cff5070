// The drawing steps that the widgets share: fills and borders with rounded
// corners, fonts with their fallback, and text. Each call creates and
// deletes its own GDI+ objects; nothing is cached between paints. GDI+
// errors are left in the objects and drawing goes on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/GdiplusHandles.h"
#include "ui/Geometry.h"
#include "ui/WidgetStyle.h"

namespace orvane {

// the process-wide UI scale factor; 1.0 without an install session
double UiScale();

// a graphics over the DC with anti-aliased smoothing; empty on failure
GdipGraphics CreateWidgetGraphics(HDC dc);

inline FloatRect ToFloatRect(const IntRect& r) {
  return {static_cast<float>(r.left), static_cast<float>(r.top), static_cast<float>(r.width()),
          static_cast<float>(r.height())};
}

// fills the rectangle, with rounded corners of the radius (pixels) when it
// is 1 or more, and outlines it with a one-pixel pen of the same colour
void FillShape(Gdiplus::GpGraphics* g, uint32_t color, int32_t radius, const FloatRect& r);

// a border `width` pixels wide; nothing when width is 0 or less
void DrawBorderShape(Gdiplus::GpGraphics* g,
                     uint32_t color,
                     int32_t radius,
                     int32_t width,
                     const FloatRect& r);

// the style's font at the scale in pixel units, bold or underlined as the
// style says (bold wins); falls back to the generic sans-serif family
struct StyleFont {
  GdipFontFamily family;
  GdipFont font;
  INT style = Gdiplus::FontStyleRegular;
  float emSize = 0;
};
StyleFont CreateStyleFont(const WidgetStyle& style, double scale);

// a string format with the style's alignments (values outside 0..2 keep
// GDI+'s default), the given flags and ellipsis-character trimming
GdipStringFormat CreateStyleFormat(const WidgetStyle& style, INT flags);

// fills the text's outline (a path) in the colour, or, for a font that is
// exactly underlined, draws it with GdipDrawString and anti-aliasing
void DrawStyledText(Gdiplus::GpGraphics* g,
                    const std::wstring& text,
                    const StyleFont& font,
                    Gdiplus::GpStringFormat* format,
                    const FloatRect& layout,
                    uint32_t color);

// the picture's size, 0 x 0 without one
void ImageSize(Gdiplus::GpImage* image, double* width, double* height);

// A picture made ready to be drawn at one size: the image itself when it
// has that size, else a bitmap resampled here (PixelResample.h; GDI+ on
// Wine resamples pixel by pixel through a generic path). Given an opaque
// backdrop colour, the picture is laid on it here and comes out opaque:
// GDI+ then copies it instead of blending it, and nothing need be filled
// below it (a page background in GDI+: fill 4 ms, blend 3 ms under Wine).
// a FittedPicture's arguments: a picture at a size, on a backdrop
struct PictureFit {
  Gdiplus::GpImage* image = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  uint32_t backdrop = 0;
};

class FittedPicture {
 public:
  // backdrop: 0xFFrrggbb, or 0 for none
  FittedPicture(Gdiplus::GpImage* image, int32_t width, int32_t height, uint32_t backdrop = 0);
  FittedPicture(const FittedPicture&) = delete;
  FittedPicture& operator=(const FittedPicture&) = delete;

  // laid on the backdrop: it covers whatever is below it
  bool opaque() const { return opaque_; }
  // into r, whose size is the one given above
  void Draw(Gdiplus::GpGraphics* g, const IntRect& r) const;

 private:
  Gdiplus::GpImage* image_;
  GdipImage ready_;
  std::vector<uint32_t> pixels_;  // ready_'s
  bool opaque_ = false;
};

// the picture stretched to the rectangle (a FittedPicture without backdrop)
void DrawPicture(Gdiplus::GpGraphics* g, Gdiplus::GpImage* image, const IntRect& r);

}  // namespace orvane
