// Facts about the loaded module and small system helpers of Qlx.dll.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace orvane::qlx {

// set by DllMain
void SetThisModule(HMODULE module);
HMODULE ThisModule();
// the module's folder with a trailing backslash
std::wstring ModuleFolder();

// `bytes` random bytes as lower-case hex; never empty
std::string RandomHex(size_t bytes);
// milliseconds since 1970-01-01 UTC
int64_t NowUnixMs();

}  // namespace orvane::qlx
