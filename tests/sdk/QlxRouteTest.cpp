// Qlx.dll's uploads over the routes the program hands it (qlxSetNetRoute):
// through the user's proxy to a host only the proxy reaches, and with the
// own resolver to a host only the test DNS servers know. Without the route
// neither host is reached.
#include <gtest/gtest.h>

#include <algorithm>

#include "sdk/SdkCopy.h"
#include "support/AnalyticsSink.h"

namespace orvane::test {
namespace {

constexpr DWORD kWaitMs = 30000;

// tinyproxy, which knows sa-proxied.orvane.test as the sink; dnsmasq, which
// knows sa-dns.orvane.test (tests/peers)
const char kProxied[] = "sa-proxied.orvane.test";
const char kDnsOnly[] = "sa-dns.orvane.test";

struct Route {
  int proxyType;
  const char* proxyHost;
  int proxyPort;
  int resolverMode;
  const char* dnsServer;
};

bool Stored(const std::string& uid) {
  std::vector<std::string> all = SinkUids();
  return std::find(all.begin(), all.end(), uid) != all.end();
}

TEST(QlxRoute, UploadsTakeTheRouteTheProgramFound) {
  struct Case {
    const char* what;
    const char* host;
    Route route;
  } cases[] = {
      {"through the proxy", kProxied, {1, "127.0.0.20", 8888, 0, ""}},
      {"with the own resolver", kDnsOnly, {0, "", 0, 1, "127.0.0.53"}},
      {"both", kProxied, {1, "127.0.0.20", 8888, 1, "127.0.0.53"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SdkCopy sdk;
    auto setRoute = sdk.Get<QlxSetNetRouteFn>("qlxSetNetRoute");
    ASSERT_NE(setRoute, nullptr);
    QlxHandle h = sdk.Open(kSinkAck, c.host);
    ASSERT_EQ(setRoute(c.route.proxyType, c.route.proxyHost, c.route.proxyPort,
                       c.route.resolverMode, c.route.dnsServer),
              0);
    ASSERT_EQ(sdk.CommitEvent(h, "vRouted", 1), 0);
    const std::vector<std::string> uids = UidsOf(JournalLines(sdk.folder()));
    ASSERT_EQ(uids.size(), 1u);
    EXPECT_TRUE(WaitForSinkUids(uids, kWaitMs));
    ASSERT_EQ(sdk.Free(h), 0);
  }
}

// the control: the system resolver knows neither name, so without the
// route the record stays in the journal
TEST(QlxRoute, WithoutTheRouteNeitherHostIsReached) {
  for (const char* host : {kProxied, kDnsOnly}) {
    SCOPED_TRACE(host);
    SdkCopy sdk;
    QlxHandle h = sdk.Open(kSinkAck, host);
    ASSERT_EQ(sdk.CommitEvent(h, "vUnrouted", 1), 0);
    const std::vector<std::string> uids = UidsOf(JournalLines(sdk.folder()));
    ASSERT_EQ(uids.size(), 1u);
    ::Sleep(2000);  // the first attempt has failed by now
    ASSERT_EQ(sdk.Free(h), 0);
    EXPECT_FALSE(Stored(uids[0]));
    EXPECT_EQ(UidsOf(JournalLines(sdk.folder())), uids);
  }
}

TEST(QlxRoute, RoutesTheClientCannotTakeAreRefused) {
  SdkCopy sdk;
  auto setRoute = sdk.Get<QlxSetNetRouteFn>("qlxSetNetRoute");
  ASSERT_NE(setRoute, nullptr);
  const Route bad[] = {
      {2, "proxy.test", 8080, 0, ""},  // a proxy kind the client does not speak
      {1, nullptr, 8080, 0, ""},       // a proxy without a host
      {1, "proxy.test", 0, 0, ""},     // or without a port
      {0, "", 0, 1, "dns.example"},    // an own resolver without an address
      {0, "", 0, 3, ""},
  };
  for (const Route& r : bad)
    EXPECT_NE(setRoute(r.proxyType, r.proxyHost, r.proxyPort, r.resolverMode, r.dnsServer), 0);
  EXPECT_EQ(setRoute(0, nullptr, 0, 0, nullptr), 0);  // back to the defaults
}

}  // namespace
}  // namespace orvane::test
