#include "app/InstallSettings.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <functional>

#include "platform/FileSystem.h"
#include "platform/Md5.h"
#include "support/WineTestSupport.h"

namespace orvane {
namespace {

using test::ScratchDir;

std::wstring ReadIni(const std::wstring& ini, const wchar_t* key) {
  wchar_t buf[1024] = {};
  ::GetPrivateProfileStringW(L"General", key, L"<absent>", buf, 1023, ini.c_str());
  return buf;
}

std::wstring Md5Of(const std::string& bytes) {
  std::string hex = Md5Hex(bytes);
  return std::wstring(hex.begin(), hex.end());
}

struct Fixture : ::testing::Test {
  ScratchDir dir;
  std::wstring folder = dir.File(L"KESTRELVAULT");
  std::wstring ini = folder + L"\\config.ini";
  std::wstring package = dir.File(L"install.exe");
  const std::string packageBytes = std::string(10000, 'p') + "end";

  void SetUp() override {
    ASSERT_TRUE(CreateDirectories(folder));
    test::WriteFileBytes(package, packageBytes);
  }
  void Remember(const std::wstring& md5, const std::wstring& path) {
    ::WritePrivateProfileStringW(L"General", L"md5", md5.c_str(), ini.c_str());
    ::WritePrivateProfileStringW(L"General", L"path", path.c_str(), ini.c_str());
    ::WritePrivateProfileStringW(L"General", L"install", L"1", ini.c_str());
  }
};

TEST_F(Fixture, WithoutTheCacheFolderNothingIsWrittenButTheRecordHoldsValues) {
  const std::wstring missing = dir.File(L"none\\KESTRELVAULT\\config.ini");
  InstallSettings s(missing);
  s.Set(&InstallSettings::beginTimestamp, L"begin_timestamp", L"1765152000");
  EXPECT_FALSE(FileExists(missing));
  EXPECT_EQ(s.beginTimestamp, L"1765152000");
  EXPECT_TRUE(s.md5.empty());
}

TEST_F(Fixture, CreatesConfigWithEmptyPackageThenAddsKeys) {
  InstallSettings s(ini);
  ASSERT_TRUE(FileExists(ini));
  EXPECT_EQ(ReadIni(ini, L"md5"), L"");
  EXPECT_EQ(ReadIni(ini, L"path"), L"");
  s.Set(&InstallSettings::beginTimestamp, L"begin_timestamp", L"1765152000");
  EXPECT_EQ(ReadIni(ini, L"begin_timestamp"), L"1765152000");
  EXPECT_EQ(s.beginTimestamp, L"1765152000");
}

TEST_F(Fixture, RememberedPackageThatMatchesIsKeptUntouched) {
  Remember(Md5Of(packageBytes), package);
  const std::string before = test::ReadFileBytes(ini);
  InstallSettings s(ini);
  EXPECT_EQ(s.md5, Md5Of(packageBytes));
  EXPECT_EQ(s.path, package);
  EXPECT_EQ(test::ReadFileBytes(ini), before);
}

TEST_F(Fixture, DeletedChangedOrUpperCasePackageIsForgotten) {
  struct Case {
    const char* what;
    std::function<void()> spoil;
    std::wstring md5;
  };
  std::wstring upper = Md5Of(packageBytes);
  for (auto& c : upper)
    c = static_cast<wchar_t>(::towupper(c));
  const Case cases[] = {
      {"deleted", [&] { ::DeleteFileW(package.c_str()); }, Md5Of(packageBytes)},
      {"changed", [&] { test::WriteFileBytes(package, packageBytes + "x"); }, Md5Of(packageBytes)},
      {"emptied", [&] { test::WriteFileBytes(package, ""); }, Md5Of(packageBytes)},
      {"upper-case digest", [] {}, upper},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::WriteFileBytes(package, packageBytes);
    Remember(c.md5, package);
    c.spoil();
    InstallSettings s(ini);
    EXPECT_TRUE(s.md5.empty());
    EXPECT_TRUE(s.path.empty());
    EXPECT_EQ(ReadIni(ini, L"md5"), L"");
    EXPECT_EQ(ReadIni(ini, L"path"), L"");
    EXPECT_EQ(ReadIni(ini, L"install"), L"1");  // other keys stay
  }
}

TEST_F(Fixture, SetCachedPackageWritesOnlyAChange) {
  InstallSettings s(ini);
  EXPECT_FALSE(s.SetCachedPackage(L"", package, false));
  EXPECT_FALSE(s.SetCachedPackage(Md5Of(packageBytes), L"", false));

  ASSERT_TRUE(s.SetCachedPackage(Md5Of(packageBytes), package, false));
  EXPECT_EQ(ReadIni(ini, L"md5"), Md5Of(packageBytes));
  EXPECT_EQ(ReadIni(ini, L"path"), package);

  // the record already holds exactly this package: no second write
  ::WritePrivateProfileStringW(L"General", L"md5", L"marker", ini.c_str());
  EXPECT_TRUE(s.SetCachedPackage(Md5Of(packageBytes), package, false));
  EXPECT_EQ(ReadIni(ini, L"md5"), L"marker");

  // the no-write flag keeps the file as it is
  InstallSettings quiet(ini + L".other");
  EXPECT_TRUE(quiet.SetCachedPackage(Md5Of(packageBytes), package, true));
  EXPECT_EQ(ReadIni(ini + L".other", L"md5"), L"");

  // a wrong digest forgets the remembered package
  EXPECT_FALSE(s.SetCachedPackage(L"0123456789abcdef0123456789abcdef", package, false));
  EXPECT_EQ(ReadIni(ini, L"md5"), L"");
  EXPECT_EQ(ReadIni(ini, L"path"), L"");
  EXPECT_TRUE(s.md5.empty());
}

TEST_F(Fixture, TheEnginesDigestIsRememberedWithoutReadingTheFileAgain) {
  InstallSettings s(ini);
  // the download engine's interface: what it checked is what config.ini
  // keeps; the file is not read again (here it is not even there)
  const std::wstring gone = package + L".gone";
  const std::wstring digest = L"00112233445566778899aabbccddeeff";
  IRememberedPackage& engineSide = s;
  engineSide.RememberPackage(digest, gone);
  EXPECT_EQ(s.md5, digest);
  EXPECT_EQ(s.path, gone);
  EXPECT_EQ(ReadIni(ini, L"md5"), digest);
  EXPECT_EQ(ReadIni(ini, L"path"), gone);

  // the same package again writes nothing
  ::WritePrivateProfileStringW(L"General", L"md5", L"marker", ini.c_str());
  EXPECT_TRUE(s.RememberCheckedPackage(digest, gone));
  EXPECT_EQ(ReadIni(ini, L"md5"), L"marker");

  // only a real digest and a path are taken; nothing changes otherwise
  struct Case {
    const char* why;
    std::wstring md5, path;
  } refused[] = {
      {"no path", digest, L""},
      {"no digest", L"", package},
      {"upper case", L"00112233445566778899AABBCCDDEEFF", package},
      {"too short", L"0011223344556677", package},
      {"a line break", L"0011223344556677\n899aabbccddeeff", package},
      {"not hexadecimal", L"0011223344556677889xaabbccddeeff", package},
  };
  for (const auto& c : refused) {
    SCOPED_TRACE(c.why);
    EXPECT_FALSE(s.RememberCheckedPackage(c.md5, c.path));
    EXPECT_EQ(s.md5, digest);
    EXPECT_EQ(s.path, gone);
  }

  // the next start checks the file and forgets what is no longer there
  InstallSettings next(ini);
  EXPECT_TRUE(next.path.empty());
}

TEST(InstallSettingsPath, BelowThePackageCacheRoot) {
  wchar_t appData[MAX_PATH + 1] = {};
  ASSERT_TRUE(::GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH));
  EXPECT_EQ(DefaultConfigPath(), std::wstring(appData) + L"\\OrvanePkg\\KESTRELVAULT\\config.ini");
  EXPECT_EQ(InstallSettings::GetInstance().configPath(), DefaultConfigPath());
}

}  // namespace
}  // namespace orvane
