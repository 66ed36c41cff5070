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
// creates every level of the path; true when the whole path is a folder then
bool CreateDirectories(const std::wstring& path);
// deletes a folder with everything in it, or a single file
void DeleteTree(const std::wstring& path);
// the file-name part as GetFullPathNameW reports it
std::wstring FileNamePart(const std::wstring& path);
// bytes available to the caller on the path's drive, for removable and fixed
// drives only; 0 otherwise
uint64_t FreeSpace(const std::wstring& path);

}  // namespace orvane
