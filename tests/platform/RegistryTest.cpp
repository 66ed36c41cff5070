#include "platform/Registry.h"

#include <gtest/gtest.h>

#include "support/WineTestSupport.h"

namespace orvane {
namespace {

using test::ScratchRegKey;

const std::wstring kUninstall = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

TEST(Registry, ReadString) {
  ScratchRegKey key(HKEY_CURRENT_USER, L"Software\\OrvaneTest\\Read");
  key.SetString(L"Name", L"栖木工坊");
  key.SetString(L"Empty", L"");
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, L"Software\\OrvaneTest\\Read", L"Name", false),
            L"栖木工坊");
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, L"Software\\OrvaneTest\\Read", L"Empty", false),
            L"");
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, L"Software\\OrvaneTest\\Read", L"None", false),
            L"");
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, L"Software\\OrvaneTest\\None", L"Name", false),
            L"");
  // longer than the 260-character buffer: not read at all
  key.SetString(L"Long", std::wstring(300, L'x'));
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, L"Software\\OrvaneTest\\Read", L"Long", false),
            L"");
}

TEST(Registry, InstallLocationPrefersInstallLocationThenDisplayIcon) {
  const std::wstring name = L"OrvaneTestBrowser";
  ScratchRegKey user(HKEY_CURRENT_USER, kUninstall + name);
  ScratchRegKey machine(HKEY_LOCAL_MACHINE, kUninstall + name);
  std::wstring folder;
  EXPECT_FALSE(FindInstallLocation(name, &folder));

  machine.SetString(L"DisplayIcon", L"C:\\Machine\\Icon\\browser.exe");
  ASSERT_TRUE(FindInstallLocation(name, &folder));
  EXPECT_EQ(folder, L"C:\\Machine\\Icon");

  user.SetString(L"DisplayIcon", L"C:\\User\\Icon\\browser.exe,0");
  ASSERT_TRUE(FindInstallLocation(name, &folder));
  EXPECT_EQ(folder, L"C:\\User\\Icon");

  machine.SetString(L"InstallLocation", L"C:\\Machine\\Location");
  ASSERT_TRUE(FindInstallLocation(name, &folder));
  EXPECT_EQ(folder, L"C:\\Machine\\Location");

  user.SetString(L"InstallLocation", L"C:\\User\\Location");
  ASSERT_TRUE(FindInstallLocation(name, &folder));
  EXPECT_EQ(folder, L"C:\\User\\Location");

  // an empty value does not count: the next source answers
  user.SetString(L"InstallLocation", L"");
  ASSERT_TRUE(FindInstallLocation(name, &folder));
  EXPECT_EQ(folder, L"C:\\Machine\\Location");
}

TEST(Registry, DisplayIconWithoutBackslashIsKeptWhole) {
  const std::wstring name = L"OrvaneTestIconOnly";
  ScratchRegKey user(HKEY_CURRENT_USER, kUninstall + name);
  user.SetString(L"DisplayIcon", L"browser.exe");
  std::wstring folder;
  ASSERT_TRUE(FindInstallLocation(name, &folder));
  EXPECT_EQ(folder, L"browser.exe");
}

}  // namespace
}  // namespace orvane
