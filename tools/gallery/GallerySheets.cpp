#include "GallerySheets.h"

#include "pages/PageStyles.h"
#include "ui/ButtonResource.h"
#include "ui/CheckboxResource.h"
#include "ui/EditResource.h"
#include "ui/ImageResource.h"
#include "ui/LayoutResource.h"
#include "ui/ProgressResource.h"
#include "ui/ResourceMgr.h"
#include "ui/SpacerResource.h"
#include "ui/TextResource.h"
#include "ui/UiMessages.h"

namespace orvane {

namespace {

using namespace colors;

WidgetStyles SecondaryButton() {
  WidgetStyles s;
  const uint32_t backgrounds[3] = {kSecondary, kAccent, kAccent};
  for (int i = 0; i < 3; ++i) {
    s[i].backgroundColor = backgrounds[i];
    s[i].borderColor = backgrounds[i];
    s[i].borderWidth = 1;
    s[i].textColor = kText;
    s[i].cornerRadius = 2;
    s[i].horizontalAlignment = 1;
  }
  return s;
}

WidgetStyles BoldText(uint32_t color, uint32_t size) {
  WidgetStyles s = TextStyle(color, size);
  s[0].bold = 1;
  return s;
}

WidgetStyles BarStyle(int32_t radius) {
  WidgetStyles s;
  s[0].textColor = kAccent;
  s[0].backgroundColor = kSecondary;
  s[0].cornerRadius = radius;
  return s;
}

// the widget sheet: one row per kind of control, a label at its left
class WidgetSheet : public GalleryView {
 public:
  WidgetSheet(HWND hwnd, IResourceMgr* resources) : GalleryView(hwnd, resources) {}

