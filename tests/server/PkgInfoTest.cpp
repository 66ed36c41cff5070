// The package-info query against the vendor API simulator: the request on
// the wire, the answers it holds, its failures, retries and stop.
#include "server/PkgInfo.h"

#include <gtest/gtest.h>

#include <iostream>

#include "BuildConfig.h"
#include "net/FakeNetworkApi.h"
#include "platform/SystemInfo.h"
#include "support/Guarded.h"
#include "support/VendorSim.h"
#include "support/WineTestSupport.h"

namespace orvane {
namespace {

using test::WaitStatus;

constexpr DWORD kQueryWaitMs = 30000;

std::string PackagePath(const std::string& version) {
  return "/applicationService/installer/getAppVersion?appId=40917263&versionCode=" + version +
         "&packageSystemSupport=" + (Is64BitWindows() ? "2" : "1");
}

PkgQuerySetup WithVersionOf(const char* exe) {
  PkgQuerySetup setup;
  setup.versionFile = test::HostPath(exe);
  return setup;
}

TEST(PkgInfoQuery, SendsTheRequestFrameAndHoldsTheAnswer) {
  test::SetSimScenario(R"({"package":{"data":{
      "downloadUrl":"http://cdn.orvane.test/10284/install.exe","versionCode":"2.3.1.0",
      "size":"300000","installationSize":1048576,"md5":"0123456789abcdef0123456789abcdef"}}})");
  CPkgInfo info;
  ASSERT_TRUE(info.Start(WithVersionOf(ORVANE_INSTALLER_EXE)));
  ASSERT_EQ(WaitStatus(info, kQueryWaitMs), 1) << info.failure();

  std::vector<test::SimRequest> sent = test::SimRequestsTo("package");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].listener, "127.0.0.10:80");
  EXPECT_EQ(sent[0].raw, test::ExpectedGet(config::kApiHost, PackagePath("1.0.0.2")));

  ASSERT_EQ(info.GetUrlCount(), 1);
  EXPECT_STREQ(info.GetUrl(0), "http://cdn.orvane.test/10284/install.exe");
  EXPECT_EQ(info.GetUrl(1), nullptr);
  EXPECT_EQ(info.GetUrl(-1), nullptr);
  EXPECT_STREQ(info.GetVersionCode(), "2.3.1.0");
  EXPECT_STREQ(info.GetMd5(), "0123456789abcdef0123456789abcdef");
  EXPECT_EQ(info.GetPackageSize(), 300000);
  EXPECT_EQ(info.GetInstallationSize(), 1048576);

  // Clear empties the record but keeps the outcome
  info.Clear();
  EXPECT_EQ(info.GetUrlCount(), 0);
  EXPECT_EQ(info.GetVersionCode(), nullptr);
  EXPECT_EQ(info.GetMd5(), nullptr);
  EXPECT_EQ(info.GetPackageSize(), 0);
  EXPECT_EQ(info.GetStatus(), 1);
}

TEST(PkgInfoQuery, ProgramWithoutVersionResourceSendsTheFallbackVersion) {
  test::SetSimScenario("{}");
  CPkgInfo info;
  ASSERT_TRUE(info.Start(WithVersionOf(ORVANE_EXIT_WITH_EXE)));
  ASSERT_EQ(WaitStatus(info, kQueryWaitMs), 1) << info.failure();
  std::vector<test::SimRequest> sent = test::SimRequestsTo("package");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].requestLine, "GET " + PackagePath("0.9.0.1") + " HTTP/1.1");
}

TEST(PkgInfoQuery, AnswersAndTheirOutcomes) {
  const int64_t defaultSize = Is64BitWindows() ? 130618652 : 100616912;
  struct Case {
    const char* scenario;
    int status;
    const char* failure;
    int64_t size;
    int64_t installationSize;
  } cases[] = {
      {R"({"package":{"data":{}}})", 1, "", defaultSize, 240478201},
      {R"({"package":{"reply":"null-data"}})", 1, "", defaultSize, 240478201},
      {R"({"package":{"data":{"size":"500","installationSize":"0"}}})", 1, "", 500, 240478201},
      {R"({"package":{"data":{"size":500},"chunked":true}})", 1, "", 500, 240478201},
      {R"({"package":{"reply":"refused","code":0}})", 2, "request error", 100616912, 240478201},
      {R"({"package":{"reply":"refused"}})", 2, "request error", 100616912, 240478201},
      {R"({"package":{"reply":"no-data"}})", 2, "member not exist", 100616912, 240478201},
      {R"({"package":{"reply":"no-code"}})", 2, "member not exist", 100616912, 240478201},
      {R"({"package":{"reply":"html"}})", 2, "parse decrypt data error", 100616912, 240478201},
      // an array where text is expected: the JSON library's conversion error
      {R"({"package":{"reply":"body","body":"{\"code\":\"server.success\",\"data\":{\"md5\":[1]}}"}})",
       2, "Type is not convertible to string", 100616912, 240478201},
      // what follows the answer's object is not looked at
      {R"({"package":{"reply":"body","body":"{\"code\":\"server.success\",\"data\":{\"size\":500}} // node 7"}})",
       1, "", 500, 240478201},
      {R"({"package":{"reply":"body","body":"{\"code\":\"server.success\",\"data\":{\"size\":500}}\n<!-- proxy -->"}})",
       1, "", 500, 240478201},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scenario);
    test::SetSimScenario(c.scenario);
    CPkgInfo info;
    ASSERT_TRUE(info.Start());
    EXPECT_EQ(WaitStatus(info, kQueryWaitMs), c.status);
    // every failure with its text, and none without one
    EXPECT_EQ(info.failure(), c.failure);
    EXPECT_EQ(info.GetPackageSize(), c.size);
    EXPECT_EQ(info.GetInstallationSize(), c.installationSize);
    EXPECT_EQ(info.GetUrlCount(), 0);
    // envelope failures are final: no second request
    EXPECT_EQ(test::SimRequestsTo("package").size(), 1u);
  }
}

