#include "ui/Geometry.h"

#include <gtest/gtest.h>

#include "ui/GeometryPrinting.h"

namespace orvane {
namespace {

TEST(Geometry, OutsetsAndAspect) {
  struct Case {
    const char* what;
    IntRect in;
    int ox, oy;
    double aspect, scale;
    IntRect out;
  } cases[] = {
      {"no change", {10, 10, 20, 20}, 0, 0, 0, 1.0, {10, 10, 20, 20}},
      {"outsets", {10, 10, 20, 20}, 2, 3, 0, 1.0, {8, 7, 22, 23}},
      {"outsets scaled, truncated", {10, 10, 20, 20}, 2, 3, 0, 1.5, {7, 6, 23, 24}},
      {"edit field grown by 4", {126, 136, 515, 160}, 0, 4, 0, 1.0, {126, 132, 515, 164}},
      {"check box shrunk by 4", {126, 220, 556, 244}, 0, -4, 0, 1.0, {126, 224, 556, 240}},
      {"square close button", {560, 24, 580, 40}, 0, 0, 1.0, 1.0, {562, 24, 578, 40}},
      {"wide cell, aspect 3.5", {217, 247, 383, 311}, 0, 0, 3.5, 1.0, {217, 255, 383, 303}},
      {"exact 2:1 banner", {0, 0, 600, 300}, 0, 0, 2.0, 1.0, {0, 0, 600, 300}},
      {"too tall", {0, 0, 100, 100}, 0, 0, 2.0, 1.0, {0, 25, 100, 75}},
      {"tiny aspect counts as none", {0, 0, 100, 50}, 0, 0, 1e-9, 1.0, {0, 0, 100, 50}},
      {"outsets before aspect", {10, 10, 30, 20}, 5, 0, 1.0, 1.0, {15, 10, 25, 20}},
      {"no height", {10, 10, 20, 10}, 0, 0, 1.0, 1.0, {15, 10, 15, 10}},
      {"no width", {10, 10, 10, 30}, 0, 0, 1.0, 1.0, {10, 20, 10, 20}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ApplyOutsetsAndAspect(c.in, c.ox, c.oy, c.aspect, c.scale), c.out) << c.what;
  }
}

TEST(Geometry, PictureFitsAndIsCentred) {
  // the 201-pixel logo in its 560 x 134 cell of the begin page
  EXPECT_EQ(FitPicture({20, 52, 580, 186}, 201, 201), (IntRect{233, 52, 367, 186}));
  // a 2:1 picture in a square: full width, centred vertically
  EXPECT_EQ(FitPicture({0, 0, 100, 100}, 200, 100), (IntRect{0, 25, 100, 75}));
  // the same proportions as the box: fills it exactly
  EXPECT_EQ(FitPicture({0, 0, 600, 400}, 900, 600), (IntRect{0, 0, 600, 400}));
  EXPECT_EQ(FitPicture({0, 0, 100, 100}, 0, 10), IntRect{});
  EXPECT_EQ(FitPicture({0, 0, 100, 100}, 10, 0), IntRect{});
  EXPECT_EQ(FitPicture({5, 5, 5, 5}, 10, 10), (IntRect{5, 5, 5, 5}));
}

TEST(Geometry, SideImageSitsAtTheChosenEdge) {
  // the 21-pixel chevron of the custom-install link, 14 pixels high
  const IntRect link{472, 362, 580, 376};
  EXPECT_EQ(PlaceSideImage(link, 21, 21, true), (IntRect{566, 362, 580, 376}));
  EXPECT_EQ(PlaceSideImage(link, 21, 21, false), (IntRect{472, 362, 486, 376}));
  // a tall image in a flat box is centred vertically at the box's height
  EXPECT_EQ(PlaceSideImage({0, 0, 100, 20}, 10, 40, false), (IntRect{0, 0, 5, 20}));
  // a wide image in a tall box: full width, centred vertically
  EXPECT_EQ(PlaceSideImage({0, 0, 10, 40}, 20, 10, true), (IntRect{0, 18, 10, 23}));
  EXPECT_EQ(PlaceSideImage(link, 0, 0, true), IntRect{});
}

TEST(Geometry, CaptionLeavesRoomForImageAndGap) {
  const FloatRect left = CaptionBesideImage({100, 10, 200, 30}, 14, false);
  EXPECT_FLOAT_EQ(left.x, 117);
  EXPECT_FLOAT_EQ(left.y, 10);
  EXPECT_FLOAT_EQ(left.width, 83);
  EXPECT_FLOAT_EQ(left.height, 20);
  const FloatRect right = CaptionBesideImage({100, 10, 200, 30}, 14, true);
  EXPECT_FLOAT_EQ(right.x, 100);
  EXPECT_FLOAT_EQ(right.width, 83);
  // narrower than 4 pixels: no gap
  const FloatRect narrow = CaptionBesideImage({0, 0, 3, 10}, 2, false);
  EXPECT_FLOAT_EQ(narrow.x, 2);
  EXPECT_FLOAT_EQ(narrow.width, 1);
  const FloatRect four = CaptionBesideImage({0, 0, 4, 10}, 0, false);
  EXPECT_FLOAT_EQ(four.x, 3);
}

TEST(Geometry, ProgressBarFillsPercentOfTheTrack) {
  const IntRect track{48, 370, 552, 378};
  struct Case {
    int percent;
    int right;
  } cases[] = {{0, 48}, {50, 300}, {100, 552}, {1, 53}, {-5, 48}, {150, 552}};
  for (const Case& c : cases) {
    const IntRect bar = ProgressBarRect(track, c.percent);
    EXPECT_EQ(bar, (IntRect{48, 370, c.right, 378})) << c.percent;
  }
  // truncated, not rounded: 101 x 50 % = 50.5
  EXPECT_EQ(ProgressBarRect({0, 0, 101, 5}, 50).right, 50);
}

TEST(Geometry, RoundedOutlineClampsTheDiameter) {
  // radius 100 on an 8-pixel bar: a pill, arcs as high as the bar
  auto pill = RoundedOutline(200, 48, 370, 504, 8);
  for (const Arc& a : pill) {
    EXPECT_FLOAT_EQ(a.width, 8);
    EXPECT_FLOAT_EQ(a.height, 8);
  }
  EXPECT_FLOAT_EQ(pill[0].x, 48);
  EXPECT_FLOAT_EQ(pill[1].x, 48 + 504 - 8 - 1);
  EXPECT_FLOAT_EQ(pill[2].y, 370 + 8 - 8 - 1);
  const float starts[] = {180, 270, 0, 90};
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(pill[i].startAngle, starts[i]);
    EXPECT_FLOAT_EQ(pill[i].sweepAngle, 90);
  }
}

TEST(Geometry, TwentyPixelCornersUseLargerArcs) {
  auto twenty = RoundedOutline(20, 0, 0, 100, 50);
  EXPECT_FLOAT_EQ(twenty[0].width, 20);
  for (int i = 1; i < 4; ++i) {
    EXPECT_FLOAT_EQ(twenty[i].width, 21) << i;
    EXPECT_FLOAT_EQ(twenty[i].height, 21) << i;
  }
  // width and height are one less before the arcs are placed
  EXPECT_FLOAT_EQ(twenty[1].x, 99 - 21 - 1);
  EXPECT_FLOAT_EQ(twenty[2].y, 49 - 21 - 1);
  for (float d : {19.0f, 21.0f, 8.0f}) {
    auto other = RoundedOutline(d, 0, 0, 100, 50);
    for (const Arc& a : other)
      EXPECT_FLOAT_EQ(a.width, d) << d;
    EXPECT_FLOAT_EQ(other[1].x, 100 - d - 1);
  }
}

TEST(Layout, WeightsShareTheBand) {
  LayoutParams vertical;
  vertical.orientation = kVertical;
  auto r = ArrangeProportional(vertical, {27, 1, 3}, 3, {0, 0, 100, 31}, 1.0);
  ASSERT_TRUE(r);
  ASSERT_EQ(r->size(), 3u);
  EXPECT_EQ((*r)[0], (IntRect{0, 0, 100, 27}));
  EXPECT_EQ((*r)[1], (IntRect{0, 27, 100, 28}));
  EXPECT_EQ((*r)[2], (IntRect{0, 28, 100, 31}));

  LayoutParams horizontal;
  horizontal.orientation = kHorizontal;
  r = ArrangeProportional(horizontal, {27, 1, 3}, 3, {10, 5, 41, 9}, 1.0);
  ASSERT_TRUE(r);
  EXPECT_EQ((*r)[0], (IntRect{10, 5, 37, 9}));
  EXPECT_EQ((*r)[1], (IntRect{37, 5, 38, 9}));
  EXPECT_EQ((*r)[2], (IntRect{38, 5, 41, 9}));
}

TEST(Layout, MarginsAndSpacingAreScaled) {
  LayoutParams params;
  params.orientation = kVertical;
  params.marginLeft = 10;
  params.marginTop = 4;
  params.marginRight = 6;
  params.marginBottom = 2;
  params.spacing = 2;
  // at 1.0: 100 - 6 - 2 = 92 pixels for weights 1 and 1
  auto r = ArrangeProportional(params, {1, 1}, 2, {0, 0, 200, 100}, 1.0);
  ASSERT_TRUE(r);
  EXPECT_EQ((*r)[0], (IntRect{10, 4, 194, 50}));
  EXPECT_EQ((*r)[1], (IntRect{10, 52, 194, 98}));
  // at 1.5 in a band 1.5 times as large, every edge grows by 1.5
  r = ArrangeProportional(params, {1, 1}, 2, {0, 0, 300, 150}, 1.5);
  ASSERT_TRUE(r);
  EXPECT_EQ((*r)[0], (IntRect{15, 6, 291, 75}));
  EXPECT_EQ((*r)[1], (IntRect{15, 78, 291, 147}));
}

TEST(Layout, LeavesEverythingWhenItCannotArrange) {
  LayoutParams params;
  params.orientation = kVertical;
  params.marginTop = 10;
  params.marginBottom = 10;
  params.spacing = 5;
  // margins 20, spacing 10 and one pixel for each of 3 children: 33 needed
  EXPECT_FALSE(ArrangeProportional(params, {1, 1, 1}, 3, {0, 0, 50, 32}, 1.0));
  EXPECT_TRUE(ArrangeProportional(params, {1, 1, 1}, 3, {0, 0, 50, 33}, 1.0));
  // the same band is too small once the margins are scaled
  EXPECT_FALSE(ArrangeProportional(params, {1, 1, 1}, 3, {0, 0, 50, 40}, 1.5));
  // side margins wider than the band
  params.marginLeft = 30;
  params.marginRight = 30;
  EXPECT_FALSE(ArrangeProportional(params, {1, 1, 1}, 3, {0, 0, 59, 100}, 1.0));

  LayoutParams plain;
  plain.orientation = kHorizontal;
  EXPECT_FALSE(ArrangeProportional(plain, {1, 2}, 3, {0, 0, 100, 10}, 1.0));  // count differs
  EXPECT_FALSE(ArrangeProportional(plain, {0, 0}, 2, {0, 0, 100, 10}, 1.0));  // weights sum to 0
  EXPECT_FALSE(ArrangeProportional(plain, {}, 0, {0, 0, 100, 10}, 1.0));
  EXPECT_FALSE(ArrangeProportional(plain, {1, 1}, 2, {0, 0, 1, 10}, 1.0));
}

TEST(Layout, OtherOrientationArrangesNoChildButCounts) {
  LayoutParams params;
  params.orientation = 0;
  auto r = ArrangeProportional(params, {1, 1}, 2, {0, 0, 100, 100}, 1.0);
  ASSERT_TRUE(r);
  EXPECT_TRUE(r->empty());
}

}  // namespace
}  // namespace orvane
