#include "platform/RunTempFolder.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace orvane {
namespace {

// a machine described by its mount points: free space and whether a folder
// can be created there
class FakeMachine : public IRunTempFacts {
 public:
  struct Volume {
    std::wstring mount;
    uint64_t freeSpace;
    bool writable = true;
  };
  std::vector<Volume> volumes;
  std::wstring cacheRoot = L"C:\\Users\\u\\AppData\\Roaming\\OrvanePkg\\";
  std::wstring windows = L"C:\\Windows";
  bool canCreateFinal = true;
  // folders that were there before the run: a user's own, or links
  std::set<std::wstring> existing;
  std::set<std::wstring> created;
  std::vector<std::wstring> deleted;

  std::vector<std::wstring> MountPoints() override {
    std::vector<std::wstring> m;
    for (const auto& v : volumes)
      m.push_back(v.mount);
    return m;
  }
  uint64_t FreeSpace(const std::wstring& mount) override {
    for (const auto& v : volumes)
      if (v.mount == mount) return v.freeSpace;
    return 0;
  }
  bool CreateDirectories(const std::wstring& path) override { return true; }
  FolderCreation CreateFolder(const std::wstring& path) override {
    if (existing.count(path) || created.count(path)) return FolderCreation::kExisted;
    bool possible = false;
    if (path.find(L"OrvanePkg_") != std::wstring::npos) {
      possible = canCreateFinal;
    } else {
      for (const auto& v : volumes)
        possible = possible || (path.rfind(v.mount, 0) == 0 && v.writable);
    }
    if (!possible) return FolderCreation::kFailed;
    created.insert(path);
    return FolderCreation::kCreated;
  }
  void DeleteTree(const std::wstring& path) override {
    deleted.push_back(path);
    created.erase(path);
    existing.erase(path);
  }
  std::wstring PackageCacheRoot() override { return cacheRoot; }
  std::wstring WindowsFolder() override { return windows; }
  int64_t Now() override { return 1765152000; }
};

TEST(RunTempFolder, MostFreeSpaceWinsAndTiesKeepTheFirst) {
  FakeMachine m;
  m.volumes = {{L"C:\\", 500}, {L"D:\\", 900}, {L"E:\\", 900}};
  EXPECT_EQ(ComputeRunTempFolder(m), L"D:\\OrvanePkg_1765152000\\");
  // every probe folder that worked was removed again
  EXPECT_EQ(m.deleted, (std::vector<std::wstring>{L"C:\\OrvanePkg", L"D:\\OrvanePkg"}));
  EXPECT_EQ(m.created, (std::set<std::wstring>{L"D:\\OrvanePkg_1765152000"}));
}

TEST(RunTempFolder, EqualFixedDrivesPickTheOneEnumeratedFirst) {
  FakeMachine m;
  m.volumes = {{L"E:\\", 700}, {L"C:\\", 700}};
  EXPECT_EQ(ChooseRunTempBase(m), L"E:\\");
}

TEST(RunTempFolder, RemovableDriveWithMoreSpaceWins) {
  // removable and fixed drives both report their space; others report 0
  FakeMachine m;
  m.volumes = {{L"C:\\", 100}, {L"F:\\", 0 /* a CD-ROM */}, {L"G:\\", 800 /* USB stick */}};
  EXPECT_EQ(ChooseRunTempBase(m), L"G:\\");
}

TEST(RunTempFolder, ReadOnlyVolumeIsSkipped) {
  FakeMachine m;
  m.volumes = {{L"C:\\", 100}, {L"D:\\", 900, false}};
  EXPECT_EQ(ChooseRunTempBase(m), L"C:\\");
}

TEST(RunTempFolder, MountedFolderCountsLikeADrive) {
  FakeMachine m;
  m.volumes = {{L"C:\\", 100}, {L"C:\\mnt\\data\\", 300}};
  EXPECT_EQ(ComputeRunTempFolder(m), L"C:\\mnt\\data\\OrvanePkg_1765152000\\");
}

TEST(RunTempFolder, FallsBackToCacheRootThenWindowsDrive) {
  FakeMachine m;
  m.volumes = {{L"C:\\", 100, false}};
  EXPECT_EQ(ComputeRunTempFolder(m),
            L"C:\\Users\\u\\AppData\\Roaming\\OrvanePkg\\OrvanePkg_1765152000\\");

  m.volumes.clear();
  m.cacheRoot.clear();
  m.windows = L"D:\\WINNT";
  EXPECT_EQ(ComputeRunTempFolder(m), L"D:\\OrvanePkg_1765152000\\");

  m.windows.clear();
  EXPECT_EQ(ComputeRunTempFolder(m), L"");
}

TEST(RunTempFolder, EmptyWhenTheFolderCannotBeCreated) {
  FakeMachine m;
  m.volumes = {{L"C:\\", 100}};
  m.canCreateFinal = false;
  EXPECT_EQ(ComputeRunTempFolder(m), L"");
}

TEST(RunTempFolder, ProbeFolderThatWasThereIsNeverDeleted) {
  // C:\OrvanePkg is a user's folder, D:\OrvanePkg a link someone put there
  FakeMachine m;
  m.volumes = {{L"C:\\", 500}, {L"D:\\", 900}};
  m.existing = {L"C:\\OrvanePkg", L"D:\\OrvanePkg"};
  EXPECT_EQ(ComputeRunTempFolder(m), L"D:\\OrvanePkg_1765152000\\");
  EXPECT_TRUE(m.deleted.empty());
  EXPECT_EQ(m.existing, (std::set<std::wstring>{L"C:\\OrvanePkg", L"D:\\OrvanePkg"}));
}

TEST(RunTempFolder, TakenRunFolderNameMovesToTheNextNumber) {
  // someone prepared the name this run would take
  FakeMachine m;
  m.volumes = {{L"C:\\", 500}};
  m.existing = {L"C:\\OrvanePkg_1765152000", L"C:\\OrvanePkg_1765152001"};
  EXPECT_EQ(ComputeRunTempFolder(m), L"C:\\OrvanePkg_1765152002\\");

  for (int64_t n = 0; n < 16; ++n)
    m.existing.insert(L"C:\\OrvanePkg_" + std::to_wstring(1765152000 + n));
  m.created.clear();
  EXPECT_EQ(ComputeRunTempFolder(m), L"");
  EXPECT_TRUE(m.created.empty());
}

TEST(RunTempFolder, VolumeNames) {
  EXPECT_TRUE(IsUsableVolumeName(L"\\\\?\\Volume{00000000-0000-0000-0000-000000000043}\\"));
  EXPECT_FALSE(IsUsableVolumeName(L"\\\\?\\Volume{00000000-0000-0000-0000-000000000043}"));
  EXPECT_FALSE(IsUsableVolumeName(L"\\\\.\\Volume{x}\\"));
  EXPECT_FALSE(IsUsableVolumeName(L"\\\\?\\"));
  EXPECT_FALSE(IsUsableVolumeName(L""));
}

}  // namespace
}  // namespace orvane
