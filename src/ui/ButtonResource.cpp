#include "ui/ButtonResource.h"

#include "ui/WidgetPainter.h"

namespace orvane {

namespace {

WidgetStyles DefaultButtonStyles() {
  WidgetStyles s;
  const uint32_t backgrounds[4] = {0xFF4197FF, 0xFF62A6FB, 0xFF1873DE, 0xFFD8D8D8};
  for (int i = 0; i < 4; ++i) {
    s[i].textColor = 0xFFFFFFFF;
    s[i].backgroundColor = backgrounds[i];
    s[i].borderWidth = 0;
    s[i].cornerRadius = 2;
    s[i].borderColor = 0x00FFFFFF;
    s[i].horizontalAlignment = 1;
    s[i].verticalAlignment = 1;
  }
  return s;
}

}  // namespace

CButtonResource::CButtonResource(const std::wstring& caption,
                                 int32_t id,
                                 const WidgetStyles* styles)
    : CImageResource(id, kKindButton, nullptr), caption_(caption) {
  styles_ = styles ? *styles : DefaultButtonStyles();
}

void CButtonResource::SetStateImage(int32_t state, Gdiplus::GpImage* image) {
  if (state < kStateNormal || state > kStateDisabled) return;
  images_[state] = image;
  PlaceStateImage();
}

Gdiplus::GpImage* CButtonResource::stateImage(int32_t state) const {
  if (state < kStateNormal || state > kStateDisabled) return nullptr;
  return images_[state];
}

void CButtonResource::PlaceStateImage() {
  if (state_ < kStateNormal || state_ > kStatePressed || !images_[state_]) return;
  double w = 0, h = 0;
  ImageSize(images_[state_], &w, &h);
  stateImageRect_ = PlaceSideImage(rect_, w, h, CurrentStyle().iconPosition == 1);
}

bool CButtonResource::SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  CImageResource::SetRect(left, top, right, bottom);
  PlaceStateImage();
  return true;
}

bool CButtonResource::Draw(HDC dc) {
  if (!visible()) return true;
  GdipGraphics g = DrawBase(dc);
  if (!g) return true;
  const WidgetStyle& s = CurrentStyle();
  GdipStringFormat format = CreateStyleFormat(s, Gdiplus::StringFormatFlagsNoWrap);
  Gdiplus::GpImage* image = stateImage(state_);
  StyleFont font = CreateStyleFont(s, UiScale());
  FloatRect layout = ToFloatRect(rect_);
  if (image) {
    DrawCachedPicture(statePicture_, dc, g.get(), image, stateImageRect_);
    layout = CaptionBesideImage(rect_, stateImageRect_.width(), s.iconPosition == 1);
  }
  DrawStyledText(g.get(), caption_, font, format.get(), layout, s.textColor);
  return true;
}

}  // namespace orvane
