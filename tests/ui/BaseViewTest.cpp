#include "ui/BaseView.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "platform/BasedThread.h"
#include "platform/Error.h"
#include "ui/BaseWindow.h"
#include "ui/ButtonResource.h"
#include "ui/DibSurface.h"
#include "ui/DisplayScale.h"
#include "ui/EditResource.h"
#include "ui/FrameAhead.h"
#include "ui/ImageResource.h"
#include "ui/SpacerResource.h"
#include "ui/TextResource.h"
#include "ui/ViewMessages.h"
#include "ui/WidgetTestSupport.h"

namespace orvane {
namespace {

using test::Near;

constexpr wchar_t kClass[] = L"OrvaneTest-ViewHost";

class FixedDisplay : public IDisplayFacts {
 public:
  bool GetWorkArea(IntRect* a) override {
    *a = {0, 0, 1280, 1024};
    return true;
  }
  int DesktopHorzRes() override { return 1280; }
  int HorzRes() override { return 1280; }
  int LogPixelsX() override { return 96; }
};

// a host window that forwards everything to its view
class HostWindow : public IBaseWindow {
 public:
  HostWindow(unsigned w, unsigned h, IDisplayFacts* d) : IBaseWindow(w, h, d) {}
  ~HostWindow() override {
    if (hwnd_) ::DestroyWindow(hwnd_);
  }
  IBaseView* view = nullptr;
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_ERASEBKGND) return 0;
    return view ? view->HandleMessage(msg, wParam, lParam)
                : ::DefWindowProcW(hwnd_, msg, wParam, lParam);
  }
};

// counts the widgets that are destroyed
int g_destroyed = 0;
class CountedSpacer : public CSpacerResource {
 public:
  ~CountedSpacer() override { ++g_destroyed; }
};

// counts its draws and notes the thread of the last one
class DrawCounter : public CSpacerResource {
 public:
  int draws = 0;
  DWORD thread = 0;
  bool Draw(HDC) override {
    ++draws;
    thread = ::GetCurrentThreadId();
    return true;
  }
};

class TestView : public IBaseView {
 public:
  TestView(HWND hwnd, bool layered) : IBaseView(hwnd, nullptr), layered_(layered) {}

  std::vector<std::pair<StateCause, int32_t>> updates;
  bool reportChange = true;

  template <typename T>
  T* Put(std::unique_ptr<T> widget) {
    return Add(std::move(widget));
  }
  using IBaseView::hoverIndex_;

  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    auto update = [this](StateCause cause, int32_t index) {
      updates.emplace_back(cause, index);
      return reportChange;
    };
    switch (msg) {
      case WM_PAINT:
        return layered_ ? PaintLayered() : PaintOpaque(msg, wParam, lParam);
      case WM_MOUSEMOVE:
        return OnMouseMove(wParam, lParam, {kKindBackground, kKindPicture, kKindText, kKindSpacer},
                           update);
      case WM_LBUTTONDOWN:
        return OnButtonDown(wParam, lParam, false, update);
      case WM_LBUTTONUP:
        return OnButtonUp(wParam, lParam,
                          [](const IBaseResource& w) { return IsEnabledButton(w); });
      case WM_APP_ACTIVATE_INSTANCE:
        return OnActivateInstance();
    }
    return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
  }

 private:
  bool layered_;
};

LPARAM Point(int x, int y) {
  return MAKELPARAM(x, y);
}

bool NeedsPaint(HWND hwnd) {
  return ::GetUpdateRect(hwnd, nullptr, FALSE) != FALSE;
}

struct View : ::testing::Test {
  DisplayScaleScope displayScale;
  GdiplusSession gdiplus;
  FixedDisplay display;
  HostWindow host{600, 400, &display};
  std::unique_ptr<TestView> view;
  // widget indices of the standard page
  CImageResource* background = nullptr;
  CButtonResource* button = nullptr;
  CButtonResource* disabled = nullptr;
  CTextResource* text = nullptr;

