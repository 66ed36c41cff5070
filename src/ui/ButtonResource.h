// CButtonResource: a push button with a caption and, per state, an
// optional image at its left or right edge.
#pragma once

#include <string>

#include "ui/ImageResource.h"

namespace orvane {

class CButtonResource : public CImageResource {
 public:
  // without styles: white text, blue backgrounds per state, radius 2,
  // centred caption
  CButtonResource(const std::wstring& caption, int32_t id, const WidgetStyles* styles);

  bool Draw(HDC dc) override;
  bool SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
  using IBaseResource::SetRect;

  // the image shown in a state; not owned
  void SetStateImage(int32_t state, Gdiplus::GpImage* image);
  Gdiplus::GpImage* stateImage(int32_t state) const;
  const IntRect& stateImageRect() const { return stateImageRect_; }

  void SetText(const std::wstring& caption) { caption_ = caption; }
  const std::wstring& text() const { return caption_; }

 private:
  // for the image of the current state, computed while the state is not
  // disabled and that image exists
  void PlaceStateImage();

  Gdiplus::GpImage* images_[4] = {};
  IntRect stateImageRect_;
  CachedBitmap statePicture_;
  std::wstring caption_;
};

}  // namespace orvane
