#include "pages/FinishedView.h"

#include <memory>

#include "pages/PageEvents.h"
#include "pages/PageStyles.h"
#include "platform/StringConv.h"
#include "telemetry/LoggerServer.h"
#include "ui/ButtonResource.h"
#include "ui/ImageResource.h"
#include "ui/LayoutResource.h"
#include "ui/ResourceMgr.h"
#include "ui/SpacerResource.h"
#include "ui/TextResource.h"
#include "ui/UiMessages.h"

namespace orvane {

using namespace colors;

CFinishedView::CFinishedView(HWND mainWindow, IResourceMgr* resources)
    : IBaseView(mainWindow, resources) {
  auto layout = [&](int32_t orientation) {
    return Add(std::make_unique<CLayoutResource>(orientation, 5));
  };
  auto spacer = [&] { return Add(std::make_unique<CSpacerResource>()); };
  auto text = [&](const wchar_t* content, uint32_t color, uint32_t size) {
    const WidgetStyles style = TextStyle(color, size, 1);
    auto* t = Add(std::make_unique<CTextResource>(4, kKindText, &style));
    t->SetText(content);
    return t;
  };

  auto* root = layout(kVertical);
  root->SetMargins(20, 24, 20, 24);
  const WidgetStyles page = PageBackgroundStyle();
  auto* background = Add(std::make_unique<CImageResource>(0, kKindBackground, &page));
  background->SetImage(resources_->GetImage(L"main_bg.png"));
  root->SetBackground(background);

  auto* titleRow = layout(kHorizontal);
  root->AddChild(titleRow, 4);
  titleRow->AddChild(spacer(), 27);
  const WidgetStyles closeStyle = CloseButtonStyle();
  auto* close = Add(std::make_unique<CButtonResource>(L"", kCloseId, &closeStyle));
  close->SetAspect(1.0);
  close->SetStateImage(kStateNormal, resources_->GetImage(L"global_btn_close_normal.png"));
  close->SetStateImage(kStateHover, resources_->GetImage(L"global_btn_close_hover.png"));
  close->SetStateImage(kStatePressed, resources_->GetImage(L"global_btn_close_hover.png"));
  titleRow->AddChild(close, 1);
  root->AddChild(spacer(), 3);

  auto* content = layout(kVertical);
  root->AddChild(content, 42);
  auto* logo = Add(std::make_unique<CImageResource>(3, kKindPicture, nullptr));
  logo->SetImage(resources_->GetImage(L"logo.png"));
  content->AddChild(logo, 15);
  content->AddChild(text(L"恭喜，安装成功", kText, 24), 4);
  root->AddChild(spacer(), 2);
  content->AddChild(text(L"", kSubtext, 16), 4);
  root->AddChild(spacer(), 6);

  auto* buttonRow = layout(kHorizontal);
  root->AddChild(buttonRow, 24);
  buttonRow->AddChild(spacer(), 25);
  const WidgetStyles primary = PrimaryButtonStyle();
  auto* tryNow = Add(std::make_unique<CButtonResource>(L"立即体验", kTryNowId, &primary));
  tryNow->SetAspect(3.5);
  buttonRow->AddChild(tryNow, 21);
  buttonRow->AddChild(spacer(), 25);

  RECT client{};
  ::GetClientRect(hwnd_, &client);
  root->SetRect(client.left, client.top, client.right, client.bottom);
}

void CFinishedView::OnClick(int32_t index) {
  IBaseResource* widget = WidgetAt(index);
  if (!widget || widget->kind() != kKindButton) return;
  if (widget->id() == kCloseId) {
    SendPageEvent("pCloseStartPage");
    WriteClick("0004", "0001");
  } else if (widget->id() == kTryNowId) {
    SendPageEvent("pImmediateUse");
    WriteClick("0004", "0002");
    // as the logged-on user, not with the installer's elevated rights
    EventLogger().ShellExecAsUser("open", WideToUtf8(appPath_), "", "", 0);
  } else {
    return;
  }
  ::ShowWindow(hwnd_, SW_HIDE);
  ::PostQuitMessage(0);
}

LRESULT CFinishedView::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  auto update = [this](StateCause cause, int32_t index) {
    return UpdateButtonLooks(*this, cause, index);
  };
  switch (msg) {
    case WM_PAINT:
      return PaintOpaque(msg, wParam, lParam);
    case WM_CLOSE:
      ::PostQuitMessage(0);
      break;
    case WM_MOUSEMOVE:
      return OnMouseMove(wParam, lParam, {kKindBackground, kKindPicture, kKindText, kKindSpacer},
                         update);
    case WM_LBUTTONDOWN:
      return OnButtonDown(wParam, lParam, true, update);
    case WM_LBUTTONUP:
      return OnButtonUp(wParam, lParam, [](const IBaseResource& w) { return IsEnabledButton(w); });
    case WM_APP_CONTROL_CLICK:
      OnClick(static_cast<int32_t>(wParam));
      if (UpdateButtonLooks(*this, StateCause::kClick, static_cast<int32_t>(wParam)))
        InvalidateAll();
      return 0;
    case WM_APP_ACTIVATE_INSTANCE:
      return OnActivateInstance();
  }
  return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace orvane