TEST(PkgInfoQuery, KeepsTryingNameThenFixedAddressEvery300ms) {
  // cycles 0 to 2 fail at the name and at the address; cycle 3 gets its answer
  test::SetSimScenario(R"({"package":{"fail_first":6,"fail_reply":"status","status":502}})");
  CPkgInfo info;
  ASSERT_TRUE(info.Start());
  ASSERT_EQ(WaitStatus(info, 60000), 1) << info.failure();
  std::vector<test::SimRequest> sent = test::SimRequestsTo("package");
  ASSERT_EQ(sent.size(), 7u);
  for (size_t i = 0; i < sent.size(); ++i) {
    const std::string host = i % 2 == 0 ? config::kApiHost : config::kApiIp;
    EXPECT_EQ(sent[i].raw, test::ExpectedGet(host, PackagePath(kFallbackVersion))) << i;
  }
  // a pause before every cycle but the first: the three pauses take at
  // least 900 ms in all (wide bounds, the machine is busy)
  EXPECT_GE(sent[6].timeMs - sent[0].timeMs, 800);
  EXPECT_GE(sent[2].timeMs - sent[1].timeMs, 250);
  EXPECT_LT(sent[6].timeMs - sent[0].timeMs, 45000);
}

TEST(PkgInfoQuery, ClosedConnectionsAndSilenceCountAsEmptyAnswers) {
  test::SetSimScenario(R"({"package":{"fail_first":2,"fail_reply":"close"}})");
  CPkgInfo info;
  ASSERT_TRUE(info.Start());
  ASSERT_EQ(WaitStatus(info, 60000), 1) << info.failure();
  EXPECT_EQ(test::SimRequestsTo("package").size(), 3u);

  // a silent gateway: the 5000 ms receive time-out ends the attempt
  test::SetSimScenario(R"({"package":{"fail_first":1,"fail_reply":"silent"}})");
  CPkgInfo slow;
  ASSERT_TRUE(slow.Start());
  ASSERT_EQ(WaitStatus(slow, 60000), 1) << slow.failure();
  std::vector<test::SimRequest> sent = test::SimRequestsTo("package");
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_GE(sent[1].timeMs - sent[0].timeMs, 4000);
  EXPECT_EQ(sent[1].listener, "127.0.0.10:80");
  EXPECT_EQ(sent[1].raw, test::ExpectedGet(config::kApiIp, PackagePath(kFallbackVersion)));
}

TEST(PkgInfoQuery, StopEndsAQueryWaitingOnASilentServer) {
  test::SetSimScenario(R"({"package":{"reply":"silent"}})");
  CPkgInfo info;
  ASSERT_TRUE(info.Start());
  ASSERT_TRUE(test::WaitForSimRequests("package", 1, kQueryWaitMs));
  DWORD start = ::GetTickCount();
  info.Stop();
  DWORD took = ::GetTickCount() - start;
  // the request in flight was aborted and the worker ended by itself,
  // reporting the cancel (a worker ended forcibly reports nothing)
  EXPECT_LT(took, 10000u);
  EXPECT_EQ(info.GetStatus(), 2);
  EXPECT_EQ(info.failure(), "user cancel");
  EXPECT_EQ(test::SimRequestsTo("package").size(), 1u);
}

TEST(PkgInfoQuery, StopDuringThePauseOfAnUnreachableGateway) {
  // nothing listens at .38: every attempt fails at once
  PkgQuerySetup setup;
  setup.endpoint = {"127.0.0.38", "127.0.0.39", 80};
  CPkgInfo info;
  ASSERT_TRUE(info.Start(setup));
  ::Sleep(1000);
  EXPECT_EQ(info.GetStatus(), 0);
  DWORD start = ::GetTickCount();
  info.Stop();
  EXPECT_LT(::GetTickCount() - start, 10000u);
  EXPECT_EQ(info.GetStatus(), 2);
  EXPECT_EQ(info.failure(), "user cancel");
}

// The gateway's name never resolves (a system resolver that gets no
// answer). The stop ends the query all the same, at once and without ending
// its thread forcibly: the worker reports the cancel itself, which a thread
// ended from outside never does. The lookup is left to its own thread.
TEST(PkgInfoQuery, StopEndsAQueryWhoseNameNeverResolves) {
  test::FakeNetworkApi net;
  ScopedNetworkApiOverride useNet(&net);
  net.HoldLookups();
  CPkgInfo info;
  ASSERT_TRUE(info.Start());
  ASSERT_TRUE(test::WaitUntil([&] { return net.held() == 1; }));
  test::Guarded stop = test::RunGuarded([&] { info.Stop(); }, [&] { net.Release(); }, 10.0);
  std::cout << "stop with the query in a lookup took " << stop.seconds << " s\n";
  EXPECT_LT(stop.seconds, 1.0);
  EXPECT_EQ(info.GetStatus(), 2);
  EXPECT_EQ(info.failure(), "user cancel");
  EXPECT_EQ(net.held(), 1);
  EXPECT_TRUE(net.connects.empty());
  net.Drain();
}

TEST(PkgInfoQuery, StartsWithTheDefaults) {
  CPkgInfo info;
  EXPECT_EQ(info.GetStatus(), 0);
  EXPECT_EQ(info.GetPackageSize(), 100616912);
  EXPECT_EQ(info.GetInstallationSize(), 240478201);
  EXPECT_EQ(info.GetVersionCode(), nullptr);
  EXPECT_EQ(info.GetUrlCount(), 0);
}

}  // namespace
}  // namespace orvane
