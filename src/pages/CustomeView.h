// CCustomeView: page 2, the custom install. The install folder in a real
// edit field or from the shell's folder browser, the space the product needs
// and the space free on the folder's drive (with a warning and a disabled
// install button when it is too small), and the check box of the user
// experience improvement program. The main window hands it the install
// folder when the page is shown and reads the chosen folder and the check
// box back when the page is left.
#pragma once

#include <string>

#include "pages/DialogWindows.h"
#include "ui/BaseView.h"

namespace orvane {

class CButtonResource;
class CCheckboxResource;
class CEditResource;
class CTextResource;
class IPkgInfo;

class CCustomeView : public IBaseView {
 public:
  enum Id : int32_t {
    kBackId = 1,
    kBrowseId = 2,
    kInstallId = 3,
    kEditId = 5,
    kNeededId = 6,
    kFreeId = 7,
    kWarningId = 8,
    kExperienceId = 9,
  };

  // builds the page (the edit field is a child window of the main window),
  // then writes "vInstallPage". packageInfo gives the size the product
  // needs; null: the default size.
  CCustomeView(HWND mainWindow, IResourceMgr* resources, bool reinstall, IPkgInfo* packageInfo);

  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  // takes a folder from the main window, the folder browser or the edit
  // field; a folder that cannot be an install folder (see InstallPathFor,
  // a drive that does not exist, a file on the way) puts the current path
  // back into the edit field, changes nothing and returns false
  bool SetInstallPath(const std::wstring& path);
  // the next SetInstallPath takes its folder as it is, without the product's
  // sub-folder (an existing installation's folder)
  void KeepNextPathAsItIs() { appendProductFolder_ = false; }

  const std::wstring& installPath() const { return installPath_; }
  bool spaceOk() const { return spaceOk_; }
  bool experienceProgram() const { return experience_; }
  HWND editControl() const;

 private:
  void Build();
  bool UpdateStates(StateCause cause, int32_t index);
  // the install button and the warning follow spaceOk_
  bool SyncSpace();
  void OnClick(int32_t index);
  void Browse();
  void Close();
  LRESULT OnButtonDown(WPARAM wParam, LPARAM lParam);

  bool reinstall_;
  IPkgInfo* packageInfo_;
  std::wstring installPath_;
  bool spaceOk_ = true;
  CancelConfirmation cancel_{L"CustomeChildCloseWnd", 2};
  bool experience_ = true;
  bool appendProductFolder_ = true;
  CEditResource* edit_ = nullptr;
  CButtonResource* install_ = nullptr;
  CTextResource* needed_ = nullptr;
  CTextResource* free_ = nullptr;
  CTextResource* warning_ = nullptr;
  CCheckboxResource* experienceBox_ = nullptr;
};

}  // namespace orvane
