#include "app/StartupRules.h"

#include <vector>

#include "config/ProductIdentity.h"
#include "platform/StringUtil.h"

namespace orvane {

std::string PackageStem(const std::string& modulePath) {
  size_t slash = modulePath.rfind('\\');
  if (slash == std::string::npos) return {};
  size_t n = modulePath.size() - slash;  // backslash included
  size_t take = n >= 5 ? n - 5 : n - 1;
  return modulePath.substr(slash + 1, take);
}

std::string ChannelFromStem(const std::string& stem) {
  size_t p = stem.find('_');
  if (p == std::string::npos || p + 1 >= stem.size()) return {};
  size_t start = stem[p + 1] == 'U' ? p + 2 : p + 1;
  return stem.substr(start, 8);
}

std::string ChannelFromProductVersion(const std::string& productVersion,
                                      const std::string& current) {
  if (productVersion.empty()) return current;
  std::vector<std::string> parts = SplitAny(productVersion, ".");
  if (parts.size() != 4) return current;
  const char* channel = ChannelOfVersionPart(ParseInt64(parts[1]));
  return channel ? channel : current;
}

}  // namespace orvane
