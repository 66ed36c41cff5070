// The HTTP client and the own resolver against real peers on loopback:
// nginx (127.0.0.11), dnsmasq (127.0.0.53) and the fault server
// (127.0.0.30-37), under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "BuildConfig.h"
#include "net/ConnectionRoutes.h"
#include "net/DnsResolver.h"
#include "net/HttpWire.h"
#include "net/NetworkApi.h"
#include "net/NetworkCheck.h"
#include "net/PeerTest.h"
#include "net/TCPHttp.h"
#include "support/RecordingLogger.h"

namespace orvane {
namespace {

using test::FailureOf;
using Clock = std::chrono::steady_clock;

const char kFaults[] = "127.0.0.30";

class Peers : public ::testing::Test {
 protected:
  Peers() : loggerScope_(&logger_) { ProcessRoutes().Reset(); }

  std::vector<std::string> Events() { return logger_.Events(); }

  test::RecordingLogger logger_;
  ScopedEventSink loggerScope_;
};

TEST_F(Peers, NginxBodiesWithLengthAndChunked) {
  EXPECT_EQ(CTCPHttp("cdn.orvane.test", 80).GetBody("cdn.orvane.test", "/small.txt"),
            test::kSmallTxt);
  EXPECT_EQ(CTCPHttp("cdn.orvane.test", 80).GetBody("cdn.orvane.test", "/big.bin"), test::BigBin());
  EXPECT_EQ(CTCPHttp("cdn.orvane.test", 80).GetBody("cdn.orvane.test", "/chunked.shtml"),
            "Apart one\nB\n");
  EXPECT_EQ(CTCPHttp("cdn.orvane.test", 80).GetBody("cdn.orvane.test", "/missing"), "");
  EXPECT_TRUE(Events().empty());
}

// a caller's own limit, against the announced length and the chunks sent
TEST_F(Peers, BodyLimitOfTheCaller) {
  const int64_t big = static_cast<int64_t>(test::BigBin().size());
  EXPECT_EQ(CTCPHttp("cdn.orvane.test", 80).GetBody("cdn.orvane.test", "/big.bin", big),
            test::BigBin());
  EXPECT_EQ(FailureOf([big] {
              CTCPHttp("cdn.orvane.test", 80).GetBody("cdn.orvane.test", "/big.bin", big - 1);
            }),
            "Body too large");
  EXPECT_EQ(CTCPHttp("cdn.orvane.test", 80).GetBody("cdn.orvane.test", "/chunked.shtml", 12),
            "Apart one\nB\n");
  EXPECT_EQ(FailureOf([] {
              CTCPHttp("cdn.orvane.test", 80).GetBody("cdn.orvane.test", "/chunked.shtml", 11);
            }),
            "Body too large");
}

TEST_F(Peers, NginxHead) {
  CTCPHttp http("cdn.orvane.test", 80);
  std::vector<std::string> lines;
  std::string status;
  http.Head("cdn.orvane.test", "/big.bin", &lines, &status);
  EXPECT_EQ(status, "200");
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "HTTP/1.1 200 OK");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Content-Length: 300000"), lines.end());
  char c;
  EXPECT_EQ(http.RecvSome(&c, 1), 0);  // no body follows a HEAD answer
  http.Head("cdn.orvane.test", "/missing", &lines, &status);
  EXPECT_EQ(status, "404");
}

TEST_F(Peers, RequestTextsArriveByteForByte) {
  {
    CTCPHttp http(kFaults, 80);
    EXPECT_EQ(http.GetBody("fault.orvane.test", "/echo"),
              "GET /echo HTTP/1.1\r\nHost: fault.orvane.test\r\nConnection: close\r\n\r\n");
  }
  {
    CTCPHttp http(kFaults, 80);
    std::vector<std::string> lines;
    std::string status;
    http.Head("fault.orvane.test", "/echo", &lines, &status);
    std::string expected = BuildHeadRequest("fault.orvane.test", "/echo");
    EXPECT_EQ(expected.substr(0, 40), "HEAD /echo HTTP/1.1\r\nHost:fault.orvane.t");
    std::string echoed(expected.size(), '\0');
    http.RecvExact(&echoed[0], static_cast<int64_t>(echoed.size()));
    EXPECT_EQ(echoed, expected);
  }
}

TEST_F(Peers, PostContentLengthEqualsTheBytesSent) {
  HttpForm form;
  form.AddField("app_version", "1.0.0.2");
  form.AddField("product_name", "栖木工坊");
  form.AddField("uid", std::string(32, '7'));
  form.AddField("url_channel", "");
  CTCPHttp http(kFaults, 80);
  http.SetRecvTimeout(10000);
  http.SetSendTimeout(10000);
  std::string echo = http.PostForm("conv.orvane.test", "/echo", form);
  size_t headEnd = echo.find("\r\n\r\n");
  ASSERT_NE(headEnd, std::string::npos);
  std::string head = echo.substr(0, headEnd + 4);
  std::string body = echo.substr(headEnd + 4);
  // the server read the announced length and then waited for more: the
  // echo ends exactly where the body the client sent ends
  EXPECT_NE(head.find("\r\nContent-Length: " + std::to_string(body.size()) + "\r\n"),
            std::string::npos)
      << head;
  form.BeginBody();
  std::string expected;
  int64_t n = 0;
  while (form.NextPiece(&n))
    expected += form.out();
  EXPECT_EQ(body, expected);
  EXPECT_EQ(head.substr(0, 33), "POST /echo HTTP/1.1\r\nHost: conv.o");
}

TEST_F(Peers, ResponsesRealServersDoNotSend) {
  struct Case {
    const char* path;
    const char* body;
    const char* failure;
  } cases[] = {
      {"/short-status", "", ""},       // status line under 12 characters
      {"/lower-length", "hello", ""},  // content-length not recognised: chunked
      {"/zero-length", "hello", ""},   // Content-Length: 0 with 200: chunked
      {"/chunked-hello", "hello", ""},
      {"/status-404", "", ""},
      {"/chunk-10", "", "Read body stream error"},
      {"/close-early", "", "Server can't send data"},
      {"/huge-length", "", "Body too large"},
      {"/huge-chunk", "", "Body too large"},
  };
  for (const auto& c : cases) {
    CTCPHttp http(kFaults, 80);
    http.SetRecvTimeout(10000);
    std::string body;
    EXPECT_EQ(FailureOf([&] { body = http.GetBody("", c.path); }), c.failure) << c.path;
    EXPECT_EQ(body, c.body) << c.path;
  }
}

TEST_F(Peers, ShortStatusLineGivesAnEmptyStatus) {
  CTCPHttp http(kFaults, 80);
  std::string status = "x";
  int64_t length = -1;
  std::vector<std::string> lines;
  http.Get("", "/short-status", &status, &length, &lines);
  EXPECT_EQ(status, "");
  EXPECT_EQ(length, 2);
  EXPECT_EQ(lines[0], "HTTP/1.1 2");
}

TEST_F(Peers, HeadWithoutBlankLineStopsAt4096Bytes) {
  CTCPHttp http(kFaults, 80);
  http.SetRecvTimeout(10000);
  std::string status;
  int64_t length = -1;
  std::vector<std::string> lines;
  http.Get("", "/no-blank", &status, &length, &lines);
  EXPECT_EQ(status, "200");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size() + 2 + lines[1].size(), 4096u);
  char tail[4];
  http.RecvExact(tail, 4);  // the bytes after the stop are still there
  EXPECT_EQ(std::string(tail, 4), "TAIL");
}

