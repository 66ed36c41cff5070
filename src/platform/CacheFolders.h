// The installer's two working folders.
#pragma once

#include <string>

namespace orvane {

// roaming AppData + "OrvanePkg\"; cached once known, empty (and retried on
// the next call) while the shell cannot tell the folder
std::wstring GetPackageCacheRoot();

// the base the per-run temporary folder is made in: the mount point with the
// most usable space on which a folder can be made, else the package cache
// root, else the root of the Windows drive; empty when none is known
std::wstring GetRunTempBase();

// the per-run temporary folder, "...\OrvanePkg_<time>\", chosen and created
// on first use; empty when it could not be created
std::wstring GetRunTempFolder();

}  // namespace orvane
