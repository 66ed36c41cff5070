// The background upload of journal records: one thread per module, woken by
// every commit. It sends the unacknowledged records in batches, stores each
// acknowledgement, and after a failure waits 1 s, 2 s, 4 s ... up to a
// minute before it tries again. A batch the receiver refuses for good is
// set aside and counts as acknowledged. Every round ends by trimming the
// journal (acknowledged lines, and the oldest unsent records past the cap).
// Records of earlier runs are part of the journal like any other, so they
// go out with the first upload of a run.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "module/HttpPost.h"
#include "module/JournalFile.h"
#include "platform/Handles.h"

namespace orvane::qlx {

struct UploadSettings {
  bool enabled = false;  // false while host or path is missing, and in the sandbox
  UploadTarget target;
};

class Uploader : public std::enable_shared_from_this<Uploader> {
 public:
  using SettingsSource = std::function<UploadSettings()>;

  Uploader(JournalFile* journal, SettingsSource settings);
  ~Uploader();

  bool Start();
  // a commit happened or the settings changed
  void Wake();
  // a last upload within `budgetMs`, then the thread ends. False when the
  // thread was still busy when the budget ran out; it then ends on its own,
  // keeping the module loaded until it does.
  bool StopAndFlush(DWORD budgetMs);

 private:
  enum class Outcome { kDone, kFailed, kBusy, kOff };

  static DWORD WINAPI ThreadMain(void* arg);
  void Loop();
  void FinalFlush();
  Outcome UploadPending();

  JournalFile* journal_;
  SettingsSource settings_;
  UniqueHandle wake_;
  UniqueHandle stop_;
  UniqueHandle thread_;
  Deadline deadline_;
  HMODULE pinned_ = nullptr;  // the module this thread's code lives in
  // the thread's own reference while it runs
  std::shared_ptr<Uploader> self_;
};

}  // namespace orvane::qlx
