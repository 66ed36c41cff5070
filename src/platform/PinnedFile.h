// PinnedFile: a file held open for reading with a share mode that denies
// writing and deleting to everyone else. While it is held nobody can change
// its bytes, delete or rename it, or put another file under its name; what
// was checked through it (its MD5, its bytes) is what a LoadLibrary or a
// CreateProcess of FinalPath() gets. A link at the path is opened as itself
// and refused, as is a folder.
//
// The installer pins every file it checks and then runs elevated: the SDK
// modules it unpacked (against the archive's bytes), the remembered package
// (against its MD5) and the downloaded one, from the check until the module
// is loaded or the process has started.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Handles.h"

namespace orvane {

class PinnedFile {
 public:
  PinnedFile() = default;
  PinnedFile(PinnedFile&&) = default;
  PinnedFile& operator=(PinnedFile&&) = default;

  // holds the file (and releases what was held); false, with nothing held,
  // when it is missing, a folder or a link, or already open elsewhere for
  // writing or deleting
  bool Open(const std::wstring& path);
  void Release();

  bool held() const { return static_cast<bool>(file_); }
  // the path it was opened by
  const std::wstring& path() const { return path_; }
  HANDLE handle() const { return file_.get(); }

  // the whole file through the handle, from its start; false on a read error
  // or when it is longer than `maxBytes`
  bool ReadAll(uint64_t maxBytes, std::string* bytes) const;
  // MD5 of the whole file through the handle, 32 lower-case hex digits;
  // empty when nothing is held, on a read error or for an empty file
  std::string Md5() const;
  // SHA-256 of the whole file through the handle, 64 lower-case hex digits;
  // empty as for Md5
  std::string Sha256() const;
  // the path of the held file itself, with every link on the way resolved:
  // load or start it by this path, as the folders of a held file cannot be
  // renamed, but a link above them could be turned elsewhere. Empty when
  // nothing is held.
  std::wstring FinalPath() const;

 private:
  // calls `take` with each piece of the file from its start; false on error
  template <typename Take>
  bool ReadPieces(Take take) const;

  UniqueHandle file_;
  std::wstring path_;
};

}  // namespace orvane
