// CReminderView: page 0 of the main window (400 x 200), shown when the
// installed version is already as new as the server's: "打开" starts the
// installed product, "安装" goes on to the begin page, the close button (and
// WM_CLOSE) ends the installer.
#pragma once

#include <string>

#include "pages/TemplateView.h"

namespace orvane {

class CReminderView : public CTemplateView {
 public:
  // writes "vInstallPage" with the reinstall flag
  CReminderView(HWND mainWindow, IResourceMgr* resources, bool reinstall);

  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // the installed product's program
  void SetAppPath(const std::wstring& path) { appPath_ = path; }

 protected:
  void OnButton(int32_t id) override;

 private:
  std::wstring appPath_;
};

}  // namespace orvane
