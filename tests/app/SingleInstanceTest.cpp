// The installer as a real process: a second start activates the first one
// and exits at once with 0; closing the window and confirming ends the first
// with 0.
#include <gtest/gtest.h>

#include "app/ProductIdentity.h"
#include "app/WindowMessages.h"
#include "support/InstallerWindows.h"
#include "support/WineTestSupport.h"

namespace orvane {
namespace {

std::wstring Installer() {
  return L"\"" + test::HostPath(ORVANE_INSTALLER_EXE) + L"\"";
}

HWND WaitForMainWindow(DWORD timeoutMs) {
  for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
    if (HWND w = ::FindWindowW(kMainWindowClass, nullptr)) return w;
    ::Sleep(50);
  }
  return nullptr;
}

int g_activations = 0;
LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_APP_ACTIVATE_INSTANCE && wp == 0 && lp == 0) ++g_activations;
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

TEST(SingleInstance, SecondProcessPostsActivationAndExitsWithZero) {
  // this test plays the running instance
  UniqueHandle mutex(::CreateMutexW(nullptr, TRUE, kSingleInstanceMutex));
  ASSERT_NE(::GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  WNDCLASSW wc{};
  wc.lpfnWndProc = CountingProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = kMainWindowClass;
  ASSERT_TRUE(::RegisterClassW(&wc));
  UniqueWindow window(::CreateWindowExW(0, kMainWindowClass, L"running", WS_POPUP, 0, 0, 0, 0,
                                        nullptr, nullptr, wc.hInstance, nullptr));

  UniqueHandle second = test::StartProcess(Installer());
  ASSERT_TRUE(second.valid());
  EXPECT_EQ(test::WaitExitCode(second.get(), 15000), 0);
  MSG msg;
  for (int i = 0; i < 20 && g_activations == 0; ++i) {
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
      ::DispatchMessageW(&msg);
    ::Sleep(10);
  }
  EXPECT_EQ(g_activations, 1);
}

TEST(SingleInstance, RunningInstallerStaysAndClosesWithZero) {
  DWORD firstId = 0;
  UniqueHandle first = test::StartProcess(Installer(), &firstId);
  ASSERT_TRUE(first.valid());
  HWND window = WaitForMainWindow(20000);
  ASSERT_NE(window, nullptr) << "the installer did not create its window";

  UniqueHandle second = test::StartProcess(Installer());
  ASSERT_TRUE(second.valid());
  EXPECT_EQ(test::WaitExitCode(second.get(), 15000), 0);
  EXPECT_EQ(::WaitForSingleObject(first.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

  EXPECT_EQ(test::CancelInstaller(first.get(), firstId, 15000), 0);
}

}  // namespace
}  // namespace orvane
