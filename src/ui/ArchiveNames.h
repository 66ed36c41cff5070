// Which archive entry names may be written below a destination folder.
#pragma once

#include <string>

namespace orvane {

// false for a name that could reach outside the destination: empty, a
// leading separator, a drive letter or any colon, or a ".." component
bool IsSafeArchiveEntryName(const std::string& name);

}  // namespace orvane
