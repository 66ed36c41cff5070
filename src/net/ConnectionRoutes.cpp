#include "net/ConnectionRoutes.h"

#include <utility>

namespace orvane {

namespace {

Event NetworkCheckEvent(const char* networkType, int connType, const std::string& hostName) {
  return Event("vNetworkCheck")
      .String("network_type", networkType)
      .Int("conn_type", connType)
      .String("host_name", hostName);
}

}  // namespace

ConnectionRoutes::ConnectionRoutes(Reporter reporter) : reporter_(std::move(reporter)) {}

ProxySettings ConnectionRoutes::Proxy() const {
  std::lock_guard<std::mutex> hold(lock_);
  return proxy_;
}

ResolverSettings ConnectionRoutes::Resolver() const {
  std::lock_guard<std::mutex> hold(lock_);
  return resolver_;
}

void ConnectionRoutes::SetProxy(const ProxySettings& proxy) {
  std::lock_guard<std::mutex> hold(lock_);
  proxy_ = proxy;
}

void ConnectionRoutes::SetResolver(const ResolverSettings& resolver) {
  std::lock_guard<std::mutex> hold(lock_);
  resolver_ = resolver;
}

void ConnectionRoutes::RecordProxyFallback(const ProxySettings& proxy) {
  bool first = false;
  {
    std::lock_guard<std::mutex> hold(lock_);
    first = !proxyReported_;
    proxyReported_ = true;
    proxy_ = proxy;
  }
  if (first && reporter_) reporter_(NetworkCheckEvent("网络代理", proxy.type, proxy.host));
  Tell();
}

void ConnectionRoutes::RecordResolverFallback(const ResolverSettings& resolver) {
  bool first = false;
  {
    std::lock_guard<std::mutex> hold(lock_);
    first = !resolverReported_;
    resolverReported_ = true;
    resolver_ = resolver;
  }
  if (first && reporter_) reporter_(NetworkCheckEvent("DNS解析", resolver.mode, resolver.server));
  Tell();
}

void ConnectionRoutes::SetListener(Listener listener) {
  std::lock_guard<std::mutex> hold(lock_);
  listener_ = std::move(listener);
}

void ConnectionRoutes::Tell() {
  Listener listener;
  ProxySettings proxy;
  ResolverSettings resolver;
  {
    std::lock_guard<std::mutex> hold(lock_);
    listener = listener_;
    proxy = proxy_;
    resolver = resolver_;
  }
  if (listener) listener(proxy, resolver);
}

void ConnectionRoutes::Reset() {
  std::lock_guard<std::mutex> hold(lock_);
  proxy_ = ProxySettings();
  resolver_ = ResolverSettings();
  proxyReported_ = false;
  resolverReported_ = false;
}

ConnectionRoutes& ProcessRoutes() {
  // never destroyed: see the header
  static ConnectionRoutes* routes =
      new ConnectionRoutes([](const Event& e) { EventSink().Send(e); });
  return *routes;
}

}  // namespace orvane
