// CTCPClient and CTCPHttp against a scripted network stack (natively under
// the sanitizers, and under Wine): the failures that loopback cannot
// produce, the proxy fallback's parity rule, the resolver fallback and the
// body bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "BuildConfig.h"
#include "net/ConnectionRoutes.h"
#include "net/DnsAnswers.h"
#include "net/FakeNetworkApi.h"
#include "net/HttpWire.h"
#include "net/NetWait.h"
#include "net/PeerTest.h"
#include "net/TCPHttp.h"
#include "support/Guarded.h"
#include "support/RecordingLogger.h"

namespace orvane {
namespace {

using test::FailureOf;
using test::Guarded;
using test::RunGuarded;
using test::WaitUntil;

const char kHost[] = "api.orvane.test";
const char kDirect[] = "127.0.0.10:80";
const char kProxy[] = "127.0.0.90:8080";
const char kTunnelOk[] = "HTTP/1.0 200 Connection established\r\n\r\n";

class Client : public ::testing::Test {
 protected:
  Client() : apiScope_(&api_), loggerScope_(&logger_) {
    ProcessRoutes().Reset();
    api_.hosts[kHost] = "127.0.0.10";
    api_.hosts["proxy.fake"] = "127.0.0.90";
    api_.hosts["conv.orvane.test"] = "127.0.0.10";
  }

  test::FakeNetworkApi Fresh() {
    test::FakeNetworkApi api;
    api.hosts = api_.hosts;
    return api;
  }

  std::vector<std::string> Events() { return logger_.Events(); }

