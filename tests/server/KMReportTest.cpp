// The ad-conversion report against the vendor API simulator, with the test
// module KMUID.dll (kmuid.cpp) standing in for the attribution module.
#include "server/KMReportThread.h"

#include <gtest/gtest.h>

#include "BuildConfig.h"
#include "platform/CacheFolders.h"
#include "platform/FileSystem.h"
#include "platform/MacAddress.h"
#include "platform/Md5.h"
#include "server/ServerInfo.h"
#include "support/RecordingLogger.h"
#include "support/VendorSim.h"
#include "support/WineTestSupport.h"

namespace orvane {
namespace {

constexpr DWORD kReportWaitMs = 60000;
constexpr char kUid[] = "5d41402abc4b2a76b9719d911017c592";

struct FakeServerInfo : IServerInfo {
  std::string appName = "栖木工坊";
  int GetStatus() override { return 1; }
  const char* GetWelcomeUrl() override { return ""; }
  const char* GetAdvertisingAccountName() override { return ""; }
  bool GetKelmorOcpc() override { return true; }
  const char* GetAppId() override { return "40917263"; }
  const char* GetAppName() override { return appName.c_str(); }
  void ClearWelcomeUrl() override {}
};

int ExitCode(CKMReportThread& report) {
  if (!report.Join(kReportWaitMs)) return -1;
  DWORD code = 0;
  ::GetExitCodeThread(report.handle(), &code);
  return static_cast<int>(code);
}

std::string Part(const std::string& name, const std::string& value) {
  return std::string(HttpForm::kBoundary) + "\r\nContent-Disposition: form-data; name=\"" + name +
         "\"\r\n\r\n" + value + "\r\n";
}

struct Report : ::testing::Test {
  Report() {
    setup.channel = "huawei00";
    setup.mid = logger.GetMid();
    setup.uidModule = test::HostPath(ORVANE_KMUID_DLL);
    setup.serverInfo = &server;
    ::SetEnvironmentVariableA("ORVANE_TEST_KMUID", nullptr);
  }
  ~Report() override { ::SetEnvironmentVariableA("ORVANE_TEST_KMUID", nullptr); }

  test::RecordingLogger logger;
  ScopedLoggerOverride useLogger{&logger};
  FakeServerInfo server;
  ReportSetup setup;
};

TEST_F(Report, PostsTheSevenFieldsAsMultipartForm) {
  test::SetSimScenario("{}");
  CKMReportThread report(nullptr, setup);
  EXPECT_EQ(ExitCode(report), 0) << report.failure();

  std::vector<test::SimRequest> sent = test::SimRequestsTo("conversion");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].listener, "127.0.0.14:80");
  // the fields go out in name order
  const std::string body = Part("app_id", "40917263") + Part("app_version", "0.9.0.1") +
                           Part("cam", Md5Hex(GetMacAddress())) + Part("mid", "test-mid") +
                           Part("product_name", "栖木工坊") + Part("uid", kUid) +
                           Part("url_channel", "huawei00") + HttpForm::kBoundary + "--\r\n";
  const std::string head =
      std::string("POST /v1/install/kelmor HTTP/1.1\r\n") + "Host: " + config::kConversionHost +
      "\r\nContent-Type: multipart/form-data; boundary=" + (HttpForm::kBoundary + 2) +
      "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
  EXPECT_EQ(sent[0].raw, head + body);
}

TEST_F(Report, TheIdIsCutTo32Characters) {
  test::SetSimScenario("{}");
  ::SetEnvironmentVariableA("ORVANE_TEST_KMUID", "0123456789abcdef0123456789abcdefOVERFLOW");
  CKMReportThread report(nullptr, setup);
  EXPECT_EQ(ExitCode(report), 0) << report.failure();
  std::vector<test::SimRequest> sent = test::SimRequestsTo("conversion");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_NE(sent[0].body.find(Part("uid", "0123456789abcdef0123456789abcdef")), std::string::npos);
}

