// The installer on a network that does not answer at all: its system
// resolver asks a DNS server that never replies (silent-network.sh runs this
// program so). Both start-up queries wait in the resolver when the user
// closes the window; the program still records its quit and ends within a
// few seconds.
#include <winsock2.h>

#include <gtest/gtest.h>

#include <atomic>
#include <iostream>
#include <thread>

#include "config/ProductIdentity.h"
#include "platform/CacheFolders.h"
#include "support/AnalyticsSink.h"
#include "support/InstallerWindows.h"
#include "support/WineTestSupport.h"

namespace orvane::test {
namespace {

constexpr DWORD kStartMs = 30000;

HWND WaitForMainWindow(DWORD processId, DWORD timeoutMs) {
  for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
    HWND w = ::FindWindowW(kMainWindowClass, nullptr);
    DWORD owner = 0;
    if (w) ::GetWindowThreadProcessId(w, &owner);
    if (w && owner == processId) return w;
    ::Sleep(50);
  }
  return nullptr;
}

// the namespace is what the case needs: a lookup of the vendor's host
// gets no answer for seconds
TEST(SilentNetwork, TheSystemResolverDoesNotAnswer) {
  WSADATA wsa;
  ASSERT_EQ(::WSAStartup(MAKEWORD(2, 2), &wsa), 0);
  std::atomic<bool> done{false};
  // detached: the lookup may outlast the case by minutes
  std::thread([&done] {
    ::gethostbyname("api.orvane.test");
    done = true;
  }).detach();
  ::Sleep(3000);
  EXPECT_FALSE(done);
}

TEST(SilentNetwork, TheInstallerClosesPromptlyAndRecordsItsQuit) {
  ScratchDir dir;
  // a channel name: the welcome query runs beside the package query
  const std::wstring exe = dir.File(L"Setup_huawei00.exe");
  ASSERT_TRUE(::CopyFileW(HostPath(ORVANE_INSTALLER_EXE).c_str(), exe.c_str(), FALSE));
  SdkRecords recorded(GetPackageCacheRoot() + L"Qlx\\");
  DWORD pid = 0;
  UniqueHandle process = StartProcess(L"\"" + exe + L"\"", &pid);
  ASSERT_TRUE(process.valid());
  HWND window = WaitForMainWindow(pid, kStartMs);
  ASSERT_NE(window, nullptr);
  ::Sleep(3000);  // both queries are in their lookups by now
  ULONGLONG start = ::GetTickCount64();
  // as a user ends it: close, then "确认" in the cancel confirmation
  int code = CancelInstaller(process.get(), pid, 60000);
  ULONGLONG took = ::GetTickCount64() - start;
  std::cout << "closing on a silent network took " << took << " ms\n";
  if (code < 0) ::TerminateProcess(process.get(), 9);
  EXPECT_EQ(code, 0);
  EXPECT_LT(took, 6000u);

  // the closing records of this very process
  std::vector<std::string> mine = recorded.Of(pid);
  ASSERT_GE(mine.size(), 2u);
  Json::Value last = ParseJsonLine(mine.back());
  EXPECT_EQ(last["event"].asString(), "vSoftQuit");
  EXPECT_EQ(last["props"]["event_name"].asString(), "软件退出");
}

}  // namespace
}  // namespace orvane::test
