#include "qlx/JsonText.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <memory>
#include <string>

namespace orvane::qlx {
namespace {

TEST(JsonText, Utf8Validity) {
  struct Case {
    std::string bytes;
    bool valid;
  } cases[] = {
      {"", true},
      {"plain ascii", true},
      {"安装器", true},
      {"\xF0\x9F\x98\x80", true},   // U+1F600
      {"\xEF\xBF\xBF", true},       // U+FFFF
      {"\xF4\x8F\xBF\xBF", true},   // U+10FFFF
      {"\x80", false},              // continuation first
      {"\xC0\xAF", false},          // overlong "/"
      {"\xE0\x80\xAF", false},      // overlong
      {"\xF0\x80\x80\xAF", false},  // overlong
      {"\xED\xA0\x80", false},      // surrogate U+D800
      {"\xF4\x90\x80\x80", false},  // above U+10FFFF
      {"\xE5\xAE", false},          // cut short
      {"abc\xE5", false},           // cut short at the end
      {"\xC3\x28", false},          // bad continuation
      {"\xB0\xB2\xD7\xB0", false},  // GBK "安装"
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << testing::PrintToString(c.bytes);
}

std::string Parse(const std::string& json) {
  Json::CharReaderBuilder b;
  std::unique_ptr<Json::CharReader> r(b.newCharReader());
  Json::Value v;
  std::string errors;
  EXPECT_TRUE(r->parse(json.data(), json.data() + json.size(), &v, &errors)) << json << errors;
  return v.isString() ? v.asString() : v.toStyledString();
}

TEST(JsonText, StringsKeepUtf8AndEscapeOnlyWhatJsonNeeds) {
  struct Case {
    std::string text;
    std::string json;
  } cases[] = {
      {"", "\"\""},
      {"安装器", "\"安装器\""},
      {"say \"hi\"", "\"say \\\"hi\\\"\""},
      {"C:\\dir\\file", "\"C:\\\\dir\\\\file\""},
      {"a\nb\rc\td", "\"a\\nb\\rc\\td\""},
      {std::string("\x01\x1F", 2), "\"\\u0001\\u001f\""},
      {std::string("nul\0in", 6), "\"nul\\u0000in\""},
      {"\x7F", "\"\x7F\""},
  };
  for (const auto& c : cases) {
    std::string out;
    AppendJsonString(&out, c.text);
    EXPECT_EQ(out, c.json);
    EXPECT_EQ(Parse(out), c.text);  // a JSON reader gets the text back
  }
}

TEST(JsonText, BytesThatAreNotUtf8BecomeBase64) {
  const std::string gbk = "\xB0\xB2\xD7\xB0.dmp";
  std::string out;
  AppendJsonText(&out, gbk);
  EXPECT_EQ(out, "{\"b64\":\"sLLXsC5kbXA=\"}");
  std::string back;
  ASSERT_TRUE(Base64Decode("sLLXsC5kbXA=", &back));
  EXPECT_EQ(back, gbk);

  out.clear();
  AppendJsonText(&out, "ok");
  EXPECT_EQ(out, "\"ok\"");
}

TEST(JsonText, Base64RoundTripAndStrictDecoding) {
  // RFC 4648 test vectors
  const char* vectors[][2] = {{"", ""},
                              {"f", "Zg=="},
                              {"fo", "Zm8="},
                              {"foo", "Zm9v"},
                              {"foob", "Zm9vYg=="},
                              {"fooba", "Zm9vYmE="},
                              {"foobar", "Zm9vYmFy"}};
  for (const auto& v : vectors) {
    EXPECT_EQ(Base64Encode(v[0]), v[1]);
    std::string back;
    EXPECT_TRUE(Base64Decode(v[1], &back));
    EXPECT_EQ(back, v[0]);
  }
  std::string all;
  for (int i = 0; i < 256; ++i)
    all.push_back(static_cast<char>(i));
  std::string back;
  ASSERT_TRUE(Base64Decode(Base64Encode(all), &back));
  EXPECT_EQ(back, all);

  for (const char* bad : {"Zg=", "Zg", "Z===", "Zm9v\n", "Zm 9v", "Zm9v====", "=Zm9", "Zm-v"})
    EXPECT_FALSE(Base64Decode(bad, &back)) << bad;
}

}  // namespace
}  // namespace orvane::qlx
