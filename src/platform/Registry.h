// Registry reads.
#pragma once

#include <windows.h>

#include <string>

namespace orvane {

// a string value (at most 259 characters); empty on any failure. `view64`
// reads the 64-bit view from a 32-bit process.
std::wstring ReadRegistryString(HKEY root,
                                const std::wstring& key,
                                const std::wstring& value,
                                bool view64);

// the install folder of a program from its uninstall entry: InstallLocation
// (current user, then machine), else DisplayIcon cut before its last "\"
bool FindInstallLocation(const std::wstring& uninstallKeyName, std::wstring* folder);

}  // namespace orvane
