// Download workers against nginx and the fault server: the ranged request,
// reconnects from the first missing byte, answers that are not the range,
// stalls, refused connects, redirects and cancel.
#include "download/DownloadThread.h"

#include <gtest/gtest.h>

#include "DownloadTestSupport.h"
#include "Pattern.h"

namespace orvane::test {
namespace {

// the owner's side of a worker: a file image in memory, written under a lock
class MemoryOwner : public IDownloadOwner {
 public:
  explicit MemoryOwner(int64_t size) : image(static_cast<size_t>(size), '\0') {}
  bool OnUrlInfo(const UrlInfo&) override { return false; }
  int64_t PackageSize() const override { return static_cast<int64_t>(image.size()); }
  bool WriteRange(int index, int64_t offset, const char* data, uint32_t size) override {
    std::lock_guard<std::mutex> hold(lock);
    if (failWrites) return false;
    EXPECT_EQ(index, 3);
    if (offset < 0 || offset + size > static_cast<int64_t>(image.size())) {
      ++outside;
      return false;
    }
    image.replace(static_cast<size_t>(offset), size, data, size);
    written += size;
    ++writes;
    return true;
  }
  std::mutex lock;
  std::string image;
  int64_t written = 0;
  int writes = 0;
  int outside = 0;
  bool failWrites = false;
};

// runs one worker on [first, last] of a file of `size` bytes to its end
struct WorkerRun {
  WorkerRun(const std::string& url, int64_t size, int64_t first, int64_t last, int attempts = 20)
      : owner(size) {
    worker = std::make_unique<CDownloadThread>(url, 2000, attempts, first, last, &owner, 3);
  }
  bool Finish(DWORD ms = 90000) { return worker->Join(ms); }

