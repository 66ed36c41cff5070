// Reading a system process-information snapshot (NtQuerySystemInformation,
// class 5) as the 32-bit installer receives it, also on 64-bit Windows.
// Platform-free: the bytes are walked through bounds checks only.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvane {

enum class ProcessRunState {
  kMissing,    // no entry for the process (or the snapshot is malformed there)
  kSuspended,  // its first thread waits with the reason "suspended"
  kRunning,
};

// the state of one process in a snapshot of `size` bytes
ProcessRunState FindProcessRunState(const unsigned char* data, size_t size, uint32_t processId);

}  // namespace orvane
