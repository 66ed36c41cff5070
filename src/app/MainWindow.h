// MainWindow: the installer's main window and the controller of the install
// flow. It decides the install folder and the first page, switches between
// the five pages (created on first show, kept until the window goes), checks
// the disk space before the install starts, honours the experience-plan
// choice, and on the finished page records the install in config.ini,
// composes the welcome page's address, starts the conversion report and
// opens the welcome page.
//
// Pages talk to it only through window messages: it handles WM_APP_SHOW_PAGE
// and WM_APP_OPEN_WELCOME itself, ignores WM_CLOSE while the install runs
// (page 3), and forwards every other message to the current page.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "pages/PageMessages.h"
#include "ui/BaseView.h"
#include "ui/BaseWindow.h"
#include "ui/ResourceMgr.h"

namespace orvane {

class CBeginView;
class CCustomeView;
class CFinishedView;
class CKMReportThread;
class CProgressView;
class CReminderView;

class MainWindow : public IBaseWindow {
 public:
  // builds the window (600 x 400, hidden), the skin, the install folder and
  // the first page. Raises "create window error", "Create ResMgr error" or
  // "Get DefaultPath error" (the last two after a message box).
  MainWindow();
  // stops the conversion report, destroys the window, then the pages and
  // the skin
  ~MainWindow() override;

  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // the first page is drawn while the window is shown (FrameAhead)
  void ShowAndPaint() override;

  // switches to a page; false for an index out of range and when the disk
  // check before the install fails. Does not repaint: whoever posts
  // WM_APP_SHOW_PAGE invalidates the window after it.
  bool ShowPage(int index);

  int currentPage() const { return currentIndex_; }
  const std::wstring& installFolder() const { return installFolder_; }

 private:
  void DecideInstallFolder();
  int FirstPage();
  // the product's size fits strictly into the free space of the folder's drive
  bool HasRoomFor(const std::wstring& folder);
  // the folder the custom page holds, when it holds one
  void TakeCustomFolder();
  bool StartInstall();
  // the finished page: config.ini, the welcome address, the telemetry, the
  // conversion report (MainWindowFinish.cpp)
  void Complete();
  void OpenWelcome();

  template <class View, class... Args>
  View* PageOf(int index, Args&&... args) {
    if (!pages_[index])
      pages_[index] = std::make_unique<View>(hwnd_, resources_.get(), std::forward<Args>(args)...);
    return static_cast<View*>(pages_[index].get());
  }

  std::wstring installFolder_;
  std::wstring welcomeUrl_;
  int currentIndex_ = -1;
  IBaseView* current_ = nullptr;
  std::array<std::unique_ptr<IBaseView>, kPageCount> pages_;
  ResourceMgrPtr resources_;
  std::wstring appPath_;  // the installed product's program; empty when none
  std::unique_ptr<CKMReportThread> reportThread_;
};

}  // namespace orvane
