// IBaseWindow: one borderless, self-drawn top-level window, centred on the
// work area at a size scaled for the display. Every message after creation
// reaches the derived class's HandleMessage through the shared window
// procedure.
#pragma once

#include <windows.h>

#include "ui/WindowSizing.h"

namespace orvane {

// the real display: work area and the screen DC's device caps
class SystemDisplayFacts : public IDisplayFacts {
 public:
  bool GetWorkArea(IntRect* area) override;
  int DesktopHorzRes() override;
  int HorzRes() override;
  int LogPixelsX() override;
};

class IBaseWindow {
 public:
  // display may be null: the real display is asked
  IBaseWindow(unsigned baseWidth, unsigned baseHeight, IDisplayFacts* display = nullptr);
  // leaves the window alive; it ends through WM_CLOSE reaching
  // DefWindowProcW. Messages that reach it after this go to DefWindowProcW.
  virtual ~IBaseWindow();
  IBaseWindow(const IBaseWindow&) = delete;
  IBaseWindow& operator=(const IBaseWindow&) = delete;

  virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) = 0;

  // registers the class unless it exists and creates the window (a tool
  // window of the parent's instance when a parent is given); false when
  // either fails
  bool Create(const wchar_t* className, HWND parent);
  // the client size, in pixels, that Create gives the window
  SIZE PlannedClientSize();
  // shows the window and paints it before returning
  virtual void ShowAndPaint();
  // new base size; rescales, resizes and recentres a live window. False
  // when there is no live window or either step failed.
  bool Resize(unsigned baseWidth, unsigned baseHeight);

  HWND hwnd() const { return hwnd_; }
  unsigned baseWidth() const { return baseWidth_; }
  unsigned baseHeight() const { return baseHeight_; }

 protected:
  HWND hwnd_ = nullptr;
  IntRect workArea_;
  unsigned baseWidth_;
  unsigned baseHeight_;

 private:
  static LRESULT CALLBACK SharedWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // the size for the display; publishes the UI scale factor
  WindowSize ComputeSize();

  IDisplayFacts* display_;
  SystemDisplayFacts systemDisplay_;
};

}  // namespace orvane
