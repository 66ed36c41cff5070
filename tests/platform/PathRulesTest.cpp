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

TEST(PathRules, SplitRootKeepsWhatFindsTheVolume) {
  struct Case {
    const char* what;
    const wchar_t* path;
    const wchar_t* root;
    std::vector<std::wstring> names;
    bool absolute;
  } cases[] = {
      {"a drive path", L"C:\\a\\b", L"C:\\", {L"a", L"b"}, true},
      {"forward slashes and doubled separators", L"C:/a//b/", L"C:\\", {L"a", L"b"}, true},
      {"the drive root alone", L"D:\\", L"D:\\", {}, true},
      {"a UNC share",
       L"\\\\srv\\share\\Roaming\\OrvanePkg",
       L"\\\\srv\\share\\",
       {L"Roaming", L"OrvanePkg"},
       true},
      {"a UNC share written with slashes", L"//srv/share/a", L"\\\\srv\\share\\", {L"a"}, true},
      {"the share alone", L"\\\\srv\\share", L"\\\\srv\\share\\", {}, true},
      // a server without a share is no root the system can open
      {"a server only", L"\\\\srv", L"\\\\srv\\\\", {}, false},
      {"a device-namespace drive", L"\\\\?\\C:\\a\\b", L"\\\\?\\C:\\", {L"a", L"b"}, true},
      // "/" is an ordinary character below \\?\ (names stay as they are)
      {"a slash below \\\\?\\", L"\\\\?\\C:\\a/b\\c", L"\\\\?\\C:\\", {L"a/b", L"c"}, true},
      {"UNC in the device namespace",
       L"\\\\?\\UNC\\srv\\share\\a",
       L"\\\\?\\UNC\\srv\\share\\",
       {L"a"},
       true},
      {"lower-case unc", L"\\\\?\\unc\\srv\\share\\a", L"\\\\?\\unc\\srv\\share\\", {L"a"}, true},
      {"a volume name", L"\\\\?\\Volume{1234}\\x", L"\\\\?\\Volume{1234}\\", {L"x"}, true},
      {"the dot device namespace", L"\\\\.\\C:\\x", L"\\\\.\\C:\\", {L"x"}, true},
      {"drive-relative", L"C:a\\b", L"C:", {L"a", L"b"}, false},
      {"root-relative", L"\\a\\b", L"\\", {L"a", L"b"}, false},
      {"relative", L"a\\b", L"", {L"a", L"b"}, false},
      {"empty", L"", L"", {}, false},
      {"a Chinese name", L"C:\\栖木工坊\\x", L"C:\\", {L"栖木工坊", L"x"}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SplitPath split = SplitRoot(c.path);
    EXPECT_EQ(split.root, c.root);
    EXPECT_EQ(split.names, c.names);
    EXPECT_EQ(split.absolute, c.absolute);
  }
}

TEST(PathRules, JoinPathRebuildsPrefixesWithBackslashes) {
  SplitPath unc = SplitRoot(L"\\\\srv\\share\\a/b\\c");
  EXPECT_EQ(JoinPath(unc, 0), L"\\\\srv\\share\\");
  EXPECT_EQ(JoinPath(unc, 1), L"\\\\srv\\share\\a");
  EXPECT_EQ(JoinPath(unc, 3), L"\\\\srv\\share\\a\\b\\c");
  EXPECT_EQ(JoinPath(unc, 9), L"\\\\srv\\share\\a\\b\\c");  // more than there are
  EXPECT_EQ(JoinPath(SplitRoot(L"\\\\?\\C:\\x\\y"), 2), L"\\\\?\\C:\\x\\y");
  EXPECT_EQ(JoinPath(SplitRoot(L"a\\b"), 2), L"a\\b");
}

}  // namespace
}  // namespace orvane
