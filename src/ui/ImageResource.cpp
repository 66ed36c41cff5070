#include "ui/ImageResource.h"

#include "ui/WidgetPainter.h"

namespace orvane {

CImageResource::CImageResource(int32_t id, int32_t kind, const WidgetStyles* styles)
    : IBaseResource(kind, id) {
  rect_ = {0, 0, 50, 20};
  if (styles) styles_ = *styles;
}

const WidgetStyle& CImageResource::CurrentStyle() const {
  static const WidgetStyle fallback;
  if (state_ < kStateNormal || state_ > kStateDisabled) return fallback;
  return styles_[state_];
}

GdipGraphics CImageResource::DrawBase(HDC dc) {
  GdipGraphics g = CreateWidgetGraphics(dc);
  if (!g) return g;
  const WidgetStyle& s = CurrentStyle();
  const double scale = UiScale();
  const FloatRect box = ToFloatRect(rect_);
  const int32_t radius = ScaledSize(s.cornerRadius, scale);
  FillShape(g.get(), s.backgroundColor, radius, box);
  DrawPicture(g.get(), image_, imageRect_);
  DrawBorderShape(g.get(), s.borderColor, radius, ScaledSize(s.borderWidth, scale), box);
  return g;
}

bool CImageResource::Draw(HDC dc) {
  if (!visible()) return true;
  DrawBase(dc);
  return true;
}

bool CImageResource::SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  rect_ = ApplyOutsetsAndAspect({left, top, right, bottom}, outsetX_, outsetY_, aspect_, UiScale());
  FitImage();
  return true;
}

void CImageResource::SetImage(Gdiplus::GpImage* image) {
  if (image == image_) return;
  image_ = image;
  FitImage();
}

void CImageResource::FitImage() {
  double w = 0, h = 0;
  ImageSize(image_, &w, &h);
  imageRect_ = FitPicture(rect_, w, h);
}

}  // namespace orvane
