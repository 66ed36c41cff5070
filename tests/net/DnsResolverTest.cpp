#include "net/DnsResolver.h"

#include <gtest/gtest.h>

#include "BuildConfig.h"
#include "net/DnsAnswers.h"
#include "net/FakeNetworkApi.h"

namespace orvane {
namespace {

class DnsResolver : public ::testing::Test {
 protected:
  DnsResolver() : scope_(&api_) {}

  // the answer to whatever query the resolver sends, with the addresses
  void AnswerWith(const std::string& host, std::vector<std::string> addresses) {
    test::Answer a(host, api_.queryId);
    for (const auto& d : addresses)
      a.A(d);
    api_.answer.assign(reinterpret_cast<const char*>(a.data()), a.size());
  }

  test::FakeNetworkApi api_;
  ScopedNetworkApiOverride scope_;
};

TEST_F(DnsResolver, AsksTheGivenServerOnPort53) {
  AnswerWith("cdn.orvane.test", {"127.0.0.11"});
  AddressList out;
  ASSERT_EQ(ResolveByUdp("cdn.orvane.test", &out, "127.0.0.53"), 0);
  ASSERT_EQ(out.count, 1);
  EXPECT_EQ(FormatIPv4(out.addresses[0]), "127.0.0.11");
  EXPECT_EQ(api_.datagramTo, "127.0.0.53:53");
  EXPECT_EQ(api_.datagram, BuildDnsQuery("cdn.orvane.test", api_.queryId));
  EXPECT_EQ(api_.opened, 1);
  EXPECT_EQ(api_.closed, 1);
}

TEST_F(DnsResolver, AnUnparsableServerMeansTheSystemServers) {
  api_.dnsServers = {"127.0.0.56", "127.0.0.57"};
  AnswerWith("cdn.orvane.test", {"127.0.0.11"});
  for (const char* server : {"1.2.3", "1.2.3.256", "", "dns.example"}) {
    AddressList out;
    EXPECT_EQ(ResolveByUdp("cdn.orvane.test", &out, server), 0) << server;
    EXPECT_EQ(api_.datagramTo, "127.0.0.56:53") << server;  // the first only
  }
  AddressList out;
  EXPECT_EQ(ResolveByUdp("cdn.orvane.test", &out, nullptr), 0);
  EXPECT_EQ(api_.datagramTo, "127.0.0.56:53");
}

TEST_F(DnsResolver, NoSystemServersMeansThePublicOnes) {
  AnswerWith("cdn.orvane.test", {"127.0.0.11"});
  AddressList out;
  api_.dnsServers.clear();
  EXPECT_EQ(ResolveByUdp("cdn.orvane.test", &out, nullptr), 0);
  EXPECT_EQ(api_.datagramTo, std::string(config::kPublicDns[0]) + ":53");
  api_.dnsServersOk = false;
  api_.datagramTo.clear();
  EXPECT_EQ(ResolveByUdp("cdn.orvane.test", &out, nullptr), 0);
  EXPECT_EQ(api_.datagramTo, std::string(config::kPublicDns[0]) + ":53");
}

TEST_F(DnsResolver, AFirstSystemServerThatIsNotIPv4EndsTheCall) {
  api_.dnsServers = {"fe80::1", "127.0.0.53"};
  AnswerWith("cdn.orvane.test", {"127.0.0.11"});
  AddressList out;
  EXPECT_EQ(ResolveByUdp("cdn.orvane.test", &out, nullptr), -1);
  EXPECT_EQ(api_.datagram, "");
}

TEST_F(DnsResolver, AnswerWithAnotherIdIsAccepted) {
  test::Answer a("cdn.orvane.test", static_cast<uint16_t>(api_.queryId + 1));
  a.A("127.0.0.11");
  api_.answer.assign(reinterpret_cast<const char*>(a.data()), a.size());
  AddressList out;
  EXPECT_EQ(ResolveByUdp("cdn.orvane.test", &out, "127.0.0.53"), 0);
}

TEST_F(DnsResolver, EveryFailureIsMinusOne) {
  AnswerWith("cdn.orvane.test", {"127.0.0.11"});
  AddressList out;
  EXPECT_EQ(ResolveByUdp(nullptr, &out, "127.0.0.53"), -1);
  EXPECT_EQ(ResolveByUdp("cdn.orvane.test", nullptr, "127.0.0.53"), -1);
  EXPECT_EQ(ResolveByUdp("a..b", &out, "127.0.0.53"), -1);
  api_.answerWait = WaitResult::kTimeout;
  EXPECT_EQ(ResolveByUdp("cdn.orvane.test", &out, "127.0.0.53"), -1);
  api_.answerWait = WaitResult::kError;
  EXPECT_EQ(ResolveByUdp("cdn.orvane.test", &out, "127.0.0.53"), -1);
  api_.answerWait = WaitResult::kReady;
  api_.failRecvFrom = true;
  EXPECT_EQ(ResolveByUdp("cdn.orvane.test", &out, "127.0.0.53"), -1);
  api_.failRecvFrom = false;
  api_.failSendTo = true;
  EXPECT_EQ(ResolveByUdp("cdn.orvane.test", &out, "127.0.0.53"), -1);
  api_.failSendTo = false;
  api_.failOpen = true;
  EXPECT_EQ(ResolveByUdp("cdn.orvane.test", &out, "127.0.0.53"), -1);
  EXPECT_EQ(out.count, 0);
  EXPECT_EQ(api_.opened, api_.closed);  // every socket closed again
}

}  // namespace
}  // namespace orvane