TEST_F(Report, NothingIsSentWithoutIdOrProductName) {
  test::SetSimScenario("{}");
  struct Case {
    const char* what;
    std::wstring module;
    const char* uid;  // null: the module's own
    std::string appName;
  } cases[] = {
      {"no module", test::OwnFolder() + L"\\no-such\\KMUID.dll", nullptr, "栖木工坊"},
      {"module without the export", test::HostPath(ORVANE_EXIT_WITH_EXE), nullptr, "栖木工坊"},
      {"empty id", test::HostPath(ORVANE_KMUID_DLL), "", "栖木工坊"},
      {"empty product name", test::HostPath(ORVANE_KMUID_DLL), nullptr, ""},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    setup.uidModule = c.module;
    server.appName = c.appName;
    ::SetEnvironmentVariableA("ORVANE_TEST_KMUID", c.uid);
    CKMReportThread report(nullptr, setup);
    EXPECT_EQ(ExitCode(report), 1);
    EXPECT_EQ(report.failure(), "get uid or product_name failed");
  }
  ::Sleep(300);
  EXPECT_TRUE(test::SimRequests().empty());
}

TEST_F(Report, UpToThreePostsThenTheLastAnswerDecides) {
  struct Case {
    const char* scenario;
    int exitCode;
    size_t posts;
  } cases[] = {
      // empty bodies every time
      {R"({"conversion":{"reply":"close"}})", 1, 3},
      {R"({"conversion":{"reply":"body","body":""}})", 1, 3},
      // an answer whatever its status and code
      {R"({"conversion":{"fail_first":2,"fail_reply":"close"}})", 0, 3},
      {R"({"conversion":{"reply":"refused","code":17}})", 0, 1},
      {R"({"conversion":{"reply":"status","status":500}})", 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scenario);
    test::SetSimScenario(c.scenario);
    CKMReportThread report(nullptr, setup);
    EXPECT_EQ(ExitCode(report), c.exitCode) << report.failure();
    if (c.exitCode == 1) {
      EXPECT_EQ(report.failure(), "parse decrypt data error");
    }
    EXPECT_EQ(test::SimRequestsTo("conversion").size(), c.posts);
  }
}

TEST_F(Report, StopEndsAReportWaitingOnASilentService) {
  test::SetSimScenario(R"({"conversion":{"reply":"silent"}})");
  CKMReportThread report(nullptr, setup);
  ASSERT_TRUE(test::WaitForSimRequests("conversion", 1, kReportWaitMs));
  DWORD start = ::GetTickCount();
  report.Stop();
  EXPECT_LT(::GetTickCount() - start, 10000u);
  EXPECT_EQ(report.failure(), "user cancel");
}

TEST_F(Report, FindsTheModuleInTheCacheFolder) {
  const std::wstring root = GetPackageCacheRoot();
  ASSERT_FALSE(root.empty());
  const std::wstring folder = root + L"Qlx\\";
  const std::wstring module = folder + L"KMUID.dll";
  ASSERT_TRUE(CreateDirectories(folder));
  ASSERT_TRUE(::CopyFileW(test::HostPath(ORVANE_KMUID_DLL).c_str(), module.c_str(), FALSE));
  test::SetSimScenario("{}");
  setup.uidModule.clear();
  {
    CKMReportThread report(nullptr, setup);
    EXPECT_EQ(ExitCode(report), 0) << report.failure();
  }
  ::DeleteFileW(module.c_str());
  ASSERT_EQ(test::SimRequestsTo("conversion").size(), 1u);
  EXPECT_NE(test::SimRequestsTo("conversion")[0].body.find(Part("uid", kUid)), std::string::npos);

  // and without it there, nothing is sent
  test::SetSimScenario("{}");
  CKMReportThread none(nullptr, setup);
  EXPECT_EQ(ExitCode(none), 1);
  EXPECT_TRUE(test::SimRequests().empty());
}

// the welcome answer comes from the query start-up ran; without one (none
// ran in this process) there is no product name, and nothing is sent
TEST_F(Report, WithoutAWelcomeAnswerNothingIsSent) {
  test::SetSimScenario("{}");
  setup.serverInfo = nullptr;
  ASSERT_EQ(CServerInfo::Instance(), nullptr);
  CKMReportThread report(nullptr, setup);
  EXPECT_EQ(ExitCode(report), 1);
  EXPECT_EQ(report.failure(), "get uid or product_name failed");
  EXPECT_TRUE(test::SimRequestsTo("conversion").empty());
}

}  // namespace
}  // namespace orvane
