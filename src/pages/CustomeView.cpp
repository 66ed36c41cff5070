// The custom page's widgets, its install path and its looks; the messages
// and clicks are in CustomeViewInput.cpp.
#include "pages/CustomeView.h"

#include <memory>

#include "pages/InstallFolderRules.h"
#include "pages/PageEvents.h"
#include "pages/PageStyles.h"
#include "pages/SizeText.h"
#include "platform/FileSystem.h"
#include "platform/PathRules.h"
#include "server/ApiAnswer.h"
#include "server/QueryResults.h"
#include "ui/ButtonResource.h"
#include "ui/CheckboxResource.h"
#include "ui/EditResource.h"
#include "ui/ImageResource.h"
#include "ui/LayoutResource.h"
#include "ui/ResourceMgr.h"
#include "ui/SpacerResource.h"
#include "ui/TextResource.h"

namespace orvane {

using namespace colors;

namespace {

// what the disk says against a folder: its drive must exist, and no part of
// the path may be a file. Nothing is created.
bool UsableOnDisk(const std::wstring& folder) {
  const UINT drive = ::GetDriveTypeW(RootOfPath(folder).c_str());
  if (drive == DRIVE_UNKNOWN || drive == DRIVE_NO_ROOT_DIR) return false;
  for (size_t at = folder.find(L'\\', 3);; at = folder.find(L'\\', at + 1)) {
    if (FileExists(folder.substr(0, at))) return false;
    if (at == std::wstring::npos) return true;
  }
}

WidgetStyles LabelStyle() {
  return TextStyle(kText, 14);
}

}  // namespace

CCustomeView::CCustomeView(HWND mainWindow,
                           IResourceMgr* resources,
                           bool reinstall,
                           IPkgInfo* packageInfo)
    : IBaseView(mainWindow, resources), reinstall_(reinstall), packageInfo_(packageInfo) {
  Build();
  SendPageEvent("vInstallPage", {{"is_reinstall", reinstall_}}, {{"windows_name", "自定义安装"}});
}

void CCustomeView::Build() {
  auto layout = [&](int32_t orientation) {
    return Add(std::make_unique<CLayoutResource>(orientation, 11));
  };
  auto spacer = [&] { return Add(std::make_unique<CSpacerResource>()); };
  auto text = [&](int32_t id, const wchar_t* content, const WidgetStyles& style) {
    auto* t = Add(std::make_unique<CTextResource>(id, kKindText, &style));
    t->SetText(content);
    return t;
  };
  const WidgetStyles label = LabelStyle();

  auto* root = layout(kVertical);  // 0
  root->SetMargins(20, 24, 20, 0);
  const WidgetStyles page = PageBackgroundStyle();
  auto* background = Add(std::make_unique<CImageResource>(0, kKindBackground, &page));  // 1
  background->SetImage(resources_->GetImage(L"main_bg.png"));
  root->SetBackground(background);

  auto* topBar = layout(kHorizontal);  // 2
  root->AddChild(topBar, 4);
  const WidgetStyles backStyle = LinkStyle(16, false, 0, 0);
  auto* back = Add(std::make_unique<CButtonResource>(L"返回", kBackId, &backStyle));  // 3
  back->SetStateImage(kStateNormal, resources_->GetImage(L"custom_btn_back_normal.png"));
  back->SetStateImage(kStateHover, resources_->GetImage(L"custom_btn_back_hover.png"));
  back->SetStateImage(kStatePressed, resources_->GetImage(L"custom_btn_back_press.png"));
  topBar->AddChild(back, 5);
  topBar->AddChild(spacer(), 23);  // 4

  auto* body = layout(kVertical);  // 5
  body->SetMargins(24, 30, 24, 30);
  root->AddChild(body, 88);
  body->AddChild(text(10, L"自定义安装", TextStyle(kText, 24)), 8);  // 6
  body->AddChild(spacer(), 3);                                       // 7

  auto* pathRow = layout(kHorizontal);  // 8
  body->AddChild(pathRow, 4);
  pathRow->AddChild(text(10, L"安装路径: ", label), 8);         // 9
  edit_ = Add(std::make_unique<CEditResource>(hwnd_, &label));  // 10
  edit_->SetOutsets(0, 4);
  pathRow->AddChild(edit_, 38);
  const WidgetStyles browseStyle = LinkStyle(14, true, 0, 0);
  pathRow->AddChild(Add(std::make_unique<CButtonResource>(L"浏览", kBrowseId, &browseStyle)),
                    4);         // 11
  body->AddChild(spacer(), 3);  // 12

  auto* spaceRow = layout(kHorizontal);  // 13
  body->AddChild(spaceRow, 4);
  spaceRow->AddChild(text(10, L"所需空间: ", label), 8);  // 14
  needed_ = text(kNeededId, L"", label);                  // 15
  spaceRow->AddChild(needed_, 8);
  spaceRow->AddChild(text(10, L"可用空间: ", label), 8);  // 16
  free_ = text(kFreeId, L"", label);                      // 17
  spaceRow->AddChild(free_, 8);
  warning_ = text(kWarningId, L"（该磁盘分区可用空间不足）", TextStyle(kRed, 12));  // 18
  warning_->SetVisible(false);
  spaceRow->AddChild(warning_, 18);
  body->AddChild(spacer(), 3);  // 19

  auto* optionsRow = layout(kHorizontal);  // 20
  body->AddChild(optionsRow, 4);
  optionsRow->AddChild(text(10, L"其它选项: ", label), 8);  // 21
  const WidgetStyles box = CheckboxStyle();
  experienceBox_ = Add(std::make_unique<CCheckboxResource>(  // 22
      L"同意并参加用户体验改善计划", resources_->GetImage(L"main_checkbox_select.png"),
      resources_->GetImage(L"main_checkbox_deselect.png"), kExperienceId, &box));
  experienceBox_->SetOutsets(0, -4);
  optionsRow->AddChild(experienceBox_, 42);
  body->AddChild(spacer(), 2);  // 23

  auto* buttonRow = layout(kHorizontal);  // 24
  body->AddChild(buttonRow, 18);
  buttonRow->AddChild(spacer(), 24);  // 25
  const WidgetStyles primary = PrimaryButtonStyle();
  install_ = Add(std::make_unique<CButtonResource>(L"立即安装", kInstallId, &primary));  // 26
  install_->SetAspect(3.5);
  buttonRow->AddChild(install_, 23);
  buttonRow->AddChild(spacer(), 24);                         // 27
  body->AddChild(text(10, L"", TextStyle(kRed, 13, 1)), 1);  // 28

  RECT client{};
  ::GetClientRect(hwnd_, &client);
  root->SetRect(client.left, client.top, client.right, client.bottom);
}

HWND CCustomeView::editControl() const {
  return edit_->control();
}

bool CCustomeView::SetInstallPath(const std::wstring& path) {
  if (path == installPath_) {
    // a kept path still uses up the one-time "as it is": otherwise the next
    // folder the user types would miss the product's sub-folder
    appendProductFolder_ = true;
    return true;
  }
  const std::optional<std::wstring> next = InstallPathFor(path, appendProductFolder_);
  if (!next || !UsableOnDisk(*next)) {
    ::SetWindowTextW(edit_->control(), installPath_.c_str());
    return false;
  }
  const int64_t needed =
      packageInfo_ ? packageInfo_->GetInstallationSize() : kDefaultInstallationSize;
  const uint64_t free = FreeSpace(*next);
  spaceOk_ = needed < 0 || static_cast<uint64_t>(needed) < free;
  appendProductFolder_ = true;
  installPath_ = *next;
  needed_->SetText(SizeText(static_cast<double>(needed)));
  free_->SetText(SizeText(static_cast<double>(free)));
  ::SetWindowTextW(edit_->control(), installPath_.c_str());
  InvalidateAll();
  return true;
}

bool CCustomeView::SyncSpace() {
  bool changed = false;
  if (spaceOk_) {
    if (install_->state() == kStateDisabled) {
      install_->SetState(kStateNormal);
      changed = true;
    }
    if (warning_->visible()) {
      warning_->SetVisible(false);
      changed = true;
    }
  } else {
    if (install_->state() != kStateDisabled) {
      install_->SetState(kStateDisabled);
      changed = true;
    }
    if (!warning_->visible()) {
      warning_->SetVisible(true);
      changed = true;
    }
  }
  return changed;
}

bool CCustomeView::UpdateStates(StateCause cause, int32_t index) {
  bool changed = false;
  for (size_t i = 0; i < widgetCount(); ++i) {
    IBaseResource* widget = WidgetAt(static_cast<int32_t>(i));
    const bool target = static_cast<int32_t>(i) == index;
    if (widget == experienceBox_) {
      if (target && cause == StateCause::kClick) {
        experienceBox_->SetSelected(experienceBox_->selected() ? 0 : 1);
        changed = true;
      }
      continue;
    }
    if (widget->kind() != kKindButton) continue;
    if (widget == install_ && !spaceOk_) continue;
    auto* button = static_cast<CButtonResource*>(widget);
    int32_t next = kStateNormal;
    if (target && cause == StateCause::kMouseMove) next = kStateHover;
    if (target && cause == StateCause::kButtonDown) next = kStatePressed;
    if (button->state() != next) {
      button->SetState(next);
      changed = true;
    }
  }
  return SyncSpace() || changed;
}

}  // namespace orvane
