#include "ui/ImageResource.h"

#include <memory>

#include "ui/PictureAhead.h"
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

namespace {

// below this many pixels a base is cheap enough to draw directly
constexpr int32_t kCacheMinArea = 64 * 64;

uint64_t Pair(int64_t high, int64_t low) {
  return (static_cast<uint64_t>(static_cast<uint32_t>(high)) << 32) | static_cast<uint32_t>(low);
}

}  // namespace

uint32_t CImageResource::PictureBackdrop() const {
  const WidgetStyle& s = CurrentStyle();
  // a picture over exactly the square fill of an opaque colour is laid on
  // that colour beforehand, and covers it (the page backgrounds)
  const bool onFill = (s.backgroundColor >> 24) == 0xFF &&
                      ScaledSize(s.cornerRadius, UiScale()) < 1 && imageRect_ == rect_;
  return onFill ? s.backgroundColor : 0;
}

PictureFit CImageResource::FitAsked() const {
  return {image_, imageRect_.width(), imageRect_.height(), PictureBackdrop()};
}

void CImageResource::PaintBase(Gdiplus::GpGraphics* g, int32_t originX, int32_t originY) {
  const WidgetStyle& s = CurrentStyle();
  const double scale = UiScale();
  const IntRect at{rect_.left - originX, rect_.top - originY, rect_.right - originX,
                   rect_.bottom - originY};
  const IntRect picture{imageRect_.left - originX, imageRect_.top - originY,
                        imageRect_.right - originX, imageRect_.bottom - originY};
  const FloatRect box = ToFloatRect(at);
  const int32_t radius = ScaledSize(s.cornerRadius, scale);
  const uint32_t backdrop = PictureBackdrop();
  std::unique_ptr<FittedPicture> fitted =
      PictureAhead::Take(image_, picture.width(), picture.height(), backdrop);
  if (!fitted)
    fitted = std::make_unique<FittedPicture>(image_, picture.width(), picture.height(), backdrop);
  // a fully transparent fill leaves no trace
  if ((s.backgroundColor >> 24) != 0 && !fitted->opaque())
    FillShape(g, s.backgroundColor, radius, box);
  fitted->Draw(g, picture);
  DrawBorderShape(g, s.borderColor, radius, ScaledSize(s.borderWidth, scale), box);
}

GdipGraphics CImageResource::DrawBase(HDC dc) {
  GdipGraphics g = CreateWidgetGraphics(dc);
  if (!g) return g;
  const WidgetStyle& s = CurrentStyle();
  const double scale = UiScale();
  const bool drawsNothing =
      (s.backgroundColor >> 24) == 0 && !image_ && ScaledSize(s.borderWidth, scale) <= 0;
  if (drawsNothing) return g;
  const int64_t area = static_cast<int64_t>(rect_.width()) * rect_.height();
  if (image_ || area >= kCacheMinArea) {
    CacheKey key;
    key.parts[0] = reinterpret_cast<uintptr_t>(image_);
    key.parts[1] = Pair(styleGeneration_, state_);
    key.parts[2] = Pair(imageRect_.left - rect_.left, imageRect_.top - rect_.top);
    key.parts[3] = Pair(imageRect_.width(), imageRect_.height());
    key.parts[4] = Pair(ScaledSize(s.cornerRadius, scale), ScaledSize(s.borderWidth, scale));
    key.parts[5] = Pair(s.backgroundColor, s.borderColor);
    const bool ready = base_.Ensure(
        rect_.width(), rect_.height(), key,
        [this](Gdiplus::GpGraphics* target) { PaintBase(target, rect_.left, rect_.top); });
    if (ready) {
      gp::GdipFlush(g.get(), Gdiplus::FlushIntentionSync);
      if (base_.Blit(dc, rect_.left, rect_.top)) return g;
    }
  }
  PaintBase(g.get(), 0, 0);
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
