#include "net/ProxyList.h"

#include "platform/StringUtil.h"

namespace orvane {

namespace {
std::string TrimBlanks(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}
}  // namespace

void ParseProxyList(const std::string& list, ProxySettings* proxy) {
  for (const auto& piece : SplitAny(list, ";")) {
    std::string entry = TrimBlanks(piece);
    std::string scheme;
    size_t hostStart = 0;
    size_t eq = entry.find('=');
    if (eq != std::string::npos) {
      scheme = entry.substr(0, eq);
      hostStart = eq + 1;
    }
    size_t colon = entry.find(':', hostStart);
    std::string host =
        entry.substr(hostStart, colon == std::string::npos ? std::string::npos : colon - hostStart);
    int64_t port = 0;
    if (colon != std::string::npos) port = ParseInt64(entry.substr(colon + 1));
    if (port < 0 || port > 65535) port = 0;
    if (host.empty() || !(scheme.empty() || scheme == "http")) continue;
    proxy->type = kProxyHttpTunnel;
    proxy->host = host;
    proxy->port = static_cast<uint16_t>(port);
  }
}

}  // namespace orvane
