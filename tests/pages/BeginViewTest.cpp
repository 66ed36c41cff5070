// What start-up prepares for the begin page before the page exists: the
// pictures it decodes ahead are the set the page asks the skin for, and the
// background it fits ahead is the one the page's first paint asks for.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "pages/BeginView.h"
#include "support/RecordingLogger.h"
#include "ui/DisplayScale.h"
#include "ui/ImageResource.h"
#include "ui/ResourceMgr.h"
#include "ui/WidgetKinds.h"

namespace orvane {
namespace {

// a skin without pictures that notes every name asked for
class AskedNames : public IResourceMgr {
 public:
  std::set<std::wstring> names;
  // what it answers for the background
  Gdiplus::GpImage* background = nullptr;
  Gdiplus::GpImage* GetImage(const wchar_t* name) override {
    if (name) names.insert(name);
    return name && std::wstring(name) == L"main_bg.png" ? background : nullptr;
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

TEST(BeginView, TheBackgroundFittedAheadIsTheOneTheFirstPaintAsksFor) {
  GdiplusSession gdiplus;
  Gdiplus::GpBitmap* bitmap = nullptr;
  ASSERT_EQ(gp::GdipCreateBitmapFromScan0(900, 600, 0, PixelFormat32bppARGB, nullptr, &bitmap),
            Gdiplus::Ok);
  GdipImage picture(bitmap);
  for (const double ratio : {1.0, 1.25, 1.5}) {
    SCOPED_TRACE(ratio);
    DisplayScaleScope display;
    CurrentDisplayScale()->uiScale = ratio;
    test::RecordingLogger logger;
    ScopedLoggerOverride quiet(&logger);
    AskedNames skin;
    skin.background = picture.get();
    const int width = static_cast<int>(600 * ratio), height = static_cast<int>(400 * ratio);
    HWND host = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, width, height, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(host, nullptr);
    {
      CBeginView page(host, &skin, false);
      const IBaseResource* widget = page.WidgetAt(1);
      ASSERT_NE(widget, nullptr);
      ASSERT_EQ(widget->kind(), kKindBackground);
      const PictureFit asked = static_cast<const CImageResource*>(widget)->FitAsked();
      const SkinPictureFit ahead = CBeginView::BackgroundFit(width, height);
      EXPECT_EQ(ahead.name, L"main_bg.png");
      EXPECT_EQ(asked.image, picture.get());
      EXPECT_EQ(asked.width, ahead.width);
      EXPECT_EQ(asked.height, ahead.height);
      EXPECT_EQ(asked.backdrop, ahead.backdrop);
      EXPECT_EQ(asked.backdrop >> 24, 0xFFu) << "laid on an opaque colour";
    }
    ::DestroyWindow(host);
  }
}

}  // namespace
}  // namespace orvane
