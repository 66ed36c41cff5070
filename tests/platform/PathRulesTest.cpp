#include "platform/PathRules.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(PathRules, InstallPathValidity) {
  struct Case {
    const wchar_t* path;
    bool valid;
  } cases[] = {
      {L"D:\\Apps\\Tool", true},
      {L"D:\\Apps\\Tool\\", true},  // empty pieces are dropped
      {L"c:\\栖木工坊", true},
      {L"D:", true},
      {L"D:\\\\Apps", false},  // double backslash
      {L"1:\\Apps", false},    // no letter
      {L"D:\\Ap?ps", false},   // forbidden character
      {L"\\Apps", false},      // no drive
      {L"", false},
      {L"\\", false},
      {L"DD\\Apps", false},
      {L":D\\Apps", false},
      {L"D:x\\Apps", false},
      {L"D:\\a/b", false},
      {L"D:\\a:b", false},
      {L"D:\\a*b", false},
      {L"D:\\a\"b", false},
      {L"D:\\a<b", false},
      {L"D:\\a>b", false},
      {L"D:\\a|b", false},
      {L"D:\\Program Files (x86)\\KestrelVault", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsValidInstallPath(c.path), c.valid) << c.path;
}

TEST(PathRules, AppendBackslash) {
  EXPECT_EQ(AppendBackslash(L""), L"");
  EXPECT_EQ(AppendBackslash(L"C:\\a"), L"C:\\a\\");
  EXPECT_EQ(AppendBackslash(L"C:\\a\\"), L"C:\\a\\");
  EXPECT_EQ(AppendBackslash(L"C:/a/"), L"C:/a/");
}

TEST(PathRules, ExtensionFollowsTheLastSeparator) {
  EXPECT_EQ(ExtensionOf(L"C:\\dl\\install.exe"), L".exe");
  EXPECT_EQ(ExtensionOf(L"C:\\dl\\archive.tar.gz"), L".gz");
  EXPECT_EQ(ExtensionOf(L"C:\\d.l\\install"), L"");
  EXPECT_EQ(ExtensionOf(L"C:/d.l/install"), L"");
  EXPECT_EQ(ExtensionOf(L"noext"), L"");
  EXPECT_EQ(ExtensionOf(L"C:\\dl\\.hidden"), L".hidden");
}

TEST(PathRules, RootOfPath) {
  EXPECT_EQ(RootOfPath(L"D:\\x\\y"), L"D:\\");
  EXPECT_EQ(RootOfPath(L"D:/x"), L"D:\\");
  EXPECT_EQ(RootOfPath(L"D:"), L"D:\\");
}

}  // namespace
}  // namespace orvane
