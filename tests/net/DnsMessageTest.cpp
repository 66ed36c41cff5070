#include "net/DnsMessage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "net/DnsAnswers.h"

namespace orvane {
namespace {

using test::Bytes;

std::string Dotted(uint32_t a) {
  return FormatIPv4(a);
}

TEST(DnsIPv4, ParseAcceptsOnlyFourDecimalNumbers) {
  struct Case {
    const char* text;
    bool ok;
    uint8_t bytes[4];
  } cases[] = {
      {"10.0.0.1", true, {10, 0, 0, 1}},
      {"255.255.255.255", true, {255, 255, 255, 255}},
      {"0.0.0.0", true, {0, 0, 0, 0}},
      {"010.001.000.009", true, {10, 1, 0, 9}},  // leading zeros allowed
      {"127.0.0.53", true, {127, 0, 0, 53}},
      {"1.2.3", false, {}},
      {"1.2.3.256", false, {}},
      {"1.2.3.4.5", false, {}},
      {"1.2.3.", false, {}},
      {".1.2.3", false, {}},
      {"1..2.3", false, {}},
      {"1.2.3.4 ", false, {}},
      {" 1.2.3.4", false, {}},
      {"+1.2.3.4", false, {}},
      {"1.2.3.-4", false, {}},
      {"1.2.3.4000", false, {}},
      {"a.b.c.d", false, {}},
      {"::1", false, {}},
      {"", false, {}},
  };
  for (const auto& c : cases) {
    uint32_t a = 0x5A5A5A5A;
    EXPECT_EQ(ParseIPv4(c.text, &a), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(std::memcmp(&a, c.bytes, 4), 0) << c.text;
    }
  }
}

TEST(DnsIPv4, FormatWritesDottedTextOrNothing) {
  uint32_t a = 0;
  ASSERT_TRUE(ParseIPv4("10.0.0.1", &a));
  char buffer[16];
  EXPECT_STREQ(FormatIPv4(a, buffer, sizeof(buffer)), "10.0.0.1");
  EXPECT_EQ(FormatIPv4(a, buffer, 15), nullptr);
  ASSERT_TRUE(ParseIPv4("255.255.255.255", &a));
  EXPECT_STREQ(FormatIPv4(a, buffer, sizeof(buffer)), "255.255.255.255");
  EXPECT_EQ(Dotted(0), "0.0.0.0");
}

TEST(DnsQuery, MatchesTheWireLayoutByteForByte) {
  std::string q = BuildDnsQuery("cdn.orvane.test", 0x1234);
  const unsigned char expected[] = {
      0x34, 0x12,                              // id, machine (little-endian) order
      0x01, 0x00,                              // recursion desired
      0,    1,    0,   0,   0,   0,   0,   0,  // one question
      3,    'c',  'd', 'n', 6,   'o', 'r', 'v', 'a', 'n',
      'e',  4,    't', 'e', 's', 't', 0,   0,   1,  // QTYPE A
      0,    1,                                      // QCLASS IN
  };
  ASSERT_EQ(q.size(), sizeof(expected));
  EXPECT_EQ(std::memcmp(q.data(), expected, sizeof(expected)), 0);
  // n + 17 bytes, n the encoded name without its zero byte
  EXPECT_EQ(q.size(), 16u + 17u);
}

TEST(DnsQuery, OneLabelAndTrailingDot) {
  std::string one = BuildDnsQuery("localhost", 1);
  EXPECT_EQ(one.substr(12, 11), std::string("\x09localhost\x00", 11));
  EXPECT_EQ(BuildDnsQuery("a.b.", 7), BuildDnsQuery("a.b", 7));
}

TEST(DnsQuery, RefusesNamesItCannotEncode) {
  EXPECT_EQ(BuildDnsQuery("", 1), "");
  EXPECT_EQ(BuildDnsQuery(".", 1), "");
  EXPECT_EQ(BuildDnsQuery("a..b", 1), "");
  EXPECT_EQ(BuildDnsQuery(".a", 1), "");
  EXPECT_EQ(BuildDnsQuery(std::string(64, 'x') + ".test", 1), "");
  EXPECT_NE(BuildDnsQuery(std::string(63, 'x') + ".test", 1), "");
  std::string longName;
  for (int i = 0; i < 5; ++i)
    longName += std::string(60, 'a' + i) + ".";
  EXPECT_EQ(BuildDnsQuery(longName, 1), "");  // 305 bytes on the wire
}

TEST(DnsName, ReadsLabelsAndPointers) {
  // 12 bytes of header room, then "a.example.com" at 12, "www" + pointer to
  // "example.com" at 27
  Bytes m(12, 0);
  m.Name({"a", "example", "com"});  // 12..26
  size_t wwwAt = m.size();
  m.Label("www").Pointer(14);
  size_t used = 0;
  EXPECT_EQ(ReadName(m.data(), m.size(), 12, &used), "a.example.com");
  EXPECT_EQ(used, 15u);
  EXPECT_EQ(ReadName(m.data(), m.size(), wwwAt, &used), "www.example.com");
  EXPECT_EQ(used, 6u);  // 3www + 2 pointer bytes
  // a pointer to a name that itself ends in a pointer
  size_t chainAt = m.size();
  m.Label("x").Pointer(wwwAt);
  EXPECT_EQ(ReadName(m.data(), m.size(), chainAt, &used), "x.www.example.com");
  EXPECT_EQ(used, 4u);
  // the root name
  Bytes root(12, 0);
  root.Byte(0);
  EXPECT_EQ(ReadName(root.data(), root.size(), 12, &used), "");
  EXPECT_EQ(used, 1u);
}

TEST(DnsName, RejectsMalformedNames) {
  auto read = [](const Bytes& m, size_t at) {
    size_t used = 0;
    return ReadName(m.data(), m.size(), at, &used).has_value();
  };
  Bytes past(12, 0);
  past.Byte(5).Text("abc");  // label runs past the end
  EXPECT_FALSE(read(past, 12));
  Bytes noEnd(12, 0);
  noEnd.Label("abc");  // no zero byte
  EXPECT_FALSE(read(noEnd, 12));
  Bytes halfPointer(12, 0);
  halfPointer.Byte(0xC0);
  EXPECT_FALSE(read(halfPointer, 12));
  Bytes forward(12, 0);
  forward.Pointer(14).Byte(0);
  EXPECT_FALSE(read(forward, 12));
  Bytes self(12, 0);
  self.Pointer(12);
  EXPECT_FALSE(read(self, 12));
  // a label, then a pointer back to that label: a loop through a backward
  // pointer
  Bytes loop(12, 0);
  loop.Label("ab").Pointer(12);
  EXPECT_FALSE(read(loop, 12));
  Bytes beyond(12, 0);
  beyond.Pointer(0x3FFF);
  EXPECT_FALSE(read(beyond, 12));
  Bytes reserved40(12, 0);
  reserved40.Byte(0x41).Text("a").Byte(0);
  EXPECT_FALSE(read(reserved40, 12));
  Bytes reserved80(12, 0);
  reserved80.Byte(0x81).Text("a").Byte(0);
  EXPECT_FALSE(read(reserved80, 12));
  Bytes label64(12, 0);
  label64.Byte(64).Text(std::string(64, 'x')).Byte(0);
  EXPECT_FALSE(read(label64, 12));
  Bytes label63(12, 0);
  label63.Byte(63).Text(std::string(63, 'x')).Byte(0);
  EXPECT_TRUE(read(label63, 12));
  Bytes tooLong(12, 0);  // 4 x 64 + 1 = 257 bytes on the wire
  for (int i = 0; i < 4; ++i)
    tooLong.Byte(63).Text(std::string(63, 'x'));
  tooLong.Byte(0);
  EXPECT_FALSE(read(tooLong, 12));
  Bytes longest(12, 0);  // 3 x 64 + 62 + 1 = 255
  for (int i = 0; i < 3; ++i)
    longest.Byte(63).Text(std::string(63, 'x'));
  longest.Byte(61).Text(std::string(61, 'x')).Byte(0);
  EXPECT_TRUE(read(longest, 12));
  // position outside the message
  EXPECT_FALSE(read(longest, longest.size()));
  EXPECT_FALSE(read(longest, longest.size() + 5));
}

TEST(DnsName, PointerChainsEndAt128) {
  auto chain = [](int pointers) {
    Bytes m(12, 0);
    m.Byte(0);  // the root name at 12
    size_t last = 12;
    for (int i = 0; i < pointers; ++i) {
      size_t here = m.size();
      m.Pointer(last);
      last = here;
    }
    size_t used = 0;
    return ReadName(m.data(), m.size(), last, &used).has_value();
  };
  EXPECT_TRUE(chain(128));
  EXPECT_FALSE(chain(129));
}

TEST(DnsAnswer, ReadsARecordsAfterTheEchoedQuestion) {
  test::Answer a("cdn.orvane.test");
  a.A("127.0.0.11").A("127.0.0.12");
  AddressList out;
  ASSERT_EQ(ParseDnsAnswer(a.data(), a.size(), a.queryLength(), &out), 0);
  ASSERT_EQ(out.count, 2);
  EXPECT_EQ(Dotted(out.addresses[0]), "127.0.0.11");
  EXPECT_EQ(Dotted(out.addresses[1]), "127.0.0.12");
}

TEST(DnsAnswer, CnameThenA) {
  test::Answer a("www.orvane.test");
  a.Cname("cdn.orvane.test").A("127.0.0.11", /*ownerAtAlias=*/true);
  AddressList out;
  ASSERT_EQ(ParseDnsAnswer(a.data(), a.size(), a.queryLength(), &out), 0);
  ASSERT_EQ(out.count, 1);
  EXPECT_EQ(Dotted(out.addresses[0]), "127.0.0.11");
}

TEST(DnsAnswer, OnlyTheFirstTwentyAnswersCount) {
  test::Answer a("many.orvane.test");
  for (int i = 1; i <= 25; ++i)
    a.A("10.0.0." + std::to_string(i));
  AddressList out;
  ASSERT_EQ(ParseDnsAnswer(a.data(), a.size(), a.queryLength(), &out), 0);
  ASSERT_EQ(out.count, 20);
  EXPECT_EQ(Dotted(out.addresses[19]), "10.0.0.20");
  // the records past the twentieth are not looked at, even broken ones
  a.Raw("\xC0");
  a.SetAnswerCount(26);
  out = AddressList();
  EXPECT_EQ(ParseDnsAnswer(a.data(), a.size(), a.queryLength(), &out), 0);
}

TEST(DnsAnswer, NoAddressIsAFailure) {
  AddressList out;
  test::Answer none("none.orvane.test");
  EXPECT_EQ(ParseDnsAnswer(none.data(), none.size(), none.queryLength(), &out), -1);
  test::Answer aliases("alias.orvane.test");
  aliases.Cname("b.orvane.test").Cname("c.orvane.test");
  EXPECT_EQ(ParseDnsAnswer(aliases.data(), aliases.size(), aliases.queryLength(), &out), -1);
  test::Answer other("txt.orvane.test");
  other.Record(16,
               "\x03"
               "abc");
  EXPECT_EQ(ParseDnsAnswer(other.data(), other.size(), other.queryLength(), &out), -1);
  EXPECT_EQ(out.count, 0);
}

TEST(DnsAnswer, OtherRecordKindsAreSkippedByTheirLength) {
  test::Answer a("v6.orvane.test");
  a.Record(28, std::string(16, '\x01')).A("127.0.0.7");  // AAAA, then A
  AddressList out;
  ASSERT_EQ(ParseDnsAnswer(a.data(), a.size(), a.queryLength(), &out), 0);
  EXPECT_EQ(Dotted(out.addresses[0]), "127.0.0.7");
}

TEST(DnsAnswer, MalformedAnswersYieldNoAddress) {
  struct Case {
    const char* what;
    test::Answer answer;
  };
  std::vector<Case> cases;
  {
    test::Answer a("x.orvane.test");
    a.A("1.2.3.4").SetAnswerCount(2);
    cases.push_back({"count larger than the records present", a});
  }
  {
    test::Answer a("x.orvane.test");
    a.Record(1, "\x01\x02\x03");
    cases.push_back({"A data of 3 bytes", a});
  }
  {
    test::Answer a("x.orvane.test");
    a.Record(1, "\x01\x02\x03\x04\x05").A("1.2.3.4");
    cases.push_back({"A data of 5 bytes", a});
  }
  {
    test::Answer a("x.orvane.test");
    a.A("1.2.3.4").Record(1, "\x01\x02\x03\x04");
    a.Truncate(a.size() - 2);
    cases.push_back({"data running past the datagram", a});
  }
  {
    test::Answer a("x.orvane.test");
    a.A("1.2.3.4").SetLastDataLength(300);
    cases.push_back({"data length beyond the datagram", a});
  }
  {
    test::Answer a("x.orvane.test");
    a.Cname("y.orvane.test").SetLastDataLength(4).A("1.2.3.4");
    cases.push_back({"alias longer than its data", a});
  }
  {
    test::Answer a("x.orvane.test");
    a.A("1.2.3.4").PatchOwnerPointer(0, 0x3FFF);
    cases.push_back({"owner pointer past the datagram", a});
  }
  {
    test::Answer a("x.orvane.test");
    a.Truncate(20);
    cases.push_back({"question cut", a});
  }
  {
    Bytes shortHeader(5, 0);
    test::Answer a("x.orvane.test");
    a.Truncate(7);
    cases.push_back({"header cut", a});
  }
  for (auto& c : cases) {
    AddressList out;
    EXPECT_EQ(ParseDnsAnswer(c.answer.data(), c.answer.size(), c.answer.queryLength(), &out), -1)
        << c.what;
    EXPECT_EQ(out.count, 0) << c.what;
  }
}

// every proper prefix and every proper suffix of a sound answer is cut
// somewhere: none of them may give an address
TEST(DnsAnswer, NoCutAnswerYieldsAnAddress) {
  test::Answer a("www.orvane.test");
  a.Cname("cdn.orvane.test").A("127.0.0.11", true).A("127.0.0.12", true);
  const std::vector<uint8_t> whole(a.data(), a.data() + a.size());
  AddressList out;
  ASSERT_EQ(ParseDnsAnswer(whole.data(), whole.size(), a.queryLength(), &out), 0);
  ASSERT_EQ(out.count, 2);
  for (size_t n = 0; n < whole.size(); ++n) {
    std::vector<uint8_t> prefix(whole.begin(), whole.begin() + n);
    AddressList p;
    EXPECT_EQ(ParseDnsAnswer(prefix.data(), prefix.size(), a.queryLength(), &p), -1)
        << "prefix of " << n;
    EXPECT_EQ(p.count, 0);
    std::vector<uint8_t> suffix(whole.begin() + (whole.size() - n), whole.end());
    AddressList s;
    EXPECT_EQ(ParseDnsAnswer(suffix.data(), suffix.size(), a.queryLength(), &s), -1)
        << "suffix of " << n;
    EXPECT_EQ(s.count, 0);
  }
}

}  // namespace
}  // namespace orvane
