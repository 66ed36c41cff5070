// Pictures made ready for their size (FittedPicture): laid on a backdrop
// colour they come out opaque and are copied, which gives the pixels a
// fill below and a blend over it would give, exactly inside the rectangle.
#include <gtest/gtest.h>

#include "ui/DisplayScale.h"
#include "ui/ImageResource.h"
#include "ui/PictureAhead.h"
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

// a grey fill in every state, with the corner radius given
WidgetStyles GreyFill(int32_t radius) {
  WidgetStyles styles;
  for (WidgetStyle& s : styles) {
    s.backgroundColor = kGrey;
    s.cornerRadius = radius;
  }
  return styles;
}

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
    const WidgetStyles styles = GreyFill(c.radius);
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

// the pixels a widget draws, in a surface of its own
std::vector<uint32_t> PixelsOf(CImageResource& widget, int width, int height) {
  DibSurface surface(nullptr, width, height);
  std::vector<uint32_t> pixels;
  if (!surface.ok()) return pixels;
  widget.Draw(surface.dc());
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      pixels.push_back(surface.Pixel(x, y));
  }
  return pixels;
}

TEST_F(FittedPictureTest, APictureFittedAheadIsTakenOnceByTheSameAskOnly) {
  GdipImage half = SolidImage(90, 60, kHalfBlue);
  GdipImage other = SolidImage(90, 60, kBlue);
  auto fit = [&](int32_t w, int32_t h) {
    PictureAhead::Adopt(half.get(), w, h, kRed,
                        std::make_unique<FittedPicture>(half.get(), w, h, kRed));
  };
  fit(60, 40);
  // another picture, size or backdrop is not it, and leaves it there
  EXPECT_EQ(PictureAhead::Take(other.get(), 60, 40, kRed), nullptr);
  EXPECT_EQ(PictureAhead::Take(half.get(), 61, 40, kRed), nullptr);
  EXPECT_EQ(PictureAhead::Take(half.get(), 60, 40, kGrey), nullptr);
  std::unique_ptr<FittedPicture> fitted = PictureAhead::Take(half.get(), 60, 40, kRed);
  ASSERT_NE(fitted, nullptr);
  EXPECT_TRUE(fitted->opaque());
  EXPECT_EQ(PictureAhead::Take(half.get(), 60, 40, kRed), nullptr) << "taken once";

  // dropped: nothing to take
  fit(60, 40);
  PictureAhead::Discard();
  EXPECT_EQ(PictureAhead::Take(half.get(), 60, 40, kRed), nullptr);
  // a new one drops what was there
  fit(60, 40);
  fit(30, 20);
  EXPECT_EQ(PictureAhead::Take(half.get(), 60, 40, kRed), nullptr);
  EXPECT_NE(PictureAhead::Take(half.get(), 30, 20, kRed), nullptr);
  // nothing made, nothing handed over
  PictureAhead::Adopt(half.get(), 60, 40, kRed, nullptr);
  EXPECT_EQ(PictureAhead::Take(half.get(), 60, 40, kRed), nullptr);
}

TEST_F(FittedPictureTest, AWidgetDrawsTheSamePixelsWithItsPictureFittedAhead) {
  // a picture with a gradient, so that a different fitting would show
  Gdiplus::GpBitmap* bitmap = nullptr;
  gp::GdipCreateBitmapFromScan0(90, 60, 0, PixelFormat32bppARGB, nullptr, &bitmap);
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 90; ++x)
      gp::GdipBitmapSetPixel(bitmap, x, y, (static_cast<uint32_t>(x * 2) << 24) | (y * 4 << 8) | x);
  }
  GdipImage picture(bitmap);
  const struct {
    const char* why;
    int32_t radius;
  } cases[] = {{"laid on its fill", 0}, {"blended over a rounded fill", 6}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const WidgetStyles styles = GreyFill(c.radius);
    CImageResource plain(0, kKindBackground, &styles);
    plain.SetRect(0, 0, 60, 40);
    plain.SetImage(picture.get());
    const std::vector<uint32_t> want = PixelsOf(plain, 60, 40);
    ASSERT_EQ(want.size(), 60u * 40u);

    CImageResource ahead(0, kKindBackground, &styles);
    ahead.SetRect(0, 0, 60, 40);
    ahead.SetImage(picture.get());
    const PictureFit asked = ahead.FitAsked();
    PictureAhead::Adopt(asked.image, asked.width, asked.height, asked.backdrop,
                        std::make_unique<FittedPicture>(asked.image, asked.width, asked.height,
                                                        asked.backdrop));
    EXPECT_EQ(PixelsOf(ahead, 60, 40), want);
    // the paint took it
    EXPECT_EQ(PictureAhead::Take(picture.get(), 60, 40, c.radius ? 0 : kGrey), nullptr);
  }
  PictureAhead::Discard();
}

}  // namespace
}  // namespace orvane
