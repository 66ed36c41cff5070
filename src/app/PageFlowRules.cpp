#include "app/PageFlowRules.h"

#include <vector>

#include "platform/StringUtil.h"

namespace orvane {

InstalledVersion CompareInstalledVersion(const std::string& installed, const std::string& server) {
  if (installed.empty()) return InstalledVersion::kOlder;
  const std::vector<std::string> mine = SplitAny(installed, ".");
  const std::vector<std::string> theirs = SplitAny(server, ".");
  const size_t count = mine.size() > theirs.size() ? mine.size() : theirs.size();
  for (size_t i = 0; i < count; ++i) {
    const int64_t a = i < mine.size() ? ParseInt64(mine[i]) : 0;
    const int64_t b = i < theirs.size() ? ParseInt64(theirs[i]) : 0;
    if (b > a) return InstalledVersion::kOlder;
    if (b < a) return InstalledVersion::kNewer;
  }
  return InstalledVersion::kSame;
}

}  // namespace orvane
