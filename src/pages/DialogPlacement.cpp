#include "pages/DialogPlacement.h"

namespace orvane {

namespace {

int32_t Keep(int32_t start, int32_t size, int32_t low, int32_t high) {
  if (start + size > high) start = high - size;
  if (start < low) start = low;
  return start;
}

}  // namespace

IntRect PlaceDialogOver(const IntRect& owner,
                        int32_t width,
                        int32_t height,
                        const IntRect& workArea) {
  int32_t left = owner.left + (owner.width() - width) / 2;
  int32_t top = owner.top + (owner.height() - height) / 2;
  if (workArea.width() > 0 && workArea.height() > 0) {
    left = Keep(left, width, workArea.left, workArea.right);
    top = Keep(top, height, workArea.top, workArea.bottom);
  }
  return {left, top, left + width, top + height};
}

}  // namespace orvane
