#include "platform/ArchiveNames.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(ArchiveNames, OnlyNamesThatStayBelowTheDestination) {
  struct Case {
    const char* name;
    bool safe;
  } cases[] = {
      {"logo.png", true},
      {"sub/logo.png", true},
      {"a..b.png", true},
      {"..png", true},
      {"...", true},
      {"", false},
      {"..", false},
      {"../evil.dll", false},
      {"..\\evil.dll", false},
      {"sub/../../evil.dll", false},
      {"sub\\..", false},
      {"/etc/passwd", false},
      {"\\Windows\\evil.dll", false},
      {"C:\\Windows\\evil.dll", false},
      {"C:evil.dll", false},
      {"logo.png:stream", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsSafeArchiveEntryName(c.name), c.safe) << c.name;
    // the same rule once the name is wide
    const std::string narrow(c.name);
    EXPECT_EQ(IsSafeArchiveEntryName(std::wstring(narrow.begin(), narrow.end())), c.safe) << c.name;
  }
}

TEST(ArchiveNames, WideNamesWithCjkText) {
  EXPECT_TRUE(IsSafeArchiveEntryName(std::wstring(L"\u6816\u6728.png")));
  EXPECT_TRUE(IsSafeArchiveEntryName(std::wstring(L"\u6816..\u6728.png")));
  EXPECT_FALSE(IsSafeArchiveEntryName(std::wstring(L"\u6816/../x.png")));
  EXPECT_FALSE(IsSafeArchiveEntryName(std::wstring(L"\uFF1A/x.png:y")));
}

}  // namespace
}  // namespace orvane
