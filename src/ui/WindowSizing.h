// How large a window is made for the display, and where it is placed.
// Platform-free; the facts come through IDisplayFacts so that tests can
// describe any display.
#pragma once

#include "ui/Geometry.h"

namespace orvane {

// what the window base asks the system about the display
class IDisplayFacts {
 public:
  virtual ~IDisplayFacts() = default;
  // the desktop work area; false when the system cannot tell
  virtual bool GetWorkArea(IntRect* area) = 0;
  // GetDeviceCaps of the screen: DESKTOPHORZRES, HORZRES, LOGPIXELSX
  virtual int DesktopHorzRes() = 0;
  virtual int HorzRes() = 0;
  virtual int LogPixelsX() = 0;
};

// DESKTOPHORZRES / HORZRES, or dots per inch over 96 when that reports no
// scaling (a ratio of at most 1) or HORZRES is unknown
double DisplayRatioFrom(int desktopHorzRes, int horzRes, int logPixelsX);

struct WindowSize {
  double width = 0;
  double height = 0;
  double scale = 1.0;  // the UI scale factor that goes with it
};

// the base size grown by the display ratio along the work area's shorter
// side, keeping the base proportions; never smaller than the base size
WindowSize ScaleForDisplay(const IntRect& workArea,
                           unsigned baseWidth,
                           unsigned baseHeight,
                           double ratio);

// the window's top-left corner: centred on the work area's right and
// bottom edges halved in integers (its left and top are not used)
void CentredOrigin(const IntRect& workArea, const WindowSize& size, int* x, int* y);

// the window's size in whole pixels
inline int PixelExtent(double v) {
  return static_cast<int>(v + 0.5);
}

}  // namespace orvane
