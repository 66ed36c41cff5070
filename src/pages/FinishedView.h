// CFinishedView: page 4, shown once the installer ended with exit code 0.
// "立即体验" starts the installed product as the logged-on user; it and the
// close button (and WM_CLOSE) end the installer.
#pragma once

#include <string>

#include "ui/BaseView.h"

namespace orvane {

class CFinishedView : public IBaseView {
 public:
  enum Id : int32_t { kCloseId = 1, kTryNowId = 2 };

  CFinishedView(HWND mainWindow, IResourceMgr* resources);

  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // the installed product's program, read again after the install
  void SetAppPath(const std::wstring& path) { appPath_ = path; }

 private:
  void OnClick(int32_t index);

  std::wstring appPath_;
};

}  // namespace orvane
