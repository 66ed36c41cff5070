// CProgressView: page 3, the download and the silent install. This is a
// stand-in that shows the page and keeps the folder and the experience-plan
// choice it is given; the download, the installer hand-off and the failure
// dialogs come with the progress page itself.
#pragma once

#include <string>

#include "ui/BaseView.h"

namespace orvane {

class CProgressView : public IBaseView {
 public:
  CProgressView(HWND host, IResourceMgr* resources);

  // starts (or restarts) the work for the folder; false when it could not
  bool Start(const std::wstring& installFolder);
  // the user's experience-plan choice, given after each Start
  void SetJoinFlag(bool join) { join_ = join; }

  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  const std::wstring& installFolder() const { return installFolder_; }
  bool joinFlag() const { return join_; }

 private:
  std::wstring installFolder_;
  bool join_ = true;
};

}  // namespace orvane
