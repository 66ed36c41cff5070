// The banner animation with a source of its own: what it shows, when it
// asks, how it animates and stays quiet, and how long its destruction may
// take (the pictures it refuses: GifScanTest, and BannerSimTest with the
// simulator's files).
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>

#include "ui/DisplayScale.h"
#include "ui/GifBytes.h"
#include "ui/MovieResource.h"
#include "ui/WidgetTestSupport.h"

namespace orvane {
namespace {

using test::Animation;
using test::MakeGif;
using test::Near;
using test::SolidImage;

constexpr UINT kFrameMessage = WM_APP + 124;
constexpr uint32_t kFallback = 0xFF808080;

// what the fake source was asked, shared with the test after the widget
// (and maybe its loader) is gone
struct SourceLog {
  std::atomic<int> fetches{0};
  std::atomic<bool> cancelled{false};
  std::atomic<bool> returned{false};
};

class FakeSource : public IMovieSource {
 public:
  // blockMs: how long a fetch takes; honourCancel: whether Cancel ends it
  FakeSource(std::string bytes,
             std::shared_ptr<SourceLog> log,
             DWORD blockMs = 0,
             bool honourCancel = true)
      : bytes_(std::move(bytes)),
        log_(std::move(log)),
        blockMs_(blockMs),
        honourCancel_(honourCancel),
        cancel_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~FakeSource() override { ::CloseHandle(cancel_); }

  std::string FetchPicture(size_t) override {
    ++log_->fetches;
    if (blockMs_) {
      if (honourCancel_) {
        ::WaitForSingleObject(cancel_, blockMs_);
      } else {
        ::Sleep(blockMs_);
      }
    }
    log_->returned = true;
    return log_->cancelled && honourCancel_ ? std::string() : bytes_;
  }
  void Cancel() override {
    log_->cancelled = true;
    ::SetEvent(cancel_);
  }

 private:
  std::string bytes_;
  std::shared_ptr<SourceLog> log_;
  DWORD blockMs_;
  bool honourCancel_;
  HANDLE cancel_;
};

struct MovieTest : ::testing::Test {
  DisplayScaleScope displayScale;
  GdiplusSession gdiplus;
  GdipImage fallback = SolidImage(40, 20, kFallback);
  HWND host = nullptr;
  std::shared_ptr<SourceLog> log = std::make_shared<SourceLog>();
  DibSurface surface{nullptr, 200, 120};

  void SetUp() override {
    ASSERT_TRUE(gdiplus.ok());
    host = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                             nullptr);
    ASSERT_NE(host, nullptr);
  }
  void TearDown() override { ::DestroyWindow(host); }

