// The installer configuration's answer and the address of the banner picture.
#include <gtest/gtest.h>

#include "server/InstallerConfig.h"

namespace orvane {
namespace {

TEST(InstallerConfig, Path) {
  EXPECT_EQ(InstallerConfigPath(), "/applicationService/app/installerConfig?appId=40917263");
}

TEST(InstallerConfig, Answers) {
  struct Case {
    const char* name;
    const char* body;
    const char* url;
  };
  const Case cases[] = {
      {"accepted",
       R"({"code":"server.success","data":{"ProductsShow":{"gif_url":"http://h/a.gif"}}})",
       "http://h/a.gif"},
      {"another code",
       R"({"code":"server.fail","data":{"ProductsShow":{"gif_url":"http://h/a.gif"}}})", ""},
      {"a code that is no text", R"({"code":1,"data":{"ProductsShow":{"gif_url":"http://h/a"}}})",
       ""},
      // a text that only starts like the success code
      {"a longer code",
       R"({"code":"server.success.","data":{"ProductsShow":{"gif_url":"http://h/a"}}})", ""},
      {"no code", R"({"data":{"ProductsShow":{"gif_url":"http://h/a.gif"}}})", ""},
      {"no data", R"({"code":"server.success"})", ""},
      {"data null", R"({"code":"server.success","data":null})", ""},
      {"data a text", R"({"code":"server.success","data":"x"})", ""},
      {"no ProductsShow", R"({"code":"server.success","data":{}})", ""},
      {"ProductsShow an array", R"({"code":"server.success","data":{"ProductsShow":[1]}})", ""},
      {"gif_url a number", R"({"code":"server.success","data":{"ProductsShow":{"gif_url":5}}})",
       ""},
      {"an HTML page", "<html><body>502 Bad Gateway</body></html>", ""},
      {"nothing", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadInstallerConfigAnswer(c.body), c.url) << c.name;
  }
}

TEST(InstallerConfig, PictureAddresses) {
  struct Case {
    const char* name;
    const char* url;
    bool ok;
    PictureAddress address;
  };
  const Case cases[] = {
      {"scheme, host and a path of two pieces",
       "http://cdn.test/a/b.gif",
       true,
       {"cdn.test", 80, "/a/b.gif"}},
      // the scheme is ignored: plain HTTP whatever it says
      {"a port, a secure scheme",
       "https://cdn.test:81/a/b.gif",
       true,
       {"cdn.test", 81, "/a/b.gif"}},
      {"a query stays in the path", "http://h/p.gif?v=2", true, {"h", 80, "/p.gif?v=2"}},
      {"empty pieces are dropped", "http://h//a///b.gif", true, {"h", 80, "/a/b.gif"}},
      {"a port cut to 16 bits", "http://h:65617/a", true, {"h", 81, "/a"}},
      {"a host without a path", "http://cdn.test", false, {}},
      {"a host and a slash", "http://cdn.test/", false, {}},
      {"two colons", "http://h:81:82/a", false, {}},
      {"a colon without a port", "http://h:/a", false, {}},
      {"a port without a host", "http://:81/a", false, {}},
      {"a port that is no number", "http://h:x/a", false, {}},
      {"a port of 65536", "http://h:65536/a", false, {}},
      {"a line break in the path", "http://h/a\r\nX-Evil: 1", false, {}},
      {"a space in the host", "http://h x/a", false, {}},
      {"nothing", "", false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::optional<PictureAddress> a = SplitPictureAddress(c.url);
    ASSERT_EQ(a.has_value(), c.ok);
    if (c.ok) {
      EXPECT_EQ(a->host, c.address.host);
      EXPECT_EQ(a->port, c.address.port);
      EXPECT_EQ(a->path, c.address.path);
    }
  }
}

}  // namespace
}  // namespace orvane
