// The repaint cache: a widget's base and its pictures are rendered once per
// look and size, and the copy shows the same pixels as drawing directly.
#include <gtest/gtest.h>

#include <memory>

#include "ui/CachedBitmap.h"
#include "ui/DisplayScale.h"
#include "ui/ImageResource.h"
#include "ui/WidgetPainter.h"
#include "ui/WidgetTestSupport.h"

namespace orvane {
namespace {

using test::Near;
using test::SolidImage;

struct CachedBitmapTest : ::testing::Test {
  DisplayScaleScope displayScale;
  GdiplusSession gdiplus;
  void SetUp() override { ASSERT_TRUE(gdiplus.ok()); }
};

TEST_F(CachedBitmapTest, RendersOncePerKeyAndSize) {
  CachedBitmap cache;
  int renders = 0;
  auto render = [&renders](Gdiplus::GpGraphics*) { ++renders; };
  CacheKey a;
  a.parts[0] = 1;
  CacheKey b = a;
  b.parts[5] = 7;
  EXPECT_TRUE(cache.Ensure(30, 20, a, render));
  EXPECT_TRUE(cache.Ensure(30, 20, a, render));
  EXPECT_EQ(renders, 1);
  EXPECT_TRUE(cache.Ensure(31, 20, a, render)) << "another size";
  EXPECT_TRUE(cache.Ensure(31, 20, b, render)) << "another key";
  EXPECT_EQ(renders, 3);
  EXPECT_FALSE(cache.Ensure(0, 20, a, render));
  EXPECT_EQ(renders, 3);
}

// a half-transparent picture over a filled background, the page
// background's make-up, drawn through the cache and directly
TEST_F(CachedBitmapTest, CopyMatchesTheDirectDraw) {
  GdipImage overlay = SolidImage(90, 60, 0x80FF0000);
  WidgetStyles styles;
  styles[0].backgroundColor = 0xFF1F1F1F;
  styles[0].borderWidth = 1;
  styles[0].borderColor = 0xFF00FF00;
  for (double scale : {1.0, 1.5}) {
    CurrentDisplayScale()->uiScale = scale;
    CImageResource cached(0, kKindBackground, &styles);
    cached.SetImage(overlay.get());
    cached.SetRect(10, 10, 190, 130);
    DibSurface viaCache(nullptr, 200, 140);
    cached.Draw(viaCache.dc());
    cached.Draw(viaCache.dc());  // the second paint comes from the copy

    DibSurface direct(nullptr, 200, 140);
    {
      GdipGraphics g = CreateWidgetGraphics(direct.dc());
      const FloatRect box = ToFloatRect(cached.rect());
      FillShape(g.get(), styles[0].backgroundColor, 0, box);
      DrawPicture(g.get(), overlay.get(), cached.imageRect());
      DrawBorderShape(g.get(), styles[0].borderColor, 0, 1, box);
    }
    for (int y = 0; y < 140; y += 3) {
      for (int x = 0; x < 200; x += 3) {
        ASSERT_TRUE(Near(viaCache.Pixel(x, y), direct.Pixel(x, y), 8))
            << "scale " << scale << " at " << x << "," << y << std::hex << " cache "
            << viaCache.Pixel(x, y) << " direct " << direct.Pixel(x, y);
      }
    }
  }
}

// pages change a style after construction; the next paint must show it
TEST_F(CachedBitmapTest, StyleChangeIsDrawnAgain) {
  GdipImage picture = SolidImage(20, 10, 0x40000000);  // fits rows 25 to 75
  CImageResource widget(0, kKindBackground, nullptr);
  widget.style(0).backgroundColor = 0xFF0000FF;
  widget.SetImage(picture.get());
  widget.SetRect(0, 0, 100, 100);
  DibSurface surface(nullptr, 100, 100);
  widget.Draw(surface.dc());
  EXPECT_TRUE(Near(surface.Pixel(2, 2), 0xFF0000FF, 2));
  widget.style(0).backgroundColor = 0xFF00FF00;
  widget.Draw(surface.dc());
  EXPECT_TRUE(Near(surface.Pixel(2, 2), 0xFF00FF00, 2)) << std::hex << surface.Pixel(2, 2);
  widget.SetState(kStateHover);  // the hover record keeps the default: transparent
  DibSurface fresh(nullptr, 100, 100);
  widget.Draw(fresh.dc());
  EXPECT_EQ(fresh.Pixel(2, 2) >> 24, 0u) << "another state, another look";
}

}  // namespace
}  // namespace orvane
