// The journal files beside the module (see qlx/Journal.h for their format)
// and the two locks that every process using them shares: the append lock,
// held for a single append, and the upload lock, held by the one process
// that uploads at a time.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Handles.h"
#include "qlx/Journal.h"

namespace orvane::qlx {

class JournalFile {
 public:
  // the count record's line for this many dropped records (see
  // qlx/Journal.h); it must take no lock of the SDK's
  using DropRecordMaker = std::function<std::string(uint64_t dropped)>;

  // folder with a trailing backslash
  explicit JournalFile(const std::wstring& folder,
                       DropRecordMaker dropRecord = {},
                       uint64_t cap = kJournalCapBytes);
  JournalFile(const JournalFile&) = delete;
  JournalFile& operator=(const JournalFile&) = delete;

  const std::wstring& path() const { return path_; }
  // where batches the receiver refused for good are kept
  const std::wstring& refusedPath() const { return refusedPath_; }

  // appends the line and its newline; a line left without newline by a
  // killed writer is ended first. False when nothing was appended. A
  // journal that would grow past its cap is trimmed first, when no upload
  // runs; past twice the cap it is trimmed regardless.
  bool Append(const std::string& line);

  // drops the acknowledged lines and, past the cap, the oldest unsent
  // records (qlx/Journal.h); the acknowledgement then starts anew. The
  // caller holds the upload lock.
  void Trim();

  // keeps the lines of a batch the receiver refused for good beside the
  // journal, the newest 256 KiB of them
  bool SetAside(const std::string& lines);

  // up to `max` bytes from `offset`; `size` receives the journal's size
  bool Read(uint64_t offset, size_t max, std::string* bytes, uint64_t* size);

  // the stored acknowledgement when it fits the journal, else offset 0
  AckState LoadAck();
  bool StoreAck(const AckState& ack);

  // true when this thread now holds the upload lock (an abandoned lock
  // counts as free)
  bool TryLockUpload();
  void UnlockUpload();

 private:
  // the append lock is held
  void TrimLocked(uint64_t incoming);

  std::wstring path_;
  std::wstring ackPath_;
  std::wstring refusedPath_;
  DropRecordMaker dropRecord_;
  uint64_t cap_;
  UniqueHandle appendLock_;
  UniqueHandle uploadLock_;
};

}  // namespace orvane::qlx
