// Unpacking a ZIP archive into a folder, flat: an entry's name is appended
// to the destination as it is, without creating folders. Entry names are in
// the system ANSI code page. A name that could reach outside the destination
// (see IsSafeArchiveEntryName) counts as a bad entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvane {

// every entry or nothing: 0 on success, -1 at the first bad entry (also an
// entry of zero bytes) or when the archive cannot be opened
int UnpackAll(const std::wstring& archivePath, const std::wstring& destinationFolder);

// best effort, for the SDK delivery: a bad entry is skipped and the rest is
// still unpacked
void UnpackAllLenient(const std::wstring& archivePath, const std::wstring& destinationFolder);

// the bytes of the entry `name` (exact case) of an archive held in memory,
// checked against the entry's CRC; false when there is no such entry, it is
// longer than `maxBytes`, or it cannot be read
bool ReadArchiveEntry(const void* archive,
                      size_t archiveSize,
                      const std::string& name,
                      uint64_t maxBytes,
                      std::string* bytes);

}  // namespace orvane