  void Build() {
    const WidgetStyles page = PageBackgroundStyle();
    auto* root = Add(std::make_unique<CLayoutResource>(kVertical, 9));
    root->SetMargins(20, 12, 20, 12);
    root->SetSpacing(4);
    auto* bg = Keep("page", std::make_unique<CImageResource>(0, kKindBackground, &page));
    bg->SetImage(resources_->GetImage(L"main_bg.png"));
    root->SetBackground(bg);
    SetRoot(root);

    // buttons in their four states
    auto* buttons = Row(root, L"按钮", 0, 0);
    const WidgetStyles primary = PrimaryButtonStyle();
    for (int state = 0; state < 4; ++state) {
      if (state) Gap(buttons, 2, "buttons.gap" + std::to_string(state));
      auto* b = Keep("btn." + std::to_string(state),
                     std::make_unique<CButtonResource>(L"立即安装", 3, &primary));
      Later(b, state);
      buttons->AddChild(b, 16);
    }

    // the dialogs' two buttons, normal, hover and pressed
    auto* dialog = Row(root, L"对话框按钮", 2, 2);
    const WidgetStyles secondary = SecondaryButton();
    WidgetStyles primaryDialog = PrimaryButtonStyle();
    for (int state = 0; state < 6; ++state) {
      if (state) Gap(dialog, 2, "");
      const bool first = state < 3;
      auto* b = Keep((first ? "sec." : "pri.") + std::to_string(state % 3),
                     std::make_unique<CButtonResource>(first ? L"确认" : L"取消", state < 3 ? 1 : 2,
                                                       first ? &secondary : &primaryDialog));
      Later(b, state % 3);
      dialog->AddChild(b, 10);
    }

    // close buttons and the back button with its chevron
    auto* icons = Row(root, L"图标按钮", 10, 10);
    const WidgetStyles close = CloseButtonStyle();
    for (int state = 0; state < 3; ++state) {
      auto* b =
          Keep("close." + std::to_string(state), std::make_unique<CButtonResource>(L"", 2, &close));
      b->SetAspect(1.0);
      b->SetStateImage(kStateNormal, resources_->GetImage(L"global_btn_close_normal.png"));
      b->SetStateImage(kStateHover, resources_->GetImage(L"global_btn_close_hover.png"));
      b->SetStateImage(kStatePressed, resources_->GetImage(L"global_btn_close_hover.png"));
      Later(b, state);
      icons->AddChild(b, 4);
    }
    Gap(icons, 4, "");
    const WidgetStyles back = LinkStyle(16, false, 0, 0);
    const wchar_t* backImages[4] = {L"custom_btn_back_normal.png", L"custom_btn_back_hover.png",
                                    L"custom_btn_back_press.png", L"custom_btn_back_click.png"};
    for (int state = 0; state < 4; ++state) {
      auto* b = Keep("back." + std::to_string(state),
                     std::make_unique<CButtonResource>(L"返回", 1, &back));
      for (int i = 0; i < 4; ++i)
        b->SetStateImage(i, resources_->GetImage(backImages[i]));
      Later(b, state);
      icons->AddChild(b, 14);
    }

    // the underlined agreement link
    auto* links = Row(root, L"链接", 10, 10);
    const WidgetStyles agreement = LinkStyle(14, true, 0, 0);
    for (int state = 0; state < 4; ++state) {
      auto* b = Keep("link." + std::to_string(state),
                     std::make_unique<CButtonResource>(L"用户使用协议", 5, &agreement));
      Later(b, state);
      links->AddChild(b, 17);
    }

    // the custom-install link with its chevron at the right
    auto* customs = Row(root, L"图标链接", 10, 10);
    const WidgetStyles custom = LinkStyle(14, false, 2, 1);
    const wchar_t* customImages[4] = {L"main_word_custom_normal.png", L"main_word_custom_hover.png",
                                      L"main_word_custom_press.png", L"main_word_custom_click.png"};
    for (int state = 0; state < 4; ++state) {
      if (state) Gap(customs, 4, "");
      auto* b = Keep("custom." + std::to_string(state),
                     std::make_unique<CButtonResource>(L"自定义安装", 4, &custom));
      for (int i = 0; i < 4; ++i)
        b->SetStateImage(i, resources_->GetImage(customImages[i]));
      Later(b, state);
      customs->AddChild(b, 12);
    }

    // check boxes: selected and not, normal and hover
    auto* boxes = Row(root, L"复选框", 10, 10);
    const WidgetStyles box = CheckboxStyle();
    const char* boxNames[4] = {"cb.sel", "cb.sel.hover", "cb.desel", "cb.desel.hover"};
    for (int i = 0; i < 4; ++i) {
      auto* c = Keep(boxNames[i],
                     std::make_unique<CCheckboxResource>(
                         L"我已阅读并同意", resources_->GetImage(L"main_checkbox_select.png"),
                         resources_->GetImage(L"main_checkbox_deselect.png"), 6, &box));
      c->SetSelected(i < 2 ? 1 : 0);
      Later(c, i % 2);
      boxes->AddChild(c, 14);
    }

    // texts: title, subtitle, red hint, bold
    auto* texts = Row(root, L"文字", 0, 0, 8);
    // each cell holds its text on one line, with GDI+'s padding of 1/6 em
    AddText(texts, "title", L"栖木工坊", TextStyle(kText, 24), 15);
    AddText(texts, "subtitle", L"恭喜，安装成功", TextStyle(kSubtext, 16), 17);
    AddText(texts, "hint", L"（勾选已阅读用户协议后才能安装）", TextStyle(kRed, 12), 28);
    AddText(texts, "bold", L"加粗", BoldText(kText, 16), 7);

    // progress bars at 0, 50 and 100 %, pill-shaped, and a square one
    auto* bars = Row(root, L"进度条", 13, 13);
    const WidgetStyles pill = BarStyle(100);
    const WidgetStyles square = BarStyle(0);
    const int percents[4] = {0, 50, 100, 50};
    const char* barNames[4] = {"bar.0", "bar.50", "bar.100", "bar.square"};
    for (int i = 0; i < 4; ++i) {
      if (i) Gap(bars, 2, "");
      auto* p = Keep(barNames[i], std::make_unique<CProgressResource>(2, i < 3 ? &pill : &square));
      p->SetPercent(percents[i]);
      bars->AddChild(p, 12);
    }

    // the edit field, the logo, the dialog icons and the banner
    auto* other = Row(root, L"其它", 6, 6);
    WidgetStyles editStyle;
    editStyle[0].textColor = kText;
    editStyle[0].backgroundColor = kClear;
    editStyle[0].fontSize = 14;
    auto* edit = Keep("edit", std::make_unique<CEditResource>(hwnd_, &editStyle));
    ::SetWindowTextW(edit->control(), L"C:\\Program Files\\Orvane\\栖木工坊");
    edit->SetOutsets(0, 4);
    other->AddChild(edit, 30);
    Gap(other, 2, "");
    const wchar_t* pictures[4] = {L"logo.png", L"error_icon.png", L"inquire_icon.png",
                                  L"install_banner.png"};
    const char* pictureNames[4] = {"logo", "error", "inquire", "banner"};
    const uint32_t pictureWeights[4] = {5, 5, 5, 10};
    for (int i = 0; i < 4; ++i) {
      auto* p = Keep(pictureNames[i], std::make_unique<CImageResource>(1, kKindPicture, nullptr));
      p->SetImage(resources_->GetImage(pictures[i]));
      other->AddChild(p, pictureWeights[i]);
    }
  }

