#include "app/MainWindow.h"

#include <shlobj.h>

#include <vector>

#include "app/InstallSession.h"
#include "app/PageFlowRules.h"
#include "app/WindowMessages.h"
#include "config/ProductIdentity.h"
#include "pages/BeginView.h"
#include "pages/CustomeView.h"
#include "pages/FinishedView.h"
#include "pages/InstallFolderRules.h"
#include "pages/PageEvents.h"
#include "pages/ProgressView.h"
#include "pages/ReminderView.h"
#include "platform/CacheFolders.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/StringConv.h"
#include "platform/SystemInfo.h"
#include "server/ApiAnswer.h"
#include "server/AppInfo.h"
#include "server/KMReportThread.h"
#include "server/PkgInfo.h"
#include "telemetry/LoggerServer.h"
#include "ui/PictureAhead.h"

namespace orvane {

namespace {

class SystemInstallRootFacts : public IInstallRootFacts {
 public:
  bool Is64BitWindows() override { return orvane::Is64BitWindows(); }
  std::wstring SystemWindowsDirectory() override {
    wchar_t buf[260] = {};
    const UINT n = ::GetSystemWindowsDirectoryW(buf, 260);
    return n > 0 && n < 260 ? std::wstring(buf, n) : std::wstring();
  }
  std::wstring ProgramFilesFolder() override {
    wchar_t buf[MAX_PATH + 1] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, buf))) return {};
    return buf;
  }
  std::wstring BestMountPoint() override { return GetRunTempBase(); }
  uint64_t FreeSpace(const std::wstring& path) override { return orvane::FreeSpace(path); }
};

// the product's size as the package query knows it by now
int64_t NeededSize() {
  CPkgInfo* info = CPkgInfo::GetInstance();
  return info ? info->GetInstallationSize() : kDefaultInstallationSize;
}

// GetFullPathNameW, sized by a first call; empty when it fails
std::wstring FullPathOf(const std::wstring& path) {
  const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return {};
  std::vector<wchar_t> buf(size + 1);
  const DWORD got = ::GetFullPathNameW(path.c_str(), size + 1, buf.data(), nullptr);
  return got > 0 && got <= size ? std::wstring(buf.data(), got) : std::wstring();
}

}  // namespace

MainWindow::MainWindow() : IBaseWindow(600, 400) {
  // the skin is made beside the window, the begin page's pictures decoded
  // ahead
  ResourceMgrLoader skin(CBeginView::Pictures());
  skin.Start();
  appPath_ = CAppInfo::GetInstance().GetExePath();
  // Without an installation the first page is the begin page: the skin's
  // thread fits its background while the window is made.
  if (appPath_.empty()) {
    const SIZE client = PlannedClientSize();
    skin.FitAhead(CBeginView::BackgroundFit(client.cx, client.cy));
  }
  if (!Create(kMainWindowClass, nullptr)) throw Error("create window error");
  try {
    resources_.reset(skin.Take());
    if (!resources_) {
      ::MessageBoxW(hwnd_, L"软件加载必要运行组建失败", L"错误", MB_OK);
      throw Error("Create ResMgr error");
    }
    DecideInstallFolder();
    ShowPage(FirstPage());
  } catch (...) {
    // no window of a half-made object may stay behind
    PictureAhead::Discard();
    current_ = nullptr;
    ::DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    throw;
  }
}

