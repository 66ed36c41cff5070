// DisplayScale: the UI scale factor and the display ratio of one install
// session. The window base asks the display once per session and publishes
// the scale of the window it sized; every widget draws at that scale. UI
// thread only, no lock.
#pragma once

namespace orvane {

struct DisplayScale {
  double uiScale = 1.0;
  double displayRatio = 1.0;
  bool displayRatioKnown = false;  // displayRatio has been asked once
};

// the record of the running session; null without one (the scale is then
// 1.0 and the display is asked every time)
DisplayScale* CurrentDisplayScale();

// owns the record for the scope of one install session (or one test)
class DisplayScaleScope {
 public:
  DisplayScaleScope();
  ~DisplayScaleScope();
  DisplayScaleScope(const DisplayScaleScope&) = delete;
  DisplayScaleScope& operator=(const DisplayScaleScope&) = delete;

  DisplayScale& record() { return record_; }

 private:
  DisplayScale record_;
  DisplayScale* previous_;
};

}  // namespace orvane
