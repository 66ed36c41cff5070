#include "platform/FileStream.h"

#include "platform/Error.h"

namespace orvane {

namespace {

constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ULL;

uint64_t ToU64(const FILETIME& ft) {
  return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

}  // namespace

int64_t FileTimeToUnixSeconds(uint64_t fileTime) {
  return (static_cast<int64_t>(fileTime) - static_cast<int64_t>(kUnixEpochAsFileTime)) / 10000000;
}

CFileStream::CFileStream(const std::wstring& fileName, uint16_t mode) {
  if (mode == kModeCreate) {
    if (fileName.empty()) throw Error("filename can't be empty");
    // a new file when there is none, and only an existing one truncated:
    // under Wine on ext4 a truncated file's close waits for its blocks to be
    // allocated, 0.1 s for a 256 MiB package
    for (DWORD how : {DWORD{CREATE_NEW}, DWORD{CREATE_ALWAYS}}) {
      file_.reset(::CreateFileW(fileName.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, how,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
      if (file_ || ::GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (!file_) throw Error("OrvaneFileCreate failed");
    return;
  }

  static constexpr DWORD kAccess[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
  static constexpr DWORD kShare[] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE};
  unsigned access = mode & 0x3;
  unsigned share = (mode >> 4) & 0xF;
  if (access > 2 || share > 4) return;

  file_.reset(::CreateFileW(fileName.c_str(), kAccess[access], kShare[share], nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file_) throw Error("OrvaneFileOpen failed");
}

CFileStream::~CFileStream() = default;

int64_t CFileStream::Tell() {
  return Seek(0, kCurrent);
}

int64_t CFileStream::SeekTo(int64_t offset) {
  return Seek(offset, kBegin);
}

int64_t CFileStream::GetSize() {
  int64_t pos = Tell();
  int64_t size = Seek(0, kEnd);
  if (size == -1) return -1;
  Seek(pos, kBegin);
  return size;
}

bool CFileStream::SetSize(int64_t size) {
  if (Seek(size, kBegin) == -1) return false;
  BOOL ok = ::SetEndOfFile(file_.get());
  Seek(0, kBegin);
  eof_ = false;
  return ok != FALSE;
}

int32_t CFileStream::Read(void* buffer, uint32_t count) {
  if (!buffer || count == 0) return 0;
  DWORD got = 0;
  if (!::ReadFile(file_.get(), buffer, count, &got, nullptr)) {
    if (::GetLastError() == ERROR_HANDLE_EOF) {
      eof_ = true;
      return -1;
    }
    return static_cast<int32_t>(got);
  }
  if (got == 0) {
    eof_ = true;
    return -1;
  }
  return static_cast<int32_t>(got);
}

int32_t CFileStream::Write(const void* buffer, uint32_t count) {
  eof_ = false;
  if (!buffer || count == 0) return 0;
  DWORD put = 0;
  if (!::WriteFile(file_.get(), buffer, count, &put, nullptr)) return -1;
  return static_cast<int32_t>(put);
}

int32_t CFileStream::WriteAt(int64_t offset, const void* buffer, uint32_t count) {
  if (!buffer || count == 0) return 0;
  if (offset < 0) return -1;
  // a synchronous handle takes the offset from the OVERLAPPED and waits
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFF);
  at.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(offset) >> 32);
  DWORD put = 0;
  if (!::WriteFile(file_.get(), buffer, count, &put, &at)) return -1;
  return static_cast<int32_t>(put);
}

int64_t CFileStream::Seek(int64_t offset, int origin) {
  eof_ = false;
  LONG high = static_cast<LONG>(offset >> 32);
  ::SetLastError(NO_ERROR);
  DWORD low = ::SetFilePointer(file_.get(), static_cast<LONG>(offset & 0xFFFFFFFF), &high,
                               static_cast<DWORD>(origin));
  if (low == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR) return -1;
  return (static_cast<int64_t>(high) << 32) | low;
}

bool CFileStream::GetTimes(int64_t* creation, int64_t* lastAccess, int64_t* lastWrite) {
  FILETIME c{}, a{}, w{};
  if (!::GetFileTime(file_.get(), &c, &a, &w)) return false;
  if (creation) *creation = FileTimeToUnixSeconds(ToU64(c));
  if (lastAccess) *lastAccess = FileTimeToUnixSeconds(ToU64(a));
  if (lastWrite) *lastWrite = FileTimeToUnixSeconds(ToU64(w));
  return true;
}

}  // namespace orvane
