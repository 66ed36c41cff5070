#include "ui/EditResource.h"

#include "platform/Error.h"
#include "ui/WidgetPainter.h"

namespace orvane {

namespace {

constexpr wchar_t kEditProp[] = L"EditClassPtr";

// the edit class's own window procedure, kept once for every subclassed control
WNDPROC g_editClassProc = nullptr;

WidgetStyles DefaultEditStyles() {
  WidgetStyles s;
  for (WidgetStyle& style : s) {
    style.textColor = 0xFF1A1A1A;
    style.backgroundColor = 0x00FFFFFF;
    style.borderColor = 0x00FFFFFF;
  }
  return s;
}

}  // namespace

CEditResource::CEditResource(HWND parent, const WidgetStyles* styles)
    : CImageResource(kId, kKindEdit, nullptr) {
  styles_ = styles ? *styles : DefaultEditStyles();
  HWND edit = ::CreateWindowExW(
      WS_EX_CLIENTEDGE, L"Edit", initialText_.c_str(),
      WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | ES_AUTOHSCROLL, 0, 0, 100, 25, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kId)), ::GetModuleHandleW(nullptr), nullptr);
  if (!edit) throw Error("create widget error");
  control_.reset(edit);

  g_editClassProc = reinterpret_cast<WNDPROC>(::GetClassLongPtrW(edit, GCLP_WNDPROC));
  ::SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CEditResource::SubclassProc));
  ::SetPropW(edit, kEditProp, this);

  const WidgetStyle& normal = styles_[kStateNormal];
  font_.reset(::CreateFontW(-static_cast<int>(normal.fontSize * UiScale()), 0, 0, 0, 0, FALSE,
                            FALSE, FALSE, 0, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH, normal.fontFamily.c_str()));
  ::SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
}

CEditResource::~CEditResource() {
  // the control goes before its font, with the edit class's own procedure
  // back in place so that it frees what it holds
  HWND edit = control_.release();
  if (edit && ::IsWindow(edit)) {
    if (g_editClassProc) {
      ::SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_editClassProc));
    }
    ::RemovePropW(edit, kEditProp);
    ::DestroyWindow(edit);
  }
}

LRESULT CALLBACK CEditResource::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!::GetPropW(hwnd, kEditProp) || !g_editClassProc) {
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  // the sunken client edge is never painted
  if (msg == WM_NCPAINT && (::GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE)) return 0;
  return ::CallWindowProcW(g_editClassProc, hwnd, msg, wParam, lParam);
}

bool CEditResource::Draw(HDC) {
  ::ShowWindow(control_.get(), SW_SHOWNORMAL);
  ::InvalidateRect(control_.get(), nullptr, TRUE);
  return true;
}

bool CEditResource::SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  CImageResource::SetRect(left, top, right, bottom);
  ::MoveWindow(control_.get(), rect_.left, rect_.top, rect_.width(), rect_.height(), TRUE);
  return true;
}

}  // namespace orvane
