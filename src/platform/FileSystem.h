// File and folder helpers. None of them raises: a question that cannot be
// answered gives false, 0 or an empty text.
#pragma once

#include <cstdint>
#include <string>

namespace orvane {

// the path exists and is not a directory
bool FileExists(const std::wstring& path);
int64_t FileSize(const std::wstring& path);
bool DirectoryExists(const std::wstring& path);
// creates every level below the path's root (a drive, a UNC share or a
// "\\?\" root stays as it is); true when the whole path is a folder then
bool CreateDirectories(const std::wstring& path);

// the outcome of creating one folder
enum class FolderCreation { kFailed, kCreated, kExisted };
// creates the last level only; kExisted when a folder (or a link to one) was
// there already
FolderCreation CreateFolder(const std::wstring& path);

// Deletes a folder with everything in it, or a single file, and never through
// a link: a reparse point inside the tree or at the path itself is removed as
// the link it is (its target is never touched) when the system lets the link
// itself be opened, and left alone otherwise; nothing is deleted when a
// folder above the path is a link other than a volume mount point. Every
// folder on the way is held open while the part below it is deleted, so that
// none can be swapped for a link meanwhile. True when the path is gone.
// Everything the installer deletes goes through here.
bool DeleteTree(const std::wstring& path);

// deletes all but the `keep` newest files of a folder (by last write time)
// whose names match `pattern` ("Qlx-*.dmp"); folders and links are not counted
// and not touched
void KeepNewestFiles(const std::wstring& folder, const std::wstring& pattern, size_t keep);
// the file-name part as GetFullPathNameW reports it
std::wstring FileNamePart(const std::wstring& path);
// bytes available to the caller on the path's drive, for removable and fixed
// drives only; 0 otherwise
uint64_t FreeSpace(const std::wstring& path);

}  // namespace orvane