TEST_F(Peers, ReceiveTimeOutFires) {
  CTCPHttp http(kFaults, 80);
  http.SetRecvTimeout(1000);
  auto start = Clock::now();
  EXPECT_EQ(FailureOf([&] { http.GetBody("", "/silent"); }), "socket recv failed");
  EXPECT_LT(test::SecondsSince(start), 30.0);
}

TEST_F(Peers, NothingListeningIsConnectFailed) {
  CTCPHttp http("127.0.0.38", 80);
  EXPECT_EQ(FailureOf([&] { http.GetBody("", "/"); }), "Connect failed");
  EXPECT_EQ(http.connectFailures(), 1);
}

// What a DNS blocker answers (0.0.0.0) and what a port of 65536 becomes
// (0): the connect fails before anything is pending, and no wait for it
// may begin. A connect still running after 10 s is aborted, so that the
// case fails instead of hanging.
TEST_F(Peers, ConnectThatFailsAtOnceIsConnectFailedAtOnce) {
  struct Case {
    const char* host;
    int port;
  } cases[] = {{"0.0.0.0", 80}, {"127.0.0.1", 65536}, {"0.0.0.0", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.host) + ":" + std::to_string(c.port));
    CTCPHttp http(c.host, c.port);
    std::atomic<bool> done{false};
    std::string failure;
    std::thread worker([&] {
      failure = FailureOf([&] { http.Connect(); });
      done = true;
    });
    auto start = Clock::now();
    while (!done && test::SecondsSince(start) < 10)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    double took = test::SecondsSince(start);
    if (!done) http.Abort();
    worker.join();
    EXPECT_LT(took, 3.0);
    EXPECT_EQ(failure, "Connect failed");
  }
}

