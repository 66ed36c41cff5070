#include "app/StartupRules.h"

#include <gtest/gtest.h>

#include <string>

#include "download/DownloadRules.h"

namespace orvane {
namespace {

TEST(StartupRules, PackageStemDropsTheLastFourCharacters) {
  struct Case {
    const char* path;
    const char* stem;
  } cases[] = {
      {"C:\\dl\\Setup_huawei00.exe", "Setup_huawei00"},
      {"C:\\dl\\Setup_huawei00.bin", "Setup_huawei00"},  // whatever the ending
      {"C:\\dl\\a.exe", "a"},
      {"C:\\dl\\.exe", ""},
      {"C:\\dl\\abc", "abc"},  // n = 4: all after the backslash
      {"C:\\dl\\", ""},
      {"Setup.exe", ""},  // no backslash
      {"", ""},
      {"C:\\dl\\栖木.exe", "栖木"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PackageStem(c.path), c.stem) << c.path;
}

TEST(StartupRules, ChannelFromTheFileName) {
  struct Case {
    const char* stem;
    const char* channel;
  } cases[] = {
      {"Setup_huawei00", "huawei00"},
      {"Setup_Utengxun0", "tengxun0"},    // the "U" after the underscore is skipped
      {"Setup_jinshan0_v2", "jinshan0"},  // only 8 characters
      {"Setup_ab", "ab"},
      {"Setup", ""},
      {"Setup_", ""},
      {"a_b_c", "b_c"},  // the first underscore counts
      {"Setup_U", ""},
      {"Setup_u1", "u1"},  // only an upper-case U is skipped
      {"_x", "x"},
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ChannelFromStem(c.stem), c.channel) << c.stem;
}

TEST(StartupRules, ChannelFromTheProductVersion) {
  struct Case {
    const char* version;
    const char* channel;
  } cases[] = {
      {"1.96.0.0", "tengxun0"},
      {"1.97.0.0", "qihu3600"},
      {"1.98.3.1", "jinshan0"},
      {"2.99.0.7", "huawei00"},
      {"1.97.0", "file"},      // three parts
      {"1.97.0.0.1", "file"},  // five parts
      {"1.100.0.0", "file"},
      {"1.95.0.0", "file"},
      {"1.0.0.2", "file"},
      {"1.x.0.0", "file"},
      {"", "file"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ChannelFromProductVersion(c.version, "file"), c.channel) << c.version;
  // the version overrides a channel from the file name, and an empty one
  EXPECT_EQ(ChannelFromProductVersion("1.99.0.0", ""), "huawei00");
}

// the start-up channel and the download's channel installer come from one
// table: a version names both or neither
TEST(StartupRules, ChannelAndChannelInstallerAgree) {
  int named = 0;
  for (int part = 0; part <= 200; ++part) {
    const std::string version = "1." + std::to_string(part) + ".0.0";
    SCOPED_TRACE(version);
    const std::string channel = ChannelFromProductVersion(version, "");
    const std::wstring installer = ChannelPackageName(std::wstring(version.begin(), version.end()));
    if (channel.empty()) {
      EXPECT_EQ(installer, L"");
      continue;
    }
    ++named;
    const std::string expected = "install_" + channel + ".exe";
    EXPECT_EQ(installer, std::wstring(expected.begin(), expected.end()));
  }
  EXPECT_EQ(named, 4);
}

}  // namespace
}  // namespace orvane
