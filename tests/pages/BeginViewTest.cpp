// The begin page's list of pictures, which start-up decodes ahead of the
// page, is the set the page asks the skin for.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "pages/BeginView.h"
#include "support/RecordingLogger.h"
#include "ui/DisplayScale.h"
#include "ui/ResourceMgr.h"

namespace orvane {
namespace {

// a skin without pictures that notes every name asked for
class AskedNames : public IResourceMgr {
 public:
  std::set<std::wstring> names;
  Gdiplus::GpImage* GetImage(const wchar_t* name) override {
    if (name) names.insert(name);
    return nullptr;
  }
  void Release() override {}
};

TEST(BeginView, PicturesAreTheOnesThePageAsksFor) {
  DisplayScaleScope display;
  test::RecordingLogger logger;
  ScopedLoggerOverride quiet(&logger);
  AskedNames skin;
  HWND host = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_NE(host, nullptr);
  {
    CBeginView page(host, &skin, false);
  }
  ::DestroyWindow(host);
  const std::vector<std::wstring>& listed = CBeginView::Pictures();
  EXPECT_EQ(std::set<std::wstring>(listed.begin(), listed.end()), skin.names);
  EXPECT_EQ(listed.size(), skin.names.size()) << "each once";
  ASSERT_FALSE(listed.empty());
  EXPECT_EQ(listed.front(), L"main_bg.png") << "the largest first";
}

}  // namespace
}  // namespace orvane
