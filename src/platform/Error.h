// The installer's failure type: a short English text, raised inside a
// component and caught at the boundary that owns the outcome (a thread body,
// a factory, the entry point).
#pragma once

#include <stdexcept>

namespace orvane {

class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace orvane
