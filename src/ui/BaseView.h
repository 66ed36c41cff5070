// IBaseView: one page or dialog body. An ordered list of widgets drawn into
// the window that hosts the view, plus the mouse handling that turns hover,
// press and release over widgets into state changes and click messages.
// The view has no window of its own; its host forwards messages to it.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

#include "ui/BaseResource.h"
#include "ui/FrameAhead.h"

namespace orvane {

class IResourceMgr;

// why a view's state update runs
enum class StateCause { kMouseMove, kButtonDown, kClick };

// the state of a drawn widget, -1 for spacers and layouts
int32_t WidgetStateOf(const IBaseResource& widget);
// a button (kind 2) that is not disabled
bool IsEnabledButton(const IBaseResource& widget);

class IBaseView {
 public:
  IBaseView(HWND hwnd, IResourceMgr* resources) : hwnd_(hwnd), resources_(resources) {}
  // deletes every widget
  virtual ~IBaseView() = default;
  IBaseView(const IBaseView&) = delete;
  IBaseView& operator=(const IBaseView&) = delete;

  virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
  // paints every widget onto a 32-bit surface of the window's size and
  // hands it to UpdateLayeredWindow with per-pixel alpha; returns 0
  virtual LRESULT PaintLayered();
  // paints every widget into an off-screen bitmap and copies it to the
  // window in one operation; returns DefWindowProcW's result for WM_PAINT
  virtual LRESULT PaintOpaque(UINT msg, WPARAM wParam, LPARAM lParam);
  // shows the window, in front, topmost or not (low byte of the flag),
  // focused; returns 0
  virtual LRESULT ShowOnTop(HWND hwnd, int topmost);

  // index of the widget under the point of a mouse message's lParam: the
  // first interactive one in drawing order, else the last background
  // picture or animation, else 0
  int32_t HitTest(LPARAM lParam) const;
  // the first widget with the id, or null
  IBaseResource* FindWidget(int32_t id) const;

  // every widget onto the DC in vector order
  void DrawWidgets(HDC dc) const;
  // starts drawing every widget, on a thread of its own, into a frame of
  // the window's client size that the next PaintOpaque copies (FrameAhead).
  // Until that paint or DropAhead nothing may change the widgets.
  void DrawAhead();
  // waits for a frame drawn ahead and drops it
  void DropAhead() { ahead_.Drop(); }
  bool drawingAhead() const { return ahead_.pending(); }

  HWND hwnd() const { return hwnd_; }
  IBaseResource* WidgetAt(int32_t index) const;
  size_t widgetCount() const { return widgets_.size(); }
  int32_t hoverIndex() const { return hoverIndex_; }

 protected:
  // appends a widget to the vector (drawing and hit-testing order)
  template <typename T>
  T* Add(std::unique_ptr<T> widget) {
    T* raw = widget.get();
    widgets_.push_back(std::move(widget));
    return raw;
  }

  // the view's own state logic: sets the states for the cause and the
  // target index and says whether any changed
  using StateUpdate = std::function<bool(StateCause cause, int32_t index)>;

  // WM_MOUSEMOVE. A new widget under the mouse: a button gets the update
  // for its index; a passive kind resets the hover (update for index 0)
  // when something was hovered before. Repaints on change.
  LRESULT OnMouseMove(WPARAM wParam,
                      LPARAM lParam,
                      std::initializer_list<int32_t> passiveKinds,
                      const StateUpdate& update);
  // WM_LBUTTONDOWN. Over an enabled button: the pressed look. Over a check
  // box or an edit field: nothing. Anywhere else the mouse capture is
  // released and, when dragWindow is set, the window starts moving.
  LRESULT OnButtonDown(WPARAM wParam, LPARAM lParam, bool dragWindow, const StateUpdate& update);
  // WM_LBUTTONUP: posts WM_APP_CONTROL_CLICK (index, point) for a widget
  // that `accepts`
  LRESULT OnButtonUp(WPARAM wParam,
                     LPARAM lParam,
                     const std::function<bool(const IBaseResource&)>& accepts);
  // WM_APP_ACTIVATE_INSTANCE: shown, topmost, in front, focused
  LRESULT OnActivateInstance();
  void InvalidateAll();

  HWND hwnd_;
  IResourceMgr* resources_;
  std::vector<std::unique_ptr<IBaseResource>> widgets_;
  int32_t hoverIndex_ = -1;
  int32_t secondIndex_ = -1;  // kept for the record layout; nothing reads it
  // last: it ends its thread before the widgets it draws go
  FrameAhead ahead_;
};

}  // namespace orvane
