// Unpacking a ZIP archive into a folder, flat: an entry's name is appended
// to the destination as it is, without creating folders. Entry names are in
// the system ANSI code page. A name that could reach outside the destination
// (see IsSafeArchiveEntryName) counts as a bad entry.
#pragma once

#include <string>

namespace orvane {

// every entry or nothing: 0 on success, -1 at the first bad entry (also an
// entry of zero bytes) or when the archive cannot be opened
int UnpackAll(const std::wstring& archivePath, const std::wstring& destinationFolder);

// best effort, for the SDK delivery: a bad entry is skipped and the rest is
// still unpacked
void UnpackAllLenient(const std::wstring& archivePath, const std::wstring& destinationFolder);

}  // namespace orvane
