// The network check: the user's proxy configuration. The fallbacks that
// make a route the rule for the process are ConnectionRoutes'.
#pragma once

#include <string>

#include "net/NetSettings.h"

namespace orvane {

// fills proxy from the current user's proxy configuration (WinHTTP): the
// configuration script's answer for url when a script is named, else the
// fixed proxy list; kProxyDirect when none applies. Never fails.
void DiscoverProxy(const std::string& url, ProxySettings* proxy);

}  // namespace orvane
