#include "ui/CheckboxResource.h"

#include "ui/WidgetPainter.h"

namespace orvane {

namespace {

WidgetStyles DefaultCheckboxStyles() {
  WidgetStyles s;
  s[kStateNormal].textColor = 0xFF4D4D4D;
  s[kStateHover].textColor = 0xFF4197FF;
  s[kStatePressed].textColor = 0xFF1873DE;
  for (WidgetStyle& style : s) {
    style.backgroundColor = 0x00FFFFFF;
    style.borderColor = 0x00FFFFFF;
  }
  return s;
}

}  // namespace

CCheckboxResource::CCheckboxResource(const std::wstring& caption,
                                     Gdiplus::GpImage* selectedImage,
                                     Gdiplus::GpImage* deselectedImage,
                                     int32_t id,
                                     const WidgetStyles* styles)
    : CImageResource(id, kKindCheckbox, nullptr),
      selectedImage_(selectedImage),
      deselectedImage_(deselectedImage),
      caption_(caption) {
  styles_ = styles ? *styles : DefaultCheckboxStyles();
  PlaceCheckImage();
}

Gdiplus::GpImage* CCheckboxResource::CurrentCheckImage() const {
  if (selected_ == 1) return selectedImage_;
  if (selected_ == 0) return deselectedImage_;
  return nullptr;
}

void CCheckboxResource::PlaceCheckImage() {
  double w = 0, h = 0;
  ImageSize(CurrentCheckImage(), &w, &h);
  checkRect_ = PlaceSideImage(rect_, w, h, CurrentStyle().iconPosition == 1);
}

void CCheckboxResource::SetSelected(int32_t selected) {
  selected_ = selected;
  PlaceCheckImage();
}

bool CCheckboxResource::SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  CImageResource::SetRect(left, top, right, bottom);
  PlaceCheckImage();
  return true;
}

bool CCheckboxResource::Draw(HDC dc) {
  if (!visible()) return true;
  GdipGraphics g = DrawBase(dc);
  if (!g) return true;
  WidgetStyle s = CurrentStyle();
  s.verticalAlignment = 1;  // a check box always centres its caption vertically
  GdipStringFormat format = CreateStyleFormat(s, Gdiplus::StringFormatFlagsNoWrap);
  StyleFont font = CreateStyleFont(s, UiScale());
  Gdiplus::GpImage* image = CurrentCheckImage();
  const FloatRect layout =
      CaptionBesideImage(rect_, image ? checkRect_.width() : 0, s.iconPosition == 1);
  DrawStyledText(g.get(), caption_, font, format.get(), layout, s.textColor);
  DrawCachedPicture(checkPicture_, dc, g.get(), image, checkRect_);
  return true;
}

}  // namespace orvane
