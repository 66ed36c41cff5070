// Where a dialog opens: centred over the window that opens it, and moved
// only as far as it takes to stay whole inside the work area. Platform-free.
#pragma once

#include "ui/Geometry.h"

namespace orvane {

// the dialog's rectangle; a dialog larger than the work area keeps its
// top-left corner inside it
IntRect PlaceDialogOver(const IntRect& owner,
                        int32_t width,
                        int32_t height,
                        const IntRect& workArea);

}  // namespace orvane
