// Delivery of the SDK from the program's resource: where it goes, and what
// is left of the logger when any step fails.
#include <gtest/gtest.h>

#include <iostream>

#include "platform/FileSystem.h"
#include "telemetry/TestLogger.h"

namespace orvane::test {
namespace {

TEST(LoggerDelivery, UnpacksBesideItsJournalAndLoadsByFullPath) {
  TestLoggerFolder folder;
  const ULONGLONG start = ::GetTickCount64();
  auto logger = folder.Create(kSinkDown);
  std::cout << "delivery and configuration took " << ::GetTickCount64() - start << " ms\n";
  EXPECT_EQ(logger->LastSdkError(), "");
  for (const wchar_t* name : {L"Qlx.dll", L"TaskAsUser.dll", L"Qlx.exe"})
    EXPECT_TRUE(FileExists(folder.sdk() + name)) << name;
  EXPECT_FALSE(FileExists(folder.temp() + L"Qlx.zip"));  // not kept once unpacked
  EXPECT_EQ(logger->QlxPath(), folder.sdk() + L"Qlx.dll");
  EXPECT_NE(::GetModuleHandleW((folder.sdk() + L"Qlx.dll").c_str()), nullptr);
  EXPECT_NE(::GetModuleHandleW((folder.sdk() + L"TaskAsUser.dll").c_str()), nullptr);
  ASSERT_TRUE(logger->WriteLaunch(1, "", "", ""));
  EXPECT_EQ(folder.Lines().size(), 1u);  // the journal sits beside the module
}

// nothing of the SDK is used, and nothing crashes or hangs
void ExpectHarmless(CLoggerServer& logger, const TestLoggerFolder& folder) {
  EXPECT_FALSE(logger.CanWriteRecords());
  logger.ClearProperties();
  logger.SetIntProperty("n", 1);
  EXPECT_FALSE(logger.WriteEvent("vAnything"));
  EXPECT_FALSE(logger.WriteLaunch(1, "", "", ""));
  EXPECT_FALSE(logger.WriteOperation("0001", "0001", ""));
  EXPECT_FALSE(logger.WriteReport(4, "0001", "0001", "", "", {}));
  EXPECT_EQ(logger.GetMid(), "");
  EXPECT_EQ(logger.GetMidEx(2), "");
  EXPECT_EQ(logger.BuildHttpData(1, "x"), "");
  EXPECT_EQ(logger.DecryptData("x"), "");
  EXPECT_FALSE(logger.OpenUrl("http://www.orvane.test/"));
  EXPECT_EQ(logger.ShellExecAsUser("open", "C:\\windows\\notepad.exe", "", "", 0), 0);
  EXPECT_FALSE(logger.InitSdk());
  EXPECT_TRUE(logger.ReleaseSdk());
  EXPECT_TRUE(folder.Lines().empty());
}

TEST(LoggerDelivery, AFailureBeforeTheModuleIsLoadedStopsAllSdkUse) {
  struct Case {
    const char* name;
    int archive;
    const char* error;
    bool badTemp = false;
    bool badFolder = false;
  } cases[] = {
      {"no resource", 999, "QLX not found resource"},
      {"empty resource", kArchiveEmpty, "QLX resource is empty"},
      {"not an archive", kArchiveGarbage, "Load QLX.dll failed"},
      {"archive without Qlx.dll", kArchiveNoDll, "Load QLX.dll failed"},
      {"damaged Qlx.dll entry", kArchiveBadCrc, "Load QLX.dll failed"},
      {"temporary folder missing", kArchiveFull, "Save QLX resource failed", true},
      {"module folder impossible", kArchiveFull, "Create QLX cache path failed", false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TestLoggerFolder folder;
    SdkSettings s = folder.Settings(kSinkAck, c.archive);
    if (c.badTemp) s.tempFolder = folder.temp() + L"no\\such\\folder\\";
    if (c.badFolder) {
      WriteFileBytes(folder.temp() + L"file", "x");
      s.sdkFolder = folder.temp() + L"file\\Qlx\\";  // below a file
    }
    CLoggerServer logger(s);
    EXPECT_EQ(logger.LastSdkError(), c.error);
    ExpectHarmless(logger, folder);
    // a damaged entry leaves no half-written module behind
    EXPECT_FALSE(FileExists(folder.sdk() + L"Qlx.dll"));
  }
}

TEST(LoggerDelivery, AFailedConfigurationStopsRecordsAndReleasesTheHandle) {
  struct Case {
    const char* name;
    std::string host;
    std::string url;
    const char* error;
  } cases[] = {
      {"host", "bad host!", "/sa?project=production", "SetHostInfo failed"},
      {"sensor url", "127.0.0.13", "no-slash", "SetSensorUrl failed"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TestLoggerFolder folder;
    SdkSettings s = folder.Settings(kSinkAck);
    s.host = c.host;
    s.sensorUrl = c.url;
    CLoggerServer logger(s);
    EXPECT_EQ(logger.LastSdkError(), c.error);
    ExpectHarmless(logger, folder);  // InitSdk fails again with the same settings
    EXPECT_EQ(logger.LastSdkError(), c.error);
  }
}

TEST(LoggerDelivery, MissingTaskAsUserOnlyDisablesTheUserLaunch) {
  TestLoggerFolder folder;
  auto logger = folder.Create(kSinkDown, kArchiveNoTask);
  EXPECT_EQ(logger->LastSdkError(), "Load TaskAsUser.dll failed");
  EXPECT_TRUE(logger->WriteLaunch(1, "", "", ""));
  EXPECT_EQ(logger->GetMid().size(), 32u);
  EXPECT_EQ(logger->ShellExecAsUser("open", "C:\\windows\\notepad.exe", "", "", 0), 0);
  EXPECT_EQ(folder.Lines().size(), 1u);
}

TEST(LoggerDelivery, MissingCollectorExportsOnlyDisableRecords) {
  TestLoggerFolder folder;
  auto logger = folder.Create(kSinkDown, kArchiveNoCollectors);
  EXPECT_EQ(logger->LastSdkError(), "Get qlxCLTCreate address error");
  EXPECT_FALSE(logger->CanWriteRecords());
  EXPECT_FALSE(logger->WriteLaunch(1, "", "", ""));
  logger->ClearProperties();
  EXPECT_FALSE(logger->WriteEvent("vAnything"));
  EXPECT_EQ(logger->GetMid().size(), 32u);
  const std::string packed = logger->BuildHttpData(1, "body");
  EXPECT_EQ(logger->DecryptData(packed), "body");
  EXPECT_TRUE(folder.Lines().empty());
}

TEST(LoggerDelivery, ReleaseStopsRecordsEvenWithoutQlxFree) {
  TestLoggerFolder folder;
  auto logger = folder.Create(kSinkDown, kArchiveNoFree);
  EXPECT_EQ(logger->LastSdkError(), "");
  ASSERT_TRUE(logger->WriteLaunch(1, "", "", ""));
  EXPECT_TRUE(logger->ReleaseSdk());
  EXPECT_FALSE(logger->WriteLaunch(1, "", "", ""));
  EXPECT_EQ(folder.Lines().size(), 1u);
}

}  // namespace
}  // namespace orvane::test
