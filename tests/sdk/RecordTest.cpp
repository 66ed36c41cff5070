#include "qlx/Record.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <memory>

namespace orvane::qlx {
namespace {

Json::Value ParseStrict(const std::string& line) {
  Json::CharReaderBuilder b;
  Json::CharReaderBuilder::strictMode(&b.settings_);
  std::unique_ptr<Json::CharReader> r(b.newCharReader());
  Json::Value v;
  std::string errors;
  EXPECT_TRUE(r->parse(line.data(), line.data() + line.size(), &v, &errors)) << line << errors;
  return v;
}

Record Base() {
  Record r;
  r.uid = "0123456789abcdef0123456789abcdef";
  r.sid = "00112233aabbccdd";
  r.seq = 7;
  r.timeMs = 1718000000123;
  r.pid = 4242;
  r.mid = "m";
  r.appId = "40917263";
  r.appName = "win_installer";
  return r;
}

TEST(Record, SensorEventLine) {
  Record r = Base();
  r.type = 6;
  r.hasEvent = true;
  r.eventName = "pSoftInstall";
  r.eventId = 123456701;
  r.props = {{"download_time", Property::Kind::kInt, 42, ""},
             {"is_first_install", Property::Kind::kBool, 1, ""},
             {"install_type", Property::Kind::kText, 0, "安装器"}};
  const std::string line = FormatRecordLine(r);
  EXPECT_EQ(
      line,
      "{\"uid\":\"0123456789abcdef0123456789abcdef\",\"sid\":\"00112233aabbccdd\","
      "\"seq\":7,\"time\":1718000000123,\"pid\":4242,\"mid\":\"m\",\"app\":\"40917263\","
      "\"name\":\"win_installer\",\"type\":6,\"event\":\"pSoftInstall\",\"id\":123456701,"
      "\"props\":{\"download_time\":42,\"is_first_install\":true,\"install_type\":\"安装器\"}}");
  EXPECT_EQ(line.find('\n'), std::string::npos);
  Json::Value v = ParseStrict(line);
  EXPECT_EQ(v["props"]["install_type"].asString(), "安装器");
}

TEST(Record, FieldsKeepOrderRepeatsAndRawBytes) {
  Record r = Base();
  r.type = 4;
  r.fields = {{50, true, 1, ""},
              {51, false, 0, "0001"},
              {55, false, 0, "C:\\dumps\\a \"1\".dmp"},
              {55, false, 0, "\xB0\xB2.dmp"}};  // ANSI, not UTF-8
  const std::string line = FormatRecordLine(r);
  Json::Value v = ParseStrict(line);
  ASSERT_EQ(v["fields"].size(), 4u);
  EXPECT_EQ(v["fields"][0][0].asInt(), 50);
  EXPECT_EQ(v["fields"][0][1].asInt(), 1);
  EXPECT_EQ(v["fields"][1][1].asString(), "0001");
  EXPECT_EQ(v["fields"][2][1].asString(), "C:\\dumps\\a \"1\".dmp");
  EXPECT_EQ(v["fields"][3][1]["b64"].asString(), "sLIuZG1w");
  EXPECT_FALSE(v.isMember("event"));
  EXPECT_FALSE(v.isMember("props"));
}

TEST(Record, LaunchWithoutFieldsHasNoFieldList) {
  Record r = Base();
  r.type = 1;
  EXPECT_FALSE(ParseStrict(FormatRecordLine(r)).isMember("fields"));
}

TEST(Record, CollectorRules) {
  for (int t : {1, 2, 4, 6, 15})
    EXPECT_TRUE(IsValidRecordType(t)) << t;
  for (int t : {0, -1, 16, 1000})
    EXPECT_FALSE(IsValidRecordType(t)) << t;
  for (int f : {0, 1, 55, 65535})
    EXPECT_TRUE(IsValidFieldId(f)) << f;
  for (int f : {-1, 65536})
    EXPECT_FALSE(IsValidFieldId(f)) << f;
  for (const char* n : {"pSoftInstall", "event_name", "键", "a b"})
    EXPECT_TRUE(IsValidName(n)) << n;
  for (const std::string& n : {std::string(), std::string("a\nb"), std::string("\xB0\xB2"),
                               std::string(257, 'k'), std::string("tab\t")})
    EXPECT_FALSE(IsValidName(n)) << testing::PrintToString(n);
}

}  // namespace
}  // namespace orvane::qlx
