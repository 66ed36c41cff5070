#include "support/DownloadedInstaller.h"

#include <gtest/gtest.h>

#include "config/ProductIdentity.h"
#include "platform/CacheFolders.h"
#include "support/InstallerWindows.h"

namespace orvane::test {

namespace {
// generous, but several runs of one case stay within its time limit
constexpr DWORD kWaitMs = 30000;
}  // namespace

DownloadedInstaller::DownloadedInstaller(const std::string& builtInstaller,
                                         const std::wstring& fileName)
    : path_(dir_.File(fileName)) {
  EXPECT_TRUE(::CopyFileW(HostPath(builtInstaller).c_str(), path_.c_str(), FALSE));
}

void DownloadedInstaller::AddFile(const std::wstring& source, const std::wstring& name) {
  EXPECT_TRUE(::CopyFileW(source.c_str(), dir_.File(name).c_str(), FALSE)) << "cannot copy";
}

int DownloadedInstaller::RunAndClose(const std::function<void()>& whileRunning) {
  DWORD id = 0;
  records_ = std::make_unique<SdkRecords>(GetPackageCacheRoot() + L"Qlx\\");
  UniqueHandle process = StartProcess(L"\"" + path_ + L"\"", &id);
  if (!process) return -2;
  processId_ = id;
  HWND window = WaitForWindowOf(kMainWindowClass, id, kWaitMs);
  int code = -3;
  if (window) {
    if (whileRunning) whileRunning();
    // as a user ends it: close, then "确认" in the cancel confirmation
    code = CancelInstaller(process.get(), id, kWaitMs);
  }
  if (code < 0) {
    // no installer may outlive its case: it holds the single-instance mutex
    ::TerminateProcess(process.get(), 99);
    ::WaitForSingleObject(process.get(), kWaitMs);
  }
  return window ? code : -3;
}

std::vector<std::string> DownloadedInstaller::Records() const {
  return records_ && processId_ ? records_->Of(processId_) : std::vector<std::string>{};
}

}  // namespace orvane::test
