#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include "platform/CacheFolders.h"
#include "support/WineTestSupport.h"

namespace orvane {
namespace {

using test::ScratchDir;

TEST(FileSystem, ExistenceAndSize) {
  ScratchDir dir;
  const std::wstring file = dir.File(L"f.txt");
  test::WriteFileBytes(file, "12345");
  EXPECT_TRUE(FileExists(file));
  EXPECT_FALSE(FileExists(dir.path()));  // a folder is not a file
  EXPECT_FALSE(FileExists(dir.File(L"none")));
  EXPECT_FALSE(FileExists(L""));
  EXPECT_EQ(FileSize(file), 5);
  EXPECT_EQ(FileSize(dir.File(L"none")), 0);

  EXPECT_TRUE(DirectoryExists(dir.path()));
  EXPECT_TRUE(DirectoryExists(dir.path() + L"\\"));
  EXPECT_FALSE(DirectoryExists(file));
  EXPECT_FALSE(DirectoryExists(dir.File(L"none")));
  EXPECT_FALSE(DirectoryExists(L""));
}

TEST(FileSystem, CreateDirectoriesLevelByLevel) {
  ScratchDir dir;
  const std::wstring deep = dir.path() + L"\\a\\b/c\\栖木\\";
  EXPECT_TRUE(CreateDirectories(deep));
  EXPECT_TRUE(DirectoryExists(dir.path() + L"\\a\\b\\c\\栖木"));
  EXPECT_TRUE(CreateDirectories(deep));  // already there
  // a file in the way: the folder cannot come into being
  test::WriteFileBytes(dir.File(L"file"), "x");
  EXPECT_FALSE(CreateDirectories(dir.File(L"file") + L"\\sub"));
  EXPECT_FALSE(CreateDirectories(L""));
  // a drive that does not exist stops at the first level
  EXPECT_FALSE(CreateDirectories(L"Q:\\nothing\\here"));
}

TEST(FileSystem, DeleteTreeRemovesEverything) {
  ScratchDir dir;
  const std::wstring root = dir.File(L"tree");
  ASSERT_TRUE(CreateDirectories(root + L"\\x\\y"));
  test::WriteFileBytes(root + L"\\1.txt", "1");
  test::WriteFileBytes(root + L"\\x\\2.txt", "2");
  test::WriteFileBytes(root + L"\\x\\y\\3.txt", "3");
  ::SetFileAttributesW((root + L"\\x\\2.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  ::SetFileAttributesW((root + L"\\x\\y").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(DeleteTree(root));
  EXPECT_FALSE(DirectoryExists(root));
  EXPECT_TRUE(DeleteTree(root));  // already gone

  const std::wstring single = dir.File(L"single.txt");
  test::WriteFileBytes(single, "s");
  EXPECT_TRUE(DeleteTree(single));
  EXPECT_FALSE(FileExists(single));

  // a file held open without delete sharing stays, and so does its folder
  const std::wstring busy = dir.File(L"busy");
  ASSERT_TRUE(CreateDirectories(busy));
  test::WriteFileBytes(busy + L"\\open.txt", "o");
  {
    UniqueHandle open(::CreateFileW((busy + L"\\open.txt").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(open.valid());
    EXPECT_FALSE(DeleteTree(busy));
    EXPECT_TRUE(FileExists(busy + L"\\open.txt"));
  }
  EXPECT_TRUE(DeleteTree(busy));

  // never a whole drive
  EXPECT_FALSE(DeleteTree(L"C:\\"));
  EXPECT_FALSE(DeleteTree(L""));
}

TEST(FileSystem, CreateFolderTellsWhetherThisCallMadeIt) {
  ScratchDir dir;
  EXPECT_EQ(CreateFolder(dir.File(L"new")), FolderCreation::kCreated);
  EXPECT_EQ(CreateFolder(dir.File(L"new")), FolderCreation::kExisted);
  test::WriteFileBytes(dir.File(L"file"), "x");
  EXPECT_EQ(CreateFolder(dir.File(L"file")), FolderCreation::kFailed);  // a file is no folder
  EXPECT_EQ(CreateFolder(dir.File(L"missing\\below")), FolderCreation::kFailed);
  EXPECT_EQ(CreateFolder(L""), FolderCreation::kFailed);
}

TEST(FileSystem, KeepNewestFilesDeletesTheOldestMatchesOnly) {
  ScratchDir dir;
  for (int i = 0; i < 7; ++i) {
    const std::wstring dump = dir.File(L"Qlx-" + std::to_wstring(i) + L".dmp");
    test::WriteFileBytes(dump, "d");
    test::SetFileTimes(dump, 1700000000, 1700000000 + i * 60);  // Qlx-6 is the newest
  }
  test::WriteFileBytes(dir.File(L"notes.txt"), "n");
  test::SetFileTimes(dir.File(L"notes.txt"), 1600000000, 1600000000);
  ASSERT_TRUE(CreateDirectories(dir.File(L"Qlx-folder.dmp")));

  KeepNewestFiles(dir.path(), L"Qlx-*.dmp", 3);
  for (int i = 0; i < 7; ++i)
    EXPECT_EQ(FileExists(dir.File(L"Qlx-" + std::to_wstring(i) + L".dmp")), i >= 4) << i;
  EXPECT_TRUE(FileExists(dir.File(L"notes.txt")));
  EXPECT_TRUE(DirectoryExists(dir.File(L"Qlx-folder.dmp")));

  KeepNewestFiles(dir.path(), L"Qlx-*.dmp", 5);  // fewer than kept: nothing to do
  EXPECT_TRUE(FileExists(dir.File(L"Qlx-4.dmp")));
  KeepNewestFiles(dir.File(L"none"), L"Qlx-*.dmp", 0);  // no folder: nothing to do
}

TEST(FileSystem, FileNamePartAndFreeSpace) {
  EXPECT_EQ(FileNamePart(L"C:\\dl\\Setup_huawei00.exe"), L"Setup_huawei00.exe");
  EXPECT_EQ(FileNamePart(L"C:\\dl\\"), L"");
  EXPECT_EQ(FileNamePart(L""), L"");

  EXPECT_GT(FreeSpace(L"C:\\windows"), 0u);
  // the test prefix reports Z: as a CD-ROM: no usable space there
  EXPECT_EQ(FreeSpace(L"Z:\\tmp"), 0u);
  EXPECT_EQ(FreeSpace(L"Q:\\"), 0u);
}

TEST(CacheFolders, PackageCacheRootIsUnderRoamingAppData) {
  wchar_t appData[MAX_PATH + 1] = {};
  ASSERT_TRUE(::GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH));
  EXPECT_EQ(GetPackageCacheRoot(), std::wstring(appData) + L"\\OrvanePkg\\");
  EXPECT_EQ(GetPackageCacheRoot(), GetPackageCacheRoot());
}

TEST(CacheFolders, RunTempFolderIsCreatedOnTheBestDrive) {
  const std::wstring folder = GetRunTempFolder();
  // C: is the only fixed drive of the test prefix
  ASSERT_EQ(folder.rfind(L"C:\\OrvanePkg_", 0), 0u) << std::string(folder.begin(), folder.end());
  EXPECT_EQ(folder.back(), L'\\');
  EXPECT_TRUE(DirectoryExists(folder));
  EXPECT_EQ(GetRunTempFolder(), folder);  // chosen once per run
  // The probe folder is gone. Another test's installer may be probing just
  // now, for a moment; a link at that place is the one that app's attack
  // tests plant (links.probe), which stays until that fixture's cleanup.
  auto probeGone = [] {
    DWORD attributes = ::GetFileAttributesW(L"C:\\OrvanePkg");
    return attributes == INVALID_FILE_ATTRIBUTES ||
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  };
  for (int i = 0; i < 40 && !probeGone(); ++i)
    ::Sleep(50);
  EXPECT_TRUE(probeGone());
  DeleteTree(folder);
}

}  // namespace
}  // namespace orvane
