// The pages built by their own classes lay out as designed, at scale 1.0 and
// 1.5 (the begin page is checked on screen by the gallery's test).
#include <gtest/gtest.h>

#include "app/AppGlobals.h"
#include "pages/CustomeView.h"
#include "pages/DialogViews.h"
#include "support/RecordingLogger.h"
#include "ui/GeometryPrinting.h"
#include "ui/ResourceMgr.h"

namespace orvane {
namespace {

// a skin without pictures
class NoImages : public IResourceMgr {
 public:
  Gdiplus::GpImage* GetImage(const wchar_t*) override { return nullptr; }
  void Release() override {}
};

struct PageGeometry : ::testing::TestWithParam<double> {
  AppGlobalsScope globals;
  test::RecordingLogger logger;
  ScopedLoggerOverride quiet{&logger};
  NoImages skin;
  HWND host = nullptr;

  void SetUp() override { GetAppGlobals()->uiScale = GetParam(); }
  void TearDown() override { ::DestroyWindow(host); }
  HWND Host(int width, int height) {
    const double s = GetParam();
    host = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, static_cast<int>(width * s),
                             static_cast<int>(height * s), nullptr, nullptr, nullptr, nullptr);
    return host;
  }
  // within a pixel of the design times the scale
  void ExpectAt(const IntRect& got, const IntRect& design, const char* what) {
    const double s = GetParam();
    EXPECT_NEAR(got.left, design.left * s, 1) << what << " " << got;
    EXPECT_NEAR(got.top, design.top * s, 1) << what << " " << got;
    EXPECT_NEAR(got.right, design.right * s, 1) << what << " " << got;
    EXPECT_NEAR(got.bottom, design.bottom * s, 1) << what << " " << got;
  }
};

TEST_P(PageGeometry, CustomPage) {
  CCustomeView page(Host(600, 400), &skin, false, nullptr);
  const struct {
    int index;
    IntRect design;
    const char* what;
  } table[] = {
      {3, {20, 24, 120, 40}, "back"},         {6, {44, 70, 556, 118}, "title"},
      {9, {44, 136, 126, 160}, "path label"}, {10, {126, 132, 515, 164}, "edit field"},
      {11, {515, 136, 556, 160}, "browse"},   {13, {44, 178, 556, 202}, "space row"},
      {15, {126, 178, 208, 202}, "needed"},   {17, {290, 178, 372, 202}, "free"},
      {18, {372, 178, 556, 202}, "warning"},  {22, {126, 224, 556, 240}, "check box"},
      {26, {217, 286, 383, 334}, "install"},
  };
  for (const auto& row : table)
    ExpectAt(page.WidgetAt(row.index)->rect(), row.design, row.what);
  EXPECT_EQ(
      logger.Events(),
      std::vector<std::string>{"event vInstallPage {is_reinstall=false, windows_name=自定义安装}"});
}

TEST_P(PageGeometry, DialogButtonsAreSeventySixByThirty) {
  WarnView dialog(Host(400, 200), &skin);
  const IBaseResource* first = dialog.FindWidget(CTemplateView::kFirstButton);
  const IBaseResource* second = dialog.FindWidget(CTemplateView::kSecondButton);
  const double s = GetParam();
  for (const IBaseResource* b : {first, second}) {
    EXPECT_NEAR(b->rect().width(), 76 * s, 1.5) << b->rect();
    EXPECT_NEAR(b->rect().height(), 30 * s, 1.5) << b->rect();
  }
  EXPECT_NEAR(second->rect().right, 376 * s, 1);
  // the point the tests click "确认" at lies inside it
  EXPECT_TRUE(first->rect().Contains(static_cast<int>(250 * s), static_cast<int>(164 * s)));
}

INSTANTIATE_TEST_SUITE_P(Scales, PageGeometry, ::testing::Values(1.0, 1.5), [](const auto& info) {
  return info.param == 1.0 ? "At100" : "At150";
});

}  // namespace
}  // namespace orvane
