// The OS version code that telemetry and the download engine use.
#pragma once

#include <optional>

namespace orvane {

enum OsVersionCode {
  kOsXp = 0,      // 5.1
  kOsVista = 1,   // 6.0
  kOsWin7 = 2,    // 6.1 without a service pack
  kOsWin7Sp = 3,  // 6.1 with a service pack
  kOsWin8 = 4,    // 6.2 and later, major version other than 10
  kOsWin10 = 5,   // major version 10
  kOsUnknown = 6,
};

// from GetVersionExW's numbers; for minor versions 2 and up the real major
// version (RtlGetNtVersionNumbers) decides, and without it the code is 4
OsVersionCode OsVersionCodeFor(unsigned major,
                               unsigned minor,
                               unsigned servicePackMajor,
                               std::optional<unsigned> realMajor);

}  // namespace orvane
