// QueryCancel: the cancel flag of a query worker. The owner sets it from
// another thread; the worker's pauses end at once, and the request in
// flight is aborted through the hook the worker registered for it.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace orvane {

class QueryCancel {
 public:
  // any thread: sets the flag, wakes Pause and calls the registered hook
  void Set();
  bool IsSet() const { return set_; }

  // waits up to ms; false when cancelled (before or meanwhile)
  bool Pause(std::chrono::milliseconds ms);

  // the worker's request in flight; Set calls the hook at once when the
  // flag is already set. The hook is never called after ClearAbortHook.
  void SetAbortHook(std::function<void()> hook);
  void ClearAbortHook();

 private:
  std::atomic<bool> set_{false};
  std::mutex lock_;
  std::condition_variable wake_;
  std::function<void()> hook_;
};

// registers a hook for one scope
class ScopedAbortHook {
 public:
  ScopedAbortHook(QueryCancel& cancel, std::function<void()> hook) : cancel_(cancel) {
    cancel_.SetAbortHook(std::move(hook));
  }
  ~ScopedAbortHook() { cancel_.ClearAbortHook(); }
  ScopedAbortHook(const ScopedAbortHook&) = delete;
  ScopedAbortHook& operator=(const ScopedAbortHook&) = delete;

 private:
  QueryCancel& cancel_;
};

}  // namespace orvane