  MemoryOwner owner;
  std::unique_ptr<CDownloadThread> worker;
};

TEST(DownloadThread, RangeOfNginxByteForByte) {
  DownloadWorld world;
  const int64_t first = 1000000, last = kBigSize - 1;
  WorkerRun run(std::string(kNginx) + "/files/pkg-3145851.bin", kBigSize, first, last);
  ASSERT_TRUE(run.Finish());
  EXPECT_EQ(run.worker->state(), CDownloadThread::kComplete);
  std::string expected = Pattern(kBigSize);
  EXPECT_EQ(run.owner.image.substr(first), expected.substr(first));
  EXPECT_EQ(run.owner.image.substr(0, first), std::string(first, '\0'));
  EXPECT_EQ(run.owner.written, last - first + 1);
  // the 1 MiB buffer: a flush per mebibyte, the rest at the end
  EXPECT_EQ(run.owner.writes, 3);
  EXPECT_TRUE(world.Events().empty());
}

TEST(DownloadThread, OneByteRangeAndTheRequestOnTheWire) {
  DownloadWorld world;
  std::string tag = UniqueTag();
  WorkerRun run(FaultUrl("ok", tag, 1000), 1000, 7, 7);
  ASSERT_TRUE(run.Finish());
  EXPECT_EQ(run.worker->state(), CDownloadThread::kComplete);
  EXPECT_EQ(run.owner.image[7], Pattern(8)[7]);
  EXPECT_EQ(run.owner.written, 1);
  EXPECT_EQ(FaultLog(tag), std::vector<std::string>{"GET bytes=7-7"});
}

TEST(DownloadThread, HeadArrivingInPiecesIsReadWhole) {
  DownloadWorld world;
  std::string tag = UniqueTag();
  WorkerRun run(FaultUrl("splithead", tag, 100000), 100000, 40000, 99999);
  ASSERT_TRUE(run.Finish());
  EXPECT_EQ(run.worker->state(), CDownloadThread::kComplete);
  EXPECT_EQ(run.owner.image.substr(40000), Pattern(100000).substr(40000));
  EXPECT_EQ(FaultLog(tag).size(), 1u);
}

TEST(DownloadThread, ClosedMidRangeResumesFromTheFirstMissingByte) {
  DownloadWorld world;
  std::string tag = UniqueTag();
  const int64_t first = 100, last = 1600000;
  WorkerRun run(FaultUrl("midclose", tag, kBigSize), kBigSize, first, last);
  ASSERT_TRUE(run.Finish());
  EXPECT_EQ(run.worker->state(), CDownloadThread::kComplete);
  EXPECT_EQ(run.owner.image.substr(first, last - first + 1),
            Pattern(kBigSize).substr(first, last - first + 1));
  // the server sends 700001 bytes per connection
  EXPECT_EQ(FaultLog(tag),
            (std::vector<std::string>{"GET bytes=100-1600000", "GET bytes=700101-1600000",
                                      "GET bytes=1400102-1600000"}));
  EXPECT_TRUE(world.Events().empty());
}

TEST(DownloadThread, AnswersThatAreNotTheRangeNeverReachTheFile) {
  // the whole file; another range; the asked range of a file one byte longer
  for (const char* mode : {"ignore", "otherrange", "replaced"}) {
    SCOPED_TRACE(mode);
    DownloadWorld world;
    std::string tag = UniqueTag();
    WorkerRun run(FaultUrl(mode, tag, 1000), 1000, 500, 999, 3);
    ASSERT_TRUE(run.Finish());
    EXPECT_EQ(run.worker->state(), CDownloadThread::kFailed);
    EXPECT_EQ(run.owner.writes, 0);
    EXPECT_EQ(run.owner.image, std::string(1000, '\0'));
    // every answer counted as a failed attempt
    EXPECT_EQ(FaultLog(tag).size(), 3u);
    EXPECT_EQ(world.Events(), std::vector<std::string>{kTooManyRetries});
  }
}

TEST(DownloadThread, StalledServerTimesOutAndTheWorkerReconnects) {
  DownloadWorld world;
  std::string tag = UniqueTag();
  WorkerRun run(FaultUrl("stall", tag, 1000000), 1000000, 0, 999999);
  DWORD begin = GetTickCount();
  ASSERT_TRUE(run.Finish());
  EXPECT_EQ(run.worker->state(), CDownloadThread::kComplete);
  // the 2000 ms receive time-out, not the server's 20 s hold, ended the stall
  EXPECT_LT(GetTickCount() - begin, 15000u);
  EXPECT_EQ(run.owner.image, Pattern(1000000));
  EXPECT_EQ(FaultLog(tag),
            (std::vector<std::string>{"GET bytes=0-999999", "GET bytes=100000-999999"}));
}

TEST(DownloadThread, MoreThanTenRefusedConnectsInARow) {
  DownloadWorld world;
  WorkerRun run(std::string(kRefused) + "/x.exe", 1000, 0, 999);
  ASSERT_TRUE(run.Finish());
  EXPECT_EQ(run.worker->state(), CDownloadThread::kFailed);
  EXPECT_EQ(world.Events(),
            std::vector<std::string>{
                "event vSoftDownloadError {error_status=连接错误, error_type=下载线程出错}"});
}

TEST(DownloadThread, RedirectedGetAsksTheNewPlaceForTheSameRange) {
  DownloadWorld world;
  for (const char* path : {"/r/abs", "/r/rel"}) {
    SCOPED_TRACE(path);
    WorkerRun run(std::string(kNginx) + path, kBigSize, 2000000, 2000999);
    ASSERT_TRUE(run.Finish());
    EXPECT_EQ(run.worker->state(), CDownloadThread::kComplete);
    EXPECT_EQ(run.owner.image.substr(2000000, 1000), Pattern(kBigSize).substr(2000000, 1000));
  }
  std::string tag = UniqueTag();
  WorkerRun run(FaultUrl("relget", tag, 1000), 1000, 10, 19);
  ASSERT_TRUE(run.Finish());
  EXPECT_EQ(run.worker->state(), CDownloadThread::kComplete);
  EXPECT_EQ(run.owner.image.substr(10, 10), Pattern(20).substr(10, 10));
  EXPECT_EQ(FaultLog(tag), (std::vector<std::string>{"GET bytes=10-19", "GET bytes=10-19"}));
  EXPECT_TRUE(world.Events().empty());
}

TEST(DownloadThread, CancelWhileWaitingForData) {
  DownloadWorld world;
  std::string tag = UniqueTag();
  auto run = std::make_unique<WorkerRun>(FaultUrl("hang", tag, 100000), 100000, 0, 99999);
  // the server has sent its 1000 bytes and holds the connection
  for (int i = 0; i < 200 && FaultLog(tag).empty(); ++i)
    Sleep(50);
  Sleep(300);
  EXPECT_FALSE(run->worker->Join(0));
  DWORD begin = GetTickCount();
  run->worker.reset();
  EXPECT_LT(GetTickCount() - begin, 2500u);
  // all 1000 bytes that had arrived are flushed before the connection is
  // given up, and nothing else
  EXPECT_EQ(run->owner.written, 1000);
  EXPECT_EQ(run->owner.image.substr(0, 1000), Pattern(1000));
  EXPECT_EQ(run->owner.image.substr(1000), std::string(100000 - 1000, '\0'));
  EXPECT_TRUE(world.Events().empty());
}

TEST(DownloadThread, FailedWriteEndsTheWorker) {
  DownloadWorld world;
  std::string tag = UniqueTag();
  MemoryOwner owner(1000);
  owner.failWrites = true;
  CDownloadThread worker(FaultUrl("ok", tag, 1000), 2000, 20, 0, 999, &owner, 3);
  ASSERT_TRUE(worker.Join(60000));
  EXPECT_EQ(worker.state(), CDownloadThread::kFailed);
  // no second attempt after a failed write
  EXPECT_EQ(FaultLog(tag).size(), 1u);
  EXPECT_EQ(world.Events(),
            std::vector<std::string>{
                "event vSoftDownloadError {error_status=写文件出错, error_type=下载线程出错}"});
}

TEST(DownloadThread, UnusableUrlFailsTheConstruction) {
  DownloadWorld world;
  MemoryOwner owner(10);
  EXPECT_THROW(CDownloadThread("http://host/", 2000, 20, 0, 9, &owner, 3), std::exception);
  EXPECT_EQ(world.Events(),
            std::vector<std::string>{"event vSoftDownloadError {error_status=初始化失败, "
                                     "error_type=获取下载信息线程出错}"});
}

}  // namespace
}  // namespace orvane::test
