// ConnectionRoutes: the proxy and resolver routes that every new connection
// of the process copies, and the two fallbacks that change them. A fallback
// that worked (to a proxy, to the own resolver) becomes the rule for every
// later connection and is reported once per kind and process as
// "vNetworkCheck", through the reporter the routes were given.
#pragma once

#include <functional>
#include <mutex>

#include "net/NetSettings.h"
#include "platform/EventSink.h"

namespace orvane {

class ConnectionRoutes {
 public:
  using Reporter = std::function<void(const Event&)>;
  // told the routes after every fallback, outside the lock, on the thread
  // that recorded it
  using Listener = std::function<void(const ProxySettings&, const ResolverSettings&)>;

  explicit ConnectionRoutes(Reporter reporter);
  ConnectionRoutes(const ConnectionRoutes&) = delete;
  ConnectionRoutes& operator=(const ConnectionRoutes&) = delete;

  ProxySettings Proxy() const;
  ResolverSettings Resolver() const;
  void SetProxy(const ProxySettings& proxy);
  void SetResolver(const ResolverSettings& resolver);

  // a connection succeeded after the proxy fallback: stores proxy; the
  // first such fallback of the process is reported
  void RecordProxyFallback(const ProxySettings& proxy);
  // a client resolved after the resolver fallback: the same for the
  // resolver
  void RecordResolverFallback(const ResolverSettings& resolver);

  // who else follows the routes (the SDK's uploads); empty for nobody
  void SetListener(Listener listener);

  // back to the direct route, the system resolver and nothing reported;
  // tests that run several sessions in one process only
  void Reset();

 private:
  mutable std::mutex lock_;
  ProxySettings proxy_;
  ResolverSettings resolver_;
  bool proxyReported_ = false;
  bool resolverReported_ = false;
  Reporter reporter_;  // called outside the lock
  Listener listener_;  // copied under the lock, called outside it

  void Tell();
};

// the routes of the process; they report through EventSink(). They live
// until the process ends, so that a connection still running at shutdown
// never reads a destroyed record.
ConnectionRoutes& ProcessRoutes();

}  // namespace orvane
