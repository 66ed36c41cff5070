// The current user's proxy configuration for one test: HKEY_CURRENT_USER of
// this process is redirected to a scratch key that holds only the Internet
// Settings connection record WinHTTP reads. Nothing of the prefix's own
// configuration is touched; the scratch key is deleted on destruction (and
// leftovers of a crashed run on construction). Tests that use it share the
// ctest lock "wine-proxy-config".
#pragma once

#include <windows.h>

#include <string>

namespace orvane::test {

class ScopedProxyConfig {
 public:
  // proxyList: the fixed proxy list ("" for none); scriptUrl: the
  // automatic configuration script ("" for none)
  ScopedProxyConfig(const std::string& proxyList, const std::string& scriptUrl = "");
  ~ScopedProxyConfig();
  ScopedProxyConfig(const ScopedProxyConfig&) = delete;
  ScopedProxyConfig& operator=(const ScopedProxyConfig&) = delete;

 private:
  HKEY scratch_ = nullptr;
};

}  // namespace orvane::test
