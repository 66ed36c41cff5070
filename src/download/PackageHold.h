// CPackageHold: the package file held open from its MD5 check until the
// installer process has started. The handle shares reading only, so nobody
// can write, rename or delete the file meanwhile, and the digest is taken
// through this same handle: the bytes that were checked are the bytes that
// start.
#pragma once

#include <string>

#include "platform/Handles.h"

namespace orvane {

class CPackageHold {
 public:
  CPackageHold() = default;
  CPackageHold(const CPackageHold&) = delete;
  CPackageHold& operator=(const CPackageHold&) = delete;

  // opens the file for reading, denying writes and deletes to everyone
  // else; false (and nothing held) when it cannot: missing, or already
  // open elsewhere for writing or deleting
  bool Open(const std::wstring& path);
  // MD5 of the whole file read through the held handle from its start, in
  // 32 lower-case hex digits; empty when nothing is held, on a read error
  // or for an empty file
  std::string Md5();
  void Release();

  bool held() const { return static_cast<bool>(file_); }
  const std::wstring& path() const { return path_; }

 private:
  UniqueHandle file_;
  std::wstring path_;
};

}  // namespace orvane
