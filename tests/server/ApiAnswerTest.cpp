#include "server/ApiAnswer.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace orvane {
namespace {

std::string FailureOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "no failure";
}

TEST(ApiPaths, QueryValuesGoInUnencoded) {
  EXPECT_EQ(PackageInfoPath("1.0.0.2", false),
            "/applicationService/installer/getAppVersion?appId=40917263&versionCode=1.0.0.2"
            "&packageSystemSupport=1");
  EXPECT_EQ(PackageInfoPath("a b&c", true),
            "/applicationService/installer/getAppVersion?appId=40917263&versionCode=a b&c"
            "&packageSystemSupport=2");
  EXPECT_EQ(WelcomePath("huawei00"), "/applicationService/channel/welcome?channel=huawei00");
  EXPECT_EQ(VersionToSend(""), "0.9.0.1");
  EXPECT_EQ(VersionToSend("1.0.0.2"), "1.0.0.2");
}

TEST(ApiAnswer, TextConversionOfValues) {
  struct Case {
    const char* json;
    const char* text;
  } cases[] = {
      {R"({"v":"abc"})", "abc"}, {R"({"v":500})", "500"},
      {R"({"v":-7})", "-7"},     {R"({"v":5000000000})", "5000000000"},
      {R"({"v":true})", "true"}, {R"({"v":false})", "false"},
      {R"({"v":null})", ""},     {R"({"v":"\u6816\u6728"})", "栖木"},
  };
  for (const Case& c : cases) {
    Json::Value root = ParseApiBody(c.json);
    EXPECT_EQ(JsonText(root["v"]), c.text) << c.json;
  }
  EXPECT_ANY_THROW(JsonText(ParseApiBody(R"({"v":{}})")["v"]));
  EXPECT_ANY_THROW(JsonText(ParseApiBody(R"({"v":[1]})")["v"]));
}

TEST(ApiAnswer, PackageEnvelopeFailuresInTheirOrder) {
  struct Case {
    const char* body;
    const char* failure;
  } cases[] = {
      {"", "parse decrypt data error"},
      {"<html><body>502 Bad Gateway</body></html>", "parse decrypt data error"},
      {R"(["code","data"])", "parse decrypt data error"},
      {R"("server.success")", "parse decrypt data error"},
      {"  // only a comment", "parse decrypt data error"},
      {R"({"code":"server.success","data":{})", "parse decrypt data error"},
      // text after a body that is no object does not make one
      {R"(500 {"code":"server.success","data":{}})", "parse decrypt data error"},
      {R"({"code":"server.success"})", "member not exist"},
      {R"({"data":{}})", "member not exist"},
      {R"({"code":0,"data":{}})", "request error"},
      {R"({"code":"server.fail","data":{}})", "request error"},
      {R"({"code":"Server.Success","data":{}})", "request error"},
      {R"({"code":null,"data":{}})", "request error"},
      // wrong shapes are the JSON library's conversion errors
      {R"({"code":"server.success","data":"text"})", "any"},
      {R"({"code":"server.success","data":{"md5":{}}})", "any"},
      {R"({"code":"server.success","data":{"downloadUrl":[]}})", "any"},
  };
  for (const Case& c : cases) {
    std::string failure = FailureOf([&] { ReadPackageAnswer(c.body, false); });
    if (std::string(c.failure) == "any") {
      EXPECT_NE(failure, "no failure") << c.body;
    } else {
      EXPECT_EQ(failure, c.failure) << c.body;
    }
  }
}

