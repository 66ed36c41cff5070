// CProgressView: page 3, the download and the silent install. It starts the
// downloader, shows the progress under the animated banner, runs the
// downloaded installer hidden with the silent command line, judges its exit
// code and moves to the finished page; failures open the retry dialog twice
// and then the manual download or install. It can hide the window in the
// notification area meanwhile.
//
// A multimedia timer drives it: every 50 ms its callback, on the timer's own
// thread, polls the downloader or the installer under the page's lock and
// posts a message to the main window; the page reacts on the UI thread.
// Split by concern: ProgressView.cpp the widgets, messages and tray icon,
// ProgressHandoff.cpp the timer, the installer and the failure dialogs.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <atomic>
#include <memory>
#include <string>

#include "download/Downloader.h"
#include "platform/BasedProcess.h"
#include "platform/XMutex.h"
#include "ui/BaseView.h"

namespace orvane {

class CMovieResource;
class CProgressResource;
class CTextResource;

class CProgressView : public IBaseView {
 public:
  // page ids
  enum WidgetId : int32_t {
    kIdBackground = 0,
    kIdHide = 1,
    kIdBar = 2,
    kIdBanner = 3,
    kIdStatus = 5,
    kIdLayout = 6,
  };
  static constexpr UINT kTickMs = 50;

  // the main window and the skin; builds the widgets and lays them out in
  // the main window's client area
  CProgressView(HWND host, IResourceMgr* resources);
  ~CProgressView() override;

  // (re)starts the download for the folder; false when the downloader
  // refused, which is reported as a download failure
  bool Start(const std::wstring& installFolder);
  // the user's experience-plan choice, given after each Start
  void SetJoinFlag(bool join);

  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  const std::wstring& installFolder() const { return installFolder_; }
  bool joinFlag() const;
  // failures of the whole run, never reset
  static int downloadFailures();
  static int installFailures();

 private:
  // the running multimedia timer: what its callback calls, on which page
  struct TimerRecord {
    void (CProgressView::*callback)() = nullptr;
    CProgressView* page = nullptr;
    UINT id = 0;
  };

  // ProgressView.cpp
  void BuildWidgets();
  bool UpdateStates(StateCause cause, int32_t index);
  void OnClick(int32_t index);
  void HideToTray();
  LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
  void DeleteTrayIcon();
  void Refresh();
  void SetQuiet(bool quiet);

  // ProgressHandoff.cpp
  void StartTimer();
  // UI thread only, never under lock_: waits for a callback in progress
  void StopTimer();
  static void CALLBACK TimerTrampoline(UINT id, UINT msg, DWORD_PTR user, DWORD_PTR, DWORD_PTR);
  void OnTimer();
  void StartInstaller();
  void PollInstaller();
  // a failure from the timer thread: no more acting on ticks, no icon
  void FailFromTimer(UINT message);
  LRESULT OnProgressTick();
  void OnDownloadFailed();
  void OnInstallFailed();
  // the state every failure dialog opens in
  void PrepareDialog();
  void RunRetryDialog(int32_t kind);
  void RunManualDownload();
  void RunManualInstall();

  NOTIFYICONDATAW tray_{};
  std::wstring installFolder_;
  std::unique_ptr<TimerRecord> timer_;
  IDownloader* downloader_ = nullptr;  // created at the first Start, kept for retries
  CMovieResource* banner_ = nullptr;
  CProgressResource* bar_ = nullptr;
  CTextResource* status_ = nullptr;

  // guarded by lock_: shared with the timer callback
  mutable CXMutex lock_;
  std::unique_ptr<COrvaneBasedProcess> installer_;
  uint32_t installStartTick_ = 0;
  bool installerSucceeded_ = false;
  bool installerRunning_ = false;
  bool join_ = true;
  bool ticking_ = false;  // the callback acts; cleared when it reported a failure
};

}  // namespace orvane
