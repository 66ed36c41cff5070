#include "ui/WindowSizing.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(WindowSizing, DisplayRatioFromDeviceCaps) {
  struct Case {
    const char* what;
    int desktopHorzRes, horzRes, logPixelsX;
    double ratio;
  } cases[] = {
      {"150 % on a scaling-unaware process", 2880, 1920, 96, 1.5},
      {"125 %", 2400, 1920, 96, 1.25},
      {"equal widths, 120 DPI", 1920, 1920, 120, 1.25},
      {"equal widths, 96 DPI", 1920, 1920, 96, 1.0},
      {"equal widths, 144 DPI", 1920, 1920, 144, 1.5},
      {"a smaller desktop also falls back to DPI", 1600, 1920, 96, 1.0},
      {"unknown HORZRES", 1920, 0, 120, 1.25},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(DisplayRatioFrom(c.desktopHorzRes, c.horzRes, c.logPixelsX), c.ratio)
        << c.what;
  }
}

TEST(WindowSizing, WindowGrowsWithTheDisplay) {
  const IntRect landscape{0, 0, 1920, 1040};
  const IntRect portrait{0, 0, 1080, 1880};
  struct Case {
    const char* what;
    IntRect area;
    unsigned w, h;
    double ratio;
    double width, height, scale;
  } cases[] = {
      {"150 %", landscape, 600, 400, 1.5, 900, 600, 1.5},
      {"100 %", landscape, 600, 400, 1.0, 600, 400, 1.0},
      {"ratio below 1 keeps the base size", landscape, 600, 400, 0.8, 600, 400, 1.0},
      {"125 % dialog", landscape, 400, 200, 1.25, 500, 250, 1.25},
      {"portrait scales by width", portrait, 600, 400, 1.5, 900, 600, 1.5},
      {"portrait, ratio below 1", portrait, 600, 400, 0.5, 600, 400, 1.0},
      {"square counts as portrait", {0, 0, 1000, 1000}, 400, 200, 2.0, 800, 400, 2.0},
  };
  for (const Case& c : cases) {
    const WindowSize s = ScaleForDisplay(c.area, c.w, c.h, c.ratio);
    EXPECT_DOUBLE_EQ(s.width, c.width) << c.what;
    EXPECT_DOUBLE_EQ(s.height, c.height) << c.what;
    EXPECT_DOUBLE_EQ(s.scale, c.scale) << c.what;
  }
  const WindowSize none = ScaleForDisplay(landscape, 0, 400, 1.5);
  EXPECT_DOUBLE_EQ(none.width, 0);
  EXPECT_DOUBLE_EQ(none.scale, 1.0);
}

TEST(WindowSizing, CentredOnRightAndBottomHalved) {
  int x = 0, y = 0;
  CentredOrigin({0, 0, 1920, 1040}, {900, 600, 1.5}, &x, &y);
  EXPECT_EQ(x, 510);
  EXPECT_EQ(y, 220);
  // odd edges halve in integers; the left and top are not used
  CentredOrigin({100, 50, 1921, 1041}, {600.4, 400.6, 1.0}, &x, &y);
  EXPECT_EQ(x, 960 - 300);
  EXPECT_EQ(y, 520 - 200);
  EXPECT_EQ(PixelExtent(600.4), 600);
  EXPECT_EQ(PixelExtent(600.5), 601);
}

}  // namespace
}  // namespace orvane
