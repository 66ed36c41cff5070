#include "net/ProxyList.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(ProxyList, TakesTheLastHttpEntry) {
  struct Case {
    const char* list;
    int type;
    const char* host;
    int port;
  } cases[] = {
      {"http=p1:8080;https=p2:8443", 1, "p1", 8080},
      {"127.0.0.20:8888", 1, "127.0.0.20", 8888},
      {"socks=s:1080", 0, "", 0},
      {"http=a:1;http=b:2", 1, "b", 2},
      {"http=a", 1, "a", 0},
      {"http=a:xyz", 1, "a", 0},
      {"http=a:70000", 1, "a", 0},  // no port beyond 16 bits
      {"http=a:-1", 1, "a", 0},
      {"ftp=f:21;p:3128;https=s:443", 1, "p", 3128},
      {"http=:80", 0, "", 0},  // no host
      {"=h:1", 1, "h", 1},     // empty scheme
      {"HTTP=h:1", 0, "", 0},  // the scheme is compared exactly
      {";;http=h:1;;", 1, "h", 1},
      {" http=h:1 ; https=s:2", 1, "h", 1},  // blanks around entries
      {"", 0, "", 0},
  };
  for (const auto& c : cases) {
    ProxySettings p;
    ParseProxyList(c.list, &p);
    EXPECT_EQ(p.type, c.type) << c.list;
    EXPECT_EQ(p.host, c.host) << c.list;
    EXPECT_EQ(p.port, c.port) << c.list;
  }
}

TEST(ProxyList, NothingTakenLeavesTheSettings) {
  ProxySettings p{1, "kept", 3};
  ParseProxyList("socks=s:1", &p);
  EXPECT_EQ(p.type, 1);
  EXPECT_EQ(p.host, "kept");
}

}  // namespace
}  // namespace orvane
