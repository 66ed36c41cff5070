// The URL probe against nginx and the fault server: redirects, names, sizes,
// the package-info query and every failure event.
#include "download/UrlProbe.h"

#include <gtest/gtest.h>

#include "DownloadTestSupport.h"
#include "download/DownloadRules.h"
#include "platform/FileSystem.h"
#include "platform/SystemInfo.h"
#include "support/Guarded.h"

namespace orvane::test {
namespace {

class RecordingOwner : public IDownloadOwner {
 public:
  bool OnUrlInfo(const UrlInfo& info) override {
    got = info;
    ++calls;
    return true;
  }
  bool WriteRange(int, int64_t, const char*, uint32_t) override { return false; }
  UrlInfo got;
  int calls = 0;
};

// runs a probe to its end
UrlInfo Probe(const std::string& url, RecordingOwner& owner) {
  QueryUrlInfoThread probe(url, &owner);
  probe.Resume();
  EXPECT_TRUE(probe.Join(60000));
  EXPECT_TRUE(probe.finished());
  EXPECT_EQ(owner.calls, 1);
  return owner.got;
}

const std::string kProbeFailed =
    "event vSoftDownloadError {error_status=获取包信息失败, error_type=获取下载信息线程出错}";
const std::string kNoHeaders =
    "event vSoftDownloadError {error_status=获取头信息失败, error_type=获取下载信息线程出错}";

TEST(UrlProbe, SizeAndFinalUrlOfAPlainAnswer) {
  DownloadWorld world;
  RecordingOwner owner;
  UrlInfo info = Probe(std::string(kNginx) + "/files/pkg-3145851.bin", owner);
  EXPECT_EQ(info.size, kBigSize);
  ASSERT_EQ(info.urls.size(), 1u);
  EXPECT_EQ(info.urls[0], std::string(kNginx) + "/files/pkg-3145851.bin");
  EXPECT_TRUE(world.Events().empty());
}

TEST(UrlProbe, FollowsAbsoluteAndRelativeRedirects) {
  DownloadWorld world;
  {
    RecordingOwner owner;
    UrlInfo info = Probe(std::string(kNginx) + "/r/abs", owner);
    EXPECT_EQ(info.size, kBigSize);
    ASSERT_EQ(info.urls.size(), 1u);
    EXPECT_EQ(info.urls[0], "http://127.0.0.16/files/pkg-3145851.bin");
  }
  {
    RecordingOwner owner;
    UrlInfo info = Probe(std::string(kNginx) + "/r/rel", owner);
    EXPECT_EQ(info.size, kBigSize);
    ASSERT_EQ(info.urls.size(), 1u);
    // a rooted target goes to the host and port that sent it
    EXPECT_EQ(info.urls[0], "http://127.0.0.16:80/files/pkg-3145851.bin");
  }
  EXPECT_TRUE(world.Events().empty());
}

TEST(UrlProbe, RedirectChainsEndAfterTenHops) {
  DownloadWorld world;
  {
    RecordingOwner owner;
    UrlInfo info = Probe(std::string(kNginx) + "/hop/10", owner);
    EXPECT_EQ(info.size, 10);
    ASSERT_EQ(info.urls.size(), 1u);
    EXPECT_EQ(info.urls[0], "http://127.0.0.16:80/files/pkg-10.bin");
  }
  EXPECT_TRUE(world.Events().empty());
  {
    RecordingOwner owner;
    UrlInfo info = Probe(std::string(kNginx) + "/hop/11", owner);
    EXPECT_EQ(info.size, 0);
    EXPECT_TRUE(info.urls.empty());
  }
  EXPECT_EQ(world.Events(), std::vector<std::string>{kNoHeaders});
}

TEST(UrlProbe, Head404GivesNoHeaderLines) {
  DownloadWorld world;
  std::string tag = UniqueTag();
  RecordingOwner owner;
  UrlInfo info = Probe(FaultUrl("head404", tag, 1000), owner);
  EXPECT_TRUE(info.urls.empty());
  EXPECT_EQ(world.Events(), std::vector<std::string>{kNoHeaders});
  // one HEAD: an answer, even a 404, is not retried
  EXPECT_EQ(FaultLog(tag), std::vector<std::string>{"HEAD"});
}

TEST(UrlProbe, AnswerWithoutContentLengthIsNotFound) {
  DownloadWorld world;
  std::string tag = UniqueTag();
  RecordingOwner owner;
  UrlInfo info = Probe(FaultUrl("nolength", tag, 1000), owner);
  EXPECT_EQ(info.size, 0);
  EXPECT_TRUE(info.fileName.empty());
  EXPECT_TRUE(info.urls.empty());
  EXPECT_EQ(world.Events(), std::vector<std::string>{kProbeFailed});
}

TEST(UrlProbe, FileNameFromTheHeaderWithABlank) {
  DownloadWorld world;
  RecordingOwner owner;
  UrlInfo info = Probe(std::string(kNginx) + "/named/pkg.bin", owner);
  EXPECT_EQ(info.fileName, L"pkg 1.exe");
  EXPECT_EQ(info.size, 1000);
}

// Hole: the name of a HEAD answer went into the package path unchecked. The
// fault server sends each name as it is given here, after "filename=".
TEST(UrlProbe, HostileFileNamesNeverLeaveTheCacheFolder) {
  DownloadWorld world;
  // what the program's own name gives (the package info has no version)
  const std::wstring fallback = BuildPackageFileName(FileNamePart(GetOwnModulePath()), L"");
  ASSERT_FALSE(fallback.empty());
  struct Case {
    const char* what;
    std::string sent;
    std::wstring kept;
  } cases[] = {
      {"parent folders", "\"..\\..\\..\\evil.exe\"", L"evil.exe"},
      {"an absolute path", "C:\\Windows\\System32\\evil.dll", L"evil.dll"},
      {"forward slashes", "\"../../evil.exe\"", L"evil.exe"},
      {"an alternate data stream", "\"pkg.exe:hidden\"", fallback},
      {"a drive prefix", "D:evil.exe", fallback},
      {"a device", "\"CON.exe\"", fallback},
      {"the parent folder", "\"..\"", fallback},
      {"a trailing dot", "\"pkg.exe.\"", fallback},
      {"over-long", "\"" + std::string(300, 'a') + ".exe\"", fallback},
      {"a safe name is kept", "\"pkg 2.exe\"", L"pkg 2.exe"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string hex;
    for (unsigned char b : c.sent) {
      static const char kDigits[] = "0123456789abcdef";
      hex += kDigits[b >> 4];
      hex += kDigits[b & 15];
    }
    RecordingOwner owner;
    UrlInfo info = Probe(FaultUrl("named", UniqueTag(), 1000) + "?" + hex, owner);
    EXPECT_EQ(info.fileName, c.kept);
    // and the probe still did its job
    EXPECT_EQ(info.size, 1000);
    EXPECT_EQ(info.urls.size(), 1u);
  }
  EXPECT_TRUE(world.Events().empty());
}

TEST(UrlProbe, InvalidUrlReportsTheInitialisation) {
  DownloadWorld world;
  RecordingOwner owner;
  UrlInfo info = Probe("http://127.0.0.16/", owner);
  EXPECT_TRUE(info.urls.empty());
  EXPECT_EQ(world.Events(),
            std::vector<std::string>{"event vSoftDownloadError {error_status=初始化失败, "
                                     "error_type=获取下载信息线程出错}"});
}

TEST(UrlProbe, PackageInfoUrlsAndTheProgramsName) {
  DownloadWorld world;
  world.env.ownModulePath = L"C:\\somewhere\\setup.exe";
  std::string tag = UniqueTag();
  world.pkg.version = "1.2.0";
  world.pkg.urls = {FaultUrl("ok", tag, 1000), std::string(kNginx) + "/files/pkg-11.bin"};
  RecordingOwner owner;
  UrlInfo info = Probe("", owner);
  // both answered; size and name come from the first
  EXPECT_EQ(info.urls, world.pkg.urls);
  EXPECT_EQ(info.size, 1000);
  EXPECT_EQ(info.fileName, L"setup_install_v1.2.0.exe");
  EXPECT_TRUE(world.Events().empty());
}

TEST(UrlProbe, FailedPackageInfoFallsBackToTheBuiltInUrl) {
  DownloadWorld world;
  world.pkg.status = 2;
  std::string tag = UniqueTag();
  world.env.builtInUrl = FaultUrl("ok", tag, 1000);
  RecordingOwner owner;
  UrlInfo info = Probe("", owner);
  EXPECT_EQ(info.urls, std::vector<std::string>{world.env.builtInUrl});
  EXPECT_EQ(FaultLog(tag), std::vector<std::string>{"HEAD"});
}

TEST(UrlProbe, WaitsForThePackageInfoWhileTheNetworkAnswers) {
  DownloadWorld world;
  world.pkg.status = 0;
  world.pkg.urls = {std::string(kNginx) + "/files/pkg-10.bin"};
  RecordingOwner owner;
  QueryUrlInfoThread probe("", &owner);
  probe.Resume();
  // the probe asks, checks the network, and asks again
  ASSERT_TRUE(WaitUntil([&] { return world.pkg.statusCalls >= 5; }, 30.0))
      << "the probe asked for the package info " << world.pkg.statusCalls << " times";
  world.pkg.status = 1;
  ASSERT_TRUE(probe.Join(60000));
  EXPECT_EQ(owner.got.urls, world.pkg.urls);
  EXPECT_TRUE(world.Events().empty());
}

TEST(UrlProbe, UnreachableNetworkWhileWaiting) {
  DownloadWorld world;
  world.pkg.status = 0;
  world.env.reachHosts = {"127.0.0.19", "127.0.0.38"};
  RecordingOwner owner;
  UrlInfo info = Probe("", owner);
  EXPECT_TRUE(info.urls.empty());
  EXPECT_EQ(world.Events(),
            std::vector<std::string>{"event vSoftDownloadError {error_status=网络失败, "
                                     "error_type=获取下载信息线程出错}"});
}

TEST(UrlProbe, RefusedHostRetriesTenTimes) {
  DownloadWorld world;
  RecordingOwner owner;
  UrlInfo info = Probe(std::string(kRefused) + "/x.exe", owner);
  EXPECT_TRUE(info.urls.empty());
  EXPECT_EQ(world.Events(),
            (std::vector<std::string>{"event vSoftDownloadError {error_status=重试次数过多, "
                                      "error_type=获取下载信息线程出错}",
                                      kNoHeaders}));
}

TEST(UrlProbe, CancelCutsAStalledHeadShort) {
  DownloadWorld world;
  RecordingOwner owner;
  DWORD begin = GetTickCount();
  {
    QueryUrlInfoThread probe(FaultUrl("silent", UniqueTag(), 10), &owner);
    probe.Resume();
    Sleep(300);
  }
  EXPECT_LT(GetTickCount() - begin, 5000u);
  EXPECT_EQ(owner.calls, 1);
}

}  // namespace
}  // namespace orvane::test
