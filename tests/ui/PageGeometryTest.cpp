// Whole pages laid out by the real widget classes: one SetRect on the root
// layout must give the rectangles that the pages are designed with.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ui/ButtonResource.h"
#include "ui/CheckboxResource.h"
#include "ui/DisplayScale.h"
#include "ui/EditResource.h"
#include "ui/GeometryPrinting.h"
#include "ui/ImageResource.h"
#include "ui/LayoutResource.h"
#include "ui/SpacerResource.h"
#include "ui/TextResource.h"

namespace orvane {
namespace {

// owns the widgets of a page under test, as a view's vector would
struct Page {
  std::vector<std::unique_ptr<IBaseResource>> widgets;
  template <typename T>
  T* Add(std::unique_ptr<T> w) {
    T* raw = w.get();
    widgets.push_back(std::move(w));
    return raw;
  }
  CLayoutResource* Layout(int32_t orientation) {
    return Add(std::make_unique<CLayoutResource>(orientation, 9));
  }
  CSpacerResource* Spacer() { return Add(std::make_unique<CSpacerResource>()); }
  CTextResource* Text() { return Add(std::make_unique<CTextResource>(10, kKindText, nullptr)); }
};

// the scale-1.5 rectangle may differ from 1.5 times the design by a pixel
void ExpectScaled(const IntRect& got, const IntRect& design, double scale, const char* what) {
  EXPECT_NEAR(got.left, design.left * scale, 1) << what << " " << got;
  EXPECT_NEAR(got.top, design.top * scale, 1) << what << " " << got;
  EXPECT_NEAR(got.right, design.right * scale, 1) << what << " " << got;
  EXPECT_NEAR(got.bottom, design.bottom * scale, 1) << what << " " << got;
}

struct PageGeometry : ::testing::TestWithParam<double> {
  DisplayScaleScope displayScale;
  HWND parent = ::CreateWindowExW(0,
                                  L"STATIC",
                                  L"",
                                  WS_POPUP,
                                  0,
                                  0,
                                  900,
                                  600,
                                  nullptr,
                                  nullptr,
                                  nullptr,
                                  nullptr);
  ~PageGeometry() override { ::DestroyWindow(parent); }
  double scale() const { return GetParam(); }
  void SetUp() override { CurrentDisplayScale()->uiScale = scale(); }
};

TEST_P(PageGeometry, CustomInstallPage) {
  Page p;
  auto* root = p.Layout(kVertical);
  root->SetMargins(20, 24, 20, 0);
  auto* bg = p.Add(std::make_unique<CImageResource>(0, kKindBackground, nullptr));
  root->SetBackground(bg);
  auto* top = p.Layout(kHorizontal);
  root->AddChild(top, 4);
  auto* back = p.Add(std::make_unique<CButtonResource>(L"返回", 1, nullptr));
  top->AddChild(back, 5);
  top->AddChild(p.Spacer(), 23);
  auto* body = p.Layout(kVertical);
  body->SetMargins(24, 30, 24, 30);
  root->AddChild(body, 88);
  auto* title = p.Text();
  body->AddChild(title, 8);
  body->AddChild(p.Spacer(), 3);
  auto* pathRow = p.Layout(kHorizontal);
  body->AddChild(pathRow, 4);
  auto* pathLabel = p.Text();
  pathRow->AddChild(pathLabel, 8);
  auto* edit = p.Add(std::make_unique<CEditResource>(parent, nullptr));
  edit->SetOutsets(0, 4);
  pathRow->AddChild(edit, 38);
  auto* browse = p.Add(std::make_unique<CButtonResource>(L"浏览", 2, nullptr));
  pathRow->AddChild(browse, 4);
  body->AddChild(p.Spacer(), 3);
  auto* spaceRow = p.Layout(kHorizontal);
  body->AddChild(spaceRow, 4);
  CTextResource* space[5];
  const uint32_t spaceWeights[5] = {8, 8, 8, 8, 18};
  for (int i = 0; i < 5; ++i)
    spaceRow->AddChild(space[i] = p.Text(), spaceWeights[i]);
  body->AddChild(p.Spacer(), 3);
  auto* options = p.Layout(kHorizontal);
  body->AddChild(options, 4);
  options->AddChild(p.Text(), 8);
  auto* box = p.Add(std::make_unique<CCheckboxResource>(L"同意并参加用户体验改善计划", nullptr,
                                                        nullptr, 9, nullptr));
  box->SetOutsets(0, -4);
  options->AddChild(box, 42);
  body->AddChild(p.Spacer(), 2);
  auto* buttons = p.Layout(kHorizontal);
  body->AddChild(buttons, 18);
  buttons->AddChild(p.Spacer(), 24);
  auto* install = p.Add(std::make_unique<CButtonResource>(L"立即安装", 3, nullptr));
  install->SetAspect(3.5);
  buttons->AddChild(install, 23);
  buttons->AddChild(p.Spacer(), 24);
  body->AddChild(p.Text(), 1);

  const double s = scale();
  root->SetRect(0, 0, static_cast<int32_t>(600 * s), static_cast<int32_t>(400 * s));
  ExpectScaled(bg->rect(), {0, 0, 600, 400}, s, "background");
  ExpectScaled(back->rect(), {20, 24, 120, 40}, s, "back");
  ExpectScaled(title->rect(), {44, 70, 556, 118}, s, "title");
  ExpectScaled(pathLabel->rect(), {44, 136, 126, 160}, s, "path label");
  ExpectScaled(edit->rect(), {126, 132, 515, 164}, s, "edit field");
  ExpectScaled(browse->rect(), {515, 136, 556, 160}, s, "browse");
  ExpectScaled(spaceRow->rect(), {44, 178, 556, 202}, s, "space row");
  ExpectScaled(space[1]->rect(), {126, 178, 208, 202}, s, "needed value");
  ExpectScaled(space[3]->rect(), {290, 178, 372, 202}, s, "free value");
  ExpectScaled(space[4]->rect(), {372, 178, 556, 202}, s, "warning");
  ExpectScaled(box->rect(), {126, 224, 556, 240}, s, "check box");
  ExpectScaled(install->rect(), {217, 286, 383, 334}, s, "install");
  // the edit control follows its widget
  RECT r{};
  ::GetWindowRect(edit->control(), &r);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.top, edit->rect().top);
  EXPECT_EQ(r.bottom - r.top, edit->rect().height());
}

TEST_P(PageGeometry, DialogButtonsAreSeventySixByThirty) {
  Page p;
  auto* root = p.Layout(kVertical);
  auto* titleBar = p.Layout(kHorizontal);
  titleBar->SetMargins(10, 5, 10, 5);
  root->AddChild(titleBar, 3);
  titleBar->AddChild(p.Text(), 27);
  auto* body = p.Layout(kVertical);
  body->SetMargins(24, 16, 24, 16);
  root->AddChild(body, 17);
  auto* content = p.Layout(kVertical);
  body->AddChild(content, 5);
  auto* row = p.Layout(kHorizontal);
  body->AddChild(row, 2);
  row->AddChild(p.Spacer(), 15);
  auto* first = p.Add(std::make_unique<CButtonResource>(L"确认", 1, nullptr));
  first->SetAspect(2.5333);
  row->AddChild(first, 6);
  row->AddChild(p.Spacer(), 1);
  auto* second = p.Add(std::make_unique<CButtonResource>(L"取消", 2, nullptr));
  second->SetAspect(2.5333);
  row->AddChild(second, 6);

  const double s = scale();
  root->SetRect(0, 0, static_cast<int32_t>(400 * s), static_cast<int32_t>(200 * s));
  for (auto* b : {first, second}) {
    EXPECT_NEAR(b->rect().width(), 76 * s, 1.5) << b->rect();
    EXPECT_NEAR(b->rect().height(), 30 * s, 1.5) << b->rect();
  }
  EXPECT_NEAR(second->rect().right, 376 * s, 1);
  EXPECT_LT(first->rect().right, second->rect().left);
}

INSTANTIATE_TEST_SUITE_P(Scales, PageGeometry, ::testing::Values(1.0, 1.5), [](const auto& info) {
  return info.param == 1.0 ? "At100" : "At150";
});

}  // namespace
}  // namespace orvane
