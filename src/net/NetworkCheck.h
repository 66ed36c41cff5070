// The network check: the user's proxy configuration, and the two recorders
// that make a successful fallback (to a proxy, to the own resolver) the rule
// for every later connection of the process and report it once as
// "vNetworkCheck".
#pragma once

#include <string>

#include "net/NetSettings.h"

namespace orvane {

// fills proxy from the current user's proxy configuration (WinHTTP): the
// configuration script's answer for url when a script is named, else the
// fixed proxy list; type 0 when none applies. Never fails.
void DiscoverProxy(const std::string& url, ProxySettings* proxy);

// a connection succeeded after the proxy fallback: sends the proxy event
// once per run and stores proxy in AppGlobals
void RecordProxyFallback(const ProxySettings& proxy);
// a client resolved after the resolver fallback: sends the resolver event
// once per run and stores resolver in AppGlobals
void RecordResolverFallback(const ResolverSettings& resolver);

// forgets that the events were sent; tests that run several sessions in one
// process only
void ResetNetworkCheckReports();

}  // namespace orvane
