#include "ui/DisplayScale.h"

namespace orvane {

namespace {
DisplayScale* g_current = nullptr;
}  // namespace

DisplayScale* CurrentDisplayScale() {
  return g_current;
}

DisplayScaleScope::DisplayScaleScope() : previous_(g_current) {
  g_current = &record_;
}

DisplayScaleScope::~DisplayScaleScope() {
  g_current = previous_;
}

}  // namespace orvane
