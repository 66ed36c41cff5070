// The welcome page's address and the version comparison of the first page.
#include "app/WelcomeUrl.h"

#include <gtest/gtest.h>

#include "app/PageFlowRules.h"
#include "platform/Md5.h"

namespace orvane {
namespace {

TEST(WelcomeUrl, QuerySeparator) {
  struct Case {
    const char* url;
    const char* separator;
  } cases[] = {
      {"http://w.test/hw", "?"},
      {"http://w.test/hw?", ""},
      {"http://w.test/hw?a=1", "&"},
      {"http://w.test/hw?a=1&", ""},
      // only the first "&" is looked at
      {"http://w.test/hw?a=1&b=2&", "&"},
      {"http://w.test/?x&y", "&"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(QuerySeparatorFor(c.url), c.separator) << c.url;
}

TEST(WelcomeUrl, Encodings) {
  EXPECT_EQ(UrlEncode("https://www.orvane.cn/kestrelvault/welcome"),
            "https%3A%2F%2Fwww.orvane.cn%2Fkestrelvault%2Fwelcome");
  EXPECT_EQ(UrlEncode("a b-_.!~*'()&=?#%"), "a+b-_.!~*'()%26%3D%3F%23%25");
  EXPECT_EQ(UrlEncode("栖"), "%E6%A0%96");
  EXPECT_EQ(UrlEncode(std::string("a\0b", 3)), "a%00b");
  // the page keeps its structure; what a URL cannot carry is escaped
  EXPECT_EQ(EscapeUrlText("http://w.test/p?a=1&b=%41#f"), "http://w.test/p?a=1&b=%41#f");
  EXPECT_EQ(EscapeUrlText("http://w.test/a b\"c\r\n<栖>"),
            "http://w.test/a%20b%22c%0D%0A%3C%E6%A0%96%3E");
}

WelcomeParts Parts(const std::string& channelPage) {
  WelcomeParts p;
  p.channelPage = channelPage;
  p.defaultPage = "https://www.orvane.cn/kestrelvault/welcome";
  p.channel = "huawei00";
  p.mid = "0123456789abcdef0123456789abcdef";
  p.cam = "fedcba9876543210fedcba9876543210";
  p.version = "2.0.0.1";
  p.timeStamp = "1765180800";
  p.accountName = "acct_huawei00";
  return p;
}

TEST(WelcomeUrl, ParametersInOrderWithTheSessionIdOfTheUrlThroughItsTimeStamp) {
  const std::string head =
      "_channel=huawei00&_mid=0123456789abcdef0123456789abcdef"
      "&cam=fedcba9876543210fedcba9876543210&app_version=2.0.0.1&time_stamp=1765180800";
  // the default page: no account, no default page parameter
  WelcomeUrl plain = ComposeWelcomeUrl(Parts(""));
  const std::string plainHead = "https://www.orvane.cn/kestrelvault/welcome?" + head;
  EXPECT_FALSE(plain.sem);
  EXPECT_EQ(plain.sessionId, Md5Hex(plainHead));
  EXPECT_EQ(plain.url, plainHead + "&session_id=" + plain.sessionId);

  WelcomeUrl sem = ComposeWelcomeUrl(Parts("http://w.test/hw?from=hw"));
  const std::string semHead = "http://w.test/hw?from=hw&" + head;
  EXPECT_TRUE(sem.sem);
  EXPECT_EQ(sem.sessionId, Md5Hex(semHead));
  EXPECT_EQ(sem.url, semHead + "&session_id=" + sem.sessionId +
                         "&ad_account=acct_huawei00&def_welcom_url="
                         "https%3A%2F%2Fwww.orvane.cn%2Fkestrelvault%2Fwelcome");
}

TEST(WelcomeUrl, ServerTextCannotAddParametersOrBreakTheLine) {
  WelcomeParts p = Parts("http://w.test/hw page\"?a=1\r\n[x]");
  p.accountName = "a&ad_account=evil \"x\"\r\ny=1";
  p.version = "2.0&cam=0";
  p.channel = "h w#";
  const WelcomeUrl w = ComposeWelcomeUrl(p);
  EXPECT_EQ(w.url.find_first_of(" \"\r\n<>"), std::string::npos) << w.url;
  EXPECT_EQ(w.url.find("&ad_account="), w.url.rfind("&ad_account="));
  EXPECT_EQ(w.url.find("&cam="), w.url.rfind("&cam="));
  EXPECT_NE(w.url.find("?a=1%0D%0A[x]&_channel=h+w%23&"), std::string::npos) << w.url;
  EXPECT_NE(w.url.find("&ad_account=a%26ad_account%3Devil+%22x%22%0D%0Ay%3D1&"), std::string::npos);
}

TEST(PageFlowRules, InstalledVersionAgainstTheServers) {
  struct Case {
    const char* installed;
    const char* server;
    InstalledVersion order;
  } cases[] = {
      {"2.1.0.5", "2.1.0.5", InstalledVersion::kSame},
      {"2.1.0.4", "2.1.0.5", InstalledVersion::kOlder},
      {"2.1.1.0", "2.1.0.9", InstalledVersion::kNewer},
      {"10.0.0.0", "9.9.9.9", InstalledVersion::kNewer},  // numbers, not texts
      {"2.1", "2.1.0.0", InstalledVersion::kSame},        // missing parts are 0
      {"2.1", "2.1.0.1", InstalledVersion::kOlder},
      {"2.1.0.0.7", "2.1", InstalledVersion::kNewer},
      {"2.x.0.0", "2.0.0.0", InstalledVersion::kSame},  // "x" reads as 0
      {"", "2.0.0.1", InstalledVersion::kOlder},        // unknown: offer the install
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.installed) + " vs " + c.server);
    EXPECT_EQ(CompareInstalledVersion(c.installed, c.server), c.order);
  }
}

}  // namespace
}  // namespace orvane
