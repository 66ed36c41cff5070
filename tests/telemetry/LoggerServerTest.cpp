// The event logger with the real SDK: records and their fields, events and
// their properties, event ids, releasing the SDK, and what the misc
// operations give.
#include <gtest/gtest.h>

#include <time.h>

#include <iostream>
#include <set>
#include <thread>

#include "platform/StringConv.h"
#include "telemetry/TestLogger.h"

namespace orvane::test {
namespace {

Json::Value Fields(const Json::Value& record) {
  return record["fields"];
}

std::string FieldsText(const Json::Value& record) {
  std::string out;
  for (const auto& f : record["fields"]) {
    out += "[" + std::to_string(f[0].asInt()) + "," +
           (f[1].isInt() ? std::to_string(f[1].asInt()) : f[1].asString()) + "]";
  }
  return out;
}

TEST(LoggerServer, RecordsReachTheJournalWithTheirFields) {
  TestLoggerFolder folder;
  auto logger = folder.Create(kSinkDown);
  ASSERT_TRUE(logger->CanWriteRecords()) << logger->LastSdkError();
  EXPECT_EQ(logger->LastSdkError(), "");

  ScratchDir files;
  const std::wstring dump = files.File(L"crash.dmp");
  WriteFileBytes(dump, "MDMP");
  EXPECT_TRUE(logger->WriteLaunch(1, "", "", ""));
  EXPECT_TRUE(logger->WriteLaunch(2, "a", "", "c"));
  EXPECT_TRUE(logger->WriteOperation("0003", "0001", ""));
  EXPECT_TRUE(logger->WriteOperation("", "", "extra"));
  EXPECT_TRUE(logger->WriteReport(4, "0001", "0001", "Setup_huawei00", "", {}));
  EXPECT_TRUE(logger->WriteReport(
      1, "0001", "0001", "", "",
      {"", WideToAnsi(dump), WideToAnsi(files.File(L"missing.dmp")), WideToAnsi(dump)}));

  std::vector<Json::Value> r = folder.Records();
  ASSERT_EQ(r.size(), 6u);
  struct Want {
    int type;
    std::string fields;
  } want[] = {
      {1, "[1,1]"},
      {1, "[1,2][2,a][4,c]"},
      {2, "[10,0003][11,0001]"},
      {2, "[12,extra]"},
      {4, "[50,4][51,0001][52,0001][53,Setup_huawei00]"},
      // a file path only when it names an existing file, once per path given
      {4, "[50,1][51,0001][52,0001][55," + WideToUtf8(dump) + "][55," + WideToUtf8(dump) + "]"},
  };
  for (size_t i = 0; i < r.size(); ++i) {
    EXPECT_EQ(r[i]["type"].asInt(), want[i].type) << i;
    EXPECT_EQ(FieldsText(r[i]), want[i].fields) << i;
    EXPECT_EQ(r[i]["app"].asString(), "40917263");
    EXPECT_EQ(r[i]["name"].asString(), "win_installer");
    EXPECT_EQ(r[i]["seq"].asInt(), static_cast<int>(i) + 1);
  }
  EXPECT_TRUE(Fields(r[0]).isArray());
}

TEST(LoggerServer, EventsCarryTheirPropertiesByTypeThenKey) {
  TestLoggerFolder folder;
  auto logger = folder.Create(kSinkDown);
  logger->ClearProperties();
  logger->SetStringProperty("soft_package_name", "Setup_huawei00");
  logger->SetIntProperty("download_time", 42);
  logger->SetStringProperty("install_type", "安装器");
  logger->SetBoolProperty("is_first_install", true);
  logger->SetIntProperty("a_count", -7);
  logger->SetStringProperty("quoted", "say \"hi\"\\\n");
  EXPECT_TRUE(logger->WriteEvent("pSoftInstall"));

  // a key set twice keeps its first value; the sets stay after the write
  logger->ClearProperties();
  logger->SetBoolProperty("is_reinstall", true);
  logger->SetBoolProperty("is_reinstall", false);
  EXPECT_TRUE(logger->WriteEvent("vReInstall"));
  EXPECT_TRUE(logger->WriteEvent("vReInstallAgain"));
  logger->ClearProperties();
  EXPECT_TRUE(logger->WriteEvent("vEmpty"));
  // an event the SDK does not take is reported as not written
  EXPECT_FALSE(logger->WriteEvent("v\nBroken"));
  EXPECT_FALSE(logger->WriteEvent(""));

  std::vector<std::string> lines = folder.Lines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(PropsOf(lines[0]),
            (std::vector<std::string>{"a_count=-7", "download_time=42", "install_type=安装器",
                                      "is_first_install=true", "quoted=say \"hi\"\\\n",
                                      "soft_package_name=Setup_huawei00"}));
  EXPECT_TRUE(KeysInLineOrder(lines[0], {"a_count", "download_time", "is_first_install",
                                         "install_type", "quoted", "soft_package_name"}))
      << lines[0];
  // plain UTF-8 in the journal
  EXPECT_NE(lines[0].find("\"install_type\":\"安装器\""), std::string::npos);
  EXPECT_EQ(ParseJsonLine(lines[0])["event"].asString(), "pSoftInstall");
  EXPECT_EQ(PropsOf(lines[1]), (std::vector<std::string>{"is_reinstall=true"}));
  EXPECT_EQ(PropsOf(lines[2]), (std::vector<std::string>{"is_reinstall=true"}));
  EXPECT_TRUE(PropsOf(lines[3]).empty());
  EXPECT_TRUE(ParseJsonLine(lines[3])["props"].isObject());
}

TEST(LoggerServer, EventIdsFollowTheClockAndTheCounter) {
  TestLoggerFolder folder;
  auto logger = folder.Create(kSinkDown);
  logger->ClearProperties();
  const int64_t before = _time64(nullptr);
  for (int i = 0; i < 120; ++i)
    ASSERT_TRUE(logger->WriteEvent("vTick"));
  const int64_t after = _time64(nullptr);
  std::vector<Json::Value> r = folder.Records();
  ASSERT_EQ(r.size(), 120u);
  for (size_t i = 0; i < r.size(); ++i) {
    int64_t id = r[i]["id"].asInt64();
    int64_t second = id / 100;
    EXPECT_GE(second, before % 10000000);
    EXPECT_LE(second, after % 10000000);
    if (i > 0) {
      // the counter goes on by one and wraps after 99
      EXPECT_EQ(id % 100, (r[i - 1]["id"].asInt64() % 100 + 1) % 100) << i;
    }
  }
}

TEST(LoggerServer, ReleasingTheSdkStopsEveryRecordUntilItIsInitialisedAgain) {
  TestLoggerFolder folder;
  auto logger = folder.Create(kSinkDown);
  ASSERT_TRUE(logger->WriteLaunch(1, "", "", ""));
  EXPECT_TRUE(logger->ReleaseSdk());
  EXPECT_FALSE(logger->CanWriteRecords());
  logger->ClearProperties();
  EXPECT_FALSE(logger->WriteEvent("vJoinPlan"));
  EXPECT_FALSE(logger->WriteLaunch(1, "", "", ""));
  EXPECT_FALSE(logger->WriteOperation("0001", "0001", ""));
  EXPECT_FALSE(logger->WriteReport(4, "0001", "0002", "", "", {}));
  EXPECT_EQ(folder.Lines().size(), 1u);
  EXPECT_TRUE(logger->ReleaseSdk());  // twice is fine
  // the machine id is not telemetry: it stays available
  EXPECT_EQ(logger->GetMid().size(), 32u);

  EXPECT_FALSE(logger->InitSdk());  // always false, but it configures again
  EXPECT_TRUE(logger->CanWriteRecords());
  EXPECT_TRUE(logger->WriteLaunch(1, "", "", ""));
  EXPECT_EQ(folder.Lines().size(), 2u);
}

// Declining the experience plan on the UI thread while the SDK's upload
// hangs: the release returns at once and leaves the logger lock free, so
// another thread's record is refused at once too. Nothing written after
// the release reaches the journal.
TEST(LoggerServer, ReleaseReturnsAtOnceWhileTheUploadHangs) {
  TestLoggerFolder folder;
  auto logger = folder.Create(kSinkHang);
  ASSERT_TRUE(logger->WriteLaunch(1, "", "", ""));
  ::Sleep(300);  // the upload is under way and gets no answer
  ULONGLONG start = ::GetTickCount64();
  EXPECT_TRUE(logger->ReleaseSdk());
  ULONGLONG took = ::GetTickCount64() - start;
  std::cout << "ReleaseSdk with the upload hanging took " << took << " ms\n";
  EXPECT_LT(took, 300u);
  ULONGLONG refusedIn = 0;
  std::thread worker([&] {
    ULONGLONG begin = ::GetTickCount64();
    logger->ClearProperties();
    EXPECT_FALSE(logger->WriteEvent("vSoftDownloadError"));
    refusedIn = ::GetTickCount64() - begin;
  });
  worker.join();
  EXPECT_LT(refusedIn, 300u);
  EXPECT_EQ(folder.Lines().size(), 1u);
}

// What was recorded before the release still goes out; what comes after
// never reaches the journal, so it cannot leave the program either.
TEST(LoggerServer, RecordsBeforeTheReleaseStillGoOutAndNoneAfterIt) {
  TestLoggerFolder folder;
  auto logger = folder.Create(kSinkAck);
  logger->ClearProperties();
  ASSERT_TRUE(logger->WriteEvent("vJoinPlan"));
  const std::vector<std::string> before = UidsOf(folder.Lines());
  ASSERT_EQ(before.size(), 1u);
  EXPECT_TRUE(logger->ReleaseSdk());
  EXPECT_FALSE(logger->WriteEvent("vInstallPage"));
  EXPECT_FALSE(logger->WriteLaunch(1, "", "", ""));
  EXPECT_TRUE(WaitForSinkUids(before, 30000));
  // the journal holds nothing but what came before (once acknowledged, not
  // even that)
  for (const std::string& uid : UidsOf(folder.Lines()))
    EXPECT_EQ(uid, before[0]);
}

// The routes the installer found reach the SDK's uploads: records for a
// host that only the user's proxy reaches get there through it. Without
// the route they stay in the journal.
TEST(LoggerServer, UploadsFollowTheRoutesTheInstallerFound) {
  for (bool routed : {false, true}) {
    SCOPED_TRACE(routed ? "routed" : "not routed");
    TestLoggerFolder folder;
    SdkSettings settings = folder.Settings(kSinkAck);
    settings.host = "sa-proxied.orvane.test";  // tests/peers/proxy-hosts
    CLoggerServer logger(settings);
    if (routed) {
      SdkRoute route;
      route.proxyType = 1;
      route.proxyHost = "127.0.0.20";
      route.proxyPort = 8888;
      logger.SetUploadRoute(route);
    }
    ASSERT_TRUE(logger.WriteLaunch(1, "", "", ""));
    const std::vector<std::string> uids = UidsOf(folder.Lines());
    ASSERT_EQ(uids.size(), 1u);
    EXPECT_EQ(WaitForSinkUids(uids, routed ? 30000 : 2000), routed);
  }
}

TEST(LoggerServer, MidDataAndLaunchesGoThroughTheSdk) {
  TestLoggerFolder folder;
  auto logger = folder.Create(kSinkDown);
  const std::string mid = logger->GetMid();
  EXPECT_EQ(mid.size(), 32u);
  EXPECT_EQ(mid, logger->GetMidEx(2));  // the logger asks for version 2
  EXPECT_NE(mid, logger->GetMidEx(1));
  EXPECT_EQ(logger->GetMidEx(0), "");
  EXPECT_EQ(folder.Records().size(), 0u);

  const std::string body = "{\"channel\":\"huawei00\"}";
  const std::string packed = logger->BuildHttpData(3, body);
  EXPECT_EQ(packed.rfind("QLX1:3:/v1.1:", 0), 0u) << packed;
  EXPECT_EQ(logger->DecryptData(packed), body);
  EXPECT_EQ(logger->DecryptData("garbage"), "");
  EXPECT_EQ(logger->DecryptData(""), "");

  EXPECT_FALSE(logger->OpenUrl(""));
  EXPECT_FALSE(logger->OpenUrl("C:\\Windows\\notepad.exe"));  // only web addresses
  EXPECT_EQ(logger->ShellExecAsUser("", "x.exe", "", "", 0), 0);
  EXPECT_EQ(logger->ShellExecAsUser("open", "", "", "", 0), 0);
}

TEST(LoggerServer, RecordsReachTheSinkThroughTheSdk) {
  TestLoggerFolder folder;
  std::vector<std::string> uids;
  {
    auto logger = folder.Create(kSinkAck);
    logger->ClearProperties();
    logger->SetStringProperty("event_name", "软件退出");
    ASSERT_TRUE(logger->WriteEvent("vSoftQuit"));
    uids = UidsOf(folder.Lines());
  }
  EXPECT_TRUE(WaitForSinkUids(uids, 30000));
}

}  // namespace
}  // namespace orvane::test
