// CCheckboxResource: a check box whose whole rectangle (image and caption)
// is the control; the image shows the selected flag.
#pragma once

#include <string>

#include "ui/ImageResource.h"

namespace orvane {

class CCheckboxResource : public CImageResource {
 public:
  // images are not owned; starts selected. Without styles: grey caption,
  // blue on hover and press, transparent background and border
  CCheckboxResource(const std::wstring& caption,
                    Gdiplus::GpImage* selectedImage,
                    Gdiplus::GpImage* deselectedImage,
                    int32_t id,
                    const WidgetStyles* styles);

  bool Draw(HDC dc) override;
  bool SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
  using IBaseResource::SetRect;

  int32_t selected() const { return selected_; }
  void SetSelected(int32_t selected);
  void SetText(const std::wstring& caption) { caption_ = caption; }
  const std::wstring& text() const { return caption_; }
  const IntRect& checkImageRect() const { return checkRect_; }

 private:
  Gdiplus::GpImage* CurrentCheckImage() const;
  void PlaceCheckImage();

  Gdiplus::GpImage* selectedImage_;
  Gdiplus::GpImage* deselectedImage_;
  IntRect checkRect_;
  CachedBitmap checkPicture_;
  int32_t selected_ = 1;
  std::wstring caption_;
};

}  // namespace orvane
