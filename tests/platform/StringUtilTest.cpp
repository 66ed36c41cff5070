#include "platform/StringUtil.h"

#include <gtest/gtest.h>

#include <climits>

namespace orvane {
namespace {

TEST(StringUtil, Int64RoundTripsAndParsesLikeScanf) {
  EXPECT_EQ(FormatInt64(0), "0");
  EXPECT_EQ(FormatInt64(-42), "-42");
  EXPECT_EQ(FormatInt64(LLONG_MIN), "-9223372036854775808");
  EXPECT_EQ(ParseInt64("9223372036854775807"), LLONG_MAX);

  struct Case {
    const char* text;
    int64_t value;
  } cases[] = {
      {"130618652", 130618652},
      {"  17", 17},
      {"+5", 5},
      {"-3x", -3},
      {"12.5", 12},
      {"abc", 0},
      {"", 0},
      {"0x10", 0},
      {"\t\n8", 8},
      {"-", 0},
      {"--1", 0},
      {"97", 97},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ParseInt64(c.text), c.value) << c.text;
}

TEST(StringUtil, TrimLeftAndFirstThree) {
  EXPECT_EQ(TrimLeftChars("  \t x y", " \t"), "x y");
  EXPECT_EQ(TrimLeftChars("xxx", "x"), "");
  EXPECT_EQ(TrimLeftChars("abc", ""), "abc");
  EXPECT_EQ(FirstThreeChars("abcdef"), "abc");
  EXPECT_EQ(FirstThreeChars("ab"), "ab");
  EXPECT_EQ(FirstThreeChars(""), "");
}

TEST(StringUtil, FindSubstringIsMinusOneForEmptyTexts) {
  EXPECT_EQ(FindSubstring(std::string("hello"), std::string("ll")), 2);
  EXPECT_EQ(FindSubstring(std::string("hello"), std::string("")), -1);
  EXPECT_EQ(FindSubstring(std::string(""), std::string("a")), -1);
  EXPECT_EQ(FindSubstring(std::string("hello"), std::string("z")), -1);
  EXPECT_EQ(FindSubstring(std::wstring(L"C:\\Program Files"), std::wstring(L"Program")), 3);
  EXPECT_EQ(FindSubstring(std::wstring(L"abc"), std::wstring()), -1);
}

TEST(StringUtil, EraseAllResumesWhereItRemoved) {
  EXPECT_EQ(EraseAll(L"a-b-c", L"-"), L"abc");
  EXPECT_EQ(EraseAll(L"abc", L""), L"abc");   // empty part
  EXPECT_EQ(EraseAll(L"ab", L"abc"), L"ab");  // part longer than text
  EXPECT_EQ(EraseAll(L"abab", L"ab"), L"");
  // removing "ab" from "aabb" joins "a" and "b"; the search goes on from the
  // place of the removal, not from the start, so the new "ab" stays
  EXPECT_EQ(EraseAll(L"aabb", L"ab"), L"ab");
  EXPECT_EQ(EraseAll(L"\"C:\\x\" --flag", L"\""), L"C:\\x --flag");
}

TEST(StringUtil, SplitAnyDropsEmptyPieces) {
  using WV = std::vector<std::wstring>;
  EXPECT_EQ(SplitAny(std::wstring(L"C:\\\\a\\b\\"), std::wstring(L"\\")), (WV{L"C:", L"a", L"b"}));
  EXPECT_EQ(SplitAny(std::wstring(L"a/b\\c"), std::wstring(L"\\/")), (WV{L"a", L"b", L"c"}));
  EXPECT_TRUE(SplitAny(std::wstring(L"\\\\"), std::wstring(L"\\")).empty());
  EXPECT_TRUE(SplitAny(std::wstring(), std::wstring(L"\\")).empty());
  using NV = std::vector<std::string>;
  EXPECT_EQ(SplitAny(std::string("1.97.0.0"), std::string(".")), (NV{"1", "97", "0", "0"}));
  EXPECT_EQ(SplitAny(std::string("x"), std::string("")), (NV{"x"}));
}

TEST(StringUtil, WithoutControlCharacters) {
  EXPECT_EQ(WithoutControlCharacters(L"a\r\n[x]\r\nk=v\t\x7f\x1f 栖 \"q\""), L"a[x]k=v 栖 \"q\"");
  EXPECT_EQ(WithoutControlCharacters(L""), L"");
}

TEST(StringUtil, HexLower) {
  const unsigned char bytes[] = {0x00, 0x0f, 0xa0, 0xff};
  EXPECT_EQ(HexLower(bytes, sizeof(bytes)), "000fa0ff");
  EXPECT_EQ(HexLower(bytes, 0), "");
}

}  // namespace
}  // namespace orvane
