// Widgets drawn into a 32-bit DIB and checked by their pixels.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/WineTestSupport.h"
#include "ui/ButtonResource.h"
#include "ui/CheckboxResource.h"
#include "ui/DisplayScale.h"
#include "ui/ProgressResource.h"
#include "ui/TextResource.h"
#include "ui/WidgetTestSupport.h"

namespace orvane {
namespace {

using test::BoundsOf;
using test::CountNear;
using test::Near;
using test::SolidImage;

constexpr uint32_t kPage = 0xFF1F1F1F;
constexpr uint32_t kAccent = 0xFF4F7DFF;
constexpr uint32_t kText = 0xFFE0E7FA;
constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kMagenta = 0xFFFF00FF;

struct WidgetPixels : ::testing::Test {
  DisplayScaleScope displayScale;
  GdiplusSession gdiplus;
  std::unique_ptr<DibSurface> surface;

  void SetUp() override {
    ASSERT_TRUE(gdiplus.ok());
    Fresh();
  }
  // a new, fully transparent surface
  void Fresh(int w = 200, int h = 100) {
    surface = std::make_unique<DibSurface>(nullptr, w, h);
    ASSERT_TRUE(surface->ok());
  }
  uint32_t At(int x, int y) { return surface->Pixel(x, y); }
  void SetScale(double s) { CurrentDisplayScale()->uiScale = s; }
};

// the install button of the begin page
WidgetStyles InstallButtonStyles() {
  WidgetStyles s;
  const uint32_t backgrounds[4] = {kAccent, 0xFF5D8EFC, 0xFF5D8EFC, 0xFF6A748B};
  for (int i = 0; i < 4; ++i) {
    s[i].backgroundColor = backgrounds[i];
    s[i].textColor = kText;
    s[i].cornerRadius = 2;
    s[i].horizontalAlignment = 1;
    s[i].verticalAlignment = 1;
  }
  return s;
}

TEST_F(WidgetPixels, ButtonBackgroundFollowsTheState) {
  const WidgetStyles styles = InstallButtonStyles();
  const uint32_t expected[4] = {kAccent, 0xFF5D8EFC, 0xFF5D8EFC, 0xFF6A748B};
  for (int state = 0; state < 4; ++state) {
    Fresh();
    CButtonResource button(L"立即安装", 3, &styles);
    button.SetRect(20, 20, 186, 68);
    button.SetState(state);
    button.Draw(surface->dc());
    EXPECT_TRUE(Near(At(25, 25), expected[state], 0)) << state << std::hex << " " << At(25, 25);
    EXPECT_TRUE(Near(At(180, 62), expected[state], 0)) << state;
    EXPECT_EQ(At(10, 10), 0u) << "outside the button";
    EXPECT_GT(CountNear(*surface, {20, 20, 186, 68}, kText), 40) << "caption, state " << state;
  }
  // without a style block: the default blue and white
  Fresh();
  CButtonResource plain(L"", 1, nullptr);
  plain.SetRect(20, 20, 120, 50);
  plain.Draw(surface->dc());
  EXPECT_TRUE(Near(At(60, 35), 0xFF4197FF, 0));
}

TEST_F(WidgetPixels, LargeRadiusDrawsAPill) {
  WidgetStyles pill;
  pill[0].backgroundColor = kAccent;
  pill[0].cornerRadius = 100;
  CImageResource round(0, kKindPicture, &pill);
  round.SetRect(10, 10, 190, 26);
  round.Draw(surface->dc());
  EXPECT_TRUE(Near(At(18, 18), kAccent, 0)) << "middle of the left end";
  EXPECT_TRUE(Near(At(100, 14), kAccent, 0)) << "middle of the bar";
  EXPECT_EQ(At(10, 10), 0u) << "rounded away";
  EXPECT_EQ(At(11, 11), 0u) << "rounded away";
  EXPECT_EQ(At(188, 24), 0u) << "rounded away";

  Fresh();
  WidgetStyles square = pill;
  square[0].cornerRadius = 0;
  CImageResource sharp(0, kKindPicture, &square);
  sharp.SetRect(10, 10, 190, 26);
  sharp.Draw(surface->dc());
  EXPECT_TRUE(Near(At(11, 11), kAccent, 0));
  EXPECT_TRUE(Near(At(188, 24), kAccent, 0));
}

TEST_F(WidgetPixels, BorderWidthIsScaled) {
  auto draw = [&](int width, int radius, double scale) {
    Fresh();
    SetScale(scale);
    WidgetStyles s;
    s[0].backgroundColor = kBlue;
    s[0].borderColor = kRed;
    s[0].borderWidth = width;
    s[0].cornerRadius = radius;
    CImageResource box(0, kKindPicture, &s);
    box.SetRect(20, 20, 120, 80);
    box.Draw(surface->dc());
  };
  // x of the last red pixel and of the first blue one along the middle row
  auto edge = [&](int* lastRed, int* firstBlue) {
    *lastRed = *firstBlue = -1;
    for (int x = 15; x < 70; ++x) {
      if (Near(At(x, 50), kRed, 40)) *lastRed = x;
      if (*firstBlue < 0 && Near(At(x, 50), kBlue, 40)) *firstBlue = x;
    }
  };
  int red = 0, blue = 0;
  draw(0, 0, 1.0);
  edge(&red, &blue);
  EXPECT_EQ(red, -1) << "no border";
  draw(1, 0, 1.0);
  edge(&red, &blue);
  EXPECT_EQ(red, 20);
  draw(4, 0, 1.0);
  edge(&red, &blue);
  EXPECT_EQ(red, 21) << "a 4-pixel pen centred on the edge";
  EXPECT_EQ(blue, 22);
  draw(4, 0, 1.5);
  edge(&red, &blue);
  EXPECT_EQ(red, 22) << "6 pixels at 1.5";
  // rounded: one-pixel outlines moved in one pixel at a time
  draw(3, 4, 1.0);
  edge(&red, &blue);
  EXPECT_EQ(red, 22);
  draw(1, 4, 1.0);
  edge(&red, &blue);
  EXPECT_EQ(red, 20);
}

TEST_F(WidgetPixels, ProgressBarFillsItsShare) {
  WidgetStyles s;
  s[0].textColor = kAccent;
  s[0].backgroundColor = kPage;
  const IntRect track{10, 10, 110, 30};
  for (int percent : {0, 50, 100}) {
    Fresh();
    CProgressResource bar(2, &s);
    bar.SetRect(track);
    bar.SetPercent(percent);
    bar.Draw(surface->dc());
    const int filled = CountNear(*surface, track, kAccent, 0);
    EXPECT_NEAR(filled, percent * 100 * 20 / 100, 45) << percent;
    EXPECT_TRUE(Near(At(12, 20), percent ? kAccent : kPage, 0)) << percent;
    EXPECT_TRUE(Near(At(107, 20), percent == 100 ? kAccent : kPage, 0)) << percent;
    if (percent == 50) {
      EXPECT_TRUE(Near(At(57, 20), kAccent, 0));
      EXPECT_TRUE(Near(At(62, 20), kPage, 0));
    }
  }
  // a pill bar at 0 % shows no bar at all
  s[0].cornerRadius = 100;
  Fresh();
  CProgressResource pill(2, &s);
  pill.SetRect(track);
  pill.SetPercent(0);
  pill.Draw(surface->dc());
  EXPECT_EQ(CountNear(*surface, track, kAccent, 60), 0);
}

TEST_F(WidgetPixels, CheckImageOnTheChosenSide) {
  GdipImage selected = SolidImage(20, 20, kGreen);
  GdipImage deselected = SolidImage(20, 20, kMagenta);
  for (int position : {0, 1}) {
    WidgetStyles s;
    for (WidgetStyle& style : s) {
      style.iconPosition = position;
      style.textColor = kText;
    }
    CCheckboxResource box(L"我已阅读并同意", selected.get(), deselected.get(), 6, &s);
    box.SetRect(10, 10, 150, 30);
    Fresh();
    box.Draw(surface->dc());
    const IntRect image = position ? IntRect{130, 10, 150, 30} : IntRect{10, 10, 30, 30};
    EXPECT_EQ(box.checkImageRect(), image);
    EXPECT_EQ(CountNear(*surface, image, kGreen, 0), 400) << position;
    EXPECT_EQ(CountNear(*surface, {0, 0, 200, 100}, kGreen, 0), 400) << position;
    // the caption sits beside the image, in the normal text colour
    const IntRect caption = BoundsOf(*surface, kText);
    ASSERT_NE(caption, IntRect{});
    if (position) {
      EXPECT_LE(caption.right, 127);
    } else {
      EXPECT_GE(caption.left, 33);
    }
    box.SetSelected(0);
    Fresh();
    box.Draw(surface->dc());
    EXPECT_EQ(CountNear(*surface, image, kMagenta, 0), 400);
    EXPECT_EQ(CountNear(*surface, image, kGreen, 0), 0);
  }
}

TEST_F(WidgetPixels, ButtonImageAndCaptionShareTheRectangle) {
  GdipImage icon = SolidImage(20, 20, kGreen);
  WidgetStyles s;
  for (WidgetStyle& style : s) {
    style.textColor = kText;
    style.horizontalAlignment = 1;
  }
  CButtonResource button(L"返回返回", 1, &s);
  button.SetRect(10, 10, 130, 30);
  button.SetStateImage(kStateNormal, icon.get());
  button.Draw(surface->dc());
  EXPECT_EQ(button.stateImageRect(), (IntRect{10, 10, 30, 30}));
  EXPECT_EQ(CountNear(*surface, {10, 10, 30, 30}, kGreen, 0), 400);
  const IntRect beside = BoundsOf(*surface, kText);
  EXPECT_GE(beside.left, 33) << "caption right of the image and the gap";

  // no image for the hover state: the caption takes the whole rectangle
  button.SetState(kStateHover);
  Fresh();
  button.Draw(surface->dc());
  EXPECT_EQ(CountNear(*surface, {0, 0, 200, 100}, kGreen, 0), 0);
  const IntRect full = BoundsOf(*surface, kText);
  EXPECT_LT(full.left, beside.left);
  EXPECT_NEAR((full.left + full.right) / 2, 70, 3) << "centred in the whole button";
}

TEST_F(WidgetPixels, CaptionLeavesTextPixelsInsideItsRectangle) {
  WidgetStyles s;
  s[0].textColor = kText;
  s[0].backgroundColor = kPage;
  s[0].fontSize = 24;
  s[0].horizontalAlignment = 1;
  CTextResource title(8, kKindText, &s);
  title.SetText(L"栖木工坊");
  title.SetRect(10, 10, 190, 60);
  title.Draw(surface->dc());
  EXPECT_GT(CountNear(*surface, {10, 10, 190, 60}, kText, 0), 60);
  const IntRect ink = BoundsOf(*surface, kText);
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.right, 190);
  EXPECT_GE(ink.top, 10);
  EXPECT_LE(ink.bottom, 60);
  // four CJK glyphs of 24 pixels, centred
  EXPECT_GT(ink.right - ink.left, 70);
  EXPECT_NEAR((ink.left + ink.right) / 2, 100, 4);

