#include "platform/OsVersion.h"

namespace orvane {

OsVersionCode OsVersionCodeFor(unsigned major,
                               unsigned minor,
                               unsigned servicePackMajor,
                               std::optional<unsigned> realMajor) {
  if (major == 10) return kOsWin10;
  if (major == 5 && minor == 1) return kOsXp;
  if (major == 6 && minor == 0) return kOsVista;
  if (major == 6 && minor == 1) return servicePackMajor ? kOsWin7Sp : kOsWin7;
  if (major == 6 && minor >= 2) {
    // GetVersionExW stops at 6.2 for programs not manifested for newer systems
    if (!realMajor) return kOsWin8;
    return *realMajor == 10 ? kOsWin10 : kOsWin8;
  }
  return kOsUnknown;
}

}  // namespace orvane