// What the answers' reader has always taken: the first value, whatever
// follows it, and comments. A package answer that it
// reads must not fail the query for good.
TEST(ApiAnswer, TheReaderTakesTheFirstValueAndWhatItAlwaysAccepted) {
  const std::string ok = R"({"code":"server.success","data":{"size":500,"md5":"ab"}})";
  const std::string tails[] = {
      "",                              // the plain answer
      " trailing",                     // text after the object
      "\n<!-- cached by proxy -->\n",  // a proxy's footer
      " // served in 3 ms",            // a line comment
      " /* node 7 */",                 // a block comment
      R"({"code":"server.fail"})",     // a second object: not looked at
      std::string("\0\0junk", 6),      // bytes that are no text at all
  };
  for (const std::string& tail : tails) {
    const std::string body = ok + tail;
    SCOPED_TRACE(body);
    PackageRecord r;
    EXPECT_EQ(FailureOf([&] { r = ReadPackageAnswer(body, false); }), "no failure");
    EXPECT_EQ(r.size, 500);
    EXPECT_EQ(r.md5, "ab");
  }
  // comments before and inside, a byte order mark
  const char* shapes[] = {
      "/* head */ {\"code\":\"server.success\",\"data\":{\"size\":500}}",
      "{\"code\":\"server.success\", // why\n\"data\":{\"size\":500}}",
      "\xEF\xBB\xBF{\"code\":\"server.success\",\"data\":{\"size\":500}}",
  };
  for (const char* body : shapes) {
    SCOPED_TRACE(body);
    PackageRecord r;
    EXPECT_EQ(FailureOf([&] { r = ReadPackageAnswer(body, false); }), "no failure");
    EXPECT_EQ(r.size, 500);
  }
  // the welcome answer is read the same way
  WelcomeRecord w = ReadWelcomeAnswer(
      R"({"code":"server.success","data":{"welcomeUrl":"http://w.test/"}} // end)");
  EXPECT_EQ(w.welcomeUrl, "http://w.test/");
  // and the envelope's checks still hold after the first value
  EXPECT_EQ(FailureOf([] { ReadPackageAnswer(R"({"code":"server.fail","data":{}} x)", false); }),
            "request error");
  EXPECT_EQ(FailureOf([] { ReadPackageAnswer(R"({"code":"server.success"} {"data":{}})", false); }),
            "member not exist");
}

TEST(ApiAnswer, DeepNestingIsNoAnswer) {
  std::string deep = "{\"code\":\"server.success\",\"data\":" + std::string(5000, '[');
  EXPECT_EQ(FailureOf([&] { ReadPackageAnswer(deep, false); }), "parse decrypt data error");
}

TEST(ApiAnswer, PackageRecordWithDefaults) {
  PackageRecord empty = ReadPackageAnswer(R"({"code":"server.success","data":{}})", false);
  EXPECT_TRUE(empty.urls.empty());
  EXPECT_EQ(empty.size, 100616912);
  EXPECT_EQ(empty.installationSize, 240478201);
  EXPECT_EQ(empty.versionCode, "");
  EXPECT_EQ(ReadPackageAnswer(R"({"code":"server.success","data":{}})", true).size, 130618652);
  // null data counts as an empty payload
  EXPECT_EQ(ReadPackageAnswer(R"({"code":"server.success","data":null})", true).size, 130618652);

  PackageRecord full = ReadPackageAnswer(
      R"({"code":"server.success","data":{"downloadUrl":"http://cdn.orvane.test/p/install.exe",)"
      R"("versionCode":"2.3.1.0","size":"500","installationSize":900,"md5":"0123abcd"}})",
      false);
  ASSERT_EQ(full.urls.size(), 1u);
  EXPECT_EQ(full.urls[0], (PackageUrl{0, "http://cdn.orvane.test/p/install.exe", 0}));
  EXPECT_EQ(full.versionCode, "2.3.1.0");
  EXPECT_EQ(full.size, 500);
  EXPECT_EQ(full.installationSize, 900);
  EXPECT_EQ(full.md5, "0123abcd");
}

TEST(ApiAnswer, SizesAsNumbersOrNumericText) {
  struct Case {
    const char* size;
    int64_t want;
  } cases[] = {
      {"500", 500},         {"\"500\"", 500},
      {"\" 500\"", 500},    {"0", 100616912},
      {"\"0\"", 100616912}, {"\"abc\"", 100616912},
      {"null", 100616912},  {"5000000000", 5000000000LL},
      {"500.0", 500},       {"\"12kb\"", 12},
  };
  for (const Case& c : cases) {
    std::string body = std::string(R"({"code":"server.success","data":{"size":)") + c.size + "}}";
    EXPECT_EQ(ReadPackageAnswer(body, false).size, c.want) << c.size;
  }
  EXPECT_EQ(
      ReadPackageAnswer(R"({"code":"server.success","data":{"versionCode":3}})", false).versionCode,
      "3");
}

TEST(ApiAnswer, UrlListSortedByWeightKeepingTies) {
  std::vector<PackageUrl> urls = {{0, "a", 1}, {1, "b", 5}, {0, "c", 1}, {2, "d", 9}, {0, "e", 5}};
  SortUrlsByWeight(&urls);
  std::vector<PackageUrl> want = {{2, "d", 9}, {1, "b", 5}, {0, "e", 5}, {0, "a", 1}, {0, "c", 1}};
  EXPECT_EQ(urls, want);
  std::vector<PackageUrl> none;
  SortUrlsByWeight(&none);
  EXPECT_TRUE(none.empty());
  // an empty address is no download location
  EXPECT_TRUE(ReadPackageAnswer(R"({"code":"server.success","data":{"downloadUrl":""}})", false)
                  .urls.empty());
}

TEST(ApiAnswer, WelcomeIsLaxerThanThePackageEnvelope) {
  WelcomeRecord two = ReadWelcomeAnswer(
      R"({"code":"server.success","data":{"kelmorOcpc":true,"welcomeUrl":"http://w/x?a=1"}})");
  EXPECT_TRUE(two.kelmorOcpc);
  EXPECT_EQ(two.welcomeUrl, "http://w/x?a=1");
  EXPECT_EQ(two.appId, "");
  EXPECT_EQ(two.appName, "");
  EXPECT_EQ(two.advertisingAccountName, "");

  WelcomeRecord all =
      ReadWelcomeAnswer(R"({"code":"server.success","data":{"appId":40917263,"appName":"栖木工坊",)"
                        R"("welcomeUrl":"u","advertisingAccountName":"acc","kelmorOcpc":1}})");
  EXPECT_EQ(all.appId, "40917263");
  EXPECT_EQ(all.appName, "栖木工坊");
  EXPECT_EQ(all.advertisingAccountName, "acc");
  EXPECT_TRUE(all.kelmorOcpc);

  // refusals give an empty record without failing
  for (const char* body :
       {R"({"code":"server.fail","data":{"welcomeUrl":"u"}})", R"({"data":{"welcomeUrl":"u"}})",
        R"({"code":"server.success"})", R"({})"}) {
    WelcomeRecord r = ReadWelcomeAnswer(body);
    EXPECT_EQ(r.welcomeUrl, "") << body;
    EXPECT_FALSE(r.kelmorOcpc) << body;
  }
  EXPECT_FALSE(
      ReadWelcomeAnswer(R"({"code":"server.success","data":{"kelmorOcpc":null}})").kelmorOcpc);
  EXPECT_FALSE(ReadWelcomeAnswer(R"({"code":"server.success","data":null})").kelmorOcpc);

  EXPECT_EQ(FailureOf([] { ReadWelcomeAnswer(""); }), "parse decrypt data error");
  EXPECT_EQ(FailureOf([] { ReadWelcomeAnswer("<html></html>"); }), "parse decrypt data error");
  EXPECT_NE(FailureOf([] { ReadWelcomeAnswer(R"({"code":0,"data":{}})"); }), "no failure");
  EXPECT_NE(FailureOf([] { ReadWelcomeAnswer(R"({"code":null,"data":{}})"); }), "no failure");
  EXPECT_NE(
      FailureOf([] { ReadWelcomeAnswer(R"({"code":"server.success","data":{"appName":{}}})"); }),
      "no failure");
}

TEST(ApiAnswer, ConversionAnswerOnlyHasToBeJson) {
  CheckConversionAnswer(R"({"code":"whatever"})");
  CheckConversionAnswer(R"({"data":1})");
  EXPECT_EQ(FailureOf([] { CheckConversionAnswer(""); }), "parse decrypt data error");
  EXPECT_EQ(FailureOf([] { CheckConversionAnswer("<html>"); }), "parse decrypt data error");
}

}  // namespace
}  // namespace orvane
