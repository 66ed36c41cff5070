// The proxy fallback against tinyproxy and the fault server's proxies:
// blocked.orvane.test has an address (127.0.0.40) where nothing listens,
// while the proxy reaches it (tests/peers/proxy-hosts).
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "net/ConnectionRoutes.h"
#include "net/NetworkCheck.h"
#include "net/PeerTest.h"
#include "net/ProxyConfig.h"
#include "net/TCPHttp.h"
#include "support/RecordingLogger.h"

namespace orvane {
namespace {

using test::FailureOf;
using test::ScopedProxyConfig;

const char kBlocked[] = "blocked.orvane.test";

class ProxyPeers : public ::testing::Test {
 protected:
  ProxyPeers() : loggerScope_(&logger_) { ProcessRoutes().Reset(); }

  std::vector<std::string> Events() { return logger_.Events(); }

  test::RecordingLogger logger_;
  ScopedEventSink loggerScope_;
};

TEST_F(ProxyPeers, FallbackThroughTheUsersProxyEndToEnd) {
  ScopedProxyConfig config("http=127.0.0.20:8888;https=127.0.0.20:8443");
  {
    CTCPHttp http(kBlocked, 80);
    EXPECT_EQ(http.GetBody(kBlocked, "/small.txt"), test::kSmallTxt);
    EXPECT_EQ(http.connectFailures(), 1);  // the direct connect failed
    EXPECT_EQ(http.proxy().type, 1);
  }
  ProxySettings stored = ProcessRoutes().Proxy();
  EXPECT_EQ(stored.type, 1);
  EXPECT_EQ(stored.host, "127.0.0.20");
  EXPECT_EQ(stored.port, 8888);
  // later connections start with the proxy: no failed attempt first
  for (const char* path : {"/big.bin", "/chunked.shtml"}) {
    CTCPHttp http(kBlocked, 80);
    std::string body = http.GetBody(kBlocked, path);
    EXPECT_EQ(http.connectFailures(), 0) << path;
    EXPECT_EQ(body.size(), std::string(path) == "/big.bin" ? 300000u : 12u) << path;
  }
  EXPECT_EQ(Events(), std::vector<std::string>{"event vNetworkCheck {conn_type=1, "
                                               "host_name=127.0.0.20, network_type=网络代理}"});
}

TEST_F(ProxyPeers, ProxiesThatDoNotOpenTheTunnel) {
  struct Case {
    const char* list;
    const char* failure;
  } cases[] = {
      {"127.0.0.31:8080", "Proxy failed"},                // answers 407
      {"127.0.0.39:8888", "Can't connect proxy server"},  // nothing listens
      {"nowhere.orvane.test:8888", "Can't connect proxy server"},
  };
  for (const auto& c : cases) {
    ScopedProxyConfig config(c.list);
    CTCPHttp http(kBlocked, 80);
    EXPECT_EQ(FailureOf([&] { http.GetBody(kBlocked, "/small.txt"); }), c.failure) << c.list;
  }
  EXPECT_TRUE(Events().empty());
  EXPECT_EQ(ProcessRoutes().Proxy().type, 0);
}

TEST_F(ProxyPeers, TunnelAnswerInTwoPieces) {
  ScopedProxyConfig config("127.0.0.32:8080");
  CTCPHttp http(kBlocked, 80);
  http.SetRecvTimeout(10000);
  EXPECT_EQ(http.GetBody(kBlocked, "/chunked-hello"), "hello");
}

// The script (served by nginx) names the proxy for every host but one. One
// lookup per test, in a thread of its own: Wine's script engine now and then
// stalls for seconds and then keeps the process from ending (a second
// script in the same process can hang outright). So the test waits a
// bounded time and ends its own process once the result is judged; the
// product itself runs on Windows' engine.
class ConfigurationScript : public ProxyPeers {
 protected:
  ProxySettings Lookup(const std::string& url) {
    ScopedProxyConfig config("127.0.0.39:1", "http://127.0.0.11/proxy.pac");
    auto done = std::make_shared<std::atomic<bool>>(false);
    auto result = std::make_shared<ProxySettings>(ProxySettings{1, "stale", 1});
    std::thread([done, result, url] {
      DiscoverProxy(url, result.get());
      *done = true;
    }).detach();
    auto start = std::chrono::steady_clock::now();
    while (!*done && test::SecondsSince(start) < 60)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(*done) << "the configuration script did not answer";
    return *result;
  }
  void TearDown() override {
    std::fflush(stdout);
    ::TerminateProcess(::GetCurrentProcess(), HasFailure() ? 1 : 0);
  }
};

TEST_F(ConfigurationScript, NamesTheProxy) {
  ProxySettings p = Lookup("http://blocked.orvane.test");
  EXPECT_EQ(p.type, 1);
  EXPECT_EQ(p.host, "127.0.0.20");  // not the fixed list's
  EXPECT_EQ(p.port, 8888);
}

TEST_F(ConfigurationScript, SaysDirect) {
  EXPECT_EQ(Lookup("http://direct.orvane.test").type, 0);
}

}  // namespace
}  // namespace orvane
