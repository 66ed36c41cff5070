// COrvaneBasedThread: the base of every worker thread. Owners construct the
// object, call CreateSuspended, set their fields, then Resume; Start does
// both in one step.
#pragma once

#include <atomic>

#include "platform/Handles.h"

namespace orvane {

class COrvaneBasedThread {
 public:
  COrvaneBasedThread() = default;
  // resumes a thread that was never resumed (its entry then skips Run),
  // waits for it without limit and closes the handle. A derived class whose
  // Run may still be busy must stop and join in its own destructor, because
  // Run is gone once this destructor starts.
  virtual ~COrvaneBasedThread();
  COrvaneBasedThread(const COrvaneBasedThread&) = delete;
  COrvaneBasedThread& operator=(const COrvaneBasedThread&) = delete;

  // the thread body; its result is the thread's exit code
  virtual int Run() = 0;

  // false when no thread could be created (see also
  // ScopedThreadCreationFailure)
  bool CreateSuspended();
  void Resume();
  bool Start() {
    if (!CreateSuspended()) return false;
    Resume();
    return true;
  }

  // waits up to `ms` for the thread; true when it has ended (or never
  // existed), false at once while it was never resumed
  bool Join(unsigned long ms);

  // the stop of the query threads as first designed: resume if needed, wait
  // 1 ms, then end the thread forcibly. The caller sets its cancel flag
  // first. The installer's own threads no longer use it (ResumeAndJoin).
  void StopOrTerminate(unsigned long graceMs = 1);
  // resumes a thread that was never resumed (its body then runs and sees
  // the cancel its owner set first) and waits up to ms for it
  bool ResumeAndJoin(unsigned long ms);

  bool running() const { return running_; }
  bool suspended() const { return suspended_; }
  HANDLE handle() const { return thread_.get(); }

 private:
  static unsigned __stdcall Entry(void* self);

  std::atomic<bool> suspended_{true};
  std::atomic<bool> running_{true};
  UniqueHandle thread_;
};

// tests: while one lives, every CreateSuspended fails as when the system
// has no thread to spare
class ScopedThreadCreationFailure {
 public:
  ScopedThreadCreationFailure();
  ~ScopedThreadCreationFailure();
  ScopedThreadCreationFailure(const ScopedThreadCreationFailure&) = delete;
  ScopedThreadCreationFailure& operator=(const ScopedThreadCreationFailure&) = delete;
};

}  // namespace orvane
