// Delivery of the SDK from the program's resource: where it goes, and what
// is left of the logger when any step fails.
#include <gtest/gtest.h>

#include <iostream>

#include "QlxApi.h"
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

// A module that is already in the SDK folder and cannot be overwritten when
// the archive is unpacked: someone holds it open for reading without write
// sharing. (A read-only file would do on Windows; the tests run Wine as
// root, which writes it anyway.) A DLL planted beside the installer's
// (planted_dll.cpp) leaves a marker when its code runs.
class PlantedModule {
 public:
  PlantedModule(const std::wstring& path, const std::wstring& source) {
    EXPECT_TRUE(CreateDirectories(path.substr(0, path.rfind(L'\\'))));
    EXPECT_TRUE(::CopyFileW(source.c_str(), path.c_str(), FALSE));
    holder_.reset(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr));
    EXPECT_TRUE(holder_.valid());
  }

 private:
  UniqueHandle holder_;
};

std::wstring PlantedDll() {
  return HostPath(ORVANE_PLANTED_DLL_DIR) + L"\\version.dll";
}

// Hole: a Qlx.dll that could not be overwritten during unpacking was still
// loaded, and any module could be swapped in before the load.
TEST(LoggerDelivery, AModuleThatIsNotTheArchivesIsNeverLoaded) {
  TestLoggerFolder folder;
  {
    PlantedModule planted(folder.sdk() + L"Qlx.dll", PlantedDll());
    CLoggerServer logger(folder.Settings(kSinkAck));
    // the design's "no SDK" path
    EXPECT_EQ(logger.LastSdkError(), "Load QLX.dll failed");
    ExpectHarmless(logger, folder);
  }
  EXPECT_EQ(LoadedMarkers(folder.sdk()), std::vector<std::wstring>{}) << "its code ran";
}

TEST(LoggerDelivery, AForeignTaskAsUserIsNeverLoadedAndTheRestWorks) {
  TestLoggerFolder folder;
  {
    PlantedModule planted(folder.sdk() + L"TaskAsUser.dll", PlantedDll());
    auto logger = folder.Create(kSinkDown);
    EXPECT_EQ(logger->LastSdkError(), "Load TaskAsUser.dll failed");
    EXPECT_EQ(logger->ShellExecAsUser("open", "C:\\windows\\notepad.exe", "", "", 0), 0);
    EXPECT_TRUE(logger->WriteLaunch(1, "", "", ""));
    EXPECT_EQ(folder.Lines().size(), 1u);
  }
  EXPECT_EQ(LoadedMarkers(folder.sdk()), std::vector<std::wstring>{});
}

// the same modules as the archive's may stay unchangeable: they are loaded
TEST(LoggerDelivery, AnUnwritableModuleWithTheArchivesBytesIsLoaded) {
  TestLoggerFolder folder;
  PlantedModule qlx(folder.sdk() + L"Qlx.dll", HostPath(ORVANE_SDK_BIN_DIR) + L"\\Qlx.dll");
  auto logger = folder.Create(kSinkDown);
  EXPECT_EQ(logger->LastSdkError(), "");
  EXPECT_TRUE(logger->WriteLaunch(1, "", "", ""));
  EXPECT_EQ(folder.Lines().size(), 1u);
}

// Hole: the SDK's crash dumps were never pruned. Delivery keeps the newest
// four, so that a crash of this run makes five at most.
TEST(LoggerDelivery, OnlyTheNewestCrashDumpsAreKept) {
  TestLoggerFolder folder;
  const std::wstring dumps = folder.sdk() + QLX_DUMP_FOLDER;
  ASSERT_TRUE(CreateDirectories(dumps));
  for (int i = 0; i < 9; ++i) {
    const std::wstring dump = dumps + L"Qlx-100-2026010" + std::to_wstring(i) + L"120000.dmp";
    WriteFileBytes(dump, "MDMP");
    SetFileTimes(dump, 1767225600 + i * 86400, 1767225600 + i * 86400);
  }
  WriteFileBytes(dumps + L"notes.txt", "not a dump");
  auto logger = folder.Create(kSinkDown);
  EXPECT_EQ(logger->LastSdkError(), "");
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(FileExists(dumps + L"Qlx-100-2026010" + std::to_wstring(i) + L"120000.dmp"), i >= 5)
        << i;
  }
  EXPECT_TRUE(FileExists(dumps + L"notes.txt"));
}

}  // namespace
}  // namespace orvane::test