// another thread ends a receive that has no time-out
TEST_F(Peers, AbortEndsABlockedReceive) {
  CTCPHttp http(kFaults, 80);
  std::atomic<bool> done{false};
  std::string failure;
  std::thread worker([&] {
    failure = FailureOf([&] { http.GetBody("", "/silent"); });
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  auto start = Clock::now();
  http.Abort();
  while (!done && test::SecondsSince(start) < 20)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(done);
  worker.join();
  EXPECT_TRUE(failure == "Server can't send data" || failure == "socket recv failed" ||
              failure == "user cancel")
      << failure;
}

// another thread ends a connect that the peer leaves unanswered
TEST_F(Peers, AbortEndsABlockedConnect) {
  CTCPHttp http("127.0.0.36", 80);  // its listen queue is full
  std::atomic<bool> done{false};
  std::string failure;
  std::thread worker([&] {
    failure = FailureOf([&] { http.Connect(); });
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  EXPECT_FALSE(done);  // still waiting for the peer
  auto start = Clock::now();
  http.Abort();
  while (!done && test::SecondsSince(start) < 20)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(done);
  worker.join();
  EXPECT_EQ(failure, "user cancel");
}

TEST_F(Peers, OwnResolverAsksDnsmasq) {
  struct Case {
    const char* host;
    int rc;
    const char* first;
  } cases[] = {
      {"dnsonly.orvane.test", 0, "127.0.0.11"},
      {"alias.orvane.test", 0, "127.0.0.11"},  // CNAME, then A
      {"missing.orvane.test", -1, ""},         // does not exist
  };
  for (const auto& c : cases) {
    AddressList out;
    EXPECT_EQ(ResolveByUdp(c.host, &out, "127.0.0.53"), c.rc) << c.host;
    if (c.rc == 0) {
      ASSERT_GE(out.count, 1);
      EXPECT_EQ(FormatIPv4(out.addresses[0]), c.first);
    }
  }
}

TEST_F(Peers, OwnResolverOnAnswersDnsmasqDoesNotGive) {
  AddressList out;
  EXPECT_EQ(ResolveByUdp("many.fault.test", &out, "127.0.0.35"), 0);
  EXPECT_EQ(out.count, 20);
  EXPECT_EQ(FormatIPv4(out.addresses[19]), "10.0.0.20");
  EXPECT_EQ(ResolveByUdp("none.fault.test", &out, "127.0.0.35"), -1);
  EXPECT_EQ(ResolveByUdp("cname-only.fault.test", &out, "127.0.0.35"), -1);
  // another id, from another address: taken all the same
  EXPECT_EQ(ResolveByUdp("other-id.fault.test", &out, "127.0.0.35"), 0);
  EXPECT_EQ(FormatIPv4(out.addresses[0]), "127.0.0.11");
  auto start = Clock::now();
  EXPECT_EQ(ResolveByUdp("silent.fault.test", &out, "127.0.0.35"), -1);
  EXPECT_GT(test::SecondsSince(start), 2.0);  // it did wait for the answer
  EXPECT_LT(test::SecondsSince(start), 30.0);
}

// the real side of the seam: GetNetworkParams reads the namespace's
// resolv.conf (tests/peers/resolv.conf), where nothing answers
TEST_F(Peers, SystemDnsServers) {
  std::vector<std::string> servers;
  ASSERT_TRUE(SystemNetworkApi().DnsServers(&servers));
  ASSERT_FALSE(servers.empty());
  EXPECT_EQ(servers[0], "127.0.0.1");
  AddressList out;
  auto start = Clock::now();
  EXPECT_EQ(ResolveByUdp("dnsonly.orvane.test", &out, nullptr), -1);
  EXPECT_LT(test::SecondsSince(start), 30.0);
}

// the system resolver does not know the name; the client asks the first
// public resolver (dnsmasq on loopback) itself, and so does every later one
TEST_F(Peers, ResolverFallbackEndToEnd) {
  for (const char* host : {"dnsonly.orvane.test", "dnsonly.orvane.test", "second.orvane.test"}) {
    CTCPHttp http(host, 80);
    EXPECT_EQ(http.host(), "127.0.0.11") << host;
    EXPECT_EQ(http.resolver().mode, 1);
    EXPECT_EQ(http.GetBody(host, "/small.txt"), test::kSmallTxt);
  }
  EXPECT_EQ(ProcessRoutes().Resolver().server, config::kPublicDns[0]);
  EXPECT_EQ(Events(), std::vector<std::string>{"event vNetworkCheck {conn_type=1, host_name=" +
                                               std::string(config::kPublicDns[0]) +
                                               ", network_type=DNS解析}"});
  EXPECT_EQ(FailureOf([] { CTCPHttp http("missing.orvane.test", 80); }), "Can't resolve host name");
}

}  // namespace
}  // namespace orvane
