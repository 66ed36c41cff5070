// Path rules that need no file system. Paths use backslashes.
#pragma once

#include <string>

namespace orvane {

// adds "\" unless the path is empty or already ends with "\" or "/"
std::wstring AppendBackslash(const std::wstring& path);

// from the last "." to the end, dot included, when that dot follows the last
// separator; otherwise empty
std::wstring ExtensionOf(const std::wstring& path);

// the first path component plus "\": "D:\x\y" gives "D:\"
std::wstring RootOfPath(const std::wstring& path);

// a drive letter, a colon, then pieces free of \ / : * ? " < > |; no "\\"
bool IsValidInstallPath(const std::wstring& path);

}  // namespace orvane
