// The proxy list of the user's proxy configuration or of a configuration
// script's answer.
#include <cstddef>
#include <cstdint>
#include <string>

#include "net/ProxyList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string list(reinterpret_cast<const char*>(data), size);
  orvane::ProxySettings proxy;
  orvane::ParseProxyList(list, &proxy);
  if (proxy.type != 0 && proxy.type != 1) __builtin_trap();
  if (proxy.type == 1 && (proxy.host.empty() || proxy.host.size() > list.size())) __builtin_trap();
  return 0;
}
