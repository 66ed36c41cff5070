// Pictures made ready for their size (FittedPicture): laid on a backdrop
// colour they come out opaque and are copied, which gives the pixels a
// fill below and a blend over it would give, exactly inside the rectangle.
#include <gtest/gtest.h>

#include "ui/DisplayScale.h"
#include "ui/ImageResource.h"
#include "ui/WidgetKinds.h"
#include "ui/WidgetPainter.h"
#include "ui/WidgetTestSupport.h"

namespace orvane {
namespace {

using test::CountNear;
using test::SolidImage;

constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kHalfBlue = 0x800000FF;
constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kGrey = 0xFF808080;
// half blue laid on red, and on grey
constexpr uint32_t kBlueOnRed = 0xFF7F0080;
constexpr uint32_t kBlueOnGrey = 0xFF4040C0;

struct FittedPictureTest : ::testing::Test {
  DisplayScaleScope displayScale;
  GdiplusSession gdiplus;
  void SetUp() override { ASSERT_TRUE(gdiplus.ok()); }
};

TEST_F(FittedPictureTest, OpaqueOnlyWhenLaidOnAnOpaqueBackdrop) {
  GdipImage blue = SolidImage(30, 20, kBlue);
  GdipImage half = SolidImage(30, 20, kHalfBlue);
  const struct {
    const char* why;
    Gdiplus::GpImage* image;
    int width, height;
    uint32_t backdrop;
    bool opaque;
  } cases[] = {
      {"its own size, on a backdrop", half.get(), 30, 20, kRed, true},
      {"shrunk, on a backdrop", half.get(), 20, 13, kRed, true},
      {"enlarged, on a backdrop", half.get(), 45, 31, kGrey, true},
      // without one nothing is known of what lies below
      {"opaque pixels, no backdrop", blue.get(), 30, 20, 0, false},
      {"opaque pixels, shrunk, no backdrop", blue.get(), 20, 13, 0, false},
      {"a translucent backdrop is none", half.get(), 30, 20, 0x80FF0000, false},
      {"no picture", nullptr, 30, 20, kRed, false},
      {"no size", blue.get(), 0, 20, kRed, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(FittedPicture(c.image, c.width, c.height, c.backdrop).opaque(), c.opaque);
  }
}

TEST_F(FittedPictureTest, LaidOnItsBackdropItCoversExactlyItsRectangle) {
  GdipImage half = SolidImage(90, 60, kHalfBlue);
  const IntRect sizes[] = {{10, 10, 100, 70}, {10, 10, 70, 50}, {5, 7, 140, 97}};
  for (const IntRect& r : sizes) {
    SCOPED_TRACE(r.width());
    DibSurface surface(nullptr, 160, 120);
    ASSERT_TRUE(surface.ok());
    GdipGraphics g = CreateWidgetGraphics(surface.dc());
    ASSERT_TRUE(g);
    FillShape(g.get(), kGrey, 0, {0, 0, 160, 120});
    FittedPicture(half.get(), r.width(), r.height(), kRed).Draw(g.get(), r);
    gp::GdipFlush(g.get(), Gdiplus::FlushIntentionSync);
    const int area = r.width() * r.height();
    EXPECT_EQ(CountNear(surface, r, kBlueOnRed, 1), area) << "every pixel, edges too";
    EXPECT_EQ(CountNear(surface, {0, 0, 160, 120}, kGrey, 0), 160 * 120 - area);
    // the graphics blends again afterwards
    DrawPicture(g.get(), half.get(), {0, 0, 160, 120});
    gp::GdipFlush(g.get(), Gdiplus::FlushIntentionSync);
    EXPECT_EQ(CountNear(surface, {0, 0, 5, 5}, kBlueOnGrey, 2), 25);
  }
}

TEST_F(FittedPictureTest, APictureWidgetGivesTheSamePixelsWithOrWithoutTheFill) {
  GdipImage opaque = SolidImage(90, 60, kBlue);
  GdipImage half = SolidImage(90, 60, kHalfBlue);
  GdipImage narrow = SolidImage(30, 60, kBlue);
  const struct {
    const char* why;
    Gdiplus::GpImage* image;
    int32_t radius;
    uint32_t colour;  // where the picture is
    int pictureArea;
  } cases[] = {
      {"an opaque picture over all of it", opaque.get(), 0, kBlue, 60 * 40},
      {"a translucent one, laid on the fill's colour", half.get(), 0, kBlueOnGrey, 60 * 40},
      {"a narrow one: the fill beside it", narrow.get(), 0, kBlue, 20 * 40},
      {"rounded corners: the fill, then the picture", half.get(), 6, kBlueOnGrey, 60 * 40},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    WidgetStyles styles;
    for (WidgetStyle& s : styles) {
      s.backgroundColor = kGrey;
      s.cornerRadius = c.radius;
    }
    CImageResource widget(0, kKindBackground, &styles);
    widget.SetRect(0, 0, 60, 40);
    widget.SetImage(c.image);
    DibSurface surface(nullptr, 60, 40);
    ASSERT_TRUE(surface.ok());
    widget.Draw(surface.dc());
    // the rounded corners are the picture's alone there
    const IntRect inside = c.radius ? IntRect{6, 6, 54, 34} : IntRect{0, 0, 60, 40};
    const int insideArea = inside.width() * inside.height();
    EXPECT_EQ(CountNear(surface, inside, c.colour, 2),
              c.pictureArea == 60 * 40 ? insideArea : c.pictureArea);
    EXPECT_EQ(CountNear(surface, inside, kGrey, 0),
              c.pictureArea == 60 * 40 ? 0 : insideArea - c.pictureArea);
  }
}

}  // namespace
}  // namespace orvane
