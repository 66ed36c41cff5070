// The connection routes that every connection copies from ConnectionRoutes
// and the network fallbacks write back.
#pragma once

#include <cstdint>
#include <string>

namespace orvane {

// a route's kind; the value is what "vNetworkCheck" reports as conn_type.
// Any other proxy type is one the client does not support.
enum ProxyType : int32_t { kProxyDirect = 0, kProxyHttpTunnel = 1 };
enum ResolverMode : int32_t { kSystemResolver = 0, kOwnResolver = 1 };

struct ProxySettings {
  int32_t type = kProxyDirect;  // a ProxyType, or an unsupported value
  std::string host;
  uint16_t port = 0;
};

struct ResolverSettings {
  int32_t mode = kSystemResolver;  // a ResolverMode, or one that resolves nothing
  std::string server;
};

}  // namespace orvane
