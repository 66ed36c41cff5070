// The custom page's messages: the mouse, the edit field's focus, the clicks,
// the folder browser and the cancel confirmation.
#include <windows.h>

#include <ole2.h>
#include <shlobj.h>

#include "pages/CustomeView.h"
#include "pages/PageEvents.h"
#include "pages/PageMessages.h"
#include "ui/CheckboxResource.h"
#include "ui/EditResource.h"

namespace orvane {

namespace {

// the whole text of the edit field, however long the user made it
std::wstring EditText(HWND edit) {
  const int length = ::GetWindowTextLengthW(edit);
  std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
  const int got = ::GetWindowTextW(edit, &text[0], length + 1);
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return text;
}

}  // namespace

LRESULT CCustomeView::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  auto update = [this](StateCause cause, int32_t index) { return UpdateStates(cause, index); };
  switch (msg) {
    case WM_PAINT:
      return PaintOpaque(msg, wParam, lParam);
    case WM_CLOSE:
      Close();
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == kEditId && HIWORD(wParam) == EN_KILLFOCUS)
        SetInstallPath(EditText(editControl()));
      break;
    case WM_CTLCOLOREDIT:
      ::SetTextColor(reinterpret_cast<HDC>(wParam), 0x00FAE7E0);
      ::SetBkColor(reinterpret_cast<HDC>(wParam), 0x001F1F1F);
      return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
    case WM_MOUSEMOVE:
      return OnMouseMove(wParam, lParam,
                         {kKindBackground, kKindPicture, kKindCheckbox, kKindText, kKindSpacer},
                         update);
    case WM_LBUTTONDOWN:
      return OnButtonDown(wParam, lParam);
    case WM_LBUTTONUP:
      return OnButtonUp(wParam, lParam, [](const IBaseResource& w) {
        return w.kind() == kKindCheckbox || IsEnabledButton(w);
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

LRESULT CCustomeView::OnButtonDown(WPARAM wParam, LPARAM lParam) {
  ::SetWindowPos(hwnd_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  const IBaseResource* widget = WidgetAt(HitTest(lParam));
  // the edit field loses the focus and hands in its text before the press
  // counts, so that "立即安装" installs into what was typed
  if (widget && widget->kind() != kKindEdit) ::SetFocus(hwnd_);
  return IBaseView::OnButtonDown(wParam, lParam, true, [this](StateCause cause, int32_t index) {
    return UpdateStates(cause, index);
  });
}

void CCustomeView::OnClick(int32_t index) {
  IBaseResource* widget = WidgetAt(index);
  if (!widget) return;
  if (widget == experienceBox_) {
    // the state update toggles the box after this
    experience_ = experienceBox_->selected() == 0;
    return;
  }
  if (widget->kind() != kKindButton) return;
  switch (widget->id()) {
    case kBackId:
      ::ShowWindow(editControl(), SW_HIDE);
      ::PostMessageW(hwnd_, WM_APP_SHOW_PAGE, kPageBegin, 0);
      InvalidateAll();
      break;
    case kBrowseId:
      Browse();
      break;
    case kInstallId:
      SendPageEvent("pConfirmInstall", {}, {{"confirm_entrance", "开始安装"}});
      WriteClick("0002", "0005");
      ::ShowWindow(editControl(), SW_HIDE);
      ::PostMessageW(hwnd_, WM_APP_SHOW_PAGE, kPageProgress, 0);
      InvalidateAll();
      break;
  }
}

void CCustomeView::Browse() {
  const HRESULT ole = ::OleInitialize(nullptr);
  BROWSEINFOW info{};
  info.hwndOwner = hwnd_;
  info.lpszTitle = L"安装路径选择：";
  info.ulFlags = BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&info);
  if (chosen) {
    wchar_t path[MAX_PATH + 1] = {};
    const bool named = ::SHGetPathFromIDListW(chosen, path) != FALSE;
    ::CoTaskMemFree(chosen);
    // a folder that is no file-system path, or one that cannot be an install
    // folder, is refused aloud: the user chose it on purpose
    if (!named || !path[0] || !SetInstallPath(path))
      ::MessageBoxW(hwnd_, L"请选择正确的安装路径！", L"路径选择错误", MB_OK);
  }
  if (SUCCEEDED(ole)) ::OleUninitialize();
}

void CCustomeView::Close() {
  if (!cancel_.Ask(hwnd_, resources_)) return;
  SendPageEvent("pCancelInstall", {{"is_reinstall", reinstall_}}, {{"windows_name", "自定义安装"}});
  ::ShowWindow(hwnd_, SW_HIDE);
  ::PostQuitMessage(0);
}

}  // namespace orvane
