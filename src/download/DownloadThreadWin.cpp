#include "download/DownloadThread.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "download/DownloadEvents.h"
#include "download/UrlProbe.h"
#include "platform/Error.h"

namespace orvane {

namespace {

constexpr int kSendPiece = 1024;
constexpr int kMaxConnectFailures = 10;
constexpr int kConnectPauseMs = 10;
constexpr int kAttemptPauseMs = 500;
// a response head longer than this is no head
constexpr int32_t kMaxRangeHead = 64 * 1024;

// offset of CR LF CR LF in the bytes, or -1
int32_t FindHeadEnd(const char* data, int32_t size) {
  static const char kBlank[] = "\r\n\r\n";
  const char* end = data + size;
  const char* at = std::search(data, end, kBlank, kBlank + 4);
  return at == end ? -1 : static_cast<int32_t>(at - data);
}

}  // namespace

CDownloadThread::CDownloadThread(const std::string& url,
                                 int32_t timeoutMs,
                                 int32_t maxAttempts,
                                 int64_t start,
                                 int64_t end,
                                 IDownloadOwner* owner,
                                 int32_t index)
    : maxAttempts_(maxAttempts), position_(start), end_(end), owner_(owner), index_(index) {
  if (!CreateSuspended()) throw Error("Create thread failed");
  current_ = ParseUrl(url);
  SetHostWithFallback(current_.host, current_.port);
  SetRecvTimeout(timeoutMs);
  SetSendTimeout(timeoutMs);
  buffer_.reset(new char[kBufferSize]);
  Resume();
}

CDownloadThread::~CDownloadThread() {
  state_ = kCancelled;
  // a receive or send blocked on the socket returns at once
  Abort();
  if (suspended()) Resume();
  Join(INFINITE);
  CloseSocket();
}

bool CDownloadThread::AbortRequested() const {
  return CTCPClient::AbortRequested() || state_ == kCancelled || owner_->Stopping();
}

void CDownloadThread::ThrowIfCancelled() const {
  if (state_ == kCancelled) throw Error("User cancel thread");
}

void CDownloadThread::Pause(int ms) const {
  for (int waited = 0; waited < ms && state_ != kCancelled; waited += 10)
    Sleep(10);
}

int CDownloadThread::Run() {
  try {
    Sleep(10);
    // the client's own count: Connect adds one for its first failed try,
    // this loop one for the attempt, so the user's proxy is consulted at
    // every failed attempt and the sixth one in a row ends the worker
    set_connectFailures(0);
    for (int attempt = 0; attempt < maxAttempts_; ++attempt) {
      ThrowIfCancelled();
      try {
        Connect();
      } catch (const std::exception&) {
        ThrowIfCancelled();
        set_connectFailures(connectFailures() + 1);
        if (connectFailures() > kMaxConnectFailures) {
          SendDownloadError(kWorkerError, "连接错误");
          throw Error("Connect failed");
        }
        Sleep(kConnectPauseMs);
        continue;
      }
      set_connectFailures(0);
      bool complete = false;
      if (SendRangeRequest()) complete = ReceiveRange();
      CloseSocket();
      if (complete) {
        state_ = kComplete;
        return 0;
      }
      Pause(kAttemptPauseMs);
    }
    SendDownloadError(kWorkerError, "重试超过最大次数");
    throw Error("download failed");
  } catch (const std::exception&) {
    int32_t expected = kWorking;
    state_.compare_exchange_strong(expected, kFailed);
    return -1;
  }
}

bool CDownloadThread::SendRangeRequest() {
  std::string request = BuildRangeRequest(current_, position_, end_);
  size_t sent = 0;
  while (sent < request.size()) {
    ThrowIfCancelled();
    int piece = static_cast<int>(std::min<size_t>(kSendPiece, request.size() - sent));
    int n = SendSome(request.data() + sent, piece);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

bool CDownloadThread::ReceiveRange() {
  bufferFill_ = 0;
  bool headPending = true;
  for (;;) {
    if (state_ == kCancelled) {
      // what arrived is written before the connection is given up
      if (!headPending) FlushBuffer();
      ThrowIfCancelled();
    }
    // as much as fits: one receive costs about the same whatever its size
    int n = RecvSome(buffer_.get() + bufferFill_, kBufferSize - bufferFill_);
    if (n <= 0) {
      if (!headPending) FlushBuffer();
      return false;
    }
    if (headPending) {
      bufferFill_ += n;
      int32_t headEnd = FindHeadEnd(buffer_.get(), bufferFill_);
      if (headEnd < 0) {
        if (bufferFill_ >= kMaxRangeHead) return false;
        continue;
      }
      RangeAnswer answer =
          ReadRangeAnswer(std::string(buffer_.get(), headEnd), position_, owner_->PackageSize());
      if (answer.kind == RangeAnswer::kRedirect) {
        // the next attempt asks the new location for the same range
        current_ = ParseUrl(ResolveLocation(current_, answer.location));
        SetHost(current_.host, current_.port);
        bufferFill_ = 0;
        return false;
      }
      if (answer.kind != RangeAnswer::kData) {
        // not our range: nothing of it reaches the file
        bufferFill_ = 0;
        return false;
      }
      int32_t body = bufferFill_ - (headEnd + 4);
      body = static_cast<int32_t>(std::min<int64_t>(body, end_ + 1 - position_));
      std::memmove(buffer_.get(), buffer_.get() + headEnd + 4, static_cast<size_t>(body));
      bufferFill_ = body;
      position_ += body;
      headPending = false;
    } else {
      // bytes past the range belong to someone else's segment
      int32_t take = static_cast<int32_t>(std::min<int64_t>(n, end_ + 1 - position_));
      bufferFill_ += take;
      position_ += take;
    }
    if (bufferFill_ >= kBufferSize || position_ > end_) FlushBuffer();
    if (position_ > end_) return true;
  }
}

void CDownloadThread::FlushBuffer() {
  if (bufferFill_ < 1) return;
  // the buffer holds the bytes just before position_
  int64_t offset = position_ - bufferFill_;
  if (!owner_->WriteRange(index_, offset, buffer_.get(), static_cast<uint32_t>(bufferFill_))) {
    SendDownloadError(kWorkerError, "写文件出错");
    throw Error(" write file failed");
  }
  bufferFill_ = 0;
}

}  // namespace orvane
