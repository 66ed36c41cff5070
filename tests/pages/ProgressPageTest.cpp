// The progress page without a download: its widgets where the design puts
// them, and hiding to the notification area and back.
#include <gtest/gtest.h>

#include "pages/PageMessages.h"
#include "pages/ProgressView.h"
#include "support/RecordingLogger.h"
#include "ui/DisplayScale.h"
#include "ui/GeometryPrinting.h"
#include "ui/MovieResource.h"
#include "ui/ResourceMgr.h"
#include "ui/ViewMessages.h"

namespace orvane {
namespace {

class NoImages : public IResourceMgr {
 public:
  Gdiplus::GpImage* GetImage(const wchar_t*) override { return nullptr; }
  void Release() override {}
};

struct ProgressPage : ::testing::TestWithParam<double> {
  DisplayScaleScope displayScale;
  test::RecordingLogger logger;
  ScopedLoggerOverride quiet{&logger};
  NoImages skin;
  HWND host = nullptr;

  void SetUp() override {
    CurrentDisplayScale()->uiScale = GetParam();
    const int w = static_cast<int>(600 * GetParam()), h = static_cast<int>(400 * GetParam());
    host = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, w, h, nullptr, nullptr, nullptr,
                             nullptr);
    ASSERT_NE(host, nullptr);
  }
  void TearDown() override { ::DestroyWindow(host); }
  IntRect At(double l, double t, double r, double b) {
    const double s = GetParam();
    return {static_cast<int32_t>(l * s + 0.5), static_cast<int32_t>(t * s + 0.5),
            static_cast<int32_t>(r * s + 0.5), static_cast<int32_t>(b * s + 0.5)};
  }
  void Deliver(CProgressView& page, UINT msg, WPARAM w, LPARAM l) {
    page.HandleMessage(msg, w, l);
    // only what the page posted: a paint would start the banner's requests
    MSG m;
    while (::PeekMessageW(&m, host, WM_APP, 0xBFFF, PM_REMOVE))
      page.HandleMessage(m.message, m.wParam, m.lParam);
  }
};

TEST_P(ProgressPage, WidgetsInTheirPlaces) {
  CProgressView page(host, &skin);
  const int32_t kinds[] = {kKindLayout, kKindBackground, kKindLayout,   kKindAnimation, kKindLayout,
                           kKindSpacer, kKindButton,     kKindSpacer,   kKindLayout,    kKindSpacer,
                           kKindText,   kKindSpacer,     kKindProgress, kKindSpacer};
  ASSERT_EQ(page.widgetCount(), std::size(kinds));
  for (size_t i = 0; i < std::size(kinds); ++i)
    EXPECT_EQ(page.WidgetAt(static_cast<int32_t>(i))->kind(), kinds[i]) << i;
  // the banner band (weight 3 of 4) is the banner's; the hide button is the
  // last sixth of its top row; the status band holds text and bar by weight
  EXPECT_EQ(page.WidgetAt(3)->rect(), At(0, 0, 600, 300));
  EXPECT_EQ(page.FindWidget(CProgressView::kIdHide)->rect(), At(486.67, 24, 580, 49.09));
  EXPECT_EQ(page.FindWidget(CProgressView::kIdStatus)->rect(), At(48, 322.8, 552, 345.6));
  EXPECT_EQ(page.FindWidget(CProgressView::kIdBar)->rect(), At(48, 357, 552, 364.6));
}

TEST_P(ProgressPage, HidesToTheTrayAndComesBackOnAButtonUp) {
  CProgressView page(host, &skin);
  ::ShowWindow(host, SW_SHOW);
  auto* banner = static_cast<CMovieResource*>(page.FindWidget(CProgressView::kIdBanner));
  Deliver(page, WM_APP_CONTROL_CLICK, 6, 0);  // the hide button's index
  EXPECT_FALSE(::IsWindowVisible(host));
  EXPECT_TRUE(banner->quiet());
  // the page's own post, another icon's message and a mere move change nothing
  Deliver(page, WM_APP_TRAY_NOTIFY, 1, WM_LBUTTONUP);
  Deliver(page, WM_APP_TRAY_NOTIFY, 0, WM_MOUSEMOVE);
  EXPECT_FALSE(::IsWindowVisible(host));
  Deliver(page, WM_APP_TRAY_NOTIFY, 0, WM_RBUTTONUP);
  EXPECT_TRUE(::IsWindowVisible(host));
  EXPECT_FALSE(banner->quiet());
  EXPECT_EQ(logger.Lines(),
            (std::vector<std::string>{"operation 0003|0001|", "operation 0003|0002|"}));
}

INSTANTIATE_TEST_SUITE_P(Scales, ProgressPage, ::testing::Values(1.0, 1.5), [](const auto& info) {
  return info.param == 1.0 ? "At100" : "At150";
});

}  // namespace
}  // namespace orvane
