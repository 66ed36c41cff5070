#include "ui/WidgetPainter.h"

#include <vector>

#include "ui/DisplayScale.h"
#include "ui/PixelResample.h"

namespace orvane {

using namespace Gdiplus;

namespace {

GdipPath RoundedPath(float diameter, const FloatRect& r) {
  GdipPath path;
  if (gp::GdipCreatePath(FillModeAlternate, path.receive()) != Ok) return path;
  for (const Arc& a : RoundedOutline(diameter, r.x, r.y, r.width, r.height)) {
    gp::GdipAddPathArc(path.get(), a.x, a.y, a.width, a.height, a.startAngle, a.sweepAngle);
  }
  gp::GdipClosePathFigure(path.get());
  return path;
}

GdipBrush SolidBrush(uint32_t color) {
  GpSolidFill* fill = nullptr;
  gp::GdipCreateSolidFill(color, &fill);
  return GdipBrush(fill);
}

GdipPen SolidPen(uint32_t color, float width) {
  GdipPen pen;
  gp::GdipCreatePen1(color, width, UnitPixel, pen.receive());
  return pen;
}

GdipFontFamily FamilyNamed(const std::wstring& name) {
  GdipFontFamily family;
  if (gp::GdipCreateFontFamilyFromName(name.c_str(), nullptr, family.receive()) != Ok) {
    family.reset();
  }
  return family;
}

// the generic sans-serif family; on a system without it (a bare Wine
// prefix) the default face, so that captions still show
GdipFontFamily SansSerif() {
  GdipFontFamily family;
  if (gp::GdipGetGenericFontFamilySansSerif(family.receive()) != Ok) {
    family.reset();
    family = FamilyNamed(DefaultFontFamily());
  }
  return family;
}

}  // namespace

double UiScale() {
  const DisplayScale* scale = CurrentDisplayScale();
  return scale ? scale->uiScale : 1.0;
}

GdipGraphics CreateWidgetGraphics(HDC dc) {
  GdipGraphics g;
  if (gp::GdipCreateFromHDC(dc, g.receive()) != Ok) {
    g.reset();
    return g;
  }
  gp::GdipSetSmoothingMode(g.get(), SmoothingModeAntiAlias);
  return g;
}

void FillShape(GpGraphics* g, uint32_t color, int32_t radius, const FloatRect& r) {
  GdipBrush brush = SolidBrush(color);
  GdipPen pen = SolidPen(color, 1);
  if (radius < 1) {
    gp::GdipFillRectangle(g, brush.get(), r.x, r.y, r.width - 1, r.height - 1);
    gp::GdipDrawRectangle(g, pen.get(), r.x, r.y, r.width - 1, r.height - 1);
    return;
  }
  ScopedPageUnit pixels(g, UnitPixel);
  GdipPath path = RoundedPath(2.0f * radius, r);
  gp::GdipFillPath(g, brush.get(), path.get());
  gp::GdipDrawPath(g, pen.get(), path.get());
}

void DrawBorderShape(GpGraphics* g,
                     uint32_t color,
                     int32_t radius,
                     int32_t width,
                     const FloatRect& r) {
  if (width <= 0) return;
  if (radius <= 0) {
    GdipPen pen = SolidPen(color, static_cast<float>(width));
    gp::GdipDrawRectangle(g, pen.get(), r.x, r.y, r.width - 1, r.height - 1);
    return;
  }
  ScopedPageUnit pixels(g, UnitPixel);
  GdipPen pen = SolidPen(color, 1);
  FloatRect ring = r;
  const float diameter = 2.0f * radius;
  gp::GdipDrawPath(g, pen.get(), RoundedPath(diameter, ring).get());
  for (int32_t i = 1; i < width; ++i) {
    ring.x += 1;
    ring.width -= 2;
    gp::GdipDrawPath(g, pen.get(), RoundedPath(diameter, ring).get());
    ring.y += 1;
    ring.height -= 2;
    gp::GdipDrawPath(g, pen.get(), RoundedPath(diameter, ring).get());
  }
}

StyleFont CreateStyleFont(const WidgetStyle& style, double scale) {
  StyleFont f;
  f.style = style.bold ? FontStyleBold : style.underline ? FontStyleUnderline : FontStyleRegular;
  f.emSize = static_cast<float>(style.fontSize * scale);
  f.family = FamilyNamed(style.fontFamily);
  if (!f.family) f.family = SansSerif();
  if (gp::GdipCreateFont(f.family.get(), f.emSize, f.style, UnitPixel, f.font.receive()) != Ok) {
    f.font.reset();
    f.family = SansSerif();
    if (gp::GdipCreateFont(f.family.get(), f.emSize, f.style, UnitPixel, f.font.receive()) != Ok)
      f.font.reset();
  }
  return f;
}

GdipStringFormat CreateStyleFormat(const WidgetStyle& style, INT flags) {
  GdipStringFormat format;
  if (gp::GdipCreateStringFormat(flags, LANG_NEUTRAL, format.receive()) != Ok) {
    format.reset();
    return format;
  }
  if (style.horizontalAlignment >= 0 && style.horizontalAlignment <= 2) {
    gp::GdipSetStringFormatAlign(format.get(),
                                 static_cast<StringAlignment>(style.horizontalAlignment));
  }
  if (style.verticalAlignment >= 0 && style.verticalAlignment <= 2) {
    gp::GdipSetStringFormatLineAlign(format.get(),
                                     static_cast<StringAlignment>(style.verticalAlignment));
  }
  gp::GdipSetStringFormatTrimming(format.get(), StringTrimmingEllipsisCharacter);
  return format;
}

void DrawStyledText(GpGraphics* g,
                    const std::wstring& text,
                    const StyleFont& font,
                    GpStringFormat* format,
                    const FloatRect& layout,
                    uint32_t color) {
  if (text.empty() || !font.font) return;
  gp::GdipSetSmoothingMode(g, SmoothingModeAntiAlias);
  GdipBrush brush = SolidBrush(color);
  const RectF box(layout.x, layout.y, layout.width, layout.height);
  const INT length = static_cast<INT>(text.size());
  if (font.style == FontStyleUnderline) {
    gp::GdipSetTextRenderingHint(g, TextRenderingHintAntiAlias);
    gp::GdipDrawString(g, text.c_str(), length, font.font.get(), &box, format, brush.get());
    return;
  }
  // The block of lines is placed vertically here, not by GDI+: Wine lines
  // path text up only for layout boxes near the origin and never for text
  // taller than its box. So the outline is laid out at the origin, aligned
  // near, and moved to where GDI+ itself would centre it.
  StringAlignment line = StringAlignmentNear;
  GdipStringFormat nearFormat;
  if (format) {
    gp::GdipGetStringFormatLineAlign(format, &line);
    if (gp::GdipCloneStringFormat(format, nearFormat.receive()) != Ok) nearFormat.reset();
    if (nearFormat) gp::GdipSetStringFormatLineAlign(nearFormat.get(), StringAlignmentNear);
  }
  const RectF unbounded(0, 0, layout.width, 1e6f);
  RectF block(0, 0, 0, 0);
  INT lines = 0;
  if (gp::GdipMeasureString(g, text.c_str(), length, font.font.get(), &unbounded, nearFormat.get(),
                            &block, nullptr, &lines) != Ok) {
    block.Height = layout.height;
    lines = 1;
  }
  float top = layout.y;
  if (line == StringAlignmentCenter) top += (layout.height - block.Height) / 2;
  if (line == StringAlignmentFar) top += layout.height - block.Height;

  // Wine's path text keeps only the first line of a text that wraps, so the
  // lines go in one at a time: each takes what GDI+ measures to fit on one
  // unwrapped line, cut back to a space when a word would be split
  GdipStringFormat oneLine;
  if (lines > 1 && nearFormat &&
      gp::GdipCloneStringFormat(nearFormat.get(), oneLine.receive()) == Ok) {
    INT flags = 0;
    gp::GdipGetStringFormatFlags(oneLine.get(), &flags);
    gp::GdipSetStringFormatFlags(oneLine.get(), flags | StringFormatFlagsNoWrap);
  } else {
    lines = 1;
  }
  const float lineHeight = lines > 1 ? block.Height / lines : block.Height;
  size_t at = 0;
  for (INT i = 0; i < lines && at < text.size(); ++i) {
    INT count = static_cast<INT>(text.size() - at);
    if (lines > 1 && i + 1 < lines) {
      RectF used(0, 0, 0, 0);
      INT fitted = 0, filled = 0;
      if (gp::GdipMeasureString(g, text.c_str() + at, count, font.font.get(), &unbounded,
                                oneLine.get(), &used, &fitted, &filled) != Ok ||
          fitted <= 0) {
        break;
      }
      if (fitted < count) {
        const size_t space = text.rfind(L' ', at + fitted - 1);
        if (space != std::wstring::npos && space >= at && text[at + fitted] != L' ')
          fitted = static_cast<INT>(space - at + 1);
      }
      count = fitted;
    }
    GdipPath path;
    if (gp::GdipCreatePath(FillModeAlternate, path.receive()) != Ok) return;
    const RectF atOrigin(0, 0, layout.width, lineHeight);
    gp::GdipAddPathString(path.get(), text.c_str() + at, count, font.family.get(), font.style,
                          font.emSize, &atOrigin, nearFormat.get());
    GdipMatrix move;
    if (gp::GdipCreateMatrix2(1, 0, 0, 1, layout.x, top + i * lineHeight, move.receive()) != Ok)
      return;
    gp::GdipTransformPath(path.get(), move.get());
    gp::GdipFillPath(g, brush.get(), path.get());
    at += static_cast<size_t>(count);
  }
}

void ImageSize(GpImage* image, double* width, double* height) {
  UINT w = 0, h = 0;
  if (image) {
    if (gp::GdipGetImageWidth(image, &w) != Ok) w = 0;
    if (gp::GdipGetImageHeight(image, &h) != Ok) h = 0;
  }
  *width = w;
  *height = h;
}

FittedPicture::FittedPicture(GpImage* image, int32_t width, int32_t height, uint32_t backdrop)
    : image_(image) {
  if (!image || width <= 0 || height <= 0) return;
  ImageType type = ImageTypeUnknown;
  if (gp::GdipGetImageType(image, &type) != Ok || type != ImageTypeBitmap) return;
  UINT w = 0, h = 0;
  if (gp::GdipGetImageWidth(image, &w) != Ok || gp::GdipGetImageHeight(image, &h) != Ok) return;
  const bool flatten = (backdrop >> 24) == 0xFF;
  const bool sameSize = static_cast<int32_t>(w) == width && static_cast<int32_t>(h) == height;
  if (sameSize && !flatten) return;  // drawn as it is

  // straight alpha to lay on the backdrop (as GDI+ decodes a PNG, so no
  // conversion), premultiplied to resample on its own
  auto* bitmap = static_cast<GpBitmap*>(image);
  const GpRect all(0, 0, static_cast<INT>(w), static_cast<INT>(h));
  BitmapData source{};
  if (gp::GdipBitmapLockBits(bitmap, &all, ImageLockModeRead,
                             flatten ? PixelFormat32bppARGB : PixelFormat32bppPARGB,
                             &source) != Ok) {
    return;
  }
  bool ok = source.Stride > 0 && source.Stride % 4 == 0;
  const auto* pixels = static_cast<const uint32_t*>(source.Scan0);
  int32_t stride = ok ? source.Stride / 4 : 0;
  std::vector<uint32_t> flat;
  if (ok && flatten) {
    flat.resize(static_cast<size_t>(w) * h);
    ok = FlattenOnto(pixels, static_cast<int32_t>(w), static_cast<int32_t>(h), stride, backdrop,
                     flat.data());
    pixels = flat.data();
    stride = static_cast<int32_t>(w);
  }
  if (ok && sameSize) {
    pixels_ = std::move(flat);
  } else if (ok) {
    pixels_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    ok = ResamplePixels(pixels, static_cast<int32_t>(w), static_cast<int32_t>(h), stride,
                        pixels_.data(), width, height);
  }
  gp::GdipBitmapUnlockBits(bitmap, &source);
  GpBitmap* ready = nullptr;
  if (!ok || gp::GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppPARGB,
                                           reinterpret_cast<BYTE*>(pixels_.data()), &ready) != Ok) {
    pixels_.clear();
    return;
  }
  ready_.reset(ready);
  opaque_ = flatten;
}

void FittedPicture::Draw(GpGraphics* g, const IntRect& r) const {
  GpImage* what = ready_ ? ready_.get() : image_;
  if (!g || !what || r.width() <= 0 || r.height() <= 0) return;
  // drawn at its own size: an opaque copy replaces exactly the pixels of r
  CompositingMode mode = CompositingModeSourceOver;
  const bool copy = opaque_ && gp::GdipGetCompositingMode(g, &mode) == Ok &&
                    gp::GdipSetCompositingMode(g, CompositingModeSourceCopy) == Ok;
  gp::GdipDrawImageRectI(g, what, r.left, r.top, r.width(), r.height());
  if (copy) gp::GdipSetCompositingMode(g, mode);
}

void DrawPicture(GpGraphics* g, GpImage* image, const IntRect& r) {
  if (!image || r.width() <= 0 || r.height() <= 0) return;
  FittedPicture(image, r.width(), r.height()).Draw(g, r);
}

}  // namespace orvane