 private:
  // a row with its label; the margins centre a band of the controls' height
  CLayoutResource* Row(CLayoutResource* root,
                       const wchar_t* label,
                       int32_t top,
                       int32_t bottom,
                       uint32_t labelWeight = 9) {
    auto* row = Add(std::make_unique<CLayoutResource>(kHorizontal, 9));
    row->SetMargins(0, top, 0, bottom);
    root->AddChild(row, 1);
    const WidgetStyles style = TextStyle(kSubtext, 12);
    auto* text = Add(std::make_unique<CTextResource>(10, kKindText, &style));
    text->SetText(label);
    row->AddChild(text, labelWeight);
    return row;
  }
  void Gap(CLayoutResource* row, uint32_t weight, const std::string& name) {
    auto spacer = std::make_unique<CSpacerResource>();
    row->AddChild(name.empty() ? Add(std::move(spacer)) : Keep(name, std::move(spacer)), weight);
  }
  void AddText(CLayoutResource* row,
               const std::string& name,
               const wchar_t* text,
               const WidgetStyles& style,
               uint32_t weight) {
    auto* t = Keep(name, std::make_unique<CTextResource>(8, kKindText, &style));
    t->SetText(text);
    row->AddChild(t, weight);
  }
};

}  // namespace

LRESULT GalleryView::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  auto update = [this](StateCause cause, int32_t index) { return UpdateStates(cause, index); };
  switch (msg) {
    case WM_PAINT:
      return PaintOpaque(msg, wParam, lParam);
    case WM_MOUSEMOVE:
      return OnMouseMove(wParam, lParam,
                         {kKindBackground, kKindPicture, kKindCheckbox, kKindText, kKindSpacer},
                         update);
    case WM_LBUTTONDOWN:
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

void GalleryView::Layout() {
  RECT client{};
  ::GetClientRect(hwnd_, &client);
  if (root_) root_->SetRect(client.left, client.top, client.right, client.bottom);
  // like the pages, images and rectangles are given while controls are normal
  for (auto [widget, state] : later_)
    widget->SetState(state);
  later_.clear();
  CollectNames();
}

void GalleryView::CollectNames() {
  named_.clear();
  for (const auto& [name, widget] : names_) {
    named_[name] = widget->rect();
    if (auto* button = dynamic_cast<CButtonResource*>(widget)) {
      if (button->stateImage(button->state())) named_[name + ".image"] = button->stateImageRect();
    } else if (auto* box = dynamic_cast<CCheckboxResource*>(widget)) {
      named_[name + ".image"] = box->checkImageRect();
    } else if (auto* bar = dynamic_cast<CProgressResource*>(widget)) {
      named_[name + ".fill"] = bar->barRect();
    }
  }
}

std::unique_ptr<GalleryView> CreateWidgetSheet(HWND hwnd, IResourceMgr* resources) {
  auto sheet = std::make_unique<WidgetSheet>(hwnd, resources);
  sheet->Build();
  sheet->Layout();
  return sheet;
}

}  // namespace orvane
