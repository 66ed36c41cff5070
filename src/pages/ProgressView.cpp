#include "pages/ProgressView.h"

#include <memory>

#include "pages/PageStyles.h"
#include "ui/ButtonResource.h"
#include "ui/ImageResource.h"
#include "ui/LayoutResource.h"
#include "ui/ProgressResource.h"
#include "ui/ResourceMgr.h"
#include "ui/SpacerResource.h"
#include "ui/TextResource.h"
#include "ui/UiMessages.h"

namespace orvane {

using namespace colors;

CProgressView::CProgressView(HWND host, IResourceMgr* resources) : IBaseView(host, resources) {
  auto layout = [&](int32_t orientation) {
    return Add(std::make_unique<CLayoutResource>(orientation, 6));
  };
  auto spacer = [&] { return Add(std::make_unique<CSpacerResource>()); };

  auto* root = layout(kVertical);
  const WidgetStyles page = PageBackgroundStyle();
  root->SetBackground(Add(std::make_unique<CImageResource>(0, kKindBackground, &page)));

  auto* banner = layout(kVertical);
  banner->SetMargins(20, 24, 20, 0);
  root->AddChild(banner, 3);
  auto* picture = Add(std::make_unique<CImageResource>(3, kKindBackground, nullptr));
  picture->SetAspect(2.0);
  picture->SetImage(resources_->GetImage(L"install_banner.png"));
  banner->SetBackground(picture);
  auto* topRow = layout(kHorizontal);
  banner->AddChild(topRow, 1);
  topRow->AddChild(spacer(), 5);
  const WidgetStyles hideStyle = LinkStyle(14, false, 2, 0);
  topRow->AddChild(Add(std::make_unique<CButtonResource>(L"隐藏窗口", 1, &hideStyle)), 1);
  banner->AddChild(spacer(), 10);

  auto* status = layout(kVertical);
  status->SetMargins(48, 0, 48, 24);
  root->AddChild(status, 1);
  status->AddChild(spacer(), 6);
  const WidgetStyles textStyle = TextStyle(kText, 14);
  auto* text = Add(std::make_unique<CTextResource>(5, kKindText, &textStyle));
  text->SetText(L"正在安装，请不要关闭：0%");
  status->AddChild(text, 6);
  status->AddChild(spacer(), 3);
  WidgetStyles barStyle;
  barStyle[0].textColor = kAccent;
  barStyle[0].backgroundColor = kPage;
  barStyle[0].cornerRadius = 100;
  status->AddChild(Add(std::make_unique<CProgressResource>(2, &barStyle)), 2);
  status->AddChild(spacer(), 3);

  RECT client{};
  ::GetClientRect(hwnd_, &client);
  root->SetRect(client.left, client.top, client.right, client.bottom);
}

bool CProgressView::Start(const std::wstring& installFolder) {
  installFolder_ = installFolder;
  return true;
}

LRESULT CProgressView::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  auto update = [this](StateCause cause, int32_t index) {
    return UpdateButtonLooks(*this, cause, index);
  };
  switch (msg) {
    case WM_PAINT:
      return PaintOpaque(msg, wParam, lParam);
    case WM_MOUSEMOVE:
      return OnMouseMove(wParam, lParam, {kKindBackground, kKindText, kKindSpacer, kKindProgress},
                         update);
    case WM_LBUTTONDOWN:
      return OnButtonDown(wParam, lParam, true, update);
    case WM_APP_ACTIVATE_INSTANCE:
      return OnActivateInstance();
  }
  return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace orvane
