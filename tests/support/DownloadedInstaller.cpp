#include "support/DownloadedInstaller.h"

#include <gtest/gtest.h>

#include "config/ProductIdentity.h"

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
  UniqueHandle process = StartProcess(L"\"" + path_ + L"\"");
  if (!process) return -2;
  HWND window = nullptr;
  for (DWORD waited = 0; !window && waited < kWaitMs; waited += 50) {
    window = ::FindWindowW(kMainWindowClass, nullptr);
    if (!window && ::WaitForSingleObject(process.get(), 50) == WAIT_OBJECT_0) break;
  }
  if (window) {
    if (whileRunning) whileRunning();
    ::PostMessageW(window, WM_CLOSE, 0, 0);
  }
  int code = WaitExitCode(process.get(), kWaitMs);
  if (code == -1) {
    // no installer may outlive its case: it holds the single-instance mutex
    ::TerminateProcess(process.get(), 99);
    ::WaitForSingleObject(process.get(), kWaitMs);
  }
  return window ? code : -3;
}

}  // namespace orvane::test
