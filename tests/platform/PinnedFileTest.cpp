#include "platform/PinnedFile.h"

#include <gtest/gtest.h>

#include "platform/Md5.h"
#include "platform/StringConv.h"
#include "support/WineTestSupport.h"

namespace orvane {
namespace {

using test::ScratchDir;

bool CanOpen(const std::wstring& path, DWORD access) {
  UniqueHandle h(::CreateFileW(path.c_str(), access,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, 0, nullptr));
  return h.valid();
}

TEST(PinnedFile, NobodyWritesDeletesOrRenamesItWhileHeld) {
  ScratchDir dir;
  const std::wstring path = dir.File(L"pkg.exe");
  test::WriteFileBytes(path, "abc");
  PinnedFile pinned;
  ASSERT_TRUE(pinned.Open(path));
  EXPECT_TRUE(pinned.held());
  EXPECT_EQ(pinned.path(), path);
  EXPECT_TRUE(CanOpen(path, GENERIC_READ));  // a loader may still map it
  EXPECT_FALSE(CanOpen(path, GENERIC_WRITE));
  EXPECT_FALSE(::DeleteFileW(path.c_str()));
  EXPECT_FALSE(::MoveFileW(path.c_str(), dir.File(L"other.exe").c_str()));
  pinned.Release();
  EXPECT_FALSE(pinned.held());
  EXPECT_TRUE(CanOpen(path, GENERIC_WRITE));
}

TEST(PinnedFile, DigestsAndBytesThroughTheHandle) {
  ScratchDir dir;
  const std::wstring path = dir.File(L"abc.bin");
  test::WriteFileBytes(path, "abc");
  PinnedFile pinned;
  ASSERT_TRUE(pinned.Open(path));
  EXPECT_EQ(pinned.Md5(), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(pinned.Sha256(), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  // read twice: each read starts at the beginning
  std::string bytes;
  EXPECT_TRUE(pinned.ReadAll(3, &bytes));
  EXPECT_EQ(bytes, "abc");
  EXPECT_TRUE(pinned.ReadAll(100, &bytes));
  EXPECT_EQ(bytes, "abc");
  EXPECT_FALSE(pinned.ReadAll(2, &bytes));  // longer than allowed
  EXPECT_EQ(bytes, "");

  // a larger file, over several pieces
  const std::string big(200000, 'x');
  test::WriteFileBytes(dir.File(L"big.bin"), big);
  ASSERT_TRUE(pinned.Open(dir.File(L"big.bin")));
  EXPECT_TRUE(pinned.ReadAll(big.size(), &bytes));
  EXPECT_EQ(bytes, big);
  EXPECT_EQ(pinned.Md5(), Md5Hex(big));

  // an empty file has no digest
  test::WriteFileBytes(dir.File(L"empty.bin"), "");
  ASSERT_TRUE(pinned.Open(dir.File(L"empty.bin")));
  EXPECT_EQ(pinned.Md5(), "");
  EXPECT_EQ(pinned.Sha256(), "");
}

TEST(PinnedFile, RefusedWhenItCannotBeHeld) {
  ScratchDir dir;
  PinnedFile pinned;
  EXPECT_FALSE(pinned.Open(dir.File(L"missing.exe")));
  EXPECT_FALSE(pinned.Open(dir.path()));  // a folder
  EXPECT_FALSE(pinned.Open(L""));
  // someone is writing it
  const std::wstring path = dir.File(L"busy.exe");
  test::WriteFileBytes(path, "x");
  UniqueHandle writer(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(writer.valid());
  EXPECT_FALSE(pinned.Open(path));
  EXPECT_FALSE(pinned.held());
  EXPECT_EQ(pinned.Md5(), "");
  EXPECT_EQ(pinned.FinalPath(), L"");
}

TEST(PinnedFile, FinalPathNamesTheHeldFile) {
  ScratchDir dir;
  const std::wstring path = dir.File(L"pkg.exe");
  test::WriteFileBytes(path, "abc");
  PinnedFile pinned;
  ASSERT_TRUE(pinned.Open(path));
  const std::wstring final = pinned.FinalPath();
  EXPECT_EQ(_wcsicmp(final.c_str(), path.c_str()), 0) << WideToUtf8(final);
  EXPECT_EQ(test::ReadFileBytes(final), "abc");
}

}  // namespace
}  // namespace orvane
