// CImageResource: a picture with a background, a border and four looks;
// the base of every drawn widget. Used directly for background pictures
// (kind 0) and pictures such as the logo (kind 1).
#pragma once

#include "ui/BaseResource.h"
#include "ui/CachedBitmap.h"
#include "ui/GdiplusHandles.h"
#include "ui/WidgetPainter.h"
#include "ui/WidgetStyle.h"

namespace orvane {

class CImageResource : public IBaseResource {
 public:
  // styles may be null: every state keeps the defaults
  CImageResource(int32_t id, int32_t kind, const WidgetStyles* styles);

  bool Draw(HDC dc) override;
  bool SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
  using IBaseResource::SetRect;

  // the picture is not owned; it belongs to the resource manager or the page
  void SetImage(Gdiplus::GpImage* image);
  Gdiplus::GpImage* image() const { return image_; }
  const IntRect& imageRect() const { return imageRect_; }

  int32_t state() const { return state_; }
  void SetState(int32_t state) { state_ = state; }
  // a record to change; the cached look is drawn again afterwards
  WidgetStyle& style(int32_t state) {
    ++styleGeneration_;
    return styles_[state];
  }
  // logical pixels added on each side by SetRect (negative shrinks)
  void SetOutsets(int32_t x, int32_t y) {
    outsetX_ = x;
    outsetY_ = y;
  }
  // width / height to keep; 0 = none
  void SetAspect(double aspect) { aspect_ = aspect; }
  // what the next paint asks PictureAhead for: the picture at the current
  // size, on its backdrop (FittedPicture's arguments)
  PictureFit FitAsked() const;

 protected:
  // the record of the current state; a default one for a state outside 0..3
  const WidgetStyle& CurrentStyle() const;
  // background, picture and border; returns the graphics for the caller's
  // next steps (empty when GDI+ could not draw on the DC). A base with a
  // picture, or a large one, is rendered once per look and size and then
  // copied (see CachedBitmap).
  GdipGraphics DrawBase(HDC dc);

  int32_t state_ = kStateNormal;
  WidgetStyles styles_;
  int32_t outsetX_ = 0;
  int32_t outsetY_ = 0;
  double aspect_ = 0;
  Gdiplus::GpImage* image_ = nullptr;
  IntRect imageRect_;
  uint32_t styleGeneration_ = 0;  // changes whenever a style may have changed
  CachedBitmap base_;             // what DrawBase drew, at the size of rect_

 private:
  void FitImage();
  // the colour the picture is laid on before it is drawn (FittedPicture),
  // or 0
  uint32_t PictureBackdrop() const;
  // fill, picture and border with the widget's top-left corner at origin
  void PaintBase(Gdiplus::GpGraphics* g, int32_t originX, int32_t originY);
};

}  // namespace orvane
