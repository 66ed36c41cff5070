// The installer as a real process against the vendor API simulator: at
// start-up it asks for its package and its channel's welcome page, holds the
// answers, and stops both queries when it closes.
#include <gtest/gtest.h>

#include "BuildConfig.h"
#include "app/ProductIdentity.h"
#include "platform/SystemInfo.h"
#include "support/InstallerWindows.h"
#include "support/VendorSim.h"
#include "support/WineTestSupport.h"

namespace orvane {
namespace {

constexpr DWORD kStartMs = 30000;

std::string PackagePath(const std::string& version) {
  return "/applicationService/installer/getAppVersion?appId=40917263&versionCode=" + version +
         "&packageSystemSupport=" + (Is64BitWindows() ? "2" : "1");
}

// a copy of a program under another name, in a scratch folder
struct Copy {
  Copy(const char* from, const wchar_t* name) : path(dir.File(name)) {
    EXPECT_TRUE(::CopyFileW(test::HostPath(from).c_str(), path.c_str(), FALSE));
  }
  test::ScratchDir dir;
  std::wstring path;
};

struct Installer {
  explicit Installer(const std::wstring& exe) {
    process = test::StartProcess(L"\"" + exe + L"\"", &id);
  }
  ~Installer() {
    if (process && ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) {
      if (test::CancelInstaller(process.get(), id, 15000) < 0) ::TerminateProcess(process.get(), 9);
    }
  }
  // closes the main window and confirms; the exit code, or -1 when it did
  // not end in time
  int Close(DWORD timeoutMs) {
    if (!test::WaitForWindowOf(kMainWindowClass, id, kStartMs)) return -2;
    return test::CancelInstaller(process.get(), id, timeoutMs);
  }
  UniqueHandle process;
  DWORD id = 0;
};

TEST(InstallerQueries, ChannelInstallerAsksForItsPackageAndWelcomePageAndHoldsTheAnswers) {
  test::SetSimScenario("{}");
  Copy setup(ORVANE_INSTALLER_EXE, L"Setup_huawei00.exe");
  Installer installer(setup.path);
  ASSERT_TRUE(installer.process.valid());
  ASSERT_TRUE(test::WaitForSimRequests("package", 1, kStartMs));
  ASSERT_TRUE(test::WaitForSimRequests("welcome", 1, kStartMs));
  // both answered at once: no second request follows
  ::Sleep(1500);
  std::vector<test::SimRequest> package = test::SimRequestsTo("package");
  std::vector<test::SimRequest> welcome = test::SimRequestsTo("welcome");
  ASSERT_EQ(package.size(), 1u);
  ASSERT_EQ(welcome.size(), 1u);
  EXPECT_EQ(package[0].raw, test::ExpectedGet(config::kApiHost, PackagePath("1.0.0.2")));
  EXPECT_EQ(
      welcome[0].raw,
      test::ExpectedGet(config::kApiHost, "/applicationService/channel/welcome?channel=huawei00"));
  EXPECT_EQ(installer.Close(15000), 0);
}

TEST(InstallerQueries, KeepsAskingForThePackageUntilAnswered) {
  test::SetSimScenario(R"({"package":{"fail_first":4}})");
  Installer installer(test::HostPath(ORVANE_INSTALLER_EXE));
  ASSERT_TRUE(installer.process.valid());
  ASSERT_TRUE(test::WaitForSimRequests("package", 5, 60000));
  ::Sleep(1500);
  EXPECT_EQ(test::SimRequestsTo("package").size(), 5u);
  // a program name without a channel asks no welcome page
  EXPECT_TRUE(test::SimRequestsTo("welcome").empty());
  EXPECT_EQ(installer.Close(15000), 0);
}

TEST(InstallerQueries, ProgramWithoutVersionResourceSendsTheFallbackVersion) {
  test::SetSimScenario("{}");
  Installer installer(test::HostPath(ORVANE_NO_VERSION_EXE));
  ASSERT_TRUE(installer.process.valid());
  ASSERT_TRUE(test::WaitForSimRequests("package", 1, kStartMs));
  EXPECT_EQ(test::SimRequestsTo("package")[0].requestLine,
            "GET " + PackagePath("0.9.0.1") + " HTTP/1.1");
  EXPECT_EQ(installer.Close(15000), 0);
}

TEST(InstallerQueries, ClosingWhileBothQueriesWaitOnASilentServerExitsPromptly) {
  test::SetSimScenario(R"({"package":{"reply":"silent"},"welcome":{"reply":"silent"}})");
  Copy setup(ORVANE_INSTALLER_EXE, L"Setup_qihu3600.exe");
  Installer installer(setup.path);
  ASSERT_TRUE(installer.process.valid());
  ASSERT_TRUE(test::WaitForSimRequests("package", 1, kStartMs));
  ASSERT_TRUE(test::WaitForSimRequests("welcome", 1, kStartMs));
  DWORD start = ::GetTickCount();
  EXPECT_EQ(installer.Close(20000), 0);
  // the closing sequence sends its telemetry too; the queries add no wait
  // of their own (a receive time-out is 5 s, a stop's grace 3 s)
  EXPECT_LT(::GetTickCount() - start, 8000u);
  EXPECT_EQ(test::SimRequestsTo("package").size(), 1u);
}

}  // namespace
}  // namespace orvane
