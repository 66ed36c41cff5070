#include "platform/Md5.h"

#include <gtest/gtest.h>

#include <string>

namespace orvane {
namespace {

// RFC 1321, appendix A.5
TEST(Md5, RfcTestSuite) {
  struct Case {
    const char* input;
    const char* digest;
  } cases[] = {
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Md5Hex(std::string(c.input)), c.digest) << c.input;

  // the empty message has a digest, but Md5Hex reports "no bytes" as empty
  Md5 empty;
  EXPECT_EQ(empty.FinalHex(), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Md5Hex(std::string()), "");
  EXPECT_EQ(Md5Hex("abc", 0), "");
  EXPECT_EQ(Md5Hex("abc", -1), "");
  EXPECT_EQ(Md5Hex(nullptr, 3), "");
}

TEST(Md5, PiecewiseEqualsWhole) {
  std::string data;
  for (int i = 0; i < 10000; ++i)
    data.push_back(static_cast<char>(i * 7 + i / 13));
  const std::string whole = Md5Hex(data);
  // piece sizes around the 64-byte block and the 56-byte padding boundary
  for (size_t piece : {1u, 3u, 55u, 56u, 57u, 63u, 64u, 65u, 127u, 4096u}) {
    Md5 md5;
    for (size_t at = 0; at < data.size(); at += piece)
      md5.Update(data.data() + at, std::min(piece, data.size() - at));
    EXPECT_EQ(md5.FinalHex(), whole) << "piece " << piece;
  }
  // lengths that end right at, before and after the padding boundary
  for (size_t len : {55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u}) {
    std::string cut = data.substr(0, len);
    Md5 a;
    a.Update(cut.data(), cut.size());
    Md5 b;
    b.Update(cut.data(), len / 2);
    b.Update(cut.data() + len / 2, len - len / 2);
    EXPECT_EQ(a.FinalHex(), b.FinalHex()) << len;
  }
}

}  // namespace
}  // namespace orvane
