// The journal files beside the module (see qlx/Journal.h for their format)
// and the two locks that every process using them shares: the append lock,
// held for a single append, and the upload lock, held by the one process
// that uploads at a time.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/Handles.h"
#include "qlx/Journal.h"

namespace orvane::qlx {

class JournalFile {
 public:
  // folder with a trailing backslash
  explicit JournalFile(const std::wstring& folder);
  JournalFile(const JournalFile&) = delete;
  JournalFile& operator=(const JournalFile&) = delete;

  const std::wstring& path() const { return path_; }

  // appends the line and its newline; a line left without newline by a
  // killed writer is ended first. False when nothing was appended.
  bool Append(const std::string& line);

  // up to `max` bytes from `offset`; `size` receives the journal's size
  bool Read(uint64_t offset, size_t max, std::string* bytes, uint64_t* size);

  // the stored acknowledgement when it fits the journal, else offset 0
  AckState LoadAck();
  bool StoreAck(const AckState& ack);

  // with everything acknowledged and the journal at least `threshold`
  // bytes, starts a new journal (the old one stays as "Qlx.journal.1");
  // the caller holds the upload lock
  void RotateIfDone(uint64_t threshold);

  // true when this thread now holds the upload lock (an abandoned lock
  // counts as free)
  bool TryLockUpload();
  void UnlockUpload();

 private:
  std::wstring path_;
  std::wstring ackPath_;
  UniqueHandle appendLock_;
  UniqueHandle uploadLock_;
};

}  // namespace orvane::qlx
