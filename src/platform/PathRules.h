// Path rules that need no file system. Paths use backslashes.
#pragma once

#include <string>
#include <vector>

namespace orvane {

// adds "\" unless the path is empty or already ends with "\" or "/"
std::wstring AppendBackslash(const std::wstring& path);

// from the last "." to the end, dot included, when that dot follows the last
// separator; otherwise empty
std::wstring ExtensionOf(const std::wstring& path);

// the first path component plus "\": "D:\x\y" gives "D:\"
std::wstring RootOfPath(const std::wstring& path);

// A path cut into its root and the names below it. The root is what the
// system needs to find the volume, with a trailing backslash:
//   "C:\"                    C:\a\b
//   "\\server\share\"        \\server\share\a (a UNC share)
//   "\\?\C:\", "\\.\C:\"     \\?\C:\a (the device namespace)
//   "\\?\UNC\server\share\"  \\?\UNC\server\share\a
//   "\\?\Volume{...}\"       \\?\Volume{...}\a
// For a path that is not absolute it is "C:" (drive-relative), "\" (from the
// current drive's root) or "" (relative). Names are split at "\" and "/" with
// empty ones dropped; below a "\\?\" or "\\.\" root only "\" separates, as
// the system takes "/" there for an ordinary character.
struct SplitPath {
  std::wstring root;
  std::vector<std::wstring> names;
  // a complete drive, share or device root: the path does not depend on the
  // current folder
  bool absolute = false;
};
SplitPath SplitRoot(const std::wstring& path);

// the root followed by the first `count` names, joined by "\"
std::wstring JoinPath(const SplitPath& path, size_t count);

// a drive letter, a colon, then pieces free of \ / : * ? " < > |; no "\\"
bool IsValidInstallPath(const std::wstring& path);

}  // namespace orvane