MainWindow::~MainWindow() {
  reportThread_.reset();
  // the window goes first, while the page that gets its last messages lives
  if (hwnd_ && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
  current_ = nullptr;
  for (auto& page : pages_)
    page.reset();
  // a picture fitted ahead and never drawn goes before its skin and GDI+
  PictureAhead::Discard();
  resources_.reset();
}

void MainWindow::DecideInstallFolder() {
  // an installation in the 32-bit program folder of a 64-bit Windows is not
  // reused; the install goes to the default folder instead
  const bool reuse = !(IsInX86ProgramFiles(appPath_) && Is64BitWindows());
  if (!appPath_.empty() && reuse) {
    installFolder_ = FolderOfProgram(FullPathOf(appPath_));
    // a path that does not resolve falls back to the default folder
    if (!installFolder_.empty()) return;
  }
  SystemInstallRootFacts facts;
  const std::wstring root = ChooseDefaultInstallRoot(facts, NeededSize());
  if (root.empty()) {
    SendPageEvent("vInstallPathError", {}, {{"error_status", "最大磁盘空间不足"}});
    ::MessageBoxW(hwnd_, L"磁盘空间不足，无法创建软件缓存", L"错误", MB_OK);
    throw Error("Get DefaultPath error");
  }
  installFolder_ = ProductFolderUnder(root);
}

int MainWindow::FirstPage() {
  if (appPath_.empty()) return kPageBegin;
  CPkgInfo* info = CPkgInfo::GetInstance();
  // the only wait of the UI thread: at most 2 seconds for the package query
  for (int i = 0; i < 40 && info && info->GetStatus() == kQueryRunning; ++i)
    ::Sleep(50);
  const char* version = info ? info->GetVersionCode() : nullptr;
  const std::string server = version ? version : "";
  if (server.empty()) return kPageBegin;
  const std::string installed = WideToUtf8(CAppInfo::GetInstance().GetVersion());
  if (CompareInstalledVersion(installed, server) == InstalledVersion::kOlder) return kPageBegin;
  GetInstallFacts().reinstall = true;
  SendPageEvent("vReInstall");
  return kPageReminder;
}

bool MainWindow::HasRoomFor(const std::wstring& folder) {
  const int64_t needed = NeededSize();
  return needed < 0 || static_cast<uint64_t>(needed) < FreeSpace(folder);
}

void MainWindow::TakeCustomFolder() {
  auto* custom = static_cast<CCustomeView*>(pages_[kPageCustom].get());
  if (custom && !custom->installPath().empty()) installFolder_ = custom->installPath();
}

bool MainWindow::ShowPage(int index) {
  if (index < 0 || index >= kPageCount) return false;
  if (index == currentIndex_) return true;
  if (index == kPageReminder) {
    Resize(400, 200);
  } else if (currentIndex_ == kPageReminder) {
    Resize(600, 400);
  }
  const bool reinstall = GetInstallFacts().reinstall;
  switch (index) {
    case kPageReminder:
      PageOf<CReminderView>(index, reinstall)->SetAppPath(appPath_);
      break;
    case kPageBegin: {
      auto* begin = PageOf<CBeginView>(index, reinstall);
      if (currentIndex_ == kPageCustom) TakeCustomFolder();
      begin->SetSpaceOk(HasRoomFor(installFolder_));
      break;
    }
    case kPageCustom: {
      auto* custom = PageOf<CCustomeView>(index, reinstall, CPkgInfo::GetInstance());
      // an existing installation's folder is used as it is
      if (currentIndex_ == kPageBegin && !appPath_.empty()) custom->KeepNextPathAsItIs();
      custom->SetInstallPath(installFolder_);
      break;
    }
    case kPageProgress:
      if (!StartInstall()) return false;
      break;
    case kPageFinished:
      Complete();
      break;
  }
  currentIndex_ = index;
  current_ = pages_[index].get();
  // whatever asked for the page, the window shows it
  if (hwnd_) ::InvalidateRect(hwnd_, nullptr, FALSE);
  return true;
}

bool MainWindow::StartInstall() {
  if (currentIndex_ == kPageCustom) TakeCustomFolder();
  auto* custom = static_cast<CCustomeView*>(pages_[kPageCustom].get());
  const bool join = custom ? custom->experienceProgram() : true;
  SendPageEvent("vJoinPlan", {{"choose_join_plan", join}});
  // without the plan nothing more leaves the program
  if (!join) EventLogger().ReleaseSdk();
  if (!HasRoomFor(installFolder_)) {
    SendPageEvent("vInstallPathError", {}, {{"error_status", "磁盘空间不足"}});
    ::MessageBoxW(hwnd_, L"软件安装路径的磁盘空间不足", L"路径错误", MB_OK);
    return false;
  }
  auto* progress = PageOf<CProgressView>(kPageProgress);
  progress->Start(installFolder_);
  progress->SetJoinFlag(join);
  return true;
}

void MainWindow::ShowAndPaint() {
  // the page is drawn while the window is mapped, and the paint copies it
  if (current_) current_->DrawAhead();
  IBaseWindow::ShowAndPaint();
  if (current_) current_->DropAhead();
}

namespace {

// what showing the window sends, which no page handles: the page drawn
// ahead goes on being drawn meanwhile
bool LeavesThePageAlone(UINT msg) {
  switch (msg) {
    case WM_SHOWWINDOW:
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED:
    case WM_NCCALCSIZE:
    case WM_GETMINMAXINFO:
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE:
    case WM_ACTIVATE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_IME_SETCONTEXT:
    case WM_IME_NOTIFY:
    case WM_IME_SELECT:
    case WM_NCPAINT:
    case WM_ERASEBKGND:
    case WM_SIZE:
    case WM_MOVE:
    case WM_GETICON:
    case WM_QUERYNEWPALETTE:
    case WM_PALETTECHANGED:
    case WM_PAINT:  // takes the frame
      return true;
  }
  return false;
}

}  // namespace

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  // anything else may change the page: the frame drawn ahead is finished
  // and dropped first
  if (current_ && current_->drawingAhead() && !LeavesThePageAlone(msg)) current_->DropAhead();
  switch (msg) {
    case WM_APP_SHOW_PAGE:
      ShowPage(static_cast<int>(wParam));
      return 0;
    case WM_CLOSE:
      // the download or the install is running
      if (currentIndex_ == kPageProgress) return 0;
      break;
    case WM_ERASEBKGND:
      return 0;
    case WM_APP_OPEN_WELCOME:
      OpenWelcome();
      return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
  }
  if (current_) return current_->HandleMessage(msg, wParam, lParam);
  return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace orvane
