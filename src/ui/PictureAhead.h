// PictureAhead: a picture fitted (FittedPicture) ahead of the paint that
// draws it, by the thread that had the time (the skin's thread fits the
// begin page's background while the main window is made; under Wine that
// takes 10 to 15 ms). One at a time for the process; handed over, taken and
// dropped on the UI thread, or by the frame it draws ahead (FrameAhead)
// while it waits.
#pragma once

#include <cstdint>
#include <memory>

#include "ui/GdiplusHandles.h"
#include "ui/WidgetPainter.h"

namespace orvane {

namespace PictureAhead {

// the picture fitted ahead with exactly these arguments, once; null (and
// the one there left alone) for any other
std::unique_ptr<FittedPicture> Take(Gdiplus::GpImage* image,
                                    int32_t width,
                                    int32_t height,
                                    uint32_t backdrop);

// hands over what FittedPicture(image, width, height, backdrop) made;
// what was there is dropped first
void Adopt(Gdiplus::GpImage* image,
           int32_t width,
           int32_t height,
           uint32_t backdrop,
           std::unique_ptr<FittedPicture> fitted);

// drops what is there: before its picture, or GDI+, goes
void Discard();

}  // namespace PictureAhead

}  // namespace orvane
