// Running a call that may hang without hanging the test: the call runs on a
// thread of its own, and when it has not ended in time the test frees it
// (aborts it, releases what it waits for) and fails instead of waiting on.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "platform/Error.h"

namespace orvane::test {

inline double SecondsFrom(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// waits until condition() holds; false after `limit` seconds
inline bool WaitUntil(const std::function<bool()>& condition, double limit = 5.0) {
  auto start = std::chrono::steady_clock::now();
  while (!condition()) {
    if (SecondsFrom(start) > limit) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

struct Guarded {
  std::string failure;  // the orvane::Error text fn threw, "" when none
  double seconds = 0;   // how long fn ran
  bool endedInTime = false;
};

// runs fn; when it has not ended after `limit` seconds, free() is called,
// which must make it end
inline Guarded RunGuarded(const std::function<void()>& fn,
                          const std::function<void()>& free,
                          double limit = 5.0) {
  Guarded g;
  std::atomic<bool> done{false};
  auto start = std::chrono::steady_clock::now();
  std::thread worker([&] {
    try {
      fn();
    } catch (const Error& e) {
      g.failure = e.what();
    }
    g.seconds = SecondsFrom(start);
    done = true;
  });
  g.endedInTime = WaitUntil([&] { return done.load(); }, limit);
  if (!g.endedInTime) free();
  worker.join();
  return g;
}

}  // namespace orvane::test