  test::FakeNetworkApi api_;
  ScopedNetworkApiOverride apiScope_;
  test::RecordingLogger logger_;
  ScopedEventSink loggerScope_;
};

TEST_F(Client, ConnectFailureTexts) {
  struct Case {
    const char* what;
    std::function<void(test::FakeNetworkApi&)> setUp;
    const char* proxyList;
    const char* failure;
  } cases[] = {
      {"no socket", [](auto& a) { a.failOpen = true; }, "", "Can't create socket"},
      {"both direct connects", [](auto&) {}, "", "Connect failed"},
      {"non-blocking mode", [](auto& a) { a.failNonBlocking = true; }, "http=proxy.fake:8080",
       "Can't set not block"},
      {"proxy silent for a second", [](auto& a) { a.silent = {kProxy}; }, "http=proxy.fake:8080",
       "Can't connect proxy server"},
      {"proxy wait error", [](auto& a) { a.waitFails = true; }, "http=proxy.fake:8080",
       "Can't connect proxy server"},
      {"proxy refused", [](auto&) {}, "http=proxy.fake:8080", "Can't connect proxy server"},
      {"proxy connect fails at once", [](auto& a) { a.failAtOnce = {kProxy}; },
       "http=proxy.fake:8080", "Can't connect proxy server"},
      {"proxy name unknown", [](auto&) {}, "http=nowhere.fake:8080", "Can't connect proxy server"},
      {"blocking mode",
       [](auto& a) {
         a.failBlocking = true;
         a.listening = {kProxy};
       },
       "http=proxy.fake:8080", "Can't set block"},
      {"proxy answers 407",
       [](auto& a) {
         a.listening = {kProxy};
         a.incoming = "HTTP/1.1 407 Proxy Authentication Required\r\n\r\n";
       },
       "http=proxy.fake:8080", "Proxy failed"},
      {"proxy closes at once", [](auto& a) { a.listening = {kProxy}; }, "http=proxy.fake:8080",
       "Proxy failed"},
  };
  for (const auto& c : cases) {
    test::FakeNetworkApi api = Fresh();
    c.setUp(api);
    ScopedNetworkApiOverride scope(&api);
    api.proxyList = c.proxyList;
    CTCPHttp http(kHost, 80);
    EXPECT_EQ(FailureOf([&] { http.Connect(); }), c.failure) << c.what;
    EXPECT_EQ(http.connectFailures(), 1) << c.what;
  }
}

TEST_F(Client, DirectConnectIsTriedTwicePerAttempt) {
  CTCPHttp http(kHost, 80);
  EXPECT_EQ(FailureOf([&] { http.Connect(); }), "Connect failed");
  EXPECT_EQ(api_.connects, std::vector<std::string>(4, kDirect));
  EXPECT_TRUE(Events().empty());
}

// A connect that fails before anything is under way (what a DNS blocker's
// 0.0.0.0 or a port of 0 gives on Windows): nothing is waited for.
TEST_F(Client, ConnectThatFailsAtOnceWaitsForNothing) {
  api_.failAtOnce = {kDirect};
  CTCPHttp http(kHost, 80);
  Guarded g = RunGuarded([&] { http.Connect(); }, [&] { http.Abort(); });
  EXPECT_TRUE(g.endedInTime);
  EXPECT_EQ(g.failure, "Connect failed");
  EXPECT_EQ(api_.writableWaits, 0);
  // two attempts, each with its second connect on the same socket
  EXPECT_EQ(api_.connects, std::vector<std::string>(4, kDirect));
}

// A peer that never answers the connect: each attempt waits its deadline
// once and fails, and a second connect after a time-out is not tried.
TEST_F(Client, EveryConnectWaitHasADeadline) {
  api_.silent = {kDirect};
  CTCPHttp http(kHost, 80);
  Guarded g = RunGuarded([&] { http.Connect(); }, [&] { http.Abort(); });
  EXPECT_TRUE(g.endedInTime);
  EXPECT_EQ(g.failure, "Connect failed");
  EXPECT_EQ(api_.waitedMs, 2 * kConnectWaitMs);
  EXPECT_EQ(api_.connects, std::vector<std::string>(2, kDirect));
}

// The system resolver gets no answer: Abort ends the wait at once; the
// lookup is left to itself, and no fallback is tried or recorded.
TEST_F(Client, AbortEndsAResolutionTheSystemDoesNotAnswer) {
  api_.HoldLookups();
  CTCPHttp http;
  std::atomic<bool> done{false};
  std::string failure;
  std::thread worker([&] {
    failure = FailureOf([&] { http.SetHostWithFallback(kHost, 80); });
    done = true;
  });
  bool held = WaitUntil([&] { return api_.held() == 1; });
  EXPECT_TRUE(held);
  auto start = std::chrono::steady_clock::now();
  http.Abort();
  bool ended = WaitUntil([&] { return done.load(); });
  double took = test::SecondsSince(start);
  if (!ended) api_.Release();
  worker.join();
  EXPECT_TRUE(ended);
  EXPECT_LT(took, 1.0);
  EXPECT_EQ(failure, "user cancel");
  EXPECT_EQ(api_.held(), held ? 1 : 0);  // still blocked, abandoned
  api_.Drain();
  EXPECT_EQ(ProcessRoutes().Resolver().mode, 0);
  EXPECT_TRUE(api_.datagram.empty());
  EXPECT_TRUE(Events().empty());
}

// The user's proxy configuration cannot be read (a script that never
// arrives): Abort ends the connect all the same.
TEST_F(Client, AbortEndsAProxyDiscoveryThatHangs) {
  api_.HoldProxyDiscovery();
  CTCPHttp http(kHost, 80);
  std::atomic<bool> done{false};
  std::string failure;
  std::thread worker([&] {
    failure = FailureOf([&] { http.Connect(); });
    done = true;
  });
  EXPECT_TRUE(WaitUntil([&] { return api_.held() == 1; }));
  auto start = std::chrono::steady_clock::now();
  http.Abort();
  bool ended = WaitUntil([&] { return done.load(); });
  double took = test::SecondsSince(start);
  if (!ended) api_.Release();
  worker.join();
  EXPECT_TRUE(ended);
  EXPECT_LT(took, 1.0);
  EXPECT_EQ(failure, "user cancel");
  EXPECT_EQ(api_.connects.size(), 2u);  // the direct attempt only
  api_.Drain();
}

// The own resolver's three seconds for an answer end at an Abort.
TEST_F(Client, AbortEndsTheWaitForADnsAnswer) {
  api_.answerWait = WaitResult::kTimeout;
  api_.waitsTakeTime = true;
  CTCPClient client;
  client.set_resolver({1, "127.0.0.53"});
  Guarded g = RunGuarded([&] { client.SetHost("dnsonly.orvane.test", 80); }, [] {}, 10.0);
  // without an abort the whole wait
  EXPECT_EQ(g.failure, "Can't resolve host name");
  EXPECT_GE(g.seconds, 2.5);
  std::atomic<bool> done{false};
  std::string failure;
  std::thread worker([&] {
    failure = FailureOf([&] { client.SetHost("dnsonly.orvane.test", 80); });
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  auto start = std::chrono::steady_clock::now();
  client.Abort();
  EXPECT_TRUE(WaitUntil([&] { return done.load(); }));
  EXPECT_LT(test::SecondsSince(start), 1.0);
  worker.join();
  EXPECT_EQ(failure, "user cancel");
}

TEST_F(Client, ProxyFallbackParity) {
  api_.proxyList = "http=proxy.fake:8080";
  api_.silent = {kProxy};  // the proxy does not answer either
  CTCPHttp http(kHost, 80);
  // odd failure count: the user's proxy configuration is consulted
  EXPECT_EQ(FailureOf([&] { http.Connect(); }), "Can't connect proxy server");
  EXPECT_EQ(api_.connects, (std::vector<std::string>{kDirect, kDirect, kProxy}));
  // even: straight back to a direct connect
  api_.connects.clear();
  EXPECT_EQ(FailureOf([&] { http.Connect(); }), "Connect failed");
  EXPECT_EQ(api_.connects, std::vector<std::string>(4, kDirect));
  api_.connects.clear();
  EXPECT_EQ(FailureOf([&] { http.Connect(); }), "Can't connect proxy server");
  EXPECT_EQ(http.connectFailures(), 3);
  // a fresh object starts odd again
  CTCPHttp other(kHost, 80);
  api_.connects.clear();
  EXPECT_EQ(FailureOf([&] { other.Connect(); }), "Can't connect proxy server");
  EXPECT_EQ(api_.connects.back(), kProxy);
  EXPECT_TRUE(Events().empty());
  EXPECT_EQ(ProcessRoutes().Proxy().type, 0);
}

TEST_F(Client, ProxyFallbackBecomesTheRuleAndIsReportedOnce) {
  api_.proxyList = "http=proxy.fake:8080";
  api_.listening = {kProxy};
  api_.incoming = std::string(kTunnelOk) + "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";
  {
    CTCPHttp http(kHost, 80);
    EXPECT_EQ(http.GetBody(kHost, "/a"), "ok");
    EXPECT_EQ(api_.connects, (std::vector<std::string>{kDirect, kDirect, kProxy}));
    EXPECT_EQ(api_.sent,
              "CONNECT api.orvane.test:80 HTTP/1.1\r\n\r\n" + BuildGetRequest(kHost, "/a"));
  }
  ProxySettings stored = ProcessRoutes().Proxy();
  EXPECT_EQ(stored.type, 1);
  EXPECT_EQ(stored.host, "proxy.fake");
  EXPECT_EQ(stored.port, 8080);
  // later connections start with the proxy, and nothing is reported again
  for (int i = 0; i < 2; ++i) {
    api_ = Fresh();
    api_.listening = {kProxy};
    api_.incoming = std::string(kTunnelOk) + "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";
    CTCPHttp http(kHost, 80);
    EXPECT_EQ(http.GetBody(kHost, "/b"), "ok");
    EXPECT_EQ(api_.connects, std::vector<std::string>{kProxy});
  }
  EXPECT_EQ(Events(),
            std::vector<std::string>{"event vNetworkCheck {conn_type=1, host_name=proxy.fake, "
                                     "network_type=网络代理}"});
}

TEST_F(Client, UnsupportedProxyKindsFallBackToDirect) {
  ProcessRoutes().SetProxy({2, "proxy.fake", 8080});
  api_.listening = {kProxy, kDirect};
  CTCPHttp http(kHost, 80);
  http.Connect();  // "Proxy not support" on the first attempt, then direct
  EXPECT_EQ(api_.connects, (std::vector<std::string>{kProxy, kDirect}));
  EXPECT_EQ(ProcessRoutes().Proxy().type, 0);
  EXPECT_EQ(Events().size(), 1u);
}

TEST_F(Client, SendAndReceiveFailureTexts) {
  api_.listening = {kDirect};
  {
    CTCPHttp http(kHost, 80);
    api_.sendResult = -1;
    EXPECT_EQ(FailureOf([&] { http.GetBody(kHost, "/"); }), "socket send failed");
    api_.sendResult = 0;
  }
  {
    test::FakeNetworkApi zero = Fresh();
    zero.listening = {kDirect};
    zero.sendPiece = 0;  // send reports 0 bytes
    ScopedNetworkApiOverride scope(&zero);
    CTCPHttp http(kHost, 80);
    EXPECT_EQ(FailureOf([&] { http.GetBody(kHost, "/"); }), "Server can't recv data");
  }
  {
    CTCPHttp http(kHost, 80);
    api_.incoming = "";  // the peer closes without a word
    EXPECT_EQ(FailureOf([&] { http.GetBody(kHost, "/"); }), "Server can't send data");
  }
  {
    test::FakeNetworkApi failing = Fresh();
    failing.listening = {kDirect};
    failing.incoming = "HTTP/1.1 200 OK\r\n";
    failing.recvFailsAt = 5;  // an error or time-out in the middle of the head
    ScopedNetworkApiOverride scope(&failing);
    CTCPHttp http(kHost, 80);
    EXPECT_EQ(FailureOf([&] { http.GetBody(kHost, "/"); }), "socket recv failed");
  }
}

// the announced length, 64 bits wide, reaches the body reader whole; one
// beyond the bound fails before anything is allocated
TEST_F(Client, BodiesBeyondTheBoundFail) {
  struct Case {
    const char* answer;
    const char* failure;
  } cases[] = {
      // 2^32 + 5: cut to 32 bits it would read "hello" and succeed
      {"HTTP/1.1 200 OK\r\nContent-Length: 4294967301\r\n\r\nhello", "Body too large"},
      {"HTTP/1.1 200 OK\r\nContent-Length: 67108865\r\n\r\nhello", "Body too large"},
      {"HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\nx", "Body too large"},
      {"HTTP/1.1 200 OK\r\n\r\n7fffffff\r\nhello", "Body too large"},
      {"HTTP/1.1 200 OK\r\n\r\n3ffffff\r\n", "Server can't send data"},  // within the bound
  };
  for (const auto& c : cases) {
    test::FakeNetworkApi api = Fresh();
    api.listening = {kDirect};
    api.incoming = c.answer;
    ScopedNetworkApiOverride scope(&api);
    CTCPHttp http(kHost, 80);
    EXPECT_EQ(FailureOf([&] { http.GetBody(kHost, "/"); }), c.failure) << c.answer;
  }
  // chunks that add up beyond the bound
  std::string many = "HTTP/1.1 200 OK\r\n\r\n";
  test::FakeNetworkApi api = Fresh();
  api.listening = {kDirect};
  std::string chunk(0x2000000, 'x');  // 32 MiB
  api.incoming =
      many + "2000000\r\n" + chunk + "\r\n2000000\r\n" + chunk + "\r\n1\r\nx\r\n0\r\n\r\n";
  ScopedNetworkApiOverride scope(&api);
  CTCPHttp http(kHost, 80);
  EXPECT_EQ(FailureOf([&] { http.GetBody(kHost, "/"); }), "Body too large");
}

TEST_F(Client, TimeoutsAreAppliedWhenConnectedOrChanged) {
  api_.listening = {kDirect};
  CTCPHttp http(kHost, 80);
  http.SetRecvTimeout(3000);
  http.SetSendTimeout(-1);
  EXPECT_TRUE(api_.timeouts.empty());
  http.Connect();
  EXPECT_EQ(api_.timeouts, std::vector<std::string>{"recv 3000"});
  http.SetRecvTimeout(3000);  // unchanged: not applied again
  http.SetSendTimeout(5000);
  http.SetRecvTimeout(-1);
  EXPECT_EQ(api_.timeouts, (std::vector<std::string>{"recv 3000", "send 5000"}));
}

TEST_F(Client, AbortEndsEveryLaterOperation) {
  api_.listening = {kDirect};
  CTCPHttp http(kHost, 80);
  http.Connect();
  http.Abort();
  EXPECT_EQ(api_.shutdowns, 1);
  EXPECT_EQ(FailureOf([&] { http.SendAll("x"); }), "user cancel");
  char c;
  EXPECT_EQ(FailureOf([&] { http.RecvExact(&c, 1); }), "user cancel");
  EXPECT_EQ(http.RecvSome(&c, 1), -1);
  size_t connects = api_.connects.size();
  EXPECT_EQ(FailureOf([&] { http.Connect(); }), "user cancel");
  EXPECT_EQ(api_.connects.size(), connects);  // no second attempt
  EXPECT_EQ(http.connectFailures(), 0);
}

TEST_F(Client, ProxyAnswerInPiecesIsReadWhole) {
  api_.proxyList = "http=proxy.fake:8080";
  api_.listening = {kProxy};
  api_.recvPiece = 1;
  api_.incoming =
      "HTTP/1.0 200 Connection established\r\nProxy-agent: fake\r\n\r\n"
      "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello";
  CTCPHttp http(kHost, 80);
  EXPECT_EQ(http.GetBody(kHost, "/p"), "hello");
}

TEST_F(Client, PostSendsExactlyTheAnnouncedLength) {
  api_.listening = {kDirect};
  api_.sendPiece = 7;
  api_.incoming = "HTTP/1.1 500 Oops\r\nContent-Length: 4\r\n\r\n{}{}";
  HttpForm form;
  form.AddField("uid", "u1");
  form.AddField("app_id", "40917263");
  CTCPHttp http("conv.orvane.test", 80);
  EXPECT_EQ(http.PostForm("conv.orvane.test", "/v1/install/kelmor", form), "{}{}");
  size_t headEnd = api_.sent.find("\r\n\r\n");
  ASSERT_NE(headEnd, std::string::npos);
  std::string head = api_.sent.substr(0, headEnd + 4);
  std::string body = api_.sent.substr(headEnd + 4);
  EXPECT_NE(head.find("Content-Length: " + std::to_string(body.size()) + "\r\n"), std::string::npos)
      << head;
  EXPECT_EQ(body.substr(body.size() - 46), std::string(HttpForm::kBoundary) + "--\r\n");
}

TEST_F(Client, GetBodyReadsNothingAfterAnotherStatus) {
  api_.listening = {kDirect};
  const std::string head = "HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\n\r\n";
  api_.incoming = head + "abc";
  CTCPHttp http(kHost, 80);
  EXPECT_EQ(http.GetBody("", "/x"), "");
  EXPECT_EQ(api_.handedOut(), head.size());
  EXPECT_EQ(api_.sent, "GET /x HTTP/1.1\r\nConnection: close\r\n\r\n");
}

TEST_F(Client, ResolverModes) {
  CTCPClient client;
  client.SetHost(kHost, 0x10050);  // the low 16 bits of the port
  EXPECT_EQ(client.port(), 0x50);
  EXPECT_EQ(FormatIPv4(client.address()), "127.0.0.10");
  client.set_resolver({2, ""});
  EXPECT_EQ(FailureOf([&] { client.SetHost(kHost, 80); }), "Can't resolve host name");
  // the own resolver: the dotted address replaces the host name
  client.set_resolver({1, "127.0.0.53"});
  test::Answer answer("dnsonly.orvane.test", api_.queryId);
  answer.A("127.0.0.11");
  api_.answer.assign(reinterpret_cast<const char*>(answer.data()), answer.size());
  client.SetHost("dnsonly.orvane.test", 80);
  EXPECT_EQ(client.host(), "127.0.0.11");
  EXPECT_EQ(api_.datagramTo, "127.0.0.53:53");
  api_.answer.clear();
  EXPECT_EQ(FailureOf([&] { client.SetHost("dnsonly.orvane.test", 80); }),
            "Can't resolve host name");
}

TEST_F(Client, ResolverFallbackInConstruction) {
  test::Answer answer("dnsonly.orvane.test", api_.queryId);
  answer.A("127.0.0.11");
  api_.answer.assign(reinterpret_cast<const char*>(answer.data()), answer.size());
  for (int i = 0; i < 3; ++i) {
    CTCPHttp http("dnsonly.orvane.test", 80);
    EXPECT_EQ(http.host(), "127.0.0.11");
    EXPECT_EQ(http.resolver().mode, 1);
    EXPECT_EQ(http.resolver().server, config::kPublicDns[0]);
  }
  EXPECT_EQ(api_.datagramTo, std::string(config::kPublicDns[0]) + ":53");
  EXPECT_EQ(ProcessRoutes().Resolver().mode, 1);
  EXPECT_EQ(Events(), std::vector<std::string>{"event vNetworkCheck {conn_type=1, host_name=" +
                                               std::string(config::kPublicDns[0]) +
                                               ", network_type=DNS解析}"});
  // when the fallback fails too, its failure reaches the creator
  api_.answer.clear();
  EXPECT_EQ(FailureOf([&] { CTCPHttp http("nowhere.orvane.test", 80); }),
            "Can't resolve host name");
}

TEST_F(Client, RecordersReportOncePerRunAndAlwaysStore) {
  ProcessRoutes().RecordProxyFallback({1, "first.proxy", 3128});
  ProcessRoutes().RecordProxyFallback({0, "", 0});  // a second fallback: stored, not reported
  EXPECT_EQ(ProcessRoutes().Proxy().type, 0);
  ProcessRoutes().RecordResolverFallback({1, "127.0.0.53"});
  ProcessRoutes().RecordResolverFallback({1, "127.0.0.54"});
  EXPECT_EQ(ProcessRoutes().Resolver().server, "127.0.0.54");
  EXPECT_EQ(Events(),
            (std::vector<std::string>{"event vNetworkCheck {conn_type=1, host_name=first.proxy, "
                                      "network_type=网络代理}",
                                      "event vNetworkCheck {conn_type=1, host_name=127.0.0.53, "
                                      "network_type=DNS解析}"}));
}

TEST_F(Client, SimultaneousFallbacksSendOneEventOfEachKind) {
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i) {
    threads.emplace_back([i] {
      ProcessRoutes().RecordProxyFallback({1, "p" + std::to_string(i), 80});
      ProcessRoutes().RecordResolverFallback({1, "127.0.0.5" + std::to_string(i % 6 + 3)});
    });
  }
  for (auto& t : threads)
    t.join();
  auto events = Events();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(std::count_if(events.begin(), events.end(),
                          [](const std::string& e) { return e.find("网络代理") != e.npos; }),
            1);
}

}  // namespace
}  // namespace orvane
