#include "pages/TemplateView.h"

#include <memory>

#include "pages/InstallFolderRules.h"
#include "pages/PageStyles.h"
#include "ui/ButtonResource.h"
#include "ui/ImageResource.h"
#include "ui/LayoutResource.h"
#include "ui/ResourceMgr.h"
#include "ui/SpacerResource.h"
#include "ui/TextResource.h"
#include "ui/ViewMessages.h"

namespace orvane {

using namespace colors;

namespace {

WidgetStyles TitleBarStyle(const TemplateSpec& shape) {
  WidgetStyles s;
  s[0].backgroundColor = kPage;
  s[0].borderWidth = 1;
  s[0].borderColor = shape.titleBorderColor;
  s[0].cornerRadius = shape.rounded ? 4 : 0;
  return s;
}

// the secondary look for the first button, the primary one for the second
WidgetStyles TemplateButtonStyle(bool first, uint32_t fontSize) {
  const uint32_t secondary[3] = {kSecondary, kAccent, kAccent};
  const uint32_t primary[3] = {kAccent, kAccentLight, kAccentLight};
  WidgetStyles s;
  for (int i = 0; i < 3; ++i) {
    s[i].backgroundColor = first ? secondary[i] : primary[i];
    s[i].borderWidth = first ? 1 : 0;
    if (first) s[i].borderColor = secondary[i];
    s[i].cornerRadius = 2;
    s[i].textColor = kText;
    s[i].fontSize = fontSize;
    s[i].horizontalAlignment = 1;
    s[i].verticalAlignment = 1;
  }
  return s;
}

}  // namespace

CTemplateView::CTemplateView(HWND host, IResourceMgr* resources, const TemplateSpec& shape)
    : IBaseView(host, resources) {
  auto layout = [&](int32_t orientation) {
    return Add(std::make_unique<CLayoutResource>(orientation, shape.layoutId));
  };
  auto spacer = [&] { return Add(std::make_unique<CSpacerResource>()); };
  auto text = [&](const wchar_t* content, uint32_t color, int32_t vertical) {
    WidgetStyles style = TextStyle(color, shape.fontSize);
    style[0].verticalAlignment = vertical;
    auto* t = Add(std::make_unique<CTextResource>(shape.textId, kKindText, &style));
    t->SetText(content);
    return t;
  };

  auto* root = layout(kVertical);
  const WidgetStyles page = PageBackgroundStyle(shape.rounded ? 4 : 0);
  root->SetBackground(Add(std::make_unique<CImageResource>(0, kKindBackground, &page)));

  auto* title = layout(kHorizontal);
  title->SetMargins(10, 5, 10, 5);
  root->AddChild(title, 3);
  const WidgetStyles titleStyle = TitleBarStyle(shape);
  auto* titleBackground = Add(std::make_unique<CImageResource>(0, kKindBackground, &titleStyle));
  titleBackground->SetOutsets(-1, -2);
  title->SetBackground(titleBackground);
  title->AddChild(text(kProductTitle, kText, 1), 27);
  if (shape.closeButton) {
    const WidgetStyles closeStyle = CloseButtonStyle();
    auto* close = Add(std::make_unique<CButtonResource>(L"", kCloseButton, &closeStyle));
    close->SetAspect(1.0);
    close->SetStateImage(kStateNormal, resources_->GetImage(L"global_btn_close_normal.png"));
    close->SetStateImage(kStateHover, resources_->GetImage(L"global_btn_close_hover.png"));
    close->SetStateImage(kStatePressed, resources_->GetImage(L"global_btn_close_hover.png"));
    title->AddChild(close, 1);
  }

  auto* body = layout(kVertical);
  body->SetMargins(24, 16, 24, 16);
  root->AddChild(body, 17);
  auto* content = layout(kVertical);
  body->AddChild(content, 5);
  auto* headingRow = layout(kHorizontal);
  content->AddChild(headingRow, 40);
  auto* icon = Add(std::make_unique<CImageResource>(shape.iconId, kKindPicture, nullptr));
  icon->SetImage(resources_->GetImage(shape.icon));
  headingRow->AddChild(icon, 30);
  headingRow->AddChild(spacer(), 16);
  headingRow->AddChild(text(shape.heading, kText, 1), 300);
  auto* textRow = layout(kHorizontal);
  content->AddChild(textRow, 60);
  textRow->AddChild(spacer(), 30);
  textRow->AddChild(spacer(), 16);
  textRow->AddChild(text(shape.text, kSubtext, 0), 300);

  auto* buttons = layout(kHorizontal);
  body->AddChild(buttons, 2);
  buttons->AddChild(spacer(), 15);
  const WidgetStyles firstStyle = TemplateButtonStyle(true, shape.fontSize);
  auto* first = Add(std::make_unique<CButtonResource>(shape.firstButton, kFirstButton, &firstStyle));
  first->SetAspect(2.5333);
  buttons->AddChild(first, 6);
  buttons->AddChild(spacer(), 1);
  const WidgetStyles secondStyle = TemplateButtonStyle(false, shape.fontSize);
  auto* second =
      Add(std::make_unique<CButtonResource>(shape.secondButton, kSecondButton, &secondStyle));
  second->SetAspect(2.5333);
  buttons->AddChild(second, 6);

  RECT client{};
  ::GetClientRect(hwnd_, &client);
  root->SetRect(client.left, client.top, client.right, client.bottom);
}

LRESULT CTemplateView::OnClickMessage(WPARAM index) {
  IBaseResource* widget = WidgetAt(static_cast<int32_t>(index));
  if (widget && widget->kind() == kKindButton) OnButton(widget->id());
  if (UpdateButtonLooks(*this, StateCause::kClick, static_cast<int32_t>(index))) InvalidateAll();
  return 0;
}

LRESULT CTemplateView::HandleDialogMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  auto update = [this](StateCause cause, int32_t index) {
    return UpdateButtonLooks(*this, cause, index);
  };
  switch (msg) {
    case WM_PAINT:
      return PaintLayered();
    case WM_MOUSEMOVE:
      return OnMouseMove(wParam, lParam, {kKindBackground, kKindPicture, kKindText, kKindSpacer},
                         update);
    case WM_LBUTTONDOWN:
      return OnButtonDown(wParam, lParam, false, update);
    case WM_LBUTTONUP:
      return OnButtonUp(wParam, lParam, [](const IBaseResource& w) { return IsEnabledButton(w); });
    case WM_APP_CONTROL_CLICK:
      return OnClickMessage(wParam);
  }
  return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
}

LRESULT CTemplateView::HandlePageMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  auto update = [this](StateCause cause, int32_t index) {
    return UpdateButtonLooks(*this, cause, index);
  };
  switch (msg) {
    case WM_PAINT:
      return PaintOpaque(msg, wParam, lParam);
    case WM_MOUSEMOVE:
      return OnMouseMove(wParam, lParam, {kKindBackground, kKindPicture, kKindText, kKindSpacer},
                         update);
    case WM_LBUTTONDOWN:
      return OnButtonDown(wParam, lParam, true, update);
    case WM_LBUTTONUP:
      return OnButtonUp(wParam, lParam, [](const IBaseResource& w) { return IsEnabledButton(w); });
    case WM_APP_CONTROL_CLICK:
      return OnClickMessage(wParam);
    case WM_APP_ACTIVATE_INSTANCE:
      return OnActivateInstance();
  }
  return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace orvane
