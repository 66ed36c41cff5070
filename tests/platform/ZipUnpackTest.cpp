#include "platform/ZipUnpack.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/ZipTestSupport.h"
#include "support/WineTestSupport.h"

namespace orvane {
namespace {

using test::MakeZip;
using test::ScratchDir;

struct Unpack : ::testing::Test {
  ScratchDir dir;
  std::wstring archive = dir.File(L"Resource.zip");
  std::wstring dest = dir.File(L"images\\");
  void SetUp() override { ASSERT_TRUE(CreateDirectories(dest)); }
};

TEST_F(Unpack, StoredAndDeflatedEntries) {
  std::string big(100000, 'x');
  for (size_t i = 0; i < big.size(); ++i)
    big[i] = static_cast<char>(i * 31 % 251);
  MakeZip(archive, {{"a.png", "stored bytes", false}, {"b.png", big, true}, {"c.txt", "c"}});
  EXPECT_EQ(UnpackAll(archive, dest), 0);
  EXPECT_EQ(test::ReadFileBytes(dest + L"a.png"), "stored bytes");
  EXPECT_EQ(test::ReadFileBytes(dest + L"b.png"), big);
  EXPECT_EQ(test::ReadFileBytes(dest + L"c.txt"), "c");
}

// archives up to 16 MiB are read into memory first, larger ones from the
// file: both unpack alike
TEST_F(Unpack, SmallAndLargeArchivesUnpackAlike) {
  std::string large((16 << 20) + 1, '\0');
  for (size_t i = 0; i < large.size(); i += 4096)
    large[i] = static_cast<char>(i / 4096 % 251 + 1);
  const std::string* sizes[] = {nullptr, &large};
  for (const std::string* big : sizes) {
    SCOPED_TRACE(big ? "from the file" : "from memory");
    std::vector<test::ZipEntry> entries = {{"a.png", "first"}, {"b.png", "second", false}};
    // stored, so that the archive is larger than the entry
    if (big) entries.push_back({"c.bin", *big, false});
    MakeZip(archive, entries);
    EXPECT_EQ(UnpackAll(archive, dest), 0);
    EXPECT_EQ(test::ReadFileBytes(dest + L"a.png"), "first");
    EXPECT_EQ(test::ReadFileBytes(dest + L"b.png"), "second");
    if (big) {
      EXPECT_TRUE(test::ReadFileBytes(dest + L"c.bin") == *big);
    }
    DeleteTree(dest);
    ASSERT_TRUE(CreateDirectories(dest));
    UnpackAllLenient(archive, dest);
    EXPECT_EQ(test::ReadFileBytes(dest + L"b.png"), "second");
  }
}

TEST_F(Unpack, ZeroByteEntryFailsTheWholeUnpack) {
  MakeZip(archive, {{"a.png", "a"}, {"empty.png", ""}, {"c.png", "c"}});
  EXPECT_EQ(UnpackAll(archive, dest), -1);
  EXPECT_TRUE(FileExists(dest + L"a.png"));
  EXPECT_FALSE(FileExists(dest + L"c.png"));  // the first failure stops the loop
}

TEST_F(Unpack, MissingOrBrokenArchive) {
  EXPECT_EQ(UnpackAll(dir.File(L"none.zip"), dest), -1);
  EXPECT_EQ(UnpackAll(L"", dest), -1);
  EXPECT_EQ(UnpackAll(archive, L""), -1);
  test::WriteFileBytes(archive, "PK\x03\x04 this is not an archive");
  EXPECT_EQ(UnpackAll(archive, dest), -1);
}

TEST_F(Unpack, CraftedNamesNeverWriteOutsideTheDestination) {
  const std::vector<std::string> evil = {"../escaped.txt",           "..\\escaped.txt",
                                         "images/../../escaped.txt", "\\escaped.txt",
                                         "C:\\escaped.txt",          "C:escaped.txt"};
  for (const std::string& name : evil) {
    SCOPED_TRACE(name);
    MakeZip(archive, {{"ok.png", "ok"}, {name, "evil"}});
    EXPECT_EQ(UnpackAll(archive, dest), -1);
    UnpackAllLenient(archive, dest);
    EXPECT_TRUE(FileExists(dest + L"ok.png"));
  }
  EXPECT_FALSE(FileExists(dir.File(L"escaped.txt")));
  EXPECT_FALSE(FileExists(L"C:\\escaped.txt"));
  EXPECT_FALSE(FileExists(L"C:\\windows\\escaped.txt"));
  std::wstring cwd(MAX_PATH, L'\0');
  cwd.resize(::GetCurrentDirectoryW(MAX_PATH, &cwd[0]));
  EXPECT_FALSE(FileExists(cwd + L"\\escaped.txt"));
}

TEST_F(Unpack, LenientUnpackSkipsBadEntries) {
  MakeZip(archive, {{"Qlx.dll", "dll"},
                    {"empty.bin", ""},
                    {"sub/x.dll", "no folder"},
                    {"TaskAsUser.dll", "task"}});
  UnpackAllLenient(archive, dest);
  EXPECT_EQ(test::ReadFileBytes(dest + L"Qlx.dll"), "dll");
  EXPECT_EQ(test::ReadFileBytes(dest + L"TaskAsUser.dll"), "task");
  EXPECT_FALSE(FileExists(dest + L"empty.bin"));
  EXPECT_FALSE(FileExists(dest + L"sub\\x.dll"));  // flat: folders are not created
}

}  // namespace
}  // namespace orvane
