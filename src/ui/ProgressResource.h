// CProgressResource: a track (the style's background, radius and border)
// with a bar in the style's text colour that fills percent of its width.
#pragma once

#include "ui/ImageResource.h"

namespace orvane {

class CProgressResource : public CImageResource {
 public:
  CProgressResource(int32_t id, const WidgetStyles* styles)
      : CImageResource(id, kKindProgress, styles) {}

  bool Draw(HDC dc) override;
  bool SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
  using IBaseResource::SetRect;

  // 0..100; values outside are clamped
  void SetPercent(int32_t percent);
  int32_t percent() const { return percent_; }
  const IntRect& barRect() const { return bar_; }

 private:
  IntRect bar_;
  int32_t percent_ = 0;
};

}  // namespace orvane
