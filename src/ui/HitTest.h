// The views' hit-testing rule, platform-free so that it can be tested with
// plain rectangles.
#pragma once

#include <cstdint>

#include "ui/WidgetKinds.h"

namespace orvane {

// (low word, high word) of a mouse message's lParam, each as an unsigned
// 16-bit value
inline void PointFromLParam(uint32_t lParam, int32_t* x, int32_t* y) {
  *x = static_cast<int32_t>(lParam & 0xFFFF);
  *y = static_cast<int32_t>((lParam >> 16) & 0xFFFF);
}

// Walks the widgets in drawing order, skipping layouts. The first widget
// under the point that is neither a background picture nor an animation
// wins; otherwise the last background or animation under it; otherwise 0.
// Visibility is not consulted. `widgets` is a sequence of pointers to
// objects with kind() and rect().
template <typename Widgets>
int32_t HitTestWidgets(const Widgets& widgets, int32_t x, int32_t y) {
  int32_t remembered = 0;
  int32_t index = 0;
  for (const auto& w : widgets) {
    const int32_t kind = w->kind();
    if (kind != kKindLayout && w->rect().Contains(x, y)) {
      if (kind != kKindBackground && kind != kKindAnimation) return index;
      remembered = index;
    }
    ++index;
  }
  return remembered;
}

}  // namespace orvane
