#include <windows.h>

#include <gtest/gtest.h>

#include "net/NetworkCheck.h"
#include "net/ProxyConfig.h"

namespace orvane {
namespace {

using test::ScopedProxyConfig;

ProxySettings Discover() {
  ProxySettings p{7, "stale", 9};
  DiscoverProxy("http://cdn.orvane.test", &p);
  return p;
}

TEST(DiscoverProxy, NoConfigurationMeansDirect) {
  ScopedProxyConfig none("");
  ProxySettings p = Discover();
  EXPECT_EQ(p.type, 0);
}

TEST(DiscoverProxy, FixedListsOfTheUser) {
  struct Case {
    const char* list;
    int type;
    const char* host;
    int port;
  } cases[] = {
      {"http=127.0.0.20:8888;https=127.0.0.21:8443", 1, "127.0.0.20", 8888},
      {"127.0.0.20:8888", 1, "127.0.0.20", 8888},
      {"socks=127.0.0.20:1080", 0, "", 0},
      {"http=a.test:1;http=b.test:2", 1, "b.test", 2},
      {"http=a.test", 1, "a.test", 0},
  };
  for (const auto& c : cases) {
    ScopedProxyConfig config(c.list);
    ProxySettings p = Discover();
    EXPECT_EQ(p.type, c.type) << c.list;
    if (c.type == 1) {
      EXPECT_EQ(p.host, c.host) << c.list;
      EXPECT_EQ(p.port, c.port) << c.list;
    }
  }
}

TEST(DiscoverProxy, ScratchConfigurationLeavesNothingBehind) {
  { ScopedProxyConfig config("127.0.0.20:8888"); }
  HKEY key = nullptr;
  EXPECT_NE(
      ::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\OrvaneTest\\ProxyConfig", 0, KEY_READ, &key),
      ERROR_SUCCESS);
  // and the process reads the prefix's own configuration again
  ProxySettings p = Discover();
  EXPECT_EQ(p.type, 0);
}

}  // namespace
}  // namespace orvane
