// CDownloadThread: downloads one byte range of the package into the owner's
// file. It asks for the range with a ranged GET, receives into a 1 MiB
// buffer that it writes at the range's offset under the owner's lock, and on
// any interruption reconnects and asks again from the first missing byte.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "download/DownloadOwner.h"
#include "download/DownloadRules.h"
#include "net/TCPClient.h"
#include "platform/BasedThread.h"

namespace orvane {

class CDownloadThread : public COrvaneBasedThread, public CTCPClient {
 public:
  static constexpr int32_t kBufferSize = 1048576;

  enum State { kWorking = 1, kCancelled = 3, kComplete = 4, kFailed = 5 };

  // resolves the host, allocates the buffer and resumes the thread; throws
  // when the URL or the host is unusable
  CDownloadThread(const std::string& url,
                  int32_t timeoutMs,
                  int32_t maxAttempts,
                  int64_t start,
                  int64_t end,
                  IDownloadOwner* owner,
                  int32_t index);
  // requests cancellation and waits for the body to end
  ~CDownloadThread() override;

  // returns 0 when the range is complete, -1 otherwise
  int Run() override;

  bool SendRangeRequest();
  bool ReceiveRange();
  void FlushBuffer();

  int32_t state() const { return state_; }
  int64_t position() const { return position_; }

 protected:
  // also when cancelled, and while the owner is being destroyed: then even
  // the name lookup of the construction ends
  bool AbortRequested() const override;

 private:
  void ThrowIfCancelled() const;
  // the pause between attempts, cut short by a cancel
  void Pause(int ms) const;

  std::atomic<int32_t> state_{kWorking};
  std::unique_ptr<char[]> buffer_;
  int32_t bufferFill_ = 0;
  UrlParts current_;
  int32_t maxAttempts_;
  int64_t position_;  // the next byte to receive
  int64_t end_;
  IDownloadOwner* owner_;
  int32_t index_;
};

}  // namespace orvane
