// Choice of the per-run temporary folder: the mount point with the most
// usable free space on which a folder can be created, else the package cache
// root, else the root of the Windows drive. The outside facts come through
// IRunTempFacts so that the choice can be tested with any set of volumes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace orvane {

class IRunTempFacts {
 public:
  virtual ~IRunTempFacts() = default;
  // mount points of the usable volumes, in enumeration order
  virtual std::vector<std::wstring> MountPoints() = 0;
  // usable free bytes (0 for drives that are neither removable nor fixed)
  virtual uint64_t FreeSpace(const std::wstring& mountPoint) = 0;
  virtual bool CreateDirectories(const std::wstring& path) = 0;
  // the last level only, telling whether this call made it
  virtual FolderCreation CreateFolder(const std::wstring& path) = 0;
  virtual void DeleteTree(const std::wstring& path) = 0;
  virtual std::wstring PackageCacheRoot() = 0;
  virtual std::wstring WindowsFolder() = 0;
  virtual int64_t Now() = 0;
};

// volume names from FindFirstVolumeW that count: "\\?\" ... "\"
bool IsUsableVolumeName(const std::wstring& name);

// the chosen base folder, before "OrvanePkg_<time>" is appended. A probe
// folder that was there before belongs to someone else, or is a link someone
// put there: it counts like one made now, but only one made now is deleted.
std::wstring ChooseRunTempBase(IRunTempFacts& facts);

// the full per-run folder with a trailing backslash, created by this call:
// when "OrvanePkg_<time>" is taken, the next numbers are tried, so that
// nothing someone prepared under the name is used. Empty when no folder can
// be created.
std::wstring ComputeRunTempFolder(IRunTempFacts& facts);

}  // namespace orvane
