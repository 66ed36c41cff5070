// One HTTP request over a fresh TCP connection, with a deadline that the
// caller may move closer while the request runs (qlxFree does). The
// connection follows the target's route: the own resolver and the proxy
// tunnel that the program found to work.
#pragma once

#include <windows.h>
#include <winsock2.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "qlx/UploadProtocol.h"

namespace orvane::qlx {

// when the current attempt must end, in GetTickCount64 time: the attempt's
// own limit, or an earlier one set from another thread with CutTo
class Deadline {
 public:
  void SetAttempt(ULONGLONG at) { attempt_ = at; }
  // only ever moves the deadline closer
  void CutTo(ULONGLONG at) {
    ULONGLONG cur = cut_.load();
    while (at < cur && !cut_.compare_exchange_weak(cur, at)) {
    }
  }
  ULONGLONG Get() const { return std::min(attempt_.load(), cut_.load()); }

 private:
  std::atomic<ULONGLONG> attempt_{0};
  std::atomic<ULONGLONG> cut_{~0ULL};
};

// sends `request` to the target's host:port by the target's route and
// reads the reply; false when the connection failed, the deadline passed or
// the reply was not HTTP
bool HttpExchange(const UploadTarget& target,
                  const std::string& request,
                  const Deadline& deadline,
                  HttpReply* reply);

}  // namespace orvane::qlx
