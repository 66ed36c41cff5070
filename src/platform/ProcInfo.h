// cProcInfo: one system process-information snapshot, taken with ntdll's
// NtQuerySystemInformation into a LocalAlloc buffer.
#pragma once

#include <cstdint>

#include "platform/ProcessSnapshot.h"

namespace orvane {

class cProcInfo {
 public:
  cProcInfo();
  ~cProcInfo();
  cProcInfo(const cProcInfo&) = delete;
  cProcInfo& operator=(const cProcInfo&) = delete;

  // takes the snapshot, growing the buffer while the system asks for more;
  // false when ntdll cannot be asked or keeps failing
  bool Query();
  // kMissing before a successful Query
  ProcessRunState StateOf(uint32_t processId) const;

  uint32_t size() const { return size_; }

 private:
  uint32_t size_ = 1000;
  void* buffer_ = nullptr;
  uint32_t used_ = 0;  // bytes of the last snapshot, 0 before one
};

}  // namespace orvane
