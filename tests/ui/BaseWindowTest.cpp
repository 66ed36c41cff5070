#include "ui/BaseWindow.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ui/DisplayScale.h"

namespace orvane {
namespace {

constexpr wchar_t kClass[] = L"OrvaneTest-BaseWindow";

class FakeDisplay : public IDisplayFacts {
 public:
  IntRect area{0, 0, 1920, 1040};
  bool haveArea = true;
  int desktop = 1920;
  int horz = 1920;
  int dpi = 96;
  int asked = 0;

  bool GetWorkArea(IntRect* a) override {
    if (haveArea) *a = area;
    return haveArea;
  }
  int DesktopHorzRes() override {
    ++asked;
    return desktop;
  }
  int HorzRes() override { return horz; }
  int LogPixelsX() override { return dpi; }
};

// records the messages that reach HandleMessage into a list it does not own,
// so that the list can be read after the object is gone
class RecordingWindow : public IBaseWindow {
 public:
  RecordingWindow(unsigned w, unsigned h, IDisplayFacts* display, std::vector<UINT>* seen)
      : IBaseWindow(w, h, display), seen_(seen) {}
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    seen_->push_back(msg);
    return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
  }

 private:
  std::vector<UINT>* seen_;
};

RECT WindowRect(HWND hwnd) {
  RECT r{};
  ::GetWindowRect(hwnd, &r);
  return r;
}

struct Window : ::testing::Test {
  std::vector<UINT> seen;
  FakeDisplay display;
  std::vector<HWND> made;
  ~Window() override {
    for (HWND h : made)
      ::DestroyWindow(h);
  }
  std::unique_ptr<RecordingWindow> Make(unsigned w = 600, unsigned h = 400, HWND parent = nullptr) {
    auto window = std::make_unique<RecordingWindow>(w, h, &display, &seen);
    EXPECT_TRUE(window->Create(kClass, parent));
    made.push_back(window->hwnd());
    return window;
  }
};

TEST_F(Window, SizedAndCentredForTheDisplay) {
  struct Case {
    const char* what;
    bool haveArea;
    int desktop, horz, dpi;
    int x, y, width, height;
    double scale;
  } cases[] = {
      {"150 %", true, 2880, 1920, 96, 510, 220, 900, 600, 1.5},
      {"ratio below 1", true, 1600, 1920, 72, 660, 320, 600, 400, 1.0},
      {"120 DPI with equal HORZRES", true, 1920, 1920, 120, 585, 270, 750, 500, 1.25},
      {"no work area: base size", false, 2880, 1920, 96, -300, -200, 600, 400, 1.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DisplayScaleScope displayScale;
    display.haveArea = c.haveArea;
    display.desktop = c.desktop;
    display.horz = c.horz;
    display.dpi = c.dpi;
    auto window = Make();
    const RECT r = WindowRect(window->hwnd());
    EXPECT_EQ(r.left, c.x);
    EXPECT_EQ(r.top, c.y);
    EXPECT_EQ(r.right - r.left, c.width);
    EXPECT_EQ(r.bottom - r.top, c.height);
    EXPECT_DOUBLE_EQ(CurrentDisplayScale()->uiScale, c.scale);
  }
}

TEST_F(Window, DisplayRatioIsAskedOncePerSession) {
  DisplayScaleScope displayScale;
  display.desktop = 2880;
  Make();
  Make(400, 200);
  EXPECT_EQ(display.asked, 1);
  EXPECT_DOUBLE_EQ(CurrentDisplayScale()->displayRatio, 1.5);
  const RECT dialog = WindowRect(made.back());
  EXPECT_EQ(dialog.right - dialog.left, 600);
}

TEST_F(Window, PopupWithTheProductTitle) {
  DisplayScaleScope displayScale;
  auto main = Make();
  HWND hwnd = main->hwnd();
  EXPECT_EQ(::GetWindowLongW(hwnd, GWL_STYLE) & (WS_POPUP | WS_CAPTION | WS_VISIBLE), WS_POPUP);
  EXPECT_TRUE(::GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  wchar_t title[32] = {};
  ::GetWindowTextW(hwnd, title, 32);
  EXPECT_STREQ(title, L"栖木工坊");

  // a dialog: a tool window owned by its parent
  auto dialog = Make(400, 200, hwnd);
  EXPECT_TRUE(::GetWindowLongW(dialog->hwnd(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(::GetWindowLongW(dialog->hwnd(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
  EXPECT_EQ(::GetWindow(dialog->hwnd(), GW_OWNER), hwnd);
}

TEST_F(Window, MessagesDuringCreationGoToDefWindowProc) {
  DisplayScaleScope displayScale;
  auto window = Make();
  for (UINT msg : {WM_NCCREATE, WM_CREATE, WM_NCCALCSIZE}) {
    EXPECT_EQ(std::count(seen.begin(), seen.end(), msg), 0) << msg;
  }
  seen.clear();
  ::SendMessageW(window->hwnd(), WM_USER + 7, 0, 0);
  EXPECT_EQ(seen, std::vector<UINT>{WM_USER + 7});
}

TEST_F(Window, SecondRegistrationOfAClassSucceeds) {
  DisplayScaleScope displayScale;
  auto first = Make();
  auto second = Make();
  EXPECT_NE(first->hwnd(), second->hwnd());
  EXPECT_TRUE(::IsWindow(second->hwnd()));
}

TEST_F(Window, CreateFailures) {
  DisplayScaleScope displayScale;
  RecordingWindow badClass(600, 400, &display, &seen);
  EXPECT_FALSE(badClass.Create(L"", nullptr));
  EXPECT_EQ(badClass.hwnd(), nullptr);

  RecordingWindow badParent(600, 400, &display, &seen);
  EXPECT_FALSE(badParent.Create(kClass, reinterpret_cast<HWND>(0x7FFF0)));
  EXPECT_EQ(badParent.hwnd(), nullptr);
}

TEST_F(Window, ResizeRescalesAndRecentres) {
  DisplayScaleScope displayScale;
  display.desktop = 2880;
  RecordingWindow unborn(600, 400, &display, &seen);
  EXPECT_FALSE(unborn.Resize(400, 200));
  EXPECT_EQ(unborn.baseWidth(), 400u);
  EXPECT_EQ(unborn.baseHeight(), 200u);

  auto window = Make();
  CurrentDisplayScale()->uiScale = 1.0;
  EXPECT_TRUE(window->Resize(400, 200));
  const RECT r = WindowRect(window->hwnd());
  EXPECT_EQ(r.right - r.left, 600);
  EXPECT_EQ(r.bottom - r.top, 300);
  EXPECT_EQ(r.left, 960 - 300);
  EXPECT_EQ(r.top, 520 - 150);
  EXPECT_DOUBLE_EQ(CurrentDisplayScale()->uiScale, 1.5);

  ::DestroyWindow(window->hwnd());
  EXPECT_FALSE(window->Resize(600, 400));
}

TEST_F(Window, ObjectGoneBeforeItsWindow) {
  DisplayScaleScope displayScale;
  auto window = Make();
  HWND hwnd = window->hwnd();
  // the dialogs post WM_CLOSE to themselves and then delete their object
  ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
  window.reset();
  seen.clear();
  MSG msg;
  while (::PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE))
    ::DispatchMessageW(&msg);
  EXPECT_FALSE(::IsWindow(hwnd)) << "DefWindowProcW closed it";
  EXPECT_TRUE(seen.empty()) << "nothing reached the deleted object";
}

}  // namespace
}  // namespace orvane
