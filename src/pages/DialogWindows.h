// The four dialog windows: borderless 400 x 200 tool windows owned by the
// main window, each with one view, each run by a nested message loop in the
// page that opens it.
//
//   WarnWindow w(L"BeginChildCloseWnd", mainWindow, resources, 1);
//   if (w.RunModal(mainWindow, WM_APP_CANCEL_CONFIRMED)) ... the user confirmed
//
// Construction raises "create window error" when the window cannot be made.
// RunModal centres the dialog over the owner (inside the work area), shows
// it and takes every message of the thread until the dialog ends the loop:
// only the dialog's messages are dispatched, and the other windows' paints
// (which would otherwise come back at once); the rest is dropped, so the
// owner neither reacts nor changes until the dialog is gone.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "ui/BaseView.h"
#include "ui/BaseWindow.h"

namespace orvane {

class IResourceMgr;

class CDialogWindow : public IBaseWindow {
 public:
  // destroys the window if it still exists, then the view
  ~CDialogWindow() override;

  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  // centres the dialog over the owner, inside the work area, and shows it
  void ShowOver(HWND owner);
  // ShowOver, then the nested loop until the dialog ends it; true when a
  // `watched` message (0: none) went to the dialog
  bool RunModal(HWND owner, UINT watched);
  IBaseView* view() const { return view_.get(); }

 protected:
  CDialogWindow(const wchar_t* className, HWND parent);

  std::unique_ptr<IBaseView> view_;
};

// "确定要取消安装吗？"; origin 1 from the begin page, 2 from the custom page
class WarnWindow : public CDialogWindow {
 public:
  WarnWindow(const wchar_t* className, HWND parent, IResourceMgr* resources, int32_t origin);
};

// "网络异常" with "立即重试" and "稍后重试"; kind 1 download, 2 install
class ErrorWindow : public CDialogWindow {
 public:
  ErrorWindow(HWND parent, IResourceMgr* resources, int32_t kind);
};

// the manual download of the package at `url`
class DownloadReminderWindow : public CDialogWindow {
 public:
  DownloadReminderWindow(HWND parent, IResourceMgr* resources, const std::string& url);
};

// the manual install of the downloaded installer at `path`
class InstallReminderWindow : public CDialogWindow {
 public:
  InstallReminderWindow(HWND parent, IResourceMgr* resources, const std::wstring& path);
};

// The cancel confirmation of a page: one WarnWindow at a time. A second
// request while it is open only brings it to the front.
class CancelConfirmation {
 public:
  CancelConfirmation(const wchar_t* className, int32_t origin)
      : className_(className), origin_(origin) {}
  // true when the user confirmed; raises "create window error"
  bool Ask(HWND mainWindow, IResourceMgr* resources);

 private:
  const wchar_t* className_;
  int32_t origin_;
  HWND open_ = nullptr;
};

}  // namespace orvane