  void SetUp() override {
    ASSERT_TRUE(host.Create(kClass, nullptr));
    view = std::make_unique<TestView>(host.hwnd(), false);
    host.view = view.get();
    // shown, for invalidation and painting, but far outside the screen
    ::SetWindowPos(host.hwnd(), nullptr, -4000, -4000, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  }
  void TearDown() override { host.view = nullptr; }

  // 0 background, 1 button, 2 hidden text, 3 disabled button
  void BuildPage() {
    background = view->Put(std::make_unique<CImageResource>(0, kKindBackground, nullptr));
    background->SetRect(0, 0, 600, 400);
    button = view->Put(std::make_unique<CButtonResource>(L"确认", 3, nullptr));
    button->SetRect(100, 100, 200, 150);
    text = view->Put(std::make_unique<CTextResource>(8, kKindText, nullptr));
    text->SetRect(300, 100, 400, 150);
    text->SetVisible(false);
    disabled = view->Put(std::make_unique<CButtonResource>(L"取消", 4, nullptr));
    disabled->SetRect(100, 200, 200, 250);
    disabled->SetState(kStateDisabled);
  }
  void Send(UINT msg, int x, int y) { ::SendMessageW(host.hwnd(), msg, 0, Point(x, y)); }
  void Validate() { ::ValidateRect(host.hwnd(), nullptr); }
};

TEST_F(View, HitTestAndFindWidget) {
  BuildPage();
  EXPECT_EQ(view->HitTest(Point(150, 120)), 1);
  EXPECT_EQ(view->HitTest(Point(350, 120)), 2) << "a hidden text is still hit";
  EXPECT_EQ(view->HitTest(Point(10, 10)), 0);
  EXPECT_EQ(view->HitTest(Point(700, 500)), 0);
  EXPECT_EQ(view->FindWidget(8), text);
  EXPECT_EQ(view->FindWidget(3), button);
  EXPECT_EQ(view->FindWidget(99), nullptr);
  EXPECT_EQ(view->WidgetAt(4), nullptr);
}

TEST_F(View, MouseMoveHoversButtonsAndResetsOnPassiveWidgets) {
  BuildPage();
  using C = StateCause;
  // the first move over the background: nothing was hovered, no update
  Send(WM_MOUSEMOVE, 10, 10);
  EXPECT_TRUE(view->updates.empty());
  EXPECT_EQ(view->hoverIndex(), 0);

  Validate();
  Send(WM_MOUSEMOVE, 150, 120);
  EXPECT_EQ(view->updates, (std::vector<std::pair<C, int32_t>>{{C::kMouseMove, 1}}));
  EXPECT_TRUE(NeedsPaint(host.hwnd()));
  EXPECT_EQ(view->hoverIndex(), 1);

  // moving within the same widget changes nothing
  Validate();
  Send(WM_MOUSEMOVE, 160, 130);
  EXPECT_EQ(view->updates.size(), 1u);
  EXPECT_FALSE(NeedsPaint(host.hwnd()));

  // onto a passive widget: every hover is reset through index 0
  Send(WM_MOUSEMOVE, 350, 120);
  EXPECT_EQ(view->updates.back(), std::make_pair(C::kMouseMove, 0));
  EXPECT_EQ(view->hoverIndex(), 2);

  // an update that changes nothing does not repaint
  view->reportChange = false;
  Validate();
  Send(WM_MOUSEMOVE, 150, 210);
  EXPECT_EQ(view->updates.back(), std::make_pair(C::kMouseMove, 3));
  EXPECT_FALSE(NeedsPaint(host.hwnd()));
}

TEST_F(View, MouseMoveOverOtherKindsOnlyRemembers) {
  BuildPage();
  auto* progress = view->Put(std::make_unique<CImageResource>(2, kKindProgress, nullptr));
  progress->SetRect(0, 300, 600, 310);
  view->hoverIndex_ = 1;
  Send(WM_MOUSEMOVE, 10, 305);
  EXPECT_TRUE(view->updates.empty());
  EXPECT_EQ(view->hoverIndex(), 4);
}

TEST_F(View, ButtonDownPressesOnlyEnabledButtons) {
  BuildPage();
  Send(WM_LBUTTONDOWN, 150, 120);
  Send(WM_LBUTTONDOWN, 150, 220);  // disabled
  Send(WM_LBUTTONDOWN, 10, 10);    // background
  EXPECT_EQ(view->updates,
            (std::vector<std::pair<StateCause, int32_t>>{{StateCause::kButtonDown, 1}}));
}

TEST_F(View, ButtonUpPostsAClickForAcceptedWidgets) {
  BuildPage();
  MSG msg;
  while (::PeekMessageW(&msg, host.hwnd(), 0, 0, PM_REMOVE)) {
  }
  Send(WM_LBUTTONUP, 150, 120);
  Send(WM_LBUTTONUP, 150, 220);  // disabled
  Send(WM_LBUTTONUP, 10, 10);    // background
  std::vector<std::pair<WPARAM, LPARAM>> clicks;
  while (::PeekMessageW(&msg, host.hwnd(), WM_APP_CONTROL_CLICK, WM_APP_CONTROL_CLICK, PM_REMOVE)) {
    clicks.emplace_back(msg.wParam, msg.lParam);
  }
  EXPECT_EQ(clicks, (std::vector<std::pair<WPARAM, LPARAM>>{{1, Point(150, 120)}}));
}

TEST_F(View, DestructionDeletesEveryWidget) {
  g_destroyed = 0;
  for (int i = 0; i < 5; ++i)
    view->Put(std::make_unique<CountedSpacer>());
  host.view = nullptr;
  view.reset();
  EXPECT_EQ(g_destroyed, 5);
}

TEST_F(View, OpaquePaintValidatesTheWindow) {
  BuildPage();
  ::InvalidateRect(host.hwnd(), nullptr, TRUE);
  ::UpdateWindow(host.hwnd());
  EXPECT_FALSE(NeedsPaint(host.hwnd()));
}

TEST(FrameAhead, TheFrameIsCopiedOnceAtItsOwnSize) {
  const uint32_t kBlue = 0xFF0000FF;
  auto fill = [](HDC dc) {
    HBRUSH blue = ::CreateSolidBrush(RGB(0, 0, 255));
    RECT r{0, 0, 20, 10};
    ::FillRect(dc, &r, blue);
    ::DeleteObject(blue);
  };
  FrameAhead ahead;
  DibSurface target(nullptr, 20, 10);
  ASSERT_TRUE(target.ok());
  ahead.Start(target.dc(), 20, 10, fill);
  EXPECT_TRUE(ahead.pending());
  EXPECT_FALSE(ahead.Take(target.dc(), 21, 10)) << "another size";
  EXPECT_FALSE(ahead.pending()) << "and it is gone";
  EXPECT_NE(target.Pixel(5, 5) & 0xFFFFFF, kBlue & 0xFFFFFF);

  ahead.Start(target.dc(), 20, 10, fill);
  EXPECT_TRUE(ahead.Take(target.dc(), 20, 10));
  EXPECT_EQ(target.Pixel(0, 0) & 0xFFFFFF, kBlue & 0xFFFFFF);
  EXPECT_EQ(target.Pixel(19, 9) & 0xFFFFFF, kBlue & 0xFFFFFF);
  EXPECT_FALSE(ahead.Take(target.dc(), 20, 10)) << "taken once";

  ahead.Start(target.dc(), 20, 10, fill);
  ahead.Drop();
  EXPECT_FALSE(ahead.Take(target.dc(), 20, 10));
  ahead.Start(target.dc(), 0, 10, fill);
  EXPECT_FALSE(ahead.pending()) << "nothing to draw";
  {
    ScopedThreadCreationFailure noThreads;
    ahead.Start(target.dc(), 20, 10, fill);
  }
  EXPECT_FALSE(ahead.pending()) << "without a thread nothing is drawn ahead";
}

TEST_F(View, APageDrawnAheadIsPaintedFromItsFrameOnce) {
  auto* counter = view->Put(std::make_unique<DrawCounter>());
  auto paint = [this] {
    ::InvalidateRect(host.hwnd(), nullptr, TRUE);
    ::UpdateWindow(host.hwnd());
  };
  view->DrawAhead();
  EXPECT_TRUE(view->drawingAhead());
  paint();
  EXPECT_FALSE(view->drawingAhead());
  EXPECT_EQ(counter->draws, 1) << "the paint copied the frame";
  EXPECT_NE(counter->thread, ::GetCurrentThreadId());
  EXPECT_FALSE(NeedsPaint(host.hwnd()));
  paint();
  EXPECT_EQ(counter->draws, 2) << "a later paint draws afresh";
  EXPECT_EQ(counter->thread, ::GetCurrentThreadId());

  // dropped, or drawn for another size: the paint draws the page itself
  view->DrawAhead();
  view->DropAhead();
  paint();
  EXPECT_EQ(counter->draws, 4);
  view->DrawAhead();
  ASSERT_TRUE(host.Resize(500, 300));
  paint();
  EXPECT_EQ(counter->draws, 6);
  EXPECT_EQ(counter->thread, ::GetCurrentThreadId());
}

TEST_F(View, LayeredPaintLeavesRoundedCornersTransparent) {
  host.view = nullptr;
  view = std::make_unique<TestView>(host.hwnd(), true);
  host.view = view.get();
  WidgetStyles dialog;
  dialog[0].backgroundColor = 0xFF1F1F1F;
  dialog[0].borderColor = 0xFF1F1F1F;
  dialog[0].borderWidth = 1;
  dialog[0].cornerRadius = 4;
  auto* bg = view->Put(std::make_unique<CImageResource>(0, kKindBackground, &dialog));
  bg->SetRect(0, 0, 400, 200);

  DibSurface surface(nullptr, 400, 200);
  ASSERT_TRUE(surface.ok());
  view->DrawWidgets(surface.dc());
  for (auto [x, y] : {std::pair{0, 0}, {399, 0}, {0, 199}, {399, 199}}) {
    EXPECT_EQ(surface.Pixel(x, y) >> 24, 0u) << x << "," << y << " is transparent";
  }
  EXPECT_EQ(surface.Pixel(200, 100), 0xFF1F1F1Fu) << "opaque inside";
  EXPECT_EQ(surface.Pixel(3, 100) >> 24, 0xFFu) << "opaque along the edge";

  // through the window: it becomes layered and the paint is done
  ASSERT_TRUE(host.Resize(400, 200));
  ::SetWindowPos(host.hwnd(), nullptr, -4000, -4000, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  ::InvalidateRect(host.hwnd(), nullptr, TRUE);
  ::UpdateWindow(host.hwnd());
  EXPECT_TRUE(::GetWindowLongW(host.hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_FALSE(NeedsPaint(host.hwnd()));
}

TEST_F(View, ShowOnTopLooksAtTheLowByteOnly) {
  ::ShowWindow(host.hwnd(), SW_HIDE);
  view->ShowOnTop(host.hwnd(), 1);
  EXPECT_TRUE(::IsWindowVisible(host.hwnd()));
  EXPECT_TRUE(::GetWindowLongW(host.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  view->ShowOnTop(host.hwnd(), 0x100);
  EXPECT_FALSE(::GetWindowLongW(host.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  ::ShowWindow(host.hwnd(), SW_HIDE);

  ::SendMessageW(host.hwnd(), WM_APP_ACTIVATE_INSTANCE, 0, 0);
  EXPECT_TRUE(::IsWindowVisible(host.hwnd()));
  EXPECT_TRUE(::GetWindowLongW(host.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  ::ShowWindow(host.hwnd(), SW_HIDE);
}

TEST_F(View, EditFieldIsASubclassedChildControl) {
  auto* edit = view->Put(std::make_unique<CEditResource>(host.hwnd(), nullptr));
  HWND control = edit->control();
  ASSERT_TRUE(::IsWindow(control));
  EXPECT_EQ(::GetParent(control), host.hwnd());
  EXPECT_EQ(::GetDlgCtrlID(control), 5);
  EXPECT_EQ(edit->id(), 5);
  EXPECT_EQ(edit->kind(), kKindEdit);
  wchar_t text[16] = {};
  ::GetWindowTextW(control, text, 16);
  EXPECT_STREQ(text, L"C:/");
  EXPECT_TRUE(::GetWindowLongW(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_EQ(::GetPropW(control, L"EditClassPtr"), edit);
  EXPECT_NE(::GetWindowLongPtrW(control, GWLP_WNDPROC), ::GetClassLongPtrW(control, GCLP_WNDPROC));
  EXPECT_NE(::SendMessageW(control, WM_GETFONT, 0, 0), 0);
  // typing still works through the kept class procedure
  ::SetWindowTextW(control, L"D:\\Apps");
  ::GetWindowTextW(control, text, 16);
  EXPECT_STREQ(text, L"D:\\Apps");

  edit->SetRect(126, 136, 515, 160);
  RECT r{};
  ::GetWindowRect(control, &r);
  ::MapWindowPoints(nullptr, host.hwnd(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 126);
  EXPECT_EQ(r.top, 136);
  EXPECT_EQ(r.right, 515);
  EXPECT_EQ(r.bottom, 160);

  ::ShowWindow(control, SW_HIDE);
  edit->Draw(nullptr);
  EXPECT_TRUE(::GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE);

  host.view = nullptr;
  view.reset();
  EXPECT_FALSE(::IsWindow(control)) << "the widget destroys its control";
}

TEST_F(View, EditFieldWithoutAParentRaises) {
  try {
    CEditResource edit(reinterpret_cast<HWND>(0x7FFF0), nullptr);
    FAIL() << "no exception";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "create widget error");
  }
}

}  // namespace
}  // namespace orvane
