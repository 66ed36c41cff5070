// The JSON library as this tree builds it (cmake/patches): without streams,
// it must read numbers and report conversion errors exactly as the
// stream-based original did, through both readers the product uses.
#include <json/json.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

// Json::Reader is the reader the API answers have always been read with
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace orvane {
namespace {

struct Read {
  bool ok = false;
  Json::Value value;
};

Read WithReader(const std::string& doc) {
  Read r;
  Json::Reader reader;
  r.ok = reader.parse(doc.data(), doc.data() + doc.size(), r.value, false);
  return r;
}

Read WithCharReader(const std::string& doc) {
  Read r;
  Json::CharReaderBuilder builder;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  std::string errors;
  r.ok = reader->parse(doc.data(), doc.data() + doc.size(), &r.value, &errors);
  return r;
}

TEST(JsonLibrary, NumberTokensConvertAsTheStreamDid) {
  struct Case {
    const char* token;
    bool ok;
    double value;  // when ok
  } cases[] = {
      {"1.5", true, 1.5},
      {"-0.25", true, -0.25},
      {"0.1", true, 0.1},  // the nearest double, as a correct conversion gives
      {"1e3", true, 1000.0},
      {"1E+2", true, 100.0},
      {"2.5e-3", true, 0.0025},
      {"1.", true, 1.0},  // the reader's scanner lets a bare point through
      {"1.e2", true, 100.0},
      // too many digits for an integer: read as a double
      {"12345678901234567890123", true, 12345678901234567890123.0},
      // an underflow is a zero, not a failure
      {"1e-400", true, 0.0},
      // an overflow fails, as the stream set its failbit
      {"1e400", false, 0},
      {"-1e400", false, 0},
      // an exponent without digits leaves text over: not a number
      {"1e", false, 0},
      {"1e+", false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.token);
    const std::string doc = std::string("[") + c.token + "]";
    for (const Read& r : {WithReader(doc), WithCharReader(doc)}) {
      EXPECT_EQ(r.ok, c.ok);
      if (r.ok && c.ok) EXPECT_EQ(r.value[0].asDouble(), c.value);
    }
  }
}

TEST(JsonLibrary, ConversionErrorsKeepTheirMessages) {
  struct Case {
    Json::Value value;
    const char* message;
  } cases[] = {
      {Json::Value(Json::objectValue), "Type is not convertible to string"},
      {Json::Value(Json::arrayValue), "Type is not convertible to string"},
      {Json::Value(-1), "LargestInt out of UInt range"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    try {
      if (c.value.isInt())
        c.value.asUInt();
      else
        c.value.asString();
      ADD_FAILURE() << "no error";
    } catch (const Json::LogicError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

TEST(JsonLibrary, StyledTextWithoutAStream) {
  Read r = WithCharReader(R"({"a":[1,"x"],"b":null})");
  ASSERT_TRUE(r.ok);
  const std::string text = r.value.toStyledString();
  EXPECT_NE(text.find("\"a\""), std::string::npos);
  EXPECT_NE(text.find("\"x\""), std::string::npos);
  EXPECT_EQ(text.back(), '\n');
  // what it lays out reads back as the same value (compared, not printed:
  // a Value has no stream output in this build)
  Read again = WithCharReader(text);
  ASSERT_TRUE(again.ok);
  EXPECT_TRUE(again.value == r.value) << text;
}

}  // namespace
}  // namespace orvane
