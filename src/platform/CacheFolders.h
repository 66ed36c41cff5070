// The installer's two working folders.
#pragma once

#include <string>

namespace orvane {

// roaming AppData + "OrvanePkg\"; cached once known, empty (and retried on
// the next call) while the shell cannot tell the folder
std::wstring GetPackageCacheRoot();

// the per-run temporary folder, "...\OrvanePkg_<time>\", chosen and created
// on first use; empty when it could not be created
std::wstring GetRunTempFolder();

}  // namespace orvane
