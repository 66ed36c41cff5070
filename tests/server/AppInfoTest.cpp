#include "server/AppInfo.h"

#include <gtest/gtest.h>

#include "config/ProductIdentity.h"
#include "platform/SystemInfo.h"
#include "support/WineTestSupport.h"

namespace orvane {
namespace {

TEST(AppInfo, ProductVersionOfAFileThroughItsTranslationTable) {
  CAppInfo& info = CAppInfo::GetInstance();
  EXPECT_EQ(info.GetFileProductVersion(test::HostPath(ORVANE_INSTALLER_EXE)), L"1.0.0.2");
  // a program without a version resource
  EXPECT_EQ(info.GetFileProductVersion(test::HostPath(ORVANE_EXIT_WITH_EXE)), L"");
  EXPECT_EQ(info.GetFileProductVersion(L"C:\\no\\such.exe"), L"");
  // the string table is reached only through the translation table
  EXPECT_EQ(info.GetFileProductVersion(test::HostPath(ORVANE_WITH_TRANSLATION_DLL)), L"3.1.0.0");
  EXPECT_EQ(info.GetFileProductVersion(test::HostPath(ORVANE_NO_TRANSLATION_DLL)), L"");
}

struct Installed : ::testing::Test {
  test::ScratchRegKey key{HKEY_LOCAL_MACHINE, kUninstallKey};
  test::ScratchDir dir;
};

TEST_F(Installed, FindsTheProgramAndItsVersion) {
  const std::wstring exe = dir.File(L"KestrelVault.exe");
  ASSERT_TRUE(::CopyFileW(test::HostPath(ORVANE_INSTALLER_EXE).c_str(), exe.c_str(), FALSE));
  key.SetString(L"DisplayIcon", exe);
  CAppInfo& info = CAppInfo::GetInstance();
  EXPECT_TRUE(info.Refresh());
  EXPECT_EQ(info.GetExePath(), exe);
  EXPECT_EQ(info.GetVersion(), L"1.0.0.2");
}

TEST_F(Installed, DeletedProgramOrIconIndexCountsAsNotInstalled) {
  const std::wstring exe = dir.File(L"KestrelVault.exe");
  ASSERT_TRUE(::CopyFileW(test::HostPath(ORVANE_INSTALLER_EXE).c_str(), exe.c_str(), FALSE));
  CAppInfo& info = CAppInfo::GetInstance();
  for (const std::wstring& icon : {exe + L",0", dir.File(L"deleted.exe"), std::wstring()}) {
    key.SetString(L"DisplayIcon", icon);
    EXPECT_TRUE(info.Refresh());
    EXPECT_EQ(info.GetExePath(), L"");
    EXPECT_EQ(info.GetVersion(), L"");
  }
}

TEST(InstalledView, OnlyThe32BitRegistryViewCounts) {
  if (!Is64BitWindows()) GTEST_SKIP() << "one registry view on 32-bit Windows";
  test::ScratchDir dir;
  const std::wstring exe = dir.File(L"KestrelVault.exe");
  ASSERT_TRUE(::CopyFileW(test::HostPath(ORVANE_INSTALLER_EXE).c_str(), exe.c_str(), FALSE));
  CAppInfo& info = CAppInfo::GetInstance();
  {
    test::ScratchRegKey native(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_64KEY);
    native.SetString(L"DisplayIcon", exe);
    EXPECT_TRUE(info.Refresh());
    EXPECT_EQ(info.GetExePath(), L"");
  }
  test::ScratchRegKey wow(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_32KEY);
  wow.SetString(L"DisplayIcon", exe);
  EXPECT_TRUE(info.Refresh());
  EXPECT_EQ(info.GetExePath(), exe);
}

TEST_F(Installed, NoUninstallEntry) {
  CAppInfo& info = CAppInfo::GetInstance();
  EXPECT_TRUE(info.Refresh());
  EXPECT_EQ(info.GetExePath(), L"");
}

}  // namespace
}  // namespace orvane
