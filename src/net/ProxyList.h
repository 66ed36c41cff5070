// The proxy list of the user's proxy configuration, as WinHTTP hands it
// out: entries separated by ';', each "[scheme=]host[:port]".
#pragma once

#include <string>

#include "net/NetSettings.h"

namespace orvane {

// takes every entry for scheme http or without a scheme that names a host;
// the last one taken wins: type 1 with its host and port (0 when the port
// is missing or not a number from 0 to 65535). proxy is left as it is when
// no entry is taken.
void ParseProxyList(const std::string& list, ProxySettings* proxy);

}  // namespace orvane
