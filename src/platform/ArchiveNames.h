// Which archive entry names may be written below a destination folder.
#pragma once

#include <string>

namespace orvane {

// false for a name that could reach outside the destination: empty, a
// leading separator, a drive letter or any colon, or a ".." component
bool IsSafeArchiveEntryName(const std::string& name);
// the same rule for the name once converted to UTF-16, which is what is
// written: a code-page conversion must not turn a harmless name into one
bool IsSafeArchiveEntryName(const std::wstring& name);

}  // namespace orvane
