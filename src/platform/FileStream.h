// IOrvaneStream and CFileStream: a file stream over a Win32 file handle.
// Operations report through their results (-1, 0 or false); only the
// constructor raises.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Handles.h"

namespace orvane {

class IOrvaneStream {
 public:
  enum Origin { kBegin = 0, kCurrent = 1, kEnd = 2 };

  virtual int64_t Tell() = 0;
  virtual int64_t SeekTo(int64_t offset) = 0;
  virtual int64_t GetSize() = 0;
  virtual bool SetSize(int64_t size) = 0;
  virtual int32_t Read(void* buffer, uint32_t count) = 0;
  virtual int32_t Write(const void* buffer, uint32_t count) = 0;
  virtual int64_t Seek(int64_t offset, int origin) = 0;
  virtual bool IsEof() = 0;
  virtual void Release() = 0;
  virtual ~IOrvaneStream() = default;
  // creation, last access and last write in whole seconds since 1970 (UTC)
  virtual bool GetTimes(int64_t* creation, int64_t* lastAccess, int64_t* lastWrite) = 0;
};

class CFileStream : public IOrvaneStream {
 public:
  // creates the file, or truncates an existing one
  static constexpr uint16_t kModeCreate = 0xFFFF;
  // read access, others may read and write
  static constexpr uint16_t kModeReadShared = 0x40;

  // mode 0xFFFF creates the file; any other mode opens an existing one, with
  // bits 0-1 the access (0 read, 1 write, 2 both) and bits 4-7 the sharing
  // (0-1 none, 2 read, 3 write, 4 both). An access of 3 or a sharing above 4
  // opens nothing, without an error.
  CFileStream(const std::wstring& fileName, uint16_t mode);
  ~CFileStream() override;

  int64_t Tell() override;
  int64_t SeekTo(int64_t offset) override;
  int64_t GetSize() override;
  bool SetSize(int64_t size) override;
  int32_t Read(void* buffer, uint32_t count) override;
  int32_t Write(const void* buffer, uint32_t count) override;
  int64_t Seek(int64_t offset, int origin) override;
  bool IsEof() override { return eof_; }
  void Release() override { delete this; }
  bool GetTimes(int64_t* creation, int64_t* lastAccess, int64_t* lastWrite) override;

  // writes at the offset rather than at the position, so that threads can
  // each write their own part of the file at once (the position is undefined
  // afterwards); bytes written or -1
  int32_t WriteAt(int64_t offset, const void* buffer, uint32_t count);

  bool isOpen() const { return static_cast<bool>(file_); }

 private:
  UniqueHandle file_;
  bool eof_ = false;
};

// seconds since 1970-01-01 UTC of a FILETIME value (100 ns since 1601)
int64_t FileTimeToUnixSeconds(uint64_t fileTime);

}  // namespace orvane
