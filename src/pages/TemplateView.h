// CTemplateView: the one layout of the five question screens (the
// already-installed page and the four dialogs): a title bar with the product
// name, an icon with a one-line heading, an explanatory text and two
// buttons, ids 1 and 2; some also have a close button, id 3.
#pragma once

#include <cstdint>

#include "ui/BaseView.h"

namespace orvane {

class CButtonResource;

struct TemplateSpec {
  // widget ids of the texts, the icon, the layouts and the spacers
  int32_t textId = 4;
  int32_t iconId = 3;
  int32_t layoutId = 5;
  int32_t spacerId = 6;
  const wchar_t* icon = L"error_icon.png";
  const wchar_t* heading = L"";
  const wchar_t* text = L"";
  const wchar_t* firstButton = L"";
  const wchar_t* secondButton = L"";
  uint32_t fontSize = 16;
  bool closeButton = false;
  // the dialogs are layered windows with rounded corners; the page is not
  bool rounded = true;
  uint32_t titleBorderColor = 0x00FFFFFF;
};

class CTemplateView : public IBaseView {
 public:
  static constexpr int32_t kFirstButton = 1;
  static constexpr int32_t kSecondButton = 2;
  static constexpr int32_t kCloseButton = 3;

 protected:
  // builds the widgets and lays them out in the host's client area
  CTemplateView(HWND host, IResourceMgr* resources, const TemplateSpec& shape);

  // the view's own action for a clicked button (1, 2 or 3)
  virtual void OnButton(int32_t id) = 0;

  // a dialog's messages: painted through the layered window, not dragged
  LRESULT HandleDialogMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  // the page's messages: painted opaquely, dragged by a press elsewhere
  LRESULT HandlePageMessage(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  LRESULT OnClickMessage(WPARAM index);
};

}  // namespace orvane
