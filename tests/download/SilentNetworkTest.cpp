// The download engine on a network that does not answer, played by the
// scripted network stack: a system resolver that never returns, connects
// that are refused, a thread that cannot be created. Nothing of it may keep
// the progress page (Start, Release) waiting, and the failures follow the
// client's own count.
#include <gtest/gtest.h>

#include "DownloadTestSupport.h"
#include "download/DownloadThread.h"
#include "download/Downloader.h"
#include "net/FakeNetworkApi.h"
#include "support/Guarded.h"

namespace orvane::test {
namespace {

struct DownloaderDeleter {
  void operator()(CDownloader* d) const { d->Release(); }
};
using DownloaderPtr = std::unique_ptr<CDownloader, DownloaderDeleter>;

// one test's network: the scripted stack in place of Winsock
struct SilentWorld {
  SilentWorld() { net.hosts["cdn.fake"] = "127.0.0.19"; }
  ~SilentWorld() { net.Drain(); }
  FakeNetworkApi net;
  ScopedNetworkApiOverride scope{&net};
  DownloadWorld world;
};

// releases d on a thread of its own; the seconds it took. When it takes
// more than 10 s the held lookups are let go, so that it ends at all.
double TimedRelease(DownloaderPtr& d, FakeNetworkApi& net) {
  Guarded g = RunGuarded([&] { d.reset(); }, [&] { net.Release(); }, 10.0);
  EXPECT_TRUE(g.endedInTime);
  return g.seconds;
}

// The probe checks the reachability endpoints while the package info is
// awaited; their names never resolve.
TEST(SilentNetwork, ReleaseEndsAProbeWaitingForANameThatNeverResolves) {
  SilentWorld w;
  w.net.HoldLookups();
  w.world.pkg.status = 0;
  w.world.env.reachHosts = {"support.fake"};
  DownloaderPtr d(CreateDownloader());
  ASSERT_TRUE(d->Start());
  ASSERT_TRUE(WaitUntil([&] { return w.net.held() == 1; }));
  EXPECT_EQ(d->Poll(), CDownloader::kRunning);
  double took = TimedRelease(d, w.net);
  std::cout << "release with the probe in a lookup took " << took << " s\n";
  EXPECT_LT(took, 1.0);
  EXPECT_EQ(w.net.held(), 1);  // the lookup itself is left to its thread
}

// The package URL's host never resolves: the HEAD request's lookup ends
// with the release.
TEST(SilentNetwork, ReleaseEndsAProbeResolvingThePackageHost) {
  SilentWorld w;
  w.net.HoldLookups();
  w.world.pkg.urls = {"http://cdn.fake/pkg.exe"};
  DownloaderPtr d(CreateDownloader());
  ASSERT_TRUE(d->Start());
  ASSERT_TRUE(WaitUntil([&] { return w.net.held() == 1; }));
  double took = TimedRelease(d, w.net);
  std::cout << "release with the probe resolving the package host took " << took << " s\n";
  EXPECT_LT(took, 1.0);
}

// The owner that is going away ends the lookup of a worker's construction
// (the probe constructs the workers on its own thread).
TEST(SilentNetwork, AnOwnerGoingAwayEndsTheWorkersLookup) {
  struct StoppingOwner : IDownloadOwner {
    bool OnUrlInfo(const UrlInfo&) override { return false; }
    bool WriteRange(int, int64_t, const char*, uint32_t) override { return false; }
    bool Stopping() const override { return stopping; }
    std::atomic<bool> stopping{false};
  } owner;
  SilentWorld w;
  w.net.HoldLookups();
  std::unique_ptr<CDownloadThread> worker;
  std::atomic<bool> built{false};
  Guarded g = RunGuarded(
      [&] {
        std::thread stopper([&] {
          WaitUntil([&] { return w.net.held() == 1; });
          owner.stopping = true;
        });
        try {
          worker =
              std::make_unique<CDownloadThread>("http://cdn.fake/x.exe", 2000, 20, 0, 9, &owner, 0);
          built = true;
        } catch (...) {
          stopper.join();
          throw;
        }
        stopper.join();
      },
      [&] { w.net.Release(); }, 10.0);
  EXPECT_TRUE(g.endedInTime);
  EXPECT_EQ(g.failure, "user cancel");
  EXPECT_FALSE(built);
  EXPECT_LT(g.seconds, 2.0);
  // no resolver fallback for a construction that was called off
  EXPECT_TRUE(w.net.datagram.empty());
}

// Without a probe thread there is nothing to wait for: Start fails at once
// with the worker error, and a later Start tries again.
TEST(SilentNetwork, StartFailsWhenTheProbeThreadCannotBeCreated) {
  DownloadWorld world;
  world.pkg.urls = {std::string(kNginx) + "/files/pkg-10.bin"};
  DownloaderPtr d(CreateDownloader());
  bool started = true;
  {
    ScopedThreadCreationFailure noThreads;
    std::atomic<bool> done{false};
    std::thread starter([&] {
      started = d->Start();
      done = true;
    });
    if (!WaitUntil([&] { return done.load(); }, 10.0)) {
      // Start spins for good: nothing can end it, so the test program ends
      ADD_FAILURE() << "Start is still waiting for a probe thread that does not exist";
      std::cout << std::flush;
      ::TerminateProcess(::GetCurrentProcess(), 1);
    }
    starter.join();
  }
  EXPECT_FALSE(started);
  EXPECT_EQ(d->Poll(), CDownloader::kFailed);
  EXPECT_EQ(world.Events(),
            (std::vector<std::string>{"event vSoftDownloadStart {}",
                                      "event vSoftDownloadError {error_status=创建线程出错, "
                                      "error_type=下载线程出错}"}));
}

// Every failed attempt of a worker consults the user's proxy configuration
// once, and the sixth in a row ends it with the connection error: the
// client counts its first failed try and the worker the attempt, both on
// the client's one counter.
TEST(SilentNetwork, EveryFailedConnectConsultsTheProxyAndTheSixthEndsTheWorker) {
  struct NoOwner : IDownloadOwner {
    bool OnUrlInfo(const UrlInfo&) override { return false; }
    bool WriteRange(int, int64_t, const char*, uint32_t) override { return false; }
  } owner;
  SilentWorld w;
  CDownloadThread worker("http://cdn.fake/x.exe", 2000, 20, 0, 9, &owner, 0);
  ASSERT_TRUE(worker.Join(60000));
  EXPECT_EQ(worker.state(), CDownloadThread::kFailed);
  EXPECT_EQ(w.net.proxyDiscoveries(), 6);
  // six attempts, two tries each, each with its second connect
  EXPECT_EQ(w.net.connects, std::vector<std::string>(24, "127.0.0.19:80"));
  EXPECT_EQ(w.world.Events(),
            std::vector<std::string>{
                "event vSoftDownloadError {error_status=连接错误, error_type=下载线程出错}"});
}

}  // namespace
}  // namespace orvane::test
