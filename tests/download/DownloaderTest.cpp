// CDownloader end to end against the peers: the state machine, the segments,
// the channel name, the MD5 check, the remembered package and every event.
#include "download/Downloader.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "BuildConfig.h"
#include "DownloadTestSupport.h"
#include "Pattern.h"
#include "download/DownloadRules.h"
#include "platform/BasedProcess.h"
#include "platform/FileSystem.h"
#include "platform/Md5.h"
#include "platform/SystemInfo.h"

namespace orvane::test {
namespace {

struct DownloaderDeleter {
  void operator()(CDownloader* d) const { d->Release(); }
};
using DownloaderPtr = std::unique_ptr<CDownloader, DownloaderDeleter>;

// polls as the progress page does until the state is final
int PollToEnd(CDownloader& d, DWORD ms = 90000) {
  DWORD begin = GetTickCount();
  int state = d.Poll();
  while ((state == 0 || state == 1 || state == 2) && GetTickCount() - begin < ms) {
    Sleep(50);
    state = d.Poll();
  }
  return state;
}

const std::string kStart = "event vSoftDownloadStart {}";
const std::string kSucceeded =
    "event pSoftDownloadResult {download_time=N, soft_download_status=下载成功}";
const std::string kLocal =
    "event pSoftDownloadResult {download_time=-1, soft_download_status=存在本地文件}";

// the test program's version resource is 1.97.0.0 (test_version.rc)
const wchar_t kChannelName[] = L"install_qihu3600.exe";

TEST(Downloader, DownloadsVerifiesAndRemembersUnderTheChannelName) {
  DownloadWorld world;
  std::string expected = Pattern(kBigSize);
  world.pkg.md5 = Md5Hex(expected);
  world.pkg.urls = {std::string(kNginx) + "/r/abs"};
  DownloaderPtr d(CreateDownloader());
  EXPECT_EQ(d->GetProgress(), 0);
  ASSERT_TRUE(d->Start());
  EXPECT_EQ(PollToEnd(*d), CDownloader::kFinished);
  EXPECT_EQ(d->GetProgress(), 100);
  EXPECT_EQ(d->GetFilePath(), world.dir.path() + L"\\KESTRELVAULT\\" + kChannelName);
  EXPECT_EQ(ReadFileBytes(d->GetFilePath()), expected);
  EXPECT_EQ(d->GetDownloadUrl(), "http://127.0.0.16/files/pkg-3145851.bin");
  auto segments = d->SegmentRanges();
  ASSERT_EQ(segments.size(), 2u);
  EXPECT_EQ(segments[0], std::make_pair(kBigSize / 2, kBigSize / 2 - 1));
  EXPECT_EQ(segments[1], std::make_pair(kBigSize, kBigSize - 1));
  EXPECT_EQ(world.Events(), (std::vector<std::string>{kStart, kSucceeded}));
  // remembered in the record and in config.ini
  EXPECT_EQ(world.settings.path, d->GetFilePath());
  InstallSettings reread(world.dir.File(L"config.ini"));
  EXPECT_EQ(reread.path, d->GetFilePath());
  EXPECT_EQ(reread.md5, W(world.pkg.md5));
  // a second Start after success changes nothing
  EXPECT_TRUE(d->Start());
  EXPECT_EQ(world.Events().size(), 2u);
}

// Hole: a HEAD answer's filename= went into the package path unchecked. With
// a version that names no channel, the server's name is the file's name:
// whatever it is, the package is made in the package folder and downloaded.
TEST(Downloader, AHostileFileNameStaysInThePackageFolder) {
  struct Case {
    const char* what;
    std::string sent;
    std::wstring file;  // in KESTRELVAULT\; empty: the name built from the program's
  } cases[] = {
      {"parent folders", "\"..\\..\\evil.exe\"", L"evil.exe"},
      {"an absolute path", "\"C:\\windows\\evil.exe\"", L"evil.exe"},
      {"an alternate data stream", "\"pkg.exe:evil\"", L""},
      {"a device", "\"NUL\"", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DownloadWorld world;
    world.app.ownVersion = L"1.0.0.2";
    std::string hex;
    for (unsigned char b : c.sent) {
      static const char kDigits[] = "0123456789abcdef";
      hex += kDigits[b >> 4];
      hex += kDigits[b & 15];
    }
    world.pkg.md5 = Md5Hex(Pattern(1000));
    DownloaderPtr d(CreateDownloader(FaultUrl("named", UniqueTag(), 1000) + "?" + hex));
    ASSERT_TRUE(d->Start());
    EXPECT_EQ(PollToEnd(*d), CDownloader::kFinished);
    const std::wstring folder = world.dir.path() + L"\\KESTRELVAULT\\";
    const std::wstring name =
        c.file.empty() ? BuildPackageFileName(FileNamePart(GetOwnModulePath()), L"") : c.file;
    EXPECT_EQ(d->GetFilePath(), folder + name);
    EXPECT_EQ(ReadFileBytes(d->GetFilePath()), Pattern(1000));
    EXPECT_FALSE(FileExists(world.dir.path() + L"\\evil.exe"));
    EXPECT_FALSE(FileExists(L"C:\\windows\\evil.exe"));
  }
}

TEST(Downloader, TenAndElevenBytePackagesSplitIntoTwoRanges) {
  for (int64_t size : {10, 11}) {
    SCOPED_TRACE(size);
    DownloadWorld world;
    std::string tag = UniqueTag();
    DownloaderPtr d(CreateDownloader(FaultUrl("ok", tag, size)));
    ASSERT_TRUE(d->Start());
    EXPECT_EQ(PollToEnd(*d), CDownloader::kFinished);
    EXPECT_EQ(ReadFileBytes(d->GetFilePath()), Pattern(size));
    // no MD5 in the package info: the file's own, as the check took it
    EXPECT_EQ(world.settings.md5, W(Md5Hex(Pattern(size))));
    EXPECT_EQ(world.settings.path, d->GetFilePath());
    std::vector<std::string> log = FaultLog(tag);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], "HEAD");
    std::sort(log.begin() + 1, log.end());
    EXPECT_EQ(log[1], "GET bytes=0-4");
    EXPECT_EQ(log[2], size == 10 ? "GET bytes=5-9" : "GET bytes=5-10");
  }
}

TEST(Downloader, WrongMd5FailsResetsAndAStartDownloadsAgain) {
  DownloadWorld world;
  std::string tag = UniqueTag();
  const int64_t size = 1000000;
  world.pkg.md5 = "0123456789abcdef0123456789abcdef";
  DownloaderPtr d(CreateDownloader(FaultUrl("ok", tag, size)));
  ASSERT_TRUE(d->Start());
  EXPECT_EQ(PollToEnd(*d), CDownloader::kFailed);
  EXPECT_EQ(d->GetProgress(), 0);
  EXPECT_EQ(d->SegmentRanges(),
            (std::vector<std::pair<int64_t, int64_t>>{{0, 499999}, {500000, 999999}}));
  // the file is there again, empty at its full size
  EXPECT_EQ(ReadFileBytes(d->GetFilePath()), std::string(size, '\0'));
  EXPECT_TRUE(world.settings.path.empty());

  world.pkg.md5 = Md5Hex(Pattern(size));
  ASSERT_TRUE(d->Start());
  EXPECT_EQ(PollToEnd(*d), CDownloader::kFinished);
  EXPECT_EQ(ReadFileBytes(d->GetFilePath()), Pattern(size));
  std::vector<std::string> log = FaultLog(tag);
  std::sort(log.begin(), log.end());
  EXPECT_EQ(log, (std::vector<std::string>{"GET bytes=0-499999", "GET bytes=0-499999",
                                           "GET bytes=500000-999999", "GET bytes=500000-999999",
                                           "HEAD"}));
  EXPECT_EQ(world.Events(), (std::vector<std::string>{kStart, kStart, kSucceeded}));
}

TEST(Downloader, FaultsOnTheWayStillGiveTheExactFile) {
  for (const char* mode : {"midclose", "stall"}) {
    SCOPED_TRACE(mode);
    DownloadWorld world;
    std::string tag = UniqueTag();
    world.pkg.md5 = Md5Hex(Pattern(kBigSize));
    DownloaderPtr d(CreateDownloader(FaultUrl(mode, tag, kBigSize)));
    ASSERT_TRUE(d->Start());
    EXPECT_EQ(PollToEnd(*d), CDownloader::kFinished);
    EXPECT_EQ(ReadFileBytes(d->GetFilePath()), Pattern(kBigSize));
    EXPECT_GT(FaultLog(tag).size(), 3u);
    EXPECT_EQ(world.Events(), (std::vector<std::string>{kStart, kSucceeded}));
  }
}

TEST(Downloader, ServerIgnoringRangeFailsWithoutCorruptingTheFile) {
  DownloadWorld world;
  std::string tag = UniqueTag();
  DownloaderPtr d(CreateDownloader(FaultUrl("ignore", tag, 1000)));
  ASSERT_TRUE(d->Start());
  EXPECT_EQ(PollToEnd(*d, 120000), CDownloader::kFailed);
  EXPECT_EQ(ReadFileBytes(d->GetFilePath()), std::string(1000, '\0'));
  EXPECT_EQ(world.Events(), (std::vector<std::string>{kStart, kTooManyRetries, kTooManyRetries}));
  EXPECT_TRUE(world.settings.path.empty());
}

// a remembered package whose version resource says 2.1.5
struct RememberedPackage {
  explicit RememberedPackage(DownloadWorld& world) {
    path = world.dir.File(L"pkg_v215.exe");
    std::string bytes = ReadFileBytes(OwnFolder() + L"\\pkg_v215.exe");
    WriteFileBytes(path, bytes);
    EXPECT_TRUE(world.settings.SetCachedPackage(W(Md5Hex(bytes)), path, false));
  }
  std::wstring path;
};

TEST(Downloader, CurrentRememberedPackageIsUsedWithoutDownloading) {
  DownloadWorld world;
  RememberedPackage remembered(world);
  world.pkg.version = "2.1.4";
  std::string tag = UniqueTag();
  world.pkg.urls = {FaultUrl("ok", tag, 1000)};
  DownloaderPtr d(CreateDownloader());
  ASSERT_TRUE(d->Start());
  EXPECT_EQ(PollToEnd(*d), CDownloader::kFinished);
  EXPECT_EQ(d->GetFilePath(), remembered.path);
  EXPECT_EQ(world.Events(), (std::vector<std::string>{kStart, kLocal}));
  // not even a HEAD reached the download server
  EXPECT_TRUE(FaultLog(tag).empty());
  EXPECT_FALSE(FileExists(world.dir.path() + L"\\KESTRELVAULT\\" + kChannelName));
}

bool CanWrite(const std::wstring& path) {
  UniqueHandle h(::CreateFileW(path.c_str(), GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, 0, nullptr));
  return h.valid();
}

// the same package with one byte changed: its version resource still says
// 2.1.5
void Tamper(const std::wstring& path) {
  std::string bytes = ReadFileBytes(path);
  ASSERT_FALSE(bytes.empty());
  bytes.back() ^= 1;
  WriteFileBytes(path, bytes);
}

// Hole: the remembered package was checked once, at start-up, then used (and
// run elevated) later. Changed after its check, it is not used: the package
// is downloaded instead.
TEST(Downloader, RememberedPackageChangedAfterItsCheckIsNotUsed) {
  DownloadWorld world;
  RememberedPackage remembered(world);  // checked, as at start-up
  Tamper(remembered.path);
  world.pkg.version = "2.1.4";
  std::string tag = UniqueTag();
  world.pkg.urls = {FaultUrl("ok", tag, 1000)};
  DownloaderPtr d(CreateDownloader());
  ASSERT_TRUE(d->Start());
  EXPECT_EQ(PollToEnd(*d), CDownloader::kFinished);
  EXPECT_NE(d->GetFilePath(), remembered.path);
  EXPECT_EQ(ReadFileBytes(d->GetFilePath()), Pattern(1000));
  EXPECT_EQ(world.Events(), (std::vector<std::string>{kStart, kSucceeded}));
  // the download is the remembered package now
  EXPECT_EQ(world.settings.path, d->GetFilePath());

  // nor after a failed probe, where it would be the fallback
  DownloadWorld second;
  RememberedPackage fallback(second);
  Tamper(fallback.path);
  DownloaderPtr failing(CreateDownloader(FaultUrl("nolength", UniqueTag(), 1000)));
  ASSERT_TRUE(failing->Start());
  EXPECT_EQ(PollToEnd(*failing), CDownloader::kFailed);
  EXPECT_TRUE(second.settings.path.empty()) << "forgotten";
}

TEST(Downloader, UsedRememberedPackageIsHeldAsItWasChecked) {
  DownloadWorld world;
  RememberedPackage remembered(world);
  world.pkg.version = "2.1.4";
  world.pkg.urls = {FaultUrl("ok", UniqueTag(), 1000)};
  DownloaderPtr d(CreateDownloader());
  ASSERT_TRUE(d->Start());
  ASSERT_EQ(PollToEnd(*d), CDownloader::kFinished);
  ASSERT_EQ(d->GetFilePath(), remembered.path);
  EXPECT_FALSE(CanWrite(remembered.path));
  EXPECT_FALSE(::DeleteFileW(remembered.path.c_str()));
  EXPECT_TRUE(FileExists(remembered.path));
  d.reset();
  EXPECT_TRUE(CanWrite(remembered.path));
}

bool CanOpenForDelete(const std::wstring& path) {
  UniqueHandle h(::CreateFileW(path.c_str(), DELETE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, 0, nullptr));
  return static_cast<bool>(h);
}

// from the MD5 check until the installer has started nothing may change the
// package; a package checked again after that must still be the same
TEST(Downloader, PackageIsHeldFromItsCheckUntilReleased) {
  DownloadWorld world;
  const int64_t size = 1000;
  world.pkg.md5 = Md5Hex(Pattern(size));
  DownloaderPtr d(CreateDownloader(FaultUrl("ok", UniqueTag(), size)));
  ASSERT_TRUE(d->Start());
  ASSERT_EQ(PollToEnd(*d), CDownloader::kFinished);
  const std::wstring path = d->GetFilePath();
  EXPECT_FALSE(CanWrite(path));
  EXPECT_FALSE(CanOpenForDelete(path));
  EXPECT_FALSE(::DeleteFileW(path.c_str()));
  EXPECT_FALSE(::MoveFileW(path.c_str(), (path + L".old").c_str()));
  EXPECT_EQ(ReadFileBytes(path), Pattern(size)) << "others may still read it";
  EXPECT_TRUE(d->HoldPackage()) << "still held since the check";
  d->ReleasePackage();
  EXPECT_TRUE(CanWrite(path));

  // a retry starts it again: checked once more through a new hold
  EXPECT_TRUE(d->HoldPackage());
  EXPECT_FALSE(CanWrite(path));
  d->ReleasePackage();
  std::string changed = Pattern(size);
  changed[500] ^= 1;
  WriteFileBytes(path, changed);
  EXPECT_FALSE(d->HoldPackage()) << "a changed package is not started";
  EXPECT_TRUE(CanWrite(path)) << "and not held";
  EXPECT_EQ(d->Poll(), CDownloader::kFailed);
  // the next start downloads it anew
  ASSERT_TRUE(d->Start());
  ASSERT_EQ(PollToEnd(*d), CDownloader::kFinished);
  EXPECT_EQ(ReadFileBytes(path), Pattern(size));
  EXPECT_TRUE(d->HoldPackage());
}

TEST(Downloader, RememberedPackageIsCheckedWhenHeld) {
  DownloadWorld world;
  RememberedPackage remembered(world);
  world.pkg.version = "2.1.4";
  world.pkg.urls = {FaultUrl("ok", UniqueTag(), 1000)};
  DownloaderPtr d(CreateDownloader());
  ASSERT_TRUE(d->Start());
  ASSERT_EQ(PollToEnd(*d), CDownloader::kFinished);
  ASSERT_EQ(d->GetFilePath(), remembered.path);
  EXPECT_TRUE(d->HoldPackage());
  EXPECT_FALSE(CanWrite(remembered.path));
  {
    // the held package still starts (the stand-in exits with its argument)
    COrvaneBasedProcess process(L"\"" + remembered.path + L"\" 3");
    ASSERT_TRUE(process.Run());
    EXPECT_EQ(WaitExitCode(process.process(), 20000), 3);
  }
  d->ReleasePackage();
  std::string bytes = ReadFileBytes(remembered.path);
  bytes.back() ^= 1;
  WriteFileBytes(remembered.path, bytes);
  EXPECT_FALSE(d->HoldPackage());
  EXPECT_TRUE(world.settings.path.empty()) << "forgotten";
  // the next start downloads the package instead
  ASSERT_TRUE(d->Start());
  ASSERT_EQ(PollToEnd(*d), CDownloader::kFinished);
  EXPECT_NE(d->GetFilePath(), remembered.path);
  EXPECT_EQ(ReadFileBytes(d->GetFilePath()), Pattern(1000));
}

TEST(Downloader, OlderRememberedPackageIsDownloadedAnew) {
  DownloadWorld world;
  RememberedPackage remembered(world);
  world.pkg.version = "3.0.0";
  std::string tag = UniqueTag();
  world.pkg.urls = {FaultUrl("ok", tag, 1000)};
  DownloaderPtr d(CreateDownloader());
  ASSERT_TRUE(d->Start());
  EXPECT_EQ(PollToEnd(*d), CDownloader::kFinished);
  EXPECT_EQ(ReadFileBytes(d->GetFilePath()), Pattern(1000));
  EXPECT_NE(d->GetFilePath(), remembered.path);
  EXPECT_EQ(world.Events(), (std::vector<std::string>{kStart, kSucceeded}));
  // the new package is the remembered one now
  EXPECT_EQ(world.settings.path, d->GetFilePath());
}

TEST(Downloader, FailedProbeFallsBackToTheRememberedPackage) {
  const std::string kParam =
      "event vSoftDownloadError {error_status=参数错误, error_type=下载线程出错}";
  std::string tag = UniqueTag();
  {
    // not installed: any remembered package will do
    DownloadWorld world;
    RememberedPackage remembered(world);
    DownloaderPtr d(CreateDownloader(FaultUrl("nolength", tag, 1000)));
    ASSERT_TRUE(d->Start());
    EXPECT_EQ(PollToEnd(*d), CDownloader::kFinished);
    EXPECT_EQ(d->GetFilePath(), remembered.path);
    EXPECT_EQ(world.Events().back(), kLocal);
  }
  {
    // installed in a newer version than the remembered package
    DownloadWorld world;
    RememberedPackage remembered(world);
    world.app.exePath = L"C:\\Program Files\\KestrelVault\\KestrelVault.exe";
    world.app.version = L"2.2.0";
    DownloaderPtr d(CreateDownloader(FaultUrl("nolength", tag, 1000)));
    ASSERT_TRUE(d->Start());
    EXPECT_EQ(PollToEnd(*d), CDownloader::kFailed);
    EXPECT_EQ(world.Events(),
              (std::vector<std::string>{kStart,
                                        "event vSoftDownloadError {error_status=获取包信息失败, "
                                        "error_type=获取下载信息线程出错}",
                                        kParam}));
  }
}

// The package is replaced between the probe and the download: every range
// answer names a total one byte longer. Nothing of the other file is
// assembled, and without an MD5 to check nothing is remembered either.
TEST(Downloader, APackageReplacedAfterItsProbeIsNeitherAssembledNorRemembered) {
  DownloadWorld world;
  std::string tag = UniqueTag();
  const int64_t size = 1000;
  DownloaderPtr d(CreateDownloader(FaultUrl("replaced", tag, size)));
  ASSERT_TRUE(d->Start());
  EXPECT_EQ(PollToEnd(*d, 120000), CDownloader::kFailed);
  EXPECT_EQ(d->GetProgress(), 0);
  EXPECT_EQ(ReadFileBytes(d->GetFilePath()), std::string(size, '\0'));
  EXPECT_TRUE(world.settings.path.empty());
  std::vector<std::string> log = FaultLog(tag);
  // the HEAD, then 20 answers refused per range
  ASSERT_EQ(log.size(), 41u);
  EXPECT_EQ(std::count(log.begin(), log.end(), "GET bytes=0-499"), 20);
  EXPECT_EQ(std::count(log.begin(), log.end(), "GET bytes=500-999"), 20);
  EXPECT_EQ(world.Events(), (std::vector<std::string>{kStart, kTooManyRetries, kTooManyRetries}));
}

TEST(Downloader, ReleaseWhileAWorkerWaitsForData) {
  DownloadWorld world;
  std::string tag = UniqueTag();
  DownloaderPtr d(CreateDownloader(FaultUrl("hang", tag, 100000)));
  ASSERT_TRUE(d->Start());
  for (int i = 0; i < 200 && FaultLog(tag).size() < 3; ++i) {
    EXPECT_EQ(d->Poll(), CDownloader::kRunning);
    Sleep(50);
  }
  // the probe's HEAD and both workers' requests arrived: both wait for data
  std::vector<std::string> log = FaultLog(tag);
  std::sort(log.begin(), log.end());
  ASSERT_EQ(log, (std::vector<std::string>{"GET bytes=0-49999", "GET bytes=50000-99999", "HEAD"}));
  Sleep(300);
  EXPECT_EQ(d->Poll(), CDownloader::kRunning);
  DWORD begin = GetTickCount();
  d.reset();
  EXPECT_LT(GetTickCount() - begin, 5000u);
}

TEST(Downloader, StartAfterAFailedWorkerResumesOnlyTheIncompleteRange) {
  DownloadWorld world;
  std::string tag = UniqueTag();
  const int64_t size = 1000000;
  world.pkg.md5 = Md5Hex(Pattern(size));
  DownloaderPtr d(CreateDownloader(FaultUrl("zerofail", tag, size)));
  ASSERT_TRUE(d->Start());
  EXPECT_EQ(PollToEnd(*d, 120000), CDownloader::kFailed);
  EXPECT_EQ(d->GetProgress(), 50);
  auto segments = d->SegmentRanges();
  EXPECT_EQ(segments[0], std::make_pair(int64_t{0}, int64_t{499999}));
  EXPECT_EQ(segments[1], std::make_pair(size, size - 1));

  ASSERT_TRUE(d->Start());
  EXPECT_EQ(PollToEnd(*d), CDownloader::kFinished);
  EXPECT_EQ(ReadFileBytes(d->GetFilePath()), Pattern(size));
  std::vector<std::string> log = FaultLog(tag);
  // HEAD, 20 refused first-range answers, the second range once, then the
  // first range on the second Start
  ASSERT_EQ(log.size(), 23u);
  EXPECT_EQ(std::count(log.begin(), log.end(), "GET bytes=500000-999999"), 1);
  EXPECT_EQ(std::count(log.begin(), log.end(), "GET bytes=0-499999"), 21);
  EXPECT_EQ(log.back(), "GET bytes=0-499999");
  EXPECT_EQ(world.Events(),
            (std::vector<std::string>{kStart, kTooManyRetries, kStart, kSucceeded}));
}

TEST(Downloader, DownloadUrlBeforeAndAfterTheProbe) {
  DownloadWorld world;
  world.env.builtInUrl.clear();
  DownloaderPtr d(CreateDownloader());
  // no probe yet: the built-in URL of this (32-bit) system
  EXPECT_EQ(d->GetDownloadUrl(), std::string("https://") + config::kCdnHost +
                                     "/application/soft_package/pc/" + config::kPackageId +
                                     "/software/32bit/install.exe");
  DownloaderPtr given(CreateDownloader(std::string(kNginx) + "/r/abs"));
  EXPECT_EQ(given->GetDownloadUrl(), d->GetDownloadUrl());
  ASSERT_TRUE(given->Start());
  EXPECT_EQ(PollToEnd(*given), CDownloader::kFinished);
  // the URL it was given, not where that led
  EXPECT_EQ(given->GetDownloadUrl(), std::string(kNginx) + "/r/abs");
}

TEST(Downloader, AWorkerEndingDuringAPollIsNotTakenForAFailure) {
  // polled without a pause, a Poll often looks at a segment just as its
  // worker writes the last bytes and ends
  DownloadWorld world;
  for (int run = 0; run < 25; ++run) {
    SCOPED_TRACE(run);
    DownloaderPtr d(CreateDownloader(std::string(kNginx) + "/files/pkg-1000.bin"));
    ASSERT_TRUE(d->Start());
    DWORD begin = GetTickCount();
    int state = d->Poll();
    while (state == CDownloader::kRunning && GetTickCount() - begin < 60000)
      state = d->Poll();
    ASSERT_EQ(state, CDownloader::kFinished);
    EXPECT_EQ(ReadFileBytes(d->GetFilePath()), Pattern(1000));
  }
}

TEST(Downloader, UnwritableCacheFolderFails) {
  DownloadWorld world;
  // a file where the package folder should be
  WriteFileBytes(world.dir.File(L"KESTRELVAULT"), "x");
  DownloaderPtr d(CreateDownloader(std::string(kNginx) + "/files/pkg-10.bin"));
  ASSERT_TRUE(d->Start());
  EXPECT_EQ(PollToEnd(*d), CDownloader::kFailed);
  EXPECT_EQ(world.Events(), std::vector<std::string>{kStart});
}

}  // namespace
}  // namespace orvane::test