  // a hidden text draws nothing
  Fresh();
  title.SetVisible(false);
  title.Draw(surface->dc());
  EXPECT_EQ(CountNear(*surface, {0, 0, 200, 100}, kPage, 0), 0);
}

TEST_F(WidgetPixels, TextAlignsVerticallyWhereverItIs) {
  // far from the origin, where the layout of path text is easy to get wrong
  const IntRect box{10, 120, 190, 190};
  struct Case {
    int32_t align;
    int top, bottom;  // where the ink may be
  } cases[] = {{0, 120, 148}, {1, 141, 169}, {2, 162, 190}};
  for (const Case& c : cases) {
    Fresh(200, 200);
    WidgetStyles s;
    s[0].textColor = kText;
    s[0].fontSize = 20;
    s[0].horizontalAlignment = 1;
    s[0].verticalAlignment = c.align;
    CTextResource text(1, kKindText, &s);
    text.SetText(L"立即安装");
    text.SetRect(box);
    text.Draw(surface->dc());
    const IntRect ink = BoundsOf(*surface, kText);
    EXPECT_GE(ink.top, c.top) << "alignment " << c.align;
    EXPECT_LE(ink.bottom, c.bottom) << "alignment " << c.align;
    EXPECT_NEAR((ink.left + ink.right) / 2, 100, 3) << "alignment " << c.align;
  }
}

// every pixel of the surface
std::vector<uint32_t> Pixels(const DibSurface& s) {
  std::vector<uint32_t> p;
  for (int y = 0; y < s.height(); ++y) {
    for (int x = 0; x < s.width(); ++x)
      p.push_back(s.Pixel(x, y));
  }
  return p;
}

TEST_F(WidgetPixels, BoldWinsOverUnderline) {
  auto draw = [&](uint8_t bold, uint8_t underline) {
    Fresh();
    WidgetStyles s;
    s[0].textColor = kText;
    s[0].fontSize = 20;
    s[0].bold = bold;
    s[0].underline = underline;
    CTextResource text(1, kKindText, &s);
    text.SetText(L"用户使用协议 il");
    text.SetRect(10, 10, 190, 60);
    text.Draw(surface->dc());
    return Pixels(*surface);
  };
  const auto plain = draw(0, 0);
  const auto underlined = draw(0, 1);
  const auto bold = draw(1, 0);
  const auto both = draw(1, 1);
  EXPECT_GT(CountNear(*surface, {10, 10, 190, 60}, kText, 0), 40);
  EXPECT_NE(underlined, plain) << "underline alone changes the drawing";
  EXPECT_NE(bold, plain);
  EXPECT_EQ(both, bold) << "bold and underline draws as bold alone";
}

TEST_F(WidgetPixels, FontGrowsWithTheScale) {
  auto width = [&](double scale) {
    Fresh(300, 100);
    SetScale(scale);
    WidgetStyles s;
    s[0].textColor = kText;
    CTextResource text(1, kKindText, &s);
    text.SetText(L"安装路径");
    text.SetRect(0, 0, 300, 100);
    text.Draw(surface->dc());
    const IntRect ink = BoundsOf(*surface, kText);
    return ink.right - ink.left;
  };
  const double small = width(1.0);
  const double large = width(1.5);
  ASSERT_GT(small, 0);
  EXPECT_NEAR(large / small, 1.5, 0.12);
}

TEST_F(WidgetPixels, MissingFontFallsBackToSansSerif) {
  WidgetStyles s;
  s[0].textColor = kText;
  s[0].fontFamily = L"No Such Family 1234";
  CTextResource text(1, kKindText, &s);
  text.SetText(L"Fallback");
  text.SetRect(10, 10, 190, 60);
  text.Draw(surface->dc());

  EXPECT_GT(CountNear(*surface, {10, 10, 190, 60}, kText, 40), 20);
}

}  // namespace
}  // namespace orvane
