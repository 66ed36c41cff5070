#include "pages/BeginView.h"

#include <shellapi.h>

#include <memory>

#include "BuildConfig.h"
#include "pages/InstallFolderRules.h"
#include "pages/PageEvents.h"
#include "pages/PageMessages.h"
#include "pages/PageStyles.h"
#include "platform/StringConv.h"
#include "telemetry/LoggerServer.h"
#include "ui/ButtonResource.h"
#include "ui/CheckboxResource.h"
#include "ui/ImageResource.h"
#include "ui/LayoutResource.h"
#include "ui/ResourceMgr.h"
#include "ui/SpacerResource.h"
#include "ui/TextResource.h"

namespace orvane {

using namespace colors;

const std::vector<std::wstring>& CBeginView::Pictures() {
  static const std::vector<std::wstring> pictures = {
      L"main_bg.png",
      L"logo.png",
      L"main_checkbox_select.png",
      L"main_checkbox_deselect.png",
      L"main_word_custom_normal.png",
      L"main_word_custom_hover.png",
      L"main_word_custom_press.png",
      L"global_btn_close_normal.png",
      L"global_btn_close_hover.png",
  };
  return pictures;
}

CBeginView::CBeginView(HWND mainWindow, IResourceMgr* resources, bool reinstall)
    : IBaseView(mainWindow, resources), reinstall_(reinstall) {
  Build();
  SendPageEvent("vInstallPage", {{"is_reinstall", reinstall_}}, {{"windows_name", "立即安装"}});
}

SkinPictureFit CBeginView::BackgroundFit(int32_t clientWidth, int32_t clientHeight) {
  return {L"main_bg.png", clientWidth, clientHeight,
          PageBackgroundStyle()[kStateNormal].backgroundColor};
}

void CBeginView::Build() {
  auto spacer = [&] { return Add(std::make_unique<CSpacerResource>()); };
  auto* root = Add(std::make_unique<CLayoutResource>(kVertical, 9));  // 0
  root->SetMargins(20, 24, 20, 24);
  const WidgetStyles page = PageBackgroundStyle();
  auto* background = Add(std::make_unique<CImageResource>(0, kKindBackground, &page));  // 1
  background->SetImage(resources_->GetImage(L"main_bg.png"));
  root->SetBackground(background);

  auto* topBar = Add(std::make_unique<CLayoutResource>(kHorizontal, 9));  // 2
  root->AddChild(topBar, 4);
  topBar->AddChild(spacer(), 27);  // 3
  const WidgetStyles closeStyle = CloseButtonStyle();
  auto* close = Add(std::make_unique<CButtonResource>(L"", kCloseId, &closeStyle));  // 4
  close->SetAspect(1.0);
  close->SetStateImage(kStateNormal, resources_->GetImage(L"global_btn_close_normal.png"));
  close->SetStateImage(kStateHover, resources_->GetImage(L"global_btn_close_hover.png"));
  close->SetStateImage(kStatePressed, resources_->GetImage(L"global_btn_close_hover.png"));
  topBar->AddChild(close, 1);
  root->AddChild(spacer(), 3);  // 5

  auto* column = Add(std::make_unique<CLayoutResource>(kVertical, 9));  // 6
  root->AddChild(column, 42);
  auto* logo = Add(std::make_unique<CImageResource>(1, kKindPicture, nullptr));  // 7
  logo->SetImage(resources_->GetImage(L"logo.png"));
  column->AddChild(logo, 15);
  const WidgetStyles titleStyle = TextStyle(kText, 24, 1);
  auto* title = Add(std::make_unique<CTextResource>(8, kKindText, &titleStyle));  // 8
  title->SetText(kProductTitle);
  column->AddChild(title, 4);
  const WidgetStyles redStyle = TextStyle(kRed, 14, 1);
  root->AddChild(Add(std::make_unique<CTextResource>(8, kKindText, &redStyle)), 6);  // 9

  auto* buttonRow = Add(std::make_unique<CLayoutResource>(kHorizontal, 9));  // 10
  root->AddChild(buttonRow, 16);
  buttonRow->AddChild(spacer(), 25);  // 11
  const WidgetStyles primary = PrimaryButtonStyle();
  install_ = Add(std::make_unique<CButtonResource>(L"立即安装", kInstallId, &primary));  // 12
  install_->SetAspect(3.5);
  buttonRow->AddChild(install_, 21);
  buttonRow->AddChild(spacer(), 25);  // 13
  root->AddChild(spacer(), 10);       // 14

  auto* agreementRow = Add(std::make_unique<CLayoutResource>(kHorizontal, 9));  // 15
  agreementRow->SetMargins(0, 10, 0, 0);
  root->AddChild(agreementRow, 6);
  const WidgetStyles box = CheckboxStyle();
  checkbox_ = Add(std::make_unique<CCheckboxResource>(  // 16
      L"我已阅读并同意", resources_->GetImage(L"main_checkbox_select.png"),
      resources_->GetImage(L"main_checkbox_deselect.png"), kCheckboxId, &box));
  agreementRow->AddChild(checkbox_, 12);
  const WidgetStyles linkStyle = LinkStyle(14, true, 0, 0);
  auto* link =
      Add(std::make_unique<CButtonResource>(L"用户使用协议", kAgreementLinkId, &linkStyle));  // 17
  agreementRow->AddChild(link, 10);
  const WidgetStyles hintStyle = TextStyle(kRed, 12, 0);
  hint_ = Add(std::make_unique<CTextResource>(kHintId, kKindText, &hintStyle));  // 18
  hint_->SetText(L"（勾选已阅读用户协议后才能安装）");
  hint_->SetVisible(false);
  agreementRow->AddChild(hint_, 20);
  const WidgetStyles customStyle = LinkStyle(14, false, 2, 1);
  custom_ = Add(std::make_unique<CButtonResource>(L"自定义安装", kCustomId, &customStyle));  // 19
  custom_->SetStateImage(kStateNormal, resources_->GetImage(L"main_word_custom_normal.png"));
  custom_->SetStateImage(kStateHover, resources_->GetImage(L"main_word_custom_hover.png"));
  custom_->SetStateImage(kStatePressed, resources_->GetImage(L"main_word_custom_press.png"));
  custom_->SetStateImage(kStateDisabled, resources_->GetImage(L"main_word_custom_normal.png"));
  agreementRow->AddChild(custom_, 10);

  RECT client{};
  ::GetClientRect(hwnd_, &client);
  root->SetRect(client.left, client.top, client.right, client.bottom);
}

void CBeginView::SetSpaceOk(bool ok) {
  if (ok == spaceOk_) return;
  spaceOk_ = ok;
  // the agreement keeps the button disabled on its own
  install_->SetState(ok && accepted_ ? kStateNormal : kStateDisabled);
  InvalidateAll();
}

bool CBeginView::UpdateStates(StateCause cause, int32_t index) {
  bool changed = false;
  for (size_t i = 0; i < widgetCount(); ++i) {
    IBaseResource* widget = WidgetAt(static_cast<int32_t>(i));
    const bool target = static_cast<int32_t>(i) == index;
    if (widget == checkbox_) {
      if (target && cause == StateCause::kClick) {
        ToggleAgreement();
        changed = true;
      }
      continue;
    }
    if (widget->kind() != kKindButton) continue;
    if (widget == install_ && !(accepted_ && spaceOk_)) continue;
    if (widget == custom_ && !accepted_) continue;
    auto* button = static_cast<CButtonResource*>(widget);
    int32_t next = kStateNormal;
    if (target && cause == StateCause::kMouseMove) next = kStateHover;
    if (target && cause == StateCause::kButtonDown) next = kStatePressed;
    if (button->state() != next) {
      button->SetState(next);
      changed = true;
    }
  }
  return changed;
}

void CBeginView::ToggleAgreement() {
  accepted_ = checkbox_->selected() == 0;
  checkbox_->SetSelected(accepted_ ? 1 : 0);
  hint_->SetVisible(!accepted_);
  const int32_t look = accepted_ ? kStateNormal : kStateDisabled;
  custom_->SetState(look);
  if (spaceOk_) install_->SetState(look);
}

void CBeginView::OnClick(int32_t index) {
  IBaseResource* widget = WidgetAt(index);
  if (!widget) return;
  switch (widget->id()) {
    case kCloseId:
      WriteClick("0001", "0001");
      Close();
      break;
    case kInstallId:
      SendPageEvent("pConfirmInstall", {}, {{"confirm_entrance", "立即安装"}});
      WriteClick("0001", "0002");
      ::PostMessageW(hwnd_, WM_APP_SHOW_PAGE, kPageProgress, 0);
      InvalidateAll();
      break;
    case kCheckboxId:
      WriteClick("0001", "0003");
      break;
    case kAgreementLinkId:
      WriteClick("0001", "0004");
      OpenAgreement();
      break;
    case kCustomId:
      WriteClick("0001", "0005");
      ::PostMessageW(hwnd_, WM_APP_SHOW_PAGE, kPageCustom, 0);
      InvalidateAll();
      break;
  }
}

void CBeginView::OpenAgreement() {
  const std::wstring url =
      Utf8ToWide(config::kAgreementUrl) + L"?_mid=" + AnsiToWide(EventLogger().GetMid());
  ::ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CBeginView::Close() {
  if (!cancel_.Ask(hwnd_, resources_)) return;
  SendPageEvent("pCancelInstall", {{"is_reinstall", reinstall_}}, {{"windows_name", "立即安装"}});
  ::ShowWindow(hwnd_, SW_HIDE);
  ::PostQuitMessage(0);
}

LRESULT CBeginView::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  auto update = [this](StateCause cause, int32_t index) { return UpdateStates(cause, index); };
  switch (msg) {
    case WM_PAINT:
      return PaintOpaque(msg, wParam, lParam);
    case WM_CLOSE:
      Close();
      return 0;
    case WM_MOUSEMOVE:
      return OnMouseMove(wParam, lParam,
                         {kKindBackground, kKindPicture, kKindCheckbox, kKindText, kKindSpacer},
                         update);
    case WM_LBUTTONDOWN:
      ::SetWindowPos(hwnd_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
      return OnButtonDown(wParam, lParam, true, update);
    case WM_LBUTTONUP:
      return OnButtonUp(wParam, lParam, [](const IBaseResource& w) {
        return w.kind() != kKindPicture &&
               !(w.kind() == kKindButton && WidgetStateOf(w) == kStateDisabled);
      });
    case WM_APP_CONTROL_CLICK:
      OnClick(static_cast<int32_t>(wParam));
      if (UpdateStates(StateCause::kClick, static_cast<int32_t>(wParam))) InvalidateAll();
      return 0;
    case WM_APP_ACTIVATE_INSTANCE:
      return OnActivateInstance();
  }
  return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace orvane
