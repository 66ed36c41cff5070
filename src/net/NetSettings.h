// The connection routes that every connection copies from AppGlobals and the
// network fallbacks write back.
#pragma once

#include <cstdint>
#include <string>

namespace orvane {

struct ProxySettings {
  int32_t type = 0;  // 0 direct
  std::string host;
  uint16_t port = 0;
};

struct ResolverSettings {
  int32_t mode = 0;  // 0 system resolver, 1 own UDP resolver
  std::string server;
};

}  // namespace orvane
