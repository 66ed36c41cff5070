// CDownloader: the download engine's facade. The progress page creates one,
// starts it, polls it about every 50 ms and finally asks for the package
// path. Behind it: the URL probe, the package file in the cache folder, two
// workers on two byte ranges, the MD5 check and the remembered package.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "download/DownloadOwner.h"
#include "platform/FileStream.h"
#include "platform/PinnedFile.h"
#include "platform/XMutex.h"

namespace orvane {

class CDownloadThread;
class QueryUrlInfoThread;

class IDownloader {
 public:
  virtual bool Start() = 0;
  virtual bool Reserved1() { return false; }
  virtual bool Reserved2() { return false; }
  virtual bool Reserved3() { return false; }
  // 0 to 100
  virtual int GetProgress() = 0;
  // 0, 1, 2: running; 4: the package is ready; 3, 5: failed
  virtual int Poll() = 0;
  virtual void Release() = 0;
  virtual std::wstring GetFilePath() = 0;
  virtual std::string GetDownloadUrl() = 0;
  // right before the package starts: holds the file against writes and
  // deletes (PinnedFile) and, unless it is still held since its MD5
  // check, checks it again through the held handle. True when what is held
  // is the package that was verified or remembered.
  virtual bool HoldPackage() = 0;
  // what to start while the package is held: the held file itself, every
  // link on the way resolved; GetFilePath when nothing is held
  virtual std::wstring HeldPackagePath() = 0;
  // once the installer process has started (or failed to): the file may
  // change again
  virtual void ReleasePackage() = 0;

 protected:
  virtual ~IDownloader() = default;
};

class CDownloader : public IDownloader, public IDownloadOwner {
 public:
  enum State { kNotStarted = 0, kRunning = 1, kDestroying = 3, kFinished = 4, kFailed = 5 };

  struct Segment {
    std::string url;
    std::unique_ptr<CDownloadThread> worker;
    int64_t start = 0;  // next offset not yet in the file; workers advance it
    int64_t end = 0;    // inclusive
    bool complete() const { return start > end; }
  };

  bool Start() override;
  int GetProgress() override;
  int Poll() override;
  void Release() override;
  std::wstring GetFilePath() override;
  std::string GetDownloadUrl() override;
  bool HoldPackage() override;
  std::wstring HeldPackagePath() override;
  void ReleasePackage() override;

  bool OnPackageInfo() override;
  bool OnUrlInfo(const UrlInfo& info) override;
  bool WriteRange(int index, int64_t offset, const char* data, uint32_t size) override;
  bool Stopping() const override { return state_ == kDestroying; }
  int64_t PackageSize() const override { return total_ > 0 ? total_.load() : -1; }

  // for tests: the segment table as "start-end" pieces, under the lock
  std::vector<std::pair<int64_t, int64_t>> SegmentRanges();
  int64_t total() const { return total_; }

 private:
  friend CDownloader* CreateDownloader(const std::string& url);
  explicit CDownloader(std::string url);
  ~CDownloader() override;

  bool StartWorkers();
  void DeleteWorkers();
  bool VerifyPackage();
  void RememberPackage();
  bool TryCurrentLocalPackage();
  bool TryLocalPackage();
  bool UseLocalPackage(const std::wstring& path);
  bool CreatePackageFile();
  int DownloadSeconds();

  std::atomic<int32_t> state_{kNotStarted};
  std::string url_;
  CXMutex lock_;
  std::wstring filePath_;
  std::atomic<int64_t> total_{0};
  std::atomic<int64_t> downloaded_{0};
  std::unique_ptr<CFileStream> file_;
  int32_t workerCount_ = 2;
  int32_t timeoutMs_ = 2000;
  int32_t maxAttempts_ = 20;
  std::unique_ptr<QueryUrlInfoThread> probe_;
  std::vector<Segment> segments_;
  bool winsock_ = false;
  // from the MD5 check of a download, or the re-check of the remembered
  // package, until the installer has started: what starts is what was checked
  PinnedFile package_;
  // the digest the check took of the held file: what config.ini remembers
  std::string verifiedMd5_;
};

// a new downloader (url empty: the package-info query decides); free it
// with Release
CDownloader* CreateDownloader(const std::string& url = std::string());

}  // namespace orvane
