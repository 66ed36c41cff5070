#include "ui/PictureAhead.h"

#include <windows.h>

#include "platform/BasedThread.h"

namespace orvane {

namespace {

class FittingThread : public COrvaneBasedThread {
 public:
  FittingThread(Gdiplus::GpImage* image, int32_t width, int32_t height, uint32_t backdrop)
      : image(image), width(width), height(height), backdrop(backdrop) {}
  ~FittingThread() override { Join(INFINITE); }

  bool Matches(Gdiplus::GpImage* i, int32_t w, int32_t h, uint32_t b) const {
    return i == image && w == width && h == height && b == backdrop;
  }

  Gdiplus::GpImage* const image;
  const int32_t width;
  const int32_t height;
  const uint32_t backdrop;
  // written by the thread, read after it has ended
  std::unique_ptr<FittedPicture> fitted;

 private:
  int Run() override {
    fitted = std::make_unique<FittedPicture>(image, width, height, backdrop);
    return 0;
  }
};

// the UI thread's, or the frame's it waits for: no lock
std::unique_ptr<FittingThread>& Pending() {
  static std::unique_ptr<FittingThread> pending;
  return pending;
}

}  // namespace

namespace PictureAhead {

void Start(Gdiplus::GpImage* image, int32_t width, int32_t height, uint32_t backdrop) {
  Discard();
  if (!image || width <= 0 || height <= 0) return;
  auto thread = std::make_unique<FittingThread>(image, width, height, backdrop);
  if (thread->Start()) Pending() = std::move(thread);
}

void Adopt(Gdiplus::GpImage* image,
           int32_t width,
           int32_t height,
           uint32_t backdrop,
           std::unique_ptr<FittedPicture> fitted) {
  Discard();
  if (!image || !fitted) return;
  // a thread never started: taking it does not wait
  auto ready = std::make_unique<FittingThread>(image, width, height, backdrop);
  ready->fitted = std::move(fitted);
  Pending() = std::move(ready);
}

std::unique_ptr<FittedPicture> Take(Gdiplus::GpImage* image,
                                    int32_t width,
                                    int32_t height,
                                    uint32_t backdrop) {
  std::unique_ptr<FittingThread>& pending = Pending();
  if (!pending || !pending->Matches(image, width, height, backdrop)) return nullptr;
  pending->Join(INFINITE);
  std::unique_ptr<FittedPicture> fitted = std::move(pending->fitted);
  pending.reset();
  return fitted;
}

void Discard() {
  Pending().reset();
}

}  // namespace PictureAhead

}  // namespace orvane
