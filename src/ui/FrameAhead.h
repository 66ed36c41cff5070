// FrameAhead: a view's first frame, drawn on a thread of its own while the
// window is being shown (mapping the window and drawing the page each take
// 10 to 15 ms under Wine), and copied to the window by the paint that
// follows. The view's widgets must not change, and no other thread may draw
// them, between Start and Take or Drop.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

namespace orvane {

class FrameAhead {
 public:
  // draws onto a DC whose bitmap is the frame
  using Draw = std::function<void(HDC dc)>;

  FrameAhead();
  ~FrameAhead();
  FrameAhead(const FrameAhead&) = delete;
  FrameAhead& operator=(const FrameAhead&) = delete;

  // starts drawing a frame of this size, in a bitmap compatible with `like`
  // (the window's DC, as the paint's own bitmap is); what was pending is
  // dropped first. Nothing is drawn ahead for an empty size, without a
  // bitmap or without a thread to spare.
  void Start(HDC like, int width, int height, Draw draw);
  // copies the frame to the DC's origin once it is drawn, and drops it;
  // false (and nothing copied) when none is pending or its size differs
  bool Take(HDC dc, int width, int height);
  // waits for what is pending and drops it
  void Drop();
  bool pending() const { return job_ != nullptr; }

 private:
  class Job;
  std::unique_ptr<Job> job_;
};

}  // namespace orvane
