#include "net/HttpForm.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

std::string Produce(HttpForm& form, int* pieces = nullptr) {
  form.BeginBody();
  std::string body;
  int64_t length = 0;
  int n = 0;
  while (form.NextPiece(&length)) {
    EXPECT_EQ(length, static_cast<int64_t>(form.out().size()));
    body += form.out();
    ++n;
  }
  if (pieces) *pieces = n;
  return body;
}

const std::string B = "-----------------------------7da1f4c300560";

TEST(HttpForm, TwoFieldsByteForByte) {
  HttpForm form;
  form.AddField("b", "2");
  form.AddField("a", "1");
  int pieces = 0;
  std::string body = Produce(form, &pieces);
  EXPECT_EQ(body, B + "\r\n" + "Content-Disposition: form-data; name=\"a\"\r\n\r\n" + "1\r\n" + B +
                      "\r\n" + "Content-Disposition: form-data; name=\"b\"\r\n\r\n" + "2\r\n" + B +
                      "--\r\n");
  EXPECT_EQ(pieces, 2);  // one per field, the closing delimiter with the last
  EXPECT_EQ(static_cast<int64_t>(body.size()), form.totalLength());
  EXPECT_EQ(B.size(), 42u);
}

TEST(HttpForm, LengthMatchesForAnyForm) {
  std::vector<std::vector<std::pair<std::string, std::string>>> forms = {
      {},
      {{"x", ""}},
      {{"app_version", "1.0.0.2"}, {"product_name", "栖木工坊"}, {"uid", std::string(32, 'u')}},
      {{"bin", std::string("\0\r\n\xff", 4)}},
  };
  for (const auto& fields : forms) {
    HttpForm form;
    for (const auto& [k, v] : fields)
      form.AddField(k, v);
    std::string body = Produce(form);
    EXPECT_EQ(static_cast<int64_t>(body.size()), form.totalLength()) << fields.size();
  }
  HttpForm empty;
  EXPECT_EQ(Produce(empty), B + "--\r\n");
}

TEST(HttpForm, NamesInByteOrderAndReplacedValues) {
  HttpForm form;
  form.AddField("\xe6\xa0\x96", "high");  // bytes above 0x7f sort after ASCII
  form.AddField("Z", "upper");
  form.AddField("a", "old");
  form.AddField("a", "new");
  std::string body = Produce(form);
  size_t z = body.find("name=\"Z\""), a = body.find("name=\"a\""), h = body.find("\xe6\xa0\x96");
  EXPECT_LT(z, a);
  EXPECT_LT(a, h);
  EXPECT_EQ(body.find("old"), std::string::npos);
  EXPECT_NE(body.find("\r\n\r\nnew\r\n"), std::string::npos);
}

TEST(HttpForm, FieldsAreRefusedWhileABodyIsProduced) {
  HttpForm form;
  form.AddField("a", "1");
  form.BeginBody();
  int64_t length = 0;
  form.AddField("late", "x");  // ignored
  ASSERT_TRUE(form.NextPiece(&length));
  EXPECT_EQ(form.out().find("late"), std::string::npos);
  EXPECT_FALSE(form.NextPiece(&length));
  EXPECT_TRUE(form.out().empty());
  form.Reset();
  form.AddField("late", "x");
  EXPECT_NE(Produce(form).find("name=\"late\""), std::string::npos);
  // a second body of the same form is the same again
  EXPECT_EQ(Produce(form), Produce(form));
}

}  // namespace
}  // namespace orvane
