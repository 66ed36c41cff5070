// Facts about the running system and other processes.
#pragma once

#include <string>

#include "platform/OsVersion.h"

namespace orvane {

// cached after the first call
OsVersionCode GetOsVersionCode();
bool Is64BitWindows();
// image path of another process; false when it cannot be opened or asked
bool GetProcessImagePath(unsigned long processId, std::wstring* path);
// full path of the running program (GetModuleFileNameW with a 1023 limit)
std::wstring GetOwnModulePath();

}  // namespace orvane

namespace orvane {

// the parent process id from a process snapshot; 0 when not found
unsigned long GetParentProcessId(unsigned long processId);

}  // namespace orvane
