// The process's connection routes on their own: what a fallback stores, what
// it reports through the given reporter, and Reset.
#include "net/ConnectionRoutes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvane {
namespace {

std::string Text(const Event& e) {
  std::string t = e.name;
  for (const EventProperty& p : e.props)
    t += " " + p.key + "=" +
         (p.kind == EventProperty::Kind::kInt ? std::to_string(p.intValue) : p.text);
  return t;
}

struct Routes : ::testing::Test {
  std::vector<std::string> reported;
  ConnectionRoutes routes{[this](const Event& e) { reported.push_back(Text(e)); }};
};

TEST_F(Routes, StartDirectWithTheSystemResolver) {
  EXPECT_EQ(routes.Proxy().type, kProxyDirect);
  EXPECT_EQ(routes.Proxy().host, "");
  EXPECT_EQ(routes.Resolver().mode, kSystemResolver);
  EXPECT_EQ(routes.Resolver().server, "");
}

TEST_F(Routes, SettingARouteReportsNothing) {
  routes.SetProxy({kProxyHttpTunnel, "p.test", 3128});
  routes.SetResolver({kOwnResolver, "127.0.0.53"});
  EXPECT_EQ(routes.Proxy().port, 3128);
  EXPECT_EQ(routes.Resolver().server, "127.0.0.53");
  EXPECT_TRUE(reported.empty());
}

TEST_F(Routes, EachKindOfFallbackIsReportedOnceUntilReset) {
  routes.RecordResolverFallback({kOwnResolver, "127.0.0.53"});
  routes.RecordProxyFallback({kProxyHttpTunnel, "p.test", 8080});
  routes.RecordProxyFallback({kProxyDirect, "", 0});
  EXPECT_EQ(reported, (std::vector<std::string>{
                          "vNetworkCheck network_type=DNS解析 conn_type=1 host_name=127.0.0.53",
                          "vNetworkCheck network_type=网络代理 conn_type=1 host_name=p.test"}));
  EXPECT_EQ(routes.Proxy().type, kProxyDirect);  // the last fallback is the rule

  routes.Reset();
  EXPECT_EQ(routes.Resolver().mode, kSystemResolver);
  routes.RecordProxyFallback({kProxyDirect, "", 0});
  EXPECT_EQ(reported.size(), 3u);
  EXPECT_EQ(reported.back(), "vNetworkCheck network_type=网络代理 conn_type=0 host_name=");
}

TEST(ProcessRoutesTest, ReportThroughTheProcessSink) {
  struct Sink : IEventSink {
    std::vector<std::string> names;
    void Send(const Event& e) override { names.push_back(e.name); }
  } sink;
  ScopedEventSink use(&sink);
  ProcessRoutes().Reset();
  ProcessRoutes().RecordResolverFallback({kOwnResolver, "127.0.0.53"});
  ProcessRoutes().Reset();
  EXPECT_EQ(sink.names, std::vector<std::string>{"vNetworkCheck"});
}

// Whoever follows the routes (the SDK's uploads) hears both of them after
// every fallback, reported or not, and nothing of a plain setting.
TEST_F(Routes, TheListenerHearsEveryFallbackWithBothRoutes) {
  std::vector<std::string> heard;
  routes.SetListener([&](const ProxySettings& p, const ResolverSettings& r) {
    heard.push_back(std::to_string(p.type) + " " + p.host + ":" + std::to_string(p.port) + " " +
                    std::to_string(r.mode) + " " + r.server);
  });
  routes.SetProxy({kProxyHttpTunnel, "set.test", 1});
  routes.RecordResolverFallback({kOwnResolver, "127.0.0.53"});
  routes.RecordProxyFallback({kProxyHttpTunnel, "p.test", 3128});
  routes.RecordProxyFallback({kProxyDirect, "", 0});  // not reported, still heard
  EXPECT_EQ(heard, (std::vector<std::string>{"1 set.test:1 1 127.0.0.53",
                                             "1 p.test:3128 1 127.0.0.53", "0 :0 1 127.0.0.53"}));
  EXPECT_EQ(reported.size(), 2u);
  routes.SetListener({});
  routes.RecordResolverFallback({kOwnResolver, "127.0.0.54"});
  EXPECT_EQ(heard.size(), 3u);
}

}  // namespace
}  // namespace orvane
