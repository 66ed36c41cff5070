// PictureAhead: a picture fitted (FittedPicture) on a thread of its own,
// ahead of the paint that draws it. Once the first page is laid out, the
// main window starts it for the page's background and shows the window
// meanwhile; under Wine both take 10 to 14 ms (resampling the 900 x 600
// background, mapping the window), and the first paint then takes the
// picture ready. One at a time for the process, from the UI thread.
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

// waits for what is pending and drops it: before its picture, or GDI+, goes
void Discard();

}  // namespace PictureAhead

}  // namespace orvane
