#include "ui/FrameAhead.h"

#include "platform/BasedThread.h"
#include "platform/Handles.h"

namespace orvane {

class FrameAhead::Job : public COrvaneBasedThread {
 public:
  Job(int width, int height, Draw draw) : width(width), height(height), draw_(std::move(draw)) {}
  ~Job() override {
    Join(INFINITE);
    if (old && old != HGDI_ERROR) ::SelectObject(dc.get(), old);
  }

  const int width;
  const int height;
  // made by the caller, drawn on by the thread
  MemoryDc dc;
  GdiObject bitmap;
  HGDIOBJ old = nullptr;
  bool drawn = false;  // written by the thread, read after it has ended

 private:
  int Run() override {
    draw_(dc.get());
    ::GdiFlush();
    drawn = true;
    return 0;
  }

  Draw draw_;
};

FrameAhead::FrameAhead() = default;

FrameAhead::~FrameAhead() {
  Drop();
}

void FrameAhead::Start(HDC like, int width, int height, Draw draw) {
  Drop();
  if (!like || width <= 0 || height <= 0 || !draw) return;
  auto job = std::make_unique<Job>(width, height, std::move(draw));
  job->dc.reset(::CreateCompatibleDC(like));
  job->bitmap.reset(::CreateCompatibleBitmap(like, width, height));
  if (!job->dc || !job->bitmap) return;
  job->old = ::SelectObject(job->dc.get(), job->bitmap.get());
  if (job->Start()) job_ = std::move(job);
}

bool FrameAhead::Take(HDC dc, int width, int height) {
  if (!job_) return false;
  job_->Join(INFINITE);
  // the frame goes either way: a later paint draws afresh
  const bool fits = job_->drawn && job_->width == width && job_->height == height;
  const bool copied =
      fits && ::BitBlt(dc, 0, 0, width, height, job_->dc.get(), 0, 0, SRCCOPY) != FALSE;
  Drop();
  return copied;
}

void FrameAhead::Drop() {
  if (!job_) return;
  job_.reset();
}

}  // namespace orvane
