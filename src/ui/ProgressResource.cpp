#include "ui/ProgressResource.h"

#include <algorithm>

#include "ui/WidgetPainter.h"

namespace orvane {

bool CProgressResource::SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  CImageResource::SetRect(left, top, right, bottom);
  bar_ = ProgressBarRect(rect_, percent_);
  return true;
}

void CProgressResource::SetPercent(int32_t percent) {
  percent_ = std::clamp(percent, 0, 100);
  bar_ = ProgressBarRect(rect_, percent_);
}

bool CProgressResource::Draw(HDC dc) {
  if (!visible()) return true;
  GdipGraphics g = DrawBase(dc);
  if (!g || bar_.width() <= 0) return true;
  const WidgetStyle& s = CurrentStyle();
  // the bar's corners use the radius as it stands, not scaled
  FillShape(g.get(), s.textColor, s.cornerRadius, ToFloatRect(bar_));
  return true;
}

}  // namespace orvane
