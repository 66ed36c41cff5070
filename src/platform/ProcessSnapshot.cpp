#include "platform/ProcessSnapshot.h"

namespace orvane {

// The snapshot is a chain of process entries, each followed by its thread
// entries (32-bit layout, little-endian):
//
//   process entry (184 bytes)            thread entry (64 bytes)
//   +0x00  u32  offset of the next        +0x00  kernel, user, create time
//               entry, 0 for the last     +0x18  wait time, start address
//   +0x04  u32  number of threads         +0x20  client id (process, thread)
//   +0x08 .. +0x43  times, image name     +0x28  priority, base priority
//   +0x44  u32  process id                +0x30  u32 context switches
//   +0x48 .. +0xB7  counters              +0x34  u32 thread state (5 waiting)
//   +0xB8  first thread entry             +0x38  u32 wait reason (5 suspended)

namespace {

constexpr size_t kProcessEntrySize = 0xB8;
constexpr size_t kThreadEntrySize = 0x40;
constexpr size_t kNextOffset = 0x00;
constexpr size_t kThreadCount = 0x04;
constexpr size_t kProcessId = 0x44;
constexpr size_t kThreadState = 0x34;
constexpr size_t kWaitReason = 0x38;
constexpr uint32_t kStateWaiting = 5;
constexpr uint32_t kReasonSuspended = 5;

// a bounds-checked view of the snapshot
class SnapshotReader {
 public:
  SnapshotReader(const unsigned char* data, size_t size) : data_(data), size_(size) {}

  bool Has(size_t offset, size_t count) const {
    return data_ && offset <= size_ && count <= size_ - offset;
  }
  bool U32(size_t offset, uint32_t* value) const {
    if (!Has(offset, 4)) return false;
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
      v = (v << 8) | data_[offset + i];
    *value = v;
    return true;
  }

 private:
  const unsigned char* data_;
  size_t size_;
};

}  // namespace

ProcessRunState FindProcessRunState(const unsigned char* data, size_t size, uint32_t processId) {
  SnapshotReader reader(data, size);
  size_t entry = 0;
  while (reader.Has(entry, kProcessEntrySize)) {
    uint32_t next = 0, threads = 0, id = 0;
    reader.U32(entry + kNextOffset, &next);
    reader.U32(entry + kThreadCount, &threads);
    reader.U32(entry + kProcessId, &id);
    if (id == processId) {
      if (threads == 0) return ProcessRunState::kRunning;
      size_t thread = entry + kProcessEntrySize;
      if (!reader.Has(thread, kThreadEntrySize)) return ProcessRunState::kMissing;
      uint32_t state = 0, reason = 0;
      reader.U32(thread + kThreadState, &state);
      reader.U32(thread + kWaitReason, &reason);
      return state == kStateWaiting && reason == kReasonSuspended ? ProcessRunState::kSuspended
                                                                  : ProcessRunState::kRunning;
    }
    // an offset of 0 ends the chain; each step moves forward and stays
    // inside the snapshot, so the walk ends
    if (next == 0 || next > size - entry) break;
    entry += next;
  }
  return ProcessRunState::kMissing;
}

}  // namespace orvane
