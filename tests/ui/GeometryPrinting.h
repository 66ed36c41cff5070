// How test failures show a rectangle.
#pragma once

#include <ostream>

#include "ui/Geometry.h"

namespace orvane {

inline std::ostream& operator<<(std::ostream& os, const IntRect& r) {
  return os << "(" << r.left << "," << r.top << " - " << r.right << "," << r.bottom << ")";
}

}  // namespace orvane
