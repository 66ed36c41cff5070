// CBeginView: page 1, the first page a user sees. The logo and the product
// name, "立即安装", the agreement check box with the link to the agreement,
// the red hint while the agreement is not accepted, and the "自定义安装"
// link. Its close button and WM_CLOSE ask for the cancel confirmation.
#pragma once

#include <string>
#include <vector>

#include "pages/DialogWindows.h"
#include "ui/BaseView.h"
#include "ui/ResourceMgr.h"

namespace orvane {

class CButtonResource;
class CCheckboxResource;
class CTextResource;

class CBeginView : public IBaseView {
 public:
  enum Id : int32_t {
    kCloseId = 2,
    kInstallId = 3,
    kCustomId = 4,
    kAgreementLinkId = 5,
    kCheckboxId = 6,
    kHintId = 7,
  };

  // builds the page in the main window's client area, then writes
  // "vInstallPage"
  CBeginView(HWND mainWindow, IResourceMgr* resources, bool reinstall);

  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  // the skin pictures the page shows, the largest first: for decoding them
  // ahead of the page
  static const std::vector<std::wstring>& Pictures();
  // the background as the page's first paint asks for it fitted, in a main
  // window of this client size: the whole window, on the page's colour.
  // Start-up has it fitted before the page exists.
  static SkinPictureFit BackgroundFit(int32_t clientWidth, int32_t clientHeight);

  // the main window's disk check: while the install folder's drive lacks the
  // room, the install button stays disabled
  void SetSpaceOk(bool ok);
  bool spaceOk() const { return spaceOk_; }
  bool agreementAccepted() const { return accepted_; }

 private:
  void Build();
  // the looks after a mouse move, a press or a click on the widget at index
  bool UpdateStates(StateCause cause, int32_t index);
  void OnClick(int32_t index);
  void ToggleAgreement();
  void OpenAgreement();
  void Close();

  bool reinstall_;
  bool accepted_ = true;
  bool spaceOk_ = true;
  CancelConfirmation cancel_{L"BeginChildCloseWnd", 1};
  CButtonResource* install_ = nullptr;
  CButtonResource* custom_ = nullptr;
  CCheckboxResource* checkbox_ = nullptr;
  CTextResource* hint_ = nullptr;
};

}  // namespace orvane
