#include "platform/ProcInfo.h"

#include <windows.h>

namespace orvane {

namespace {

constexpr ULONG kSystemProcessInformation = 5;
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);
// the list grows between two calls; a system that keeps asking for more
// than this is not answered
constexpr uint32_t kMaxSnapshotSize = 64u << 20;
constexpr int kMaxAttempts = 16;

using NtQuerySystemInformationFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

NtQuerySystemInformationFn QueryFunction() {
  HMODULE ntdll = ::GetModuleHandleW(L"NtDll.dll");
  if (!ntdll) return nullptr;
  return reinterpret_cast<NtQuerySystemInformationFn>(
      reinterpret_cast<void*>(::GetProcAddress(ntdll, "NtQuerySystemInformation")));
}

}  // namespace

cProcInfo::cProcInfo() : buffer_(::LocalAlloc(LMEM_FIXED, size_)) {}

cProcInfo::~cProcInfo() {
  if (buffer_) ::LocalFree(buffer_);
}

bool cProcInfo::Query() {
  used_ = 0;
  NtQuerySystemInformationFn query = QueryFunction();
  if (!query) return false;
  for (int attempt = 0; attempt < kMaxAttempts && buffer_; ++attempt) {
    ULONG needed = 0;
    LONG status = query(kSystemProcessInformation, buffer_, size_, &needed);
    if (status >= 0) {
      used_ = needed > 0 && needed < size_ ? needed : size_;
      return true;
    }
    if (status != kStatusInfoLengthMismatch) return false;
    // the reported length plus room for processes started meanwhile; a
    // system that reports no useful length gets twice the room
    uint64_t next = static_cast<uint64_t>(needed) + 4000;
    if (next <= size_) next = static_cast<uint64_t>(size_) * 2;
    if (next > kMaxSnapshotSize) return false;
    ::LocalFree(buffer_);
    size_ = static_cast<uint32_t>(next);
    buffer_ = ::LocalAlloc(LMEM_FIXED, size_);
  }
  return false;
}

ProcessRunState cProcInfo::StateOf(uint32_t processId) const {
  if (!buffer_) return ProcessRunState::kMissing;
  return FindProcessRunState(static_cast<const unsigned char*>(buffer_), used_, processId);
}

}  // namespace orvane
