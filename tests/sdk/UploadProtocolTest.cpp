#include "qlx/UploadProtocol.h"

#include <gtest/gtest.h>

#include "platform/Md5.h"

namespace orvane::qlx {
namespace {

TEST(UploadProtocol, RequestCarriesBatchAndSignature) {
  UploadTarget t{"sa.orvane.test",
                 80,
                 "/sa?project=production",
                 "40917263",
                 "7A1C04E9B25F4D83A6E0C9F15B27D4E8",
                 ""};
  const std::string body = "{\"uid\":\"x\"}\n";
  const std::string id = Md5Hex(body);
  const std::string r = BuildUploadRequest(t, body, id, 1);
  EXPECT_EQ(r.rfind("POST /sa?project=production HTTP/1.1\r\nHost: sa.orvane.test\r\n", 0), 0u)
      << r;
  EXPECT_NE(r.find("\r\nContent-Length: " + std::to_string(body.size()) + "\r\n"),
            std::string::npos);
  EXPECT_NE(r.find("\r\nX-Qlx-Batch: " + id + "\r\n"), std::string::npos);
  EXPECT_NE(r.find("\r\nX-Qlx-Count: 1\r\n"), std::string::npos);
  EXPECT_NE(r.find("\r\nX-Qlx-Sign: " +
                   Md5Hex("40917263\n7A1C04E9B25F4D83A6E0C9F15B27D4E8\n" + id) + "\r\n"),
            std::string::npos);
  EXPECT_EQ(r.find("X-Qlx-Url-Version"), std::string::npos);
  EXPECT_EQ(r.substr(r.size() - body.size() - 4), "\r\n\r\n" + body);

  t.port = 8080;
  t.urlVersion = "/v1.1";
  const std::string r2 = BuildUploadRequest(t, body, id, 1);
  EXPECT_NE(r2.find("\r\nHost: sa.orvane.test:8080\r\n"), std::string::npos);
  EXPECT_NE(r2.find("\r\nX-Qlx-Url-Version: /v1.1\r\n"), std::string::npos);
}

TEST(UploadProtocol, ReplyParsing) {
  struct Case {
    const char* name;
    std::string bytes;
    bool closed;
    ReplyState state;
    int status;
    std::string body;
  } cases[] = {
      {"length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", false, ReplyState::kComplete,
       200, "hello"},
      {"length, more to come", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhel", false,
       ReplyState::kIncomplete, 200, ""},
      {"length, closed early", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhel", true,
       ReplyState::kBad, 200, ""},
      {"head unfinished", "HTTP/1.1 200 OK\r\nContent-Le", false, ReplyState::kIncomplete, 200, ""},
      {"head unfinished, closed", "HTTP/1.1 200 OK\r\nContent-Le", true, ReplyState::kBad, 200, ""},
      {"until close", "HTTP/1.0 503 Busy\r\n\r\nlater", true, ReplyState::kComplete, 503, "later"},
      {"until close, open", "HTTP/1.0 503 Busy\r\n\r\nlater", false, ReplyState::kIncomplete, 503,
       ""},
      {"chunked",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n2;x=1\r\nde\r\n0\r\n\r\n",
       false, ReplyState::kComplete, 200, "abcde"},
      {"chunked, unfinished", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nab", false,
       ReplyState::kIncomplete, 200, ""},
      {"chunked, bad size", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n", false,
       ReplyState::kBad, 200, ""},
      {"chunked, no CRLF after data",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabcXY\r\n", false,
       ReplyState::kBad, 200, ""},
      {"gzip transfer", "HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip\r\n\r\n", true,
       ReplyState::kBad, 200, ""},
      {"no body for 204", "HTTP/1.1 204 No Content\r\n\r\n", false, ReplyState::kComplete, 204, ""},
      {"bare LF lines", "HTTP/1.1 200 OK\nContent-Length: 2\n\nok", false, ReplyState::kComplete,
       200, "ok"},
      {"not HTTP", "SSH-2.0-OpenSSH\r\n", false, ReplyState::kBad, 0, ""},
      {"bad status", "HTTP/1.1 2x0 OK\r\n\r\n", true, ReplyState::kBad, 0, ""},
      {"header without colon", "HTTP/1.1 200 OK\r\nbroken\r\n\r\n", true, ReplyState::kBad, 200,
       ""},
      {"negative length", "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n", true, ReplyState::kBad,
       200, ""},
      {"huge length", "HTTP/1.1 200 OK\r\nContent-Length: 99999999999\r\n\r\n", false,
       ReplyState::kBad, 200, ""},
  };
  for (const auto& c : cases) {
    HttpReply reply;
    EXPECT_EQ(ParseHttpReply(c.bytes, c.closed, &reply), c.state) << c.name;
    if (c.state == ReplyState::kComplete) {
      EXPECT_EQ(reply.status, c.status) << c.name;
      EXPECT_EQ(reply.body, c.body) << c.name;
    }
  }
}

TEST(UploadProtocol, OverlongHeadIsRefused) {
  std::string head = "HTTP/1.1 200 OK\r\nX: " + std::string(kMaxReplyHead, 'a');
  HttpReply reply;
  EXPECT_EQ(ParseHttpReply(head, false, &reply), ReplyState::kBad);
}

TEST(UploadProtocol, OnlyTheRightAckCounts) {
  const std::string id = "0123456789abcdef0123456789abcdef";
  auto reply = [](int status, const std::string& body) {
    HttpReply r;
    r.status = status;
    r.body = body;
    return r;
  };
  EXPECT_TRUE(IsAcknowledged(reply(200, "{\"ack\":\"" + id + "\",\"stored\":3}"), id));
  EXPECT_FALSE(IsAcknowledged(reply(200, "{\"ack\":\"ffff\"}"), id));
  EXPECT_FALSE(IsAcknowledged(reply(503, "{\"ack\":\"" + id + "\"}"), id));
  EXPECT_FALSE(IsAcknowledged(reply(200, "ok"), id));
  EXPECT_FALSE(IsAcknowledged(reply(200, ""), id));
  EXPECT_FALSE(IsAcknowledged(reply(200, "[\"" + id + "\"]"), id));
  EXPECT_FALSE(IsAcknowledged(reply(200, "{\"ack\":1}"), id));
  EXPECT_FALSE(IsAcknowledged(reply(200, "{\"ack\":\"\"}"), ""));
}

// which answers a resend can never change: the batch is then set aside
TEST(UploadProtocol, RefusalsForGood) {
  struct Case {
    int status;
    bool forGood;
  } cases[] = {
      {400, true},  {403, true},  {413, true},  // malformed, bad signature, too large
      {200, false},                             // another batch's ack: try again
      {0, false},   {404, false}, {405, false}, {408, false}, {411, false},
      {429, false}, {500, false}, {502, false}, {503, false},
  };
  for (const Case& c : cases) {
    HttpReply r;
    r.status = c.status;
    EXPECT_EQ(IsRefusedForGood(r), c.forGood) << c.status;
  }
}

TEST(UploadProtocol, RouteArgumentRules) {
  struct Case {
    UploadRoute route;
    bool valid;
  } cases[] = {
      {{0, "", 0, 0, ""}, true},
      {{1, "proxy.corp.test", 8080, 0, ""}, true},
      {{1, "127.0.0.20", 8888, 1, "127.0.0.53"}, true},
      {{0, "", 0, 1, "127.0.0.53"}, true},
      {{0, "ignored", 99999, 0, ""}, true},          // a direct route does not look at the proxy
      {{2, "proxy.corp.test", 8080, 0, ""}, false},  // a kind the client does not speak
      {{1, "", 8080, 0, ""}, false},
      {{1, "proxy.corp.test", 0, 0, ""}, false},
      {{1, "proxy.corp.test", 65536, 0, ""}, false},
      {{1, "proxy\r\nX: y", 8080, 0, ""}, false},
      {{0, "", 0, 1, ""}, false},
      {{0, "", 0, 1, "dns.example"}, false},  // the own resolver asks an address
      {{0, "", 0, 1, "1.2.3.256"}, false},
      {{0, "", 0, 2, ""}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsValidRoute(c.route), c.valid)
        << c.route.proxyType << " " << c.route.proxyHost << ":" << c.route.proxyPort << " "
        << c.route.resolverMode << " " << c.route.dnsServer;
  }
}

TEST(UploadProtocol, SetterArgumentRules) {
  for (const char* h : {"sa.orvane.test", "127.0.0.13", "localhost", "a-b.c_d.example"})
    EXPECT_TRUE(IsValidHostName(h)) << h;
  for (const std::string& h :
       {std::string(), std::string("-a.b"), std::string("a..b"), std::string("a b"),
        std::string("a\r\nHost: x"), std::string("a.b-"), std::string(254, 'a')})
    EXPECT_FALSE(IsValidHostName(h)) << h;

  EXPECT_TRUE(IsValidSensorPath("/sa?project=production"));
  for (const char* p : {"", "sa", "/a b", "/a\r\nX: y", "/\x7F"})
    EXPECT_FALSE(IsValidSensorPath(p)) << p;

  EXPECT_TRUE(IsValidAppId("40917263"));
  for (const char* a : {"", "4091x263", "-1"})
    EXPECT_FALSE(IsValidAppId(a)) << a;
  EXPECT_TRUE(IsValidAppKey("7A1C04E9B25F4D83A6E0C9F15B27D4E8"));
  for (const char* k : {"", "7A1C", "7A1C04E9B25F4D83A6E0C9F15B27D4EZ"})
    EXPECT_FALSE(IsValidAppKey(k)) << k;
  EXPECT_TRUE(IsValidAppName("win_installer"));
  for (const char* n : {"", "win installer", "名字"})
    EXPECT_FALSE(IsValidAppName(n)) << n;
  EXPECT_TRUE(IsValidUrlVersion("/v1.1"));
  EXPECT_FALSE(IsValidUrlVersion("/v1 1"));
}

}  // namespace
}  // namespace orvane::qlx
