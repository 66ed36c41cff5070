// The progress page's work: the multimedia timer, the downloader, the
// installer process and the failure dialogs (see ProgressView.h).
#include <windows.h>
// after windows.h, which it needs
#include <mmsystem.h>

#include "pages/DialogWindows.h"
#include "pages/PageMessages.h"
#include "pages/ProgressRules.h"
#include "pages/ProgressView.h"
#include "telemetry/LoggerServer.h"

namespace orvane {

namespace {

// for the whole run, never reset: a retry does not forgive a failure
std::atomic<int> gDownloadFailures{0};
std::atomic<int> gInstallFailures{0};

void SendDownloadFailed() {
  EventLogger().Send(Event("pSoftDownloadResult")
                         .String("soft_download_status", "下载失败")
                         .Int("download_time", -1));
}

void SendInstallError(const std::string& status) {
  EventLogger().Send(Event("vSoftInstallError").String("error_status", status));
}

}  // namespace

int CProgressView::downloadFailures() {
  return gDownloadFailures;
}

int CProgressView::installFailures() {
  return gInstallFailures;
}

bool CProgressView::Start(const std::wstring& installFolder) {
  StopTimer();
  {
    XMutexLock hold(lock_);
    installer_.reset();
    installerRunning_ = false;
    installerSucceeded_ = false;
  }
  DeleteTrayIcon();
  installFolder_ = installFolder;
  if (!downloader_) downloader_ = CreateDownloader();
  if (!downloader_->Start()) {
    ::PostMessageW(hwnd_, WM_APP_DOWNLOAD_FAILED, 0, 0);
    return false;
  }
  SetQuiet(false);
  StartTimer();
  return true;
}

void CProgressView::StartTimer() {
  auto record = std::make_unique<TimerRecord>();
  record->callback = &CProgressView::OnTimer;
  record->page = this;
  {
    XMutexLock hold(lock_);
    ticking_ = true;
  }
  // the synchronous kill lets StopTimer wait for a callback in progress, so
  // that nothing the callback uses goes away under it
  record->id = ::timeSetEvent(kTickMs, 1000, &CProgressView::TimerTrampoline,
                              reinterpret_cast<DWORD_PTR>(record.get()),
                              TIME_PERIODIC | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS);
  if (record->id != 0) timer_ = std::move(record);
}

void CProgressView::StopTimer() {
  if (!timer_) return;
  ::timeKillEvent(timer_->id);
  timer_.reset();
  XMutexLock hold(lock_);
  ticking_ = false;
}

void CALLBACK CProgressView::TimerTrampoline(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  auto* record = reinterpret_cast<TimerRecord*>(user);
  (record->page->*record->callback)();
}

// timer thread, under the lock for its whole run; never touches a widget
void CProgressView::OnTimer() {
  XMutexLock hold(lock_);
  if (!ticking_) return;
  if (installerRunning_) {
    if (installer_) PollInstaller();
    return;
  }
  if (!downloader_) return;
  switch (PhaseOfDownload(downloader_->Poll())) {
    case DownloadPhase::kIgnored:
      return;
    case DownloadPhase::kWorking:
      ::PostMessageW(hwnd_, WM_APP_PROGRESS_TICK, 0, 0);
      return;
    case DownloadPhase::kFailed: {
      SendDownloadFailed();
      installer_.reset();
      FailFromTimer(WM_APP_DOWNLOAD_FAILED);
      return;
    }
    case DownloadPhase::kDone:
      StartInstaller();
      return;
  }
}

void CProgressView::StartInstaller() {
  // the package is held from its check (or checked again now) until the
  // process has started from it
  if (!downloader_->HoldPackage()) {
    SendDownloadFailed();
    FailFromTimer(WM_APP_DOWNLOAD_FAILED);
    return;
  }
  installer_ = std::make_unique<COrvaneBasedProcess>(
      InstallerCommandLine(downloader_->HeldPackagePath(), installFolder_, join_));
  const bool started = installer_->Run();
  const DWORD error = started ? 0 : ::GetLastError();
  downloader_->ReleasePackage();
  if (!started) {
    // no process, no exit code to wait for: an install failure at once
    installer_.reset();
    SendInstallError("启动失败 " + ExitCodeText(error));
    FailFromTimer(WM_APP_INSTALL_FAILED);
    return;
  }
  EventLogger().Send(Event("vSoftInstallStart"));
  installStartTick_ = ::timeGetTime();
  installerRunning_ = true;
  ::PostMessageW(hwnd_, WM_APP_PROGRESS_TICK, 0, 0);
}

void CProgressView::PollInstaller() {
  if (::WaitForSingleObject(installer_->process(), 1) == WAIT_TIMEOUT) {
    ::PostMessageW(hwnd_, WM_APP_PROGRESS_TICK, 0, 0);
    return;
  }
  DWORD code = 0;
  if (!::GetExitCodeProcess(installer_->process(), &code)) code = 0xFFFFFFFFu;
  installer_.reset();
  if (code == 0) {
    installerSucceeded_ = true;  // running stays set; the tick finishes the page
    ::PostMessageW(hwnd_, WM_APP_PROGRESS_TICK, 0, 0);
    return;
  }
  installerRunning_ = false;
  SendInstallError(ExitCodeText(code));
  FailFromTimer(WM_APP_INSTALL_FAILED);
}

void CProgressView::FailFromTimer(UINT message) {
  // the timer itself is killed on the UI thread, which waits for this
  // callback; from here on its ticks do nothing
  ticking_ = false;
  DeleteTrayIcon();
  ::PostMessageW(hwnd_, message, 0, 0);
}

LRESULT CProgressView::OnProgressTick() {
  bool finished = false;
  {
    XMutexLock hold(lock_);
    if (installerSucceeded_) {
      installerSucceeded_ = false;
      finished = true;
    }
  }
  if (!finished) {
    Refresh();
    return 0;
  }
  StopTimer();
  {
    XMutexLock hold(lock_);
    installer_.reset();
  }
  DeleteTrayIcon();
  ::ShowWindow(hwnd_, SW_SHOW);
  ::PostMessageW(hwnd_, WM_APP_SHOW_PAGE, kPageFinished, 0);
  InvalidateAll();
  SetQuiet(true);
  return 0;
}

void CProgressView::PrepareDialog() {
  ::ReleaseCapture();
  SetQuiet(true);
  ::ShowWindow(hwnd_, SW_SHOW);
}

void CProgressView::OnDownloadFailed() {
  StopTimer();
  const int failures = ++gDownloadFailures;
  PrepareDialog();
  if (DialogForFailure(failures) == FailureDialog::kRetry) {
    RunRetryDialog(1);
  } else {
    RunManualDownload();
  }
}

void CProgressView::OnInstallFailed() {
  StopTimer();
  const int failures = ++gInstallFailures;
  PrepareDialog();
  if (DialogForFailure(failures) == FailureDialog::kRetry) {
    RunRetryDialog(2);
  } else {
    RunManualInstall();
  }
}

void CProgressView::RunRetryDialog(int32_t kind) {
  bool retry = false;
  {
    ErrorWindow dialog(hwnd_, resources_, kind);
    retry = dialog.RunModal(hwnd_, WM_APP_RETRY_CONFIRMED);
  }
  if (retry) {
    Start(installFolder_);
    return;
  }
  ::PostMessageW(hwnd_, WM_APP_SHOW_PAGE, kPageBegin, 0);
  InvalidateAll();
}

void CProgressView::RunManualDownload() {
  {
    DownloadReminderWindow dialog(hwnd_, resources_,
                                  downloader_ ? downloader_->GetDownloadUrl() : std::string());
    dialog.RunModal(hwnd_, 0);
  }
  ::PostQuitMessage(0);
}

void CProgressView::RunManualInstall() {
  {
    InstallReminderWindow dialog(hwnd_, resources_,
                                 downloader_ ? downloader_->GetFilePath() : std::wstring());
    dialog.RunModal(hwnd_, 0);
  }
  ::PostQuitMessage(0);
}

}  // namespace orvane
