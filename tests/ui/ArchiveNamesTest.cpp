#include "ui/ArchiveNames.h"

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
  for (const auto& c : cases) EXPECT_EQ(IsSafeArchiveEntryName(c.name), c.safe) << c.name;
}

}  // namespace
}  // namespace orvane
