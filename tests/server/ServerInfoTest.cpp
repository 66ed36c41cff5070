// The channel welcome query against the vendor API simulator.
#include "server/ServerInfo.h"

#include <gtest/gtest.h>

#include "BuildConfig.h"
#include "support/RecordingLogger.h"
#include "support/VendorSim.h"
#include "support/WineTestSupport.h"

namespace orvane {
namespace {

using test::WaitStatus;

constexpr DWORD kQueryWaitMs = 30000;

struct WelcomeQuery : ::testing::Test {
  void SetChannel(const std::string& name) { channel = name; }

  test::RecordingLogger logger;
  ScopedLoggerOverride useLogger{&logger};
  std::string channel;
};

TEST_F(WelcomeQuery, AsksForTheChannelsPageAndHoldsTheAnswer) {
  test::SetSimScenario(R"({"welcome":{"channels":{"huawei00":{"appId":"40917263",
      "appName":"栖木工坊","welcomeUrl":"http://www.orvane.test/hw?x=1",
      "advertisingAccountName":"hw_account","kelmorOcpc":true}}}})");
  SetChannel("huawei00");
  CServerInfo info;
  ASSERT_TRUE(info.Start(channel));
  ASSERT_EQ(WaitStatus(info, kQueryWaitMs), 1) << info.failure();

  std::vector<test::SimRequest> sent = test::SimRequestsTo("welcome");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].raw, test::ExpectedGet(config::kApiHost,
                                           "/applicationService/channel/welcome?channel=huawei00"));
  EXPECT_STREQ(info.GetAppId(), "40917263");
  EXPECT_STREQ(info.GetAppName(), "栖木工坊");
  EXPECT_STREQ(info.GetWelcomeUrl(), "http://www.orvane.test/hw?x=1");
  EXPECT_STREQ(info.GetAdvertisingAccountName(), "hw_account");
  EXPECT_TRUE(info.GetKelmorOcpc());
  info.ClearWelcomeUrl();
  EXPECT_STREQ(info.GetWelcomeUrl(), "");
  EXPECT_STREQ(info.GetAppName(), "栖木工坊");
}

TEST_F(WelcomeQuery, NoChannelAsksNothing) {
  test::SetSimScenario("{}");
  SetChannel("");
  CServerInfo info;
  ASSERT_TRUE(info.Start(channel));
  EXPECT_EQ(WaitStatus(info, kQueryWaitMs), 1);
  EXPECT_STREQ(info.GetWelcomeUrl(), "");
  EXPECT_FALSE(info.GetKelmorOcpc());
  ::Sleep(500);
  EXPECT_TRUE(test::SimRequests().empty());
}

TEST_F(WelcomeQuery, AnswersAndTheirOutcomes) {
  struct Case {
    const char* scenario;
    int status;
    const char* welcomeUrl;
    bool kelmorOcpc;
    const char* appName;
    const char* failure = "";
  } cases[] = {
      // another code: done, nothing held
      {R"({"welcome":{"reply":"refused","code":"server.error"}})", 1, "", false, ""},
      {R"({"welcome":{"reply":"no-data"}})", 1, "", false, ""},
      {R"({"welcome":{"reply":"no-code"}})", 1, "", false, ""},
      {R"({"welcome":{"reply":"null-data"}})", 1, "", false, ""},
      // only the two keys given
      {R"({"welcome":{"data":{"kelmorOcpc":true,"welcomeUrl":"http://w.test/a"}}})", 1,
       "http://w.test/a", true, ""},
      {R"({"welcome":{"data":{"kelmorOcpc":0,"appName":7}}})", 1, "", false, "7"},
      // what follows the answer's object is not looked at
      {R"({"welcome":{"reply":"body","body":"{\"code\":\"server.success\",\"data\":{\"welcomeUrl\":\"http://w.test/t\"}} /* 3 ms */"}})",
       1, "http://w.test/t", false, ""},
      // a numeric code fails
      {R"({"welcome":{"reply":"refused","code":0}})", 2, "", false, "", "code is not a string"},
      {R"({"welcome":{"reply":"html"}})", 2, "", false, "", "parse decrypt data error"},
      {R"({"welcome":{"data":{"appName":{"x":1}}}})", 2, "", false, "",
       "Type is not convertible to string"},
  };
  SetChannel("huawei00");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scenario);
    test::SetSimScenario(c.scenario);
    CServerInfo info;
    ASSERT_TRUE(info.Start(channel));
    EXPECT_EQ(WaitStatus(info, kQueryWaitMs), c.status) << info.failure();
    EXPECT_EQ(info.failure(), c.failure);
    EXPECT_EQ(test::SimRequestsTo("welcome").size(), 1u);
    if (c.status != 1) continue;
    EXPECT_STREQ(info.GetWelcomeUrl(), c.welcomeUrl);
    EXPECT_EQ(info.GetKelmorOcpc(), c.kelmorOcpc);
    EXPECT_STREQ(info.GetAppName(), c.appName);
    EXPECT_EQ(test::SimRequestsTo("welcome").size(), 1u);
  }
}

TEST_F(WelcomeQuery, GivesUpAfterThreeEmptyAnswers) {
  SetChannel("tengxun0");
  test::SetSimScenario(R"({"welcome":{"reply":"status","status":500}})");
  CServerInfo info;
  ASSERT_TRUE(info.Start(channel));
  EXPECT_EQ(WaitStatus(info, kQueryWaitMs), 2);
  EXPECT_EQ(info.failure(), "parse decrypt data error");
  ::Sleep(700);
  std::vector<test::SimRequest> sent = test::SimRequestsTo("welcome");
  ASSERT_EQ(sent.size(), 3u);
  // the gateway's name only, never its fixed address
  for (const auto& r : sent)
    EXPECT_EQ(r.raw, test::ExpectedGet(config::kApiHost,
                                       "/applicationService/channel/welcome?channel=tengxun0"));
  EXPECT_GE(sent[2].timeMs - sent[0].timeMs, 500);

  // the third attempt still counts
  test::SetSimScenario(R"({"welcome":{"fail_first":2,"fail_reply":"close"}})");
  CServerInfo third;
  ASSERT_TRUE(third.Start(channel));
  EXPECT_EQ(WaitStatus(third, kQueryWaitMs), 1) << third.failure();
  EXPECT_STREQ(third.GetAdvertisingAccountName(), "acct_tengxun0");
  EXPECT_EQ(test::SimRequestsTo("welcome").size(), 3u);
}

TEST_F(WelcomeQuery, StopEndsAQueryWaitingOnASilentServer) {
  SetChannel("huawei00");
  test::SetSimScenario(R"({"welcome":{"reply":"silent"}})");
  CServerInfo info;
  ASSERT_TRUE(info.Start(channel));
  ASSERT_TRUE(test::WaitForSimRequests("welcome", 1, kQueryWaitMs));
  DWORD start = ::GetTickCount();
  info.Stop();
  EXPECT_LT(::GetTickCount() - start, 10000u);
  EXPECT_EQ(info.GetStatus(), 2);
  EXPECT_EQ(info.failure(), "user cancel");
}

}  // namespace
}  // namespace orvane