  std::unique_ptr<CMovieResource> Make(std::unique_ptr<IMovieSource> source) {
    auto movie = std::make_unique<CMovieResource>(host, kFrameMessage, std::move(source),
                                                  fallback.get(), 3, nullptr);
    movie->SetAspect(2.0);
    movie->SetRect(0, 0, 200, 120);
    return movie;
  }
  std::unique_ptr<CMovieResource> MakeWith(const std::string& bytes) {
    return Make(std::make_unique<FakeSource>(bytes, log));
  }
  // frame messages that arrived since the last call
  int TakeFrameMessages() {
    int n = 0;
    MSG msg;
    while (::PeekMessageW(&msg, host, kFrameMessage, kFrameMessage, PM_REMOVE))
      ++n;
    return n;
  }
  uint32_t Centre(CMovieResource& movie) {
    movie.Draw(surface.dc());
    const IntRect& r = movie.animationRect();
    return surface.Pixel((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
};

// three frames of 40 x 20 in red, green and blue, each 50 ms
std::string ThreeColours() {
  test::GifSpec shape = Animation(3, 5, 40, 20);
  return MakeGif(shape);
}

TEST_F(MovieTest, FallbackUntilTheFirstDrawThenAnimates) {
  auto movie = MakeWith(ThreeColours());
  ::Sleep(100);
  EXPECT_EQ(log->fetches, 0) << "nothing is asked before the first paint";
  EXPECT_EQ(movie->animationRect(), (IntRect{0, 10, 200, 110})) << "the fallback's 2:1 fit";
  EXPECT_TRUE(Near(Centre(*movie), kFallback));
  // generous bounds: on a loaded machine the loader's thread may wait long
  for (int i = 0; i < 500 && !movie->animated(); ++i)
    ::Sleep(20);
  ASSERT_TRUE(movie->animated());
  EXPECT_EQ(movie->frameCount(), 3);
  // the frames go round, each in its colour. A paint during which the frame
  // may have changed proves nothing and is not counted (frames last 50 ms,
  // so one that took less and saw the same frame before and after drew
  // it); sampling at a fixed pace could keep meeting one frame, so the
  // pace varies.
  const uint32_t colours[3] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
  bool seen[3] = {};
  for (int i = 0; i < 1000 && !(seen[0] && seen[1] && seen[2]); ++i) {
    const ULONGLONG start = ::GetTickCount64();
    const int32_t frame = movie->currentFrame();
    const uint32_t c = Centre(*movie);
    if (movie->currentFrame() != frame || ::GetTickCount64() - start >= 40) continue;
    ASSERT_TRUE(frame >= 0 && frame < 3) << frame;
    EXPECT_TRUE(Near(c, colours[frame])) << "frame " << frame << std::hex << ": " << c;
    seen[frame] = true;
    ::Sleep(3 + i % 17);
  }
  EXPECT_TRUE(seen[0] && seen[1] && seen[2]);
  EXPECT_GE(TakeFrameMessages(), 3) << "the picture, then each new frame";
}

TEST_F(MovieTest, QuietFramesAdvanceWithoutMessages) {
  auto movie = MakeWith(ThreeColours());
  movie->Draw(surface.dc());
  for (int i = 0; i < 100 && !movie->animated(); ++i)
    ::Sleep(20);
  ASSERT_TRUE(movie->animated());
  movie->SetQuiet(true);
  ::Sleep(60);
  TakeFrameMessages();
  const int before = movie->currentFrame();
  bool moved = false;
  for (int i = 0; i < 20 && !moved; ++i) {
    ::Sleep(30);
    moved = movie->currentFrame() != before;
  }
  EXPECT_TRUE(moved);
  EXPECT_EQ(TakeFrameMessages(), 0);
  movie->SetQuiet(false);
  ::Sleep(200);
  EXPECT_GT(TakeFrameMessages(), 0);
}

TEST_F(MovieTest, DestructionCancelsTheRequest) {
  auto movie = Make(std::make_unique<FakeSource>(ThreeColours(), log, 20000));
  movie->Draw(surface.dc());
  for (int i = 0; i < 100 && log->fetches == 0; ++i)
    ::Sleep(10);
  const DWORD start = ::GetTickCount();
  movie.reset();
  EXPECT_LT(::GetTickCount() - start, 500u);
  EXPECT_TRUE(log->cancelled);
  EXPECT_TRUE(log->returned) << "the loader ended, so its request did";
}

// a request that cannot be interrupted: destruction gives up waiting after
// its bound, and the loader, once back, decodes nothing and posts nothing
TEST_F(MovieTest, DestructionIsBoundedWhenTheRequestHangs) {
  auto movie = Make(std::make_unique<FakeSource>(ThreeColours(), log, 2500, false));
  movie->Draw(surface.dc());
  for (int i = 0; i < 100 && log->fetches == 0; ++i)
    ::Sleep(10);
  const DWORD start = ::GetTickCount();
  movie.reset();
  const DWORD took = ::GetTickCount() - start;
  EXPECT_GE(took, CMovieResource::kStopWaitMs - 50);
  EXPECT_LT(took, CMovieResource::kStopWaitMs + 500);
  EXPECT_FALSE(log->returned);
  for (int i = 0; i < 200 && !log->returned; ++i)
    ::Sleep(20);
  EXPECT_TRUE(log->returned);
  ::Sleep(200);
  EXPECT_EQ(TakeFrameMessages(), 0);
}

TEST_F(MovieTest, DestroyedBeforeTheFirstDrawAsksNothing) {
  auto movie = MakeWith(ThreeColours());
  const DWORD start = ::GetTickCount();
  movie.reset();
  EXPECT_LT(::GetTickCount() - start, 500u);
  EXPECT_EQ(log->fetches, 0);
}

}  // namespace
}  // namespace orvane
