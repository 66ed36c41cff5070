// CEditResource: a real Win32 edit control laid over the page, for the
// install path. The widget moves and shows the control; the page reads its
// text and colours it (WM_CTLCOLOREDIT).
#pragma once

#include <string>

#include "platform/Handles.h"
#include "ui/ImageResource.h"

namespace orvane {

class CEditResource : public CImageResource {
 public:
  static constexpr int32_t kId = 5;

  // creates the control as a child of the parent window; raises "create
  // widget error" when it cannot. Without styles: dark text, transparent
  // background and border.
  CEditResource(HWND parent, const WidgetStyles* styles);
  ~CEditResource() override;

  // shows the control and has it repaint itself; nothing is drawn on the DC
  bool Draw(HDC dc) override;
  bool SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
  using IBaseResource::SetRect;

  HWND control() const { return control_.get(); }
  const std::wstring& initialText() const { return initialText_; }

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  std::wstring initialText_ = L"C:/";
  UniqueWindow control_;
  GdiObject font_;
};

}  // namespace orvane
