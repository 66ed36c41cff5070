// Rules of the main window's page flow. Platform-free.
#pragma once

#include <string>

namespace orvane {

enum class InstalledVersion { kOlder, kSame, kNewer };

// The installed product's version against the server's, part by part
// ("2.1.0.5"), each part read as "%lld" (0 when it does not parse); the
// first differing part decides. Missing parts count as 0, so 2.1 is 2.1.0.0
// and older than 2.1.0.1. An empty installed version cannot be told apart
// from anything: it counts as older, so that the user is offered the
// install rather than told the latest version is there.
InstalledVersion CompareInstalledVersion(const std::string& installed, const std::string& server);

}  // namespace orvane
