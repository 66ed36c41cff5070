// The progress page's banner against the simulator: the installer
// configuration names each of its pictures in turn, and the banner plays,
// shows once or keeps the skin picture as it should.
#include <gtest/gtest.h>

#include <memory>

#include "server/BannerSource.h"
#include "support/VendorSim.h"
#include "ui/DibSurface.h"
#include "ui/DisplayScale.h"
#include "ui/MovieResource.h"
#include "ui/ViewMessages.h"

namespace orvane {
namespace {

std::string Naming(const std::string& picture) {
  return R"({"config":{"data":{"ProductsShow":{"gif_url":"http://api.orvane.test/static/)" +
         picture + R"("}}}})";
}

TEST(BannerWithTheSimulator, EachPictureAsItShould) {
  DisplayScaleScope displayScale;
  GdiplusSession gdiplus;
  ASSERT_TRUE(gdiplus.ok());
  HWND host =
      ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  const struct {
    const char* name;
    std::string scenario;
    int frames;  // 0: the skin picture stays
  } cases[] = {
      {"three frames with different delays", Naming("banner.gif"), 3},
      {"one frame", Naming("one-frame.gif"), 1},
      {"a zero delay", Naming("zero-delay.gif"), 0},
      {"broken", Naming("broken.gif"), 0},
      {"a huge canvas", Naming("huge.gif"), 0},
      {"1000 frames", Naming("many-frames.gif"), 0},
      {"another code", R"({"config":{"reply":"refused","code":"server.busy"}})", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::SetSimScenario(c.scenario);
    CMovieResource banner(host, WM_APP_FRAME_READY,
                          std::unique_ptr<IMovieSource>(CreateBannerSource()), nullptr, 3, nullptr);
    banner.SetRect(0, 0, 600, 300);
    DibSurface surface(nullptr, 600, 300);
    banner.Draw(surface.dc());
    if (c.frames > 1) {
      for (int i = 0; i < 150 && !banner.animated(); ++i)
        ::Sleep(20);
    } else {
      ASSERT_TRUE(banner.WaitLoaderEnded(10000)) << "no frame loop";
    }
    EXPECT_EQ(banner.animated(), c.frames > 0);
    EXPECT_EQ(banner.frameCount(), c.frames);
    EXPECT_EQ(test::SimRequestsTo("config").size(), 1u);
  }
  ::DestroyWindow(host);
}

// a gateway that never answers: destruction aborts the request at once
TEST(BannerWithTheSimulator, DestructionAbortsAHangingRequest) {
  GdiplusSession gdiplus;
  test::SetSimScenario(R"({"config":{"reply":"silent"}})");
  HWND host =
      ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  auto banner = std::make_unique<CMovieResource>(
      host, WM_APP_FRAME_READY, std::unique_ptr<IMovieSource>(CreateBannerSource()), nullptr, 3,
      nullptr);
  DibSurface surface(nullptr, 60, 30);
  banner->Draw(surface.dc());
  ASSERT_TRUE(test::WaitForSimRequests("config", 1, 5000));
  const DWORD start = ::GetTickCount();
  banner.reset();
  EXPECT_LT(::GetTickCount() - start, 500u) << "not the 5 s time-out, nor the 1 s bound";
  ::DestroyWindow(host);
}

}  // namespace
}  // namespace orvane
