#include "telemetry/DeferredLogger.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "support/RecordingLogger.h"

namespace orvane {
namespace {

// a deferred logger over a recording one, counting how often it was made
struct Deferred {
  test::RecordingLogger real;
  int made = 0;
  CDeferredLogger logger{[this]() -> ILoggerServer& {
    ++made;
    return real;
  }};
};

TEST(DeferredLogger, KeepsEveryRecordInOrderUntilReleased) {
  Deferred d;
  d.logger.Send(Event("pSoftInstall").Bool("is_first_install", true).String("install_type", "x"));
  d.logger.WriteLaunch(1, "", "", "");
  d.logger.WriteReport(4, "0001", "0001", "stem", "", {"a", "b"});
  d.logger.WriteOperation("0003", "0001", "");
  d.logger.ClearProperties();
  d.logger.SetIntProperty("n", 7);
  d.logger.SetStringProperty("s", "t");
  d.logger.WriteEvent("vLowLevel");
  EXPECT_EQ(d.made, 0);
  EXPECT_TRUE(d.real.Lines().empty());
  EXPECT_FALSE(d.logger.released());

  ILoggerServer& real = d.logger.Release();
  EXPECT_EQ(&real, &d.real);
  EXPECT_EQ(d.made, 1);
  EXPECT_TRUE(d.logger.released());
  const std::vector<std::string> want = {
      "event pSoftInstall {is_first_install=true, install_type=x}",
      "launch 1|||",
      "report 4|0001|0001|stem||a;b;",
      "operation 0003|0001|",
      "event vLowLevel {n=7, s=t}",
  };
  EXPECT_EQ(d.real.Lines(), want);

  // afterwards everything passes straight through, after the kept records
  d.logger.Send(Event("vAfter"));
  d.logger.ClearProperties();
  d.logger.SetBoolProperty("b", false);
  d.logger.WriteEvent("vAfterLowLevel");
  const std::vector<std::string> lines = d.real.Lines();
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[5], "event vAfter {}");
  EXPECT_EQ(lines[6], "event vAfterLowLevel {b=false}");
  // made once, however often released
  d.logger.Release();
  EXPECT_EQ(d.made, 1);
}

TEST(DeferredLogger, CallsThatNeedTheSdkReleaseFirst) {
  struct Case {
    const char* call;
    std::function<void(ILoggerServer&)> run;
  } cases[] = {
      {"GetMid", [](ILoggerServer& l) { EXPECT_EQ(l.GetMid(), "test-mid"); }},
      {"GetMidEx", [](ILoggerServer& l) { EXPECT_EQ(l.GetMidEx(2), "test-mid-ex"); }},
      {"ReleaseSdk", [](ILoggerServer& l) { EXPECT_TRUE(l.ReleaseSdk()); }},
      {"InitSdk", [](ILoggerServer& l) { l.InitSdk(); }},
      {"OpenUrl", [](ILoggerServer& l) { l.OpenUrl("http://x.test/"); }},
      {"ShellExecAsUser", [](ILoggerServer& l) { l.ShellExecAsUser("open", "f", "", "", 0); }},
      {"BuildHttpData", [](ILoggerServer& l) { l.BuildHttpData(1, "b"); }},
      {"DecryptData", [](ILoggerServer& l) { l.DecryptData("d"); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.call);
    Deferred d;
    d.logger.Send(Event("pSoftInstall"));
    c.run(d.logger);
    EXPECT_EQ(d.made, 1);
    // the kept record reached the SDK before the call did
    EXPECT_EQ(d.real.Lines(), std::vector<std::string>{"event pSoftInstall {}"});
  }
}

TEST(DeferredLogger, TheLatestUploadRouteIsHandedOverFirst) {
  // notes how many records the real logger had when the route came
  struct RouteFirst : test::RecordingLogger {
    size_t linesAtRoute = 99;
    void SetUploadRoute(const SdkRoute& r) override {
      if (Routes().empty()) linesAtRoute = Lines().size();
      RecordingLogger::SetUploadRoute(r);
    }
  } real;
  CDeferredLogger logger([&real]() -> ILoggerServer& { return real; });
  SdkRoute proxy;
  proxy.proxyType = 1;
  proxy.proxyHost = "127.0.0.20";
  proxy.proxyPort = 8888;
  logger.Send(Event("pSoftInstall"));
  logger.SetUploadRoute(SdkRoute());
  logger.SetUploadRoute(proxy);
  EXPECT_FALSE(logger.released());
  EXPECT_TRUE(real.Routes().empty());
  logger.Release();
  EXPECT_EQ(real.Routes(), std::vector<std::string>{"1 127.0.0.20:8888 0 "});
  EXPECT_EQ(real.linesAtRoute, 0u);
  EXPECT_EQ(real.Lines(), std::vector<std::string>{"event pSoftInstall {}"});
  // afterwards each route passes straight through
  SdkRoute resolver;
  resolver.resolverMode = 1;
  resolver.dnsServer = "127.0.0.53";
  logger.SetUploadRoute(resolver);
  EXPECT_EQ(real.Routes(),
            (std::vector<std::string>{"1 127.0.0.20:8888 0 ", "0 :0 1 127.0.0.53"}));

  // no route before the release: none is handed over
  Deferred none;
  none.logger.Release();
  EXPECT_TRUE(none.real.Routes().empty());
}

TEST(DeferredLogger, PropertiesStayWithTheirThread) {
  Deferred d;
  // the main thread starts an event, another thread sends a whole one in
  // between, then the main thread finishes its own
  d.logger.ClearProperties();
  d.logger.SetStringProperty("page", "begin");
  std::thread other([&] {
    d.logger.ClearProperties();
    d.logger.SetIntProperty("attempt", 2);
    d.logger.WriteEvent("vNetworkCheck");
  });
  other.join();
  d.logger.SetBoolProperty("ok", true);
  d.logger.WriteEvent("vInstallPage");
  d.logger.Release();
  const std::vector<std::string> want = {
      "event vNetworkCheck {attempt=2}",
      "event vInstallPage {ok=true, page=begin}",
  };
  EXPECT_EQ(d.real.Lines(), want);
}

TEST(DeferredLogger, PropertiesSetBeforeTheReleaseStillGoWithTheEvent) {
  Deferred d;
  d.logger.ClearProperties();
  d.logger.SetStringProperty("k", "v");
  d.logger.Release();
  // the real logger never saw "k": the event carries it over whole
  d.logger.SetIntProperty("n", 1);
  d.logger.WriteEvent("vSpansTheRelease");
  d.logger.WriteEvent("vAgain");
  // a clear hands the thread back to the real logger's own properties
  d.logger.ClearProperties();
  d.logger.SetIntProperty("m", 3);
  d.logger.WriteEvent("vPlain");
  const std::vector<std::string> want = {
      "event vSpansTheRelease {n=1, k=v}",
      "event vAgain {n=1, k=v}",
      "event vPlain {m=3}",
  };
  EXPECT_EQ(d.real.Lines(), want);
}

TEST(DeferredLogger, RecordsSentDuringTheReleaseComeAfterTheKeptOnes) {
  Deferred d;
  constexpr int kKept = 50, kPerThread = 200, kThreads = 3;
  for (int i = 0; i < kKept; ++i)
    d.logger.Send(Event("kept").Int("i", i));
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kPerThread; ++i)
        d.logger.Send(Event("sent").Int("t", t).Int("i", i));
    });
  }
  d.logger.Release();
  for (auto& t : threads)
    t.join();
  const std::vector<std::string> lines = d.real.Lines();
  ASSERT_EQ(lines.size(), static_cast<size_t>(kKept + kThreads * kPerThread));
  for (int i = 0; i < kKept; ++i)
    EXPECT_EQ(lines[static_cast<size_t>(i)], "event kept {i=" + std::to_string(i) + "}");
  // each thread's records keep their own order
  for (int t = 0; t < kThreads; ++t) {
    int next = 0;
    const std::string prefix = "event sent {i=";
    for (const std::string& line : lines) {
      if (line.find("t=" + std::to_string(t) + "}") == std::string::npos) continue;
      EXPECT_EQ(line, prefix + std::to_string(next) + ", t=" + std::to_string(t) + "}");
      ++next;
    }
    EXPECT_EQ(next, kPerThread);
  }
}

TEST(DeferredLogger, WhatMakingTheLoggerSendsIsKeptAfterTheRest) {
  test::RecordingLogger real;
  CDeferredLogger* self = nullptr;
  CDeferredLogger logger([&]() -> ILoggerServer& {
    // the SDK's loader reporting through the process's logger, this one
    self->Send(Event("vWhileMaking"));
    return real;
  });
  self = &logger;
  logger.Send(Event("vFirst"));
  logger.Release();
  const std::vector<std::string> want = {"event vFirst {}", "event vWhileMaking {}"};
  EXPECT_EQ(real.Lines(), want);
}

}  // namespace
}  // namespace orvane
