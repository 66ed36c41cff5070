#include "ui/PictureAhead.h"

namespace orvane {

namespace {

struct Ready {
  PictureFit asked;
  std::unique_ptr<FittedPicture> fitted;
};

// the UI thread's, or the frame's it waits for: no lock
Ready& Slot() {
  static Ready ready;
  return ready;
}

}  // namespace

namespace PictureAhead {

void Adopt(Gdiplus::GpImage* image,
           int32_t width,
           int32_t height,
           uint32_t backdrop,
           std::unique_ptr<FittedPicture> fitted) {
  Discard();
  if (!image || !fitted) return;
  Slot() = {{image, width, height, backdrop}, std::move(fitted)};
}

std::unique_ptr<FittedPicture> Take(Gdiplus::GpImage* image,
                                    int32_t width,
                                    int32_t height,
                                    uint32_t backdrop) {
  Ready& ready = Slot();
  const PictureFit& a = ready.asked;
  if (!ready.fitted || a.image != image || a.width != width || a.height != height ||
      a.backdrop != backdrop) {
    return nullptr;
  }
  ready.asked = {};
  return std::move(ready.fitted);
}

void Discard() {
  Slot() = {};
}

}  // namespace PictureAhead

}  // namespace orvane
