// PictureAhead: a picture fitted (FittedPicture) ahead of the paint that
// draws it: on a thread of its own (Start), or handed over by the thread
// that fitted it (Adopt; the skin's thread fits the begin page's background
// while the main window is made). Under Wine fitting the 900 x 600
// background takes 10 to 15 ms. One at a time for the process; started,
// taken and dropped from the UI thread, or from the frame it draws ahead
// (FrameAhead) while it waits.
#pragma once

#include <cstdint>
#include <memory>

#include "ui/GdiplusHandles.h"
#include "ui/WidgetPainter.h"

namespace orvane {

namespace PictureAhead {

// starts fitting the picture as FittedPicture(image, width, height,
// backdrop) would; what was pending is dropped first. Without a thread to
// spare nothing is fitted ahead.
void Start(Gdiplus::GpImage* image, int32_t width, int32_t height, uint32_t backdrop);

// the picture fitted ahead with exactly these arguments, once it is ready;
// null (and the pending one left alone) for any other
std::unique_ptr<FittedPicture> Take(Gdiplus::GpImage* image,
                                    int32_t width,
                                    int32_t height,
                                    uint32_t backdrop);

// what another thread has fitted as FittedPicture(image, width, height,
// backdrop) would, to be taken as if started here; what was pending is
// dropped first
void Adopt(Gdiplus::GpImage* image,
           int32_t width,
           int32_t height,
           uint32_t backdrop,
           std::unique_ptr<FittedPicture> fitted);

// waits for what is pending and drops it: before its picture, or GDI+, goes
void Discard();

}  // namespace PictureAhead

}  // namespace orvane
