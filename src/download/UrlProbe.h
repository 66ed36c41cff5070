// QueryUrlInfoThread: finds where the installer package really is and what
// it is (HEAD requests following redirects), then hands an UrlInfo to its
// owner. ParseUrl is the URL splitter of the probe and the workers.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "download/DownloadOwner.h"
#include "download/DownloadRules.h"
#include "net/NetWait.h"
#include "platform/BasedThread.h"

namespace orvane {

class CTCPHttp;

// SplitUrl that reports its failure ("初始化失败") and throws "init url failed"
UrlParts ParseUrl(const std::string& url);

// a TCP connection to port 80 of the host (system resolver) succeeded; a
// true abort check ends the lookups and connects under way with false
bool CheckHostReachable(const std::string& name, const AbortCheck& aborted = {});

// redirects a probe follows before it gives the URL up
inline constexpr int kMaxRedirects = 10;

class QueryUrlInfoThread : public COrvaneBasedThread {
 public:
  // created suspended; the creator resumes it
  QueryUrlInfoThread(std::string url, IDownloadOwner* owner);
  // cancels, resumes if needed and waits for the body to end
  ~QueryUrlInfoThread() override;

  int Run() override;

  // any thread: the body ends at its next check; a HEAD in flight is cut off
  void Cancel();

  bool ProbeUrl(const std::string& url, UrlInfo& info, const std::string& version);
  // url: in the start, out the final URL; lines empty on failure
  void HeadWithRedirects(std::string& url, std::vector<std::string>& lines);
  bool WaitForPackageInfo(UrlInfo& info);

  bool started() const { return started_; }
  bool finished() const { return finished_; }
  // valid once finished
  const UrlInfo& info() const { return info_; }
  const std::string& url() const { return url_; }

 private:
  void ThrowIfCancelled() const;
  // asks the owner whether the package at hand will do; then nothing is probed
  bool LocalPackageWillDo();
  // one HEAD of the attempt loop; the status text is empty when it failed
  void HeadOnce(const UrlParts& parts, std::vector<std::string>* lines, std::string* status);

  std::string url_;
  IDownloadOwner* owner_;
  UrlInfo info_;
  std::atomic<bool> started_{false};
  std::atomic<bool> finished_{false};
  std::atomic<bool> cancel_{false};
  bool localPackage_ = false;

  std::mutex activeLock_;  // active_ against Cancel
  CTCPHttp* active_ = nullptr;
};

}  // namespace orvane
