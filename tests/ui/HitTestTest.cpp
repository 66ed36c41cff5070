#include "ui/HitTest.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ui/Geometry.h"

namespace orvane {
namespace {

struct FakeWidget {
  int32_t kind_;
  IntRect rect_;
  int32_t kind() const { return kind_; }
  const IntRect& rect() const { return rect_; }
};

using Widgets = std::vector<std::unique_ptr<FakeWidget>>;

Widgets Make(std::initializer_list<FakeWidget> list) {
  Widgets w;
  for (const FakeWidget& f : list)
    w.push_back(std::make_unique<FakeWidget>(f));
  return w;
}

TEST(HitTest, FirstInteractiveWidgetWins) {
  const IntRect page{0, 0, 600, 400};
  const IntRect button{100, 100, 200, 150};
  struct Case {
    const char* what;
    Widgets widgets;
    int x, y;
    int32_t index;
  } cases[] = {
      {"button over the background",
       Make({{kKindLayout, page}, {kKindBackground, page}, {kKindButton, button}}), 150, 120, 2},
      {"background never hides a button, whatever the order",
       Make({{kKindButton, button}, {kKindBackground, page}}), 150, 120, 0},
      {"background when nothing else is there",
       Make({{kKindLayout, page}, {kKindBackground, page}, {kKindButton, button}}), 10, 10, 1},
      {"the earlier of two overlapping buttons",
       Make({{kKindBackground, page}, {kKindButton, {90, 90, 160, 160}}, {kKindButton, button}}),
       150, 120, 1},
      {"a later background or animation replaces an earlier one",
       Make({{kKindBackground, page}, {kKindAnimation, {0, 0, 600, 300}}}), 10, 10, 1},
      {"outside every widget", Make({{kKindLayout, page}, {kKindButton, button}}), 700, 500, 0},
      {"layouts are skipped", Make({{kKindBackground, page}, {kKindLayout, button}}), 150, 120, 0},
      {"a picture or text is interactive",
       Make({{kKindBackground, page}, {kKindText, button}, {kKindButton, button}}), 150, 120, 1},
      {"right and bottom edges are outside", Make({{kKindBackground, page}, {kKindButton, button}}),
       200, 150, 0},
      {"left and top edges are inside", Make({{kKindBackground, page}, {kKindButton, button}}), 100,
       100, 1},
      {"no widgets", Make({}), 5, 5, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(HitTestWidgets(c.widgets, c.x, c.y), c.index) << c.what;
}

TEST(HitTest, PointIsTwoUnsignedWords) {
  int32_t x = 0, y = 0;
  PointFromLParam(0x00C80064u, &x, &y);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 200);
  // a point left of the window is not negative here
  PointFromLParam(0x0005FFFFu, &x, &y);
  EXPECT_EQ(x, 65535);
  EXPECT_EQ(y, 5);
}

}  // namespace
}  // namespace orvane
