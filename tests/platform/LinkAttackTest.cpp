// Folders with links a user planted, and a share, in the way of the file
// helpers. The links come from plant-links.sh (fixture links.platform): Unix
// symbolic links in the test prefix to folders outside it, which Wine reports
// as reparse points, as Windows reports junctions. Each target holds keep.txt.
#include <gtest/gtest.h>

#include "platform/FileSystem.h"
#include "support/WineTestSupport.h"

namespace orvane {
namespace {

const wchar_t kLinks[] = L"C:\\orvane-links\\";

// the target folder of a planted link, seen from Windows without the link
std::wstring Target(const std::string& name) {
  return test::HostPath(std::string(ORVANE_LINK_TARGETS) + "/" + name);
}

void ExpectKept(const std::string& name) {
  EXPECT_EQ(test::ReadFileBytes(Target(name) + L"\\keep.txt"), "not yours to delete\n")
      << "the file behind the link " << name << " was deleted";
}

TEST(DeleteTreeAttack, LinkInsideTheTreeIsNotFollowed) {
  // the installer's own files around a link someone put among them
  const std::wstring tree = std::wstring(kLinks) + L"tree";
  ASSERT_TRUE(CreateDirectories(tree + L"\\sub"));
  test::WriteFileBytes(tree + L"\\own.txt", "o");
  test::WriteFileBytes(tree + L"\\sub\\own.txt", "o");
  ::SetFileAttributesW((tree + L"\\sub\\own.txt").c_str(), FILE_ATTRIBUTE_READONLY);

  DeleteTree(tree);
  ExpectKept("in-tree");
  EXPECT_FALSE(FileExists(tree + L"\\own.txt"));
  EXPECT_FALSE(DirectoryExists(tree + L"\\sub"));
}

TEST(DeleteTreeAttack, PathThatIsALinkIsNotFollowed) {
  DeleteTree(std::wstring(kLinks) + L"root-link");
  ExpectKept("root-link");
  // nor when the caller names it with a trailing backslash
  DeleteTree(std::wstring(kLinks) + L"root-link\\");
  ExpectKept("root-link");
}

TEST(DeleteTreeAttack, NothingIsDeletedBelowALinkedFolder) {
  const std::wstring through = std::wstring(kLinks) + L"via-link\\keep.txt";
  ASSERT_TRUE(FileExists(through));  // the link does lead there
  EXPECT_FALSE(DeleteTree(through));
  EXPECT_FALSE(DeleteTree(std::wstring(kLinks) + L"via-link\\..\\via-link\\keep.txt"));
  ExpectKept("via-link");
}

TEST(DeleteTreeAttack, PruningNeverDeletesThroughALinkedFolder) {
  const std::wstring target = Target("dumps-link");
  for (int i = 0; i < 6; ++i)
    test::WriteFileBytes(target + L"\\Qlx-" + std::to_wstring(i) + L".dmp", "d");
  KeepNewestFiles(std::wstring(kLinks) + L"dumps-link", L"Qlx-*.dmp", 2);
  for (int i = 0; i < 6; ++i)
    EXPECT_TRUE(FileExists(target + L"\\Qlx-" + std::to_wstring(i) + L".dmp")) << i;
}

// Roaming AppData redirected to a share: every level is made on the share,
// none relative to the current folder (the download folder, where a user may
// have prepared "localhost\orvane-share").
TEST(CreateDirectoriesAttack, ShareAndDevicePathsStayWhereTheyPoint) {
  test::ScratchDir current;
  ASSERT_TRUE(CreateDirectories(current.File(L"localhost")));
  wchar_t saved[MAX_PATH + 1] = {};
  ::GetCurrentDirectoryW(MAX_PATH, saved);
  ASSERT_TRUE(::SetCurrentDirectoryW(current.path().c_str()));

  EXPECT_TRUE(CreateDirectories(L"\\\\localhost\\orvane-share\\Roaming\\OrvanePkg\\Qlx"));
  EXPECT_TRUE(DirectoryExists(Target("share") + L"\\Roaming\\OrvanePkg\\Qlx"));
  EXPECT_TRUE(CreateDirectories(L"\\\\?\\UNC\\localhost\\orvane-share\\deep\\er"));
  EXPECT_TRUE(DirectoryExists(Target("share") + L"\\deep\\er"));
  EXPECT_TRUE(CreateDirectories(L"\\\\?\\" + current.path() + L"\\dev\\ice"));
  EXPECT_TRUE(DirectoryExists(current.File(L"dev\\ice")));
  ::SetCurrentDirectoryW(saved);

  EXPECT_FALSE(DirectoryExists(current.File(L"localhost\\orvane-share")));
  EXPECT_FALSE(DirectoryExists(current.File(L"UNC")));
  EXPECT_FALSE(DirectoryExists(current.File(L"?")));
}

}  // namespace
}  // namespace orvane
