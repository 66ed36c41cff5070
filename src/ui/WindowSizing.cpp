#include "ui/WindowSizing.h"

#include <algorithm>
#include <cmath>

namespace orvane {

double DisplayRatioFrom(int desktopHorzRes, int horzRes, int logPixelsX) {
  if (horzRes > 0) {
    const double ratio = static_cast<double>(desktopHorzRes) / horzRes;
    if (std::fabs(ratio) - 1 >= 1e-8) return ratio;
  }
  return logPixelsX / 0.96 / 100;
}

WindowSize ScaleForDisplay(const IntRect& workArea,
                           unsigned baseWidth,
                           unsigned baseHeight,
                           double ratio) {
  WindowSize s;
  if (baseWidth == 0 || baseHeight == 0) {
    s.width = baseWidth;
    s.height = baseHeight;
    return s;
  }
  const double bw = baseWidth;
  const double bh = baseHeight;
  if (workArea.width() > workArea.height()) {
    s.height = std::max(bh, bh * ratio);
    s.width = s.height * bw / bh;
    s.scale = s.height / bh;
  } else {
    s.width = std::max(bw, bw * ratio);
    s.height = s.width / (bw / bh);
    s.scale = s.width / bw;
  }
  return s;
}

void CentredOrigin(const IntRect& workArea, const WindowSize& size, int* x, int* y) {
  *x = workArea.right / 2 - static_cast<int>(size.width * 0.5 + 0.5);
  *y = workArea.bottom / 2 - static_cast<int>(size.height * 0.5 + 0.5);
}

}  // namespace orvane
