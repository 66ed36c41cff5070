// The install folder's rules, the size texts and where a dialog opens.
#include "pages/InstallFolderRules.h"

#include <gtest/gtest.h>

#include <map>

#include "pages/DialogPlacement.h"
#include "pages/SizeText.h"
#include "ui/GeometryPrinting.h"

namespace orvane {
namespace {

const std::wstring kSub = L"\\Orvane\\栖木工坊";

TEST(InstallFolderRules, ChosenFolderBecomesTheInstallPathOrIsRefused) {
  const std::wstring long250(250, L'a');
  struct Case {
    const char* what;
    std::wstring chosen;
    bool append;
    std::wstring path;  // empty: refused
  } cases[] = {
      {"a folder gets the product's sub-folder", L"D:\\Apps", true, L"D:\\Apps" + kSub},
      {"a trailing backslash is not doubled", L"D:\\Apps\\", true, L"D:\\Apps" + kSub},
      {"a drive's root", L"D:\\", true, L"D:" + kSub},
      {"a path holding the sub-folder stays", L"D:\\x" + kSub + L"\\y", true,
       L"D:\\x" + kSub + L"\\y"},
      {"an existing installation's folder stays", L"D:\\Tools\\栖木工坊", false,
       L"D:\\Tools\\栖木工坊"},
      {"relative", L"Apps\\x", true, L""},
      {"drive-relative", L"D:Apps", true, L""},
      {"a bare drive", L"D:", true, L""},
      {"a UNC path", L"\\\\server\\share", true, L""},
      {"forward slashes", L"D:/Apps", true, L""},
      {"a forbidden character", L"D:\\a*b", true, L""},
      {"a quote", L"D:\\a\"b", true, L""},
      {"a control character", L"D:\\a\nb", true, L""},
      {"a doubled backslash", L"D:\\a\\\\b", true, L""},
      {"a dot piece", L"D:\\a\\.\\b", true, L""},
      {"a dot-dot piece", L"D:\\a\\..\\b", true, L""},
      {"a piece ending in a dot", L"D:\\Apps.", true, L""},
      {"a piece ending in a space", L"D:\\Apps \\x", true, L""},
      {"longer than MAX_PATH", L"D:\\" + std::wstring(260, L'a'), true, L""},
      {"too long once the sub-folder is added", L"D:\\" + long250, true, L""},
      {"fits without the sub-folder", L"D:\\" + long250, false, L"D:\\" + long250},
      {"empty", L"", true, L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto got = InstallPathFor(c.chosen, c.append);
    EXPECT_EQ(got.value_or(L""), c.path);
  }
}

TEST(InstallFolderRules, InstalledProgramsFolder) {
  EXPECT_EQ(ProductFolderUnder(L"C:\\Program Files"), L"C:\\Program Files" + kSub);
  EXPECT_EQ(ProductFolderUnder(L"E:\\"), L"E:" + kSub);
  EXPECT_EQ(FolderOfProgram(L"D:\\Tools\\栖木工坊\\app.exe"), L"D:\\Tools\\栖木工坊");
  EXPECT_EQ(FolderOfProgram(L"D:\\Tools\\"), L"");  // names no file
  EXPECT_EQ(FolderOfProgram(L"app.exe"), L"");
  // only the 32-bit program folder of the drive is looked at, in any case
  EXPECT_TRUE(IsInX86ProgramFiles(L"C:\\Program Files (x86)\\Orvane\\栖木工坊\\app.exe"));
  EXPECT_TRUE(IsInX86ProgramFiles(L"D:\\PROGRAM FILES (X86)\\a.exe"));
  EXPECT_FALSE(IsInX86ProgramFiles(L"C:\\Program Files\\Orvane\\栖木工坊\\app.exe"));
  EXPECT_FALSE(IsInX86ProgramFiles(L"C:\\Program Files (x86)"));  // 22 characters
  EXPECT_FALSE(IsInX86ProgramFiles(L"C:\\Tools\\Program Files (x86)\\a.exe"));
}

class FakeRootFacts : public IInstallRootFacts {
 public:
  bool is64 = true;
  std::wstring windows = L"C:\\Windows";
  std::wstring programFiles = L"C:\\Program Files";
  std::wstring best = L"E:\\";
  std::map<wchar_t, uint64_t> free;  // by drive letter
  bool Is64BitWindows() override { return is64; }
  std::wstring SystemWindowsDirectory() override { return windows; }
  std::wstring ProgramFilesFolder() override { return programFiles; }
  std::wstring BestMountPoint() override { return best; }
  uint64_t FreeSpace(const std::wstring& path) override { return path.empty() ? 0 : free[path[0]]; }
};

TEST(InstallFolderRules, DefaultRootAndItsFallbacks) {
  const int64_t need = 1000;
  struct Case {
    const char* what;
    bool is64;
    std::wstring windows;
    std::wstring programFiles;
    uint64_t freeC, freeE;
    std::wstring root;
  } cases[] = {
      {"64-bit: the system drive's Program Files", true, L"C:\\Windows", L"", 5000, 9000,
       L"C:\\Program Files"},
      {"32-bit: the shell's program folder", false, L"", L"C:\\Program Files", 5000, 0,
       L"C:\\Program Files"},
      {"a full system drive: the best mount point", true, L"C:\\Windows", L"", 10, 5000, L"E:\\"},
      {"exactly the size needed is not enough", true, L"C:\\Windows", L"", 1000, 5000, L"E:\\"},
      {"an odd Windows folder: the best mount point", true, L"\\\\?\\x", L"", 5000, 5000, L"E:\\"},
      {"no program folder on 32-bit", false, L"", L"", 5000, 5000, L"E:\\"},
      {"no room anywhere", true, L"C:\\Windows", L"", 999, 1000, L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeRootFacts facts;
    facts.is64 = c.is64;
    facts.windows = c.windows;
    facts.programFiles = c.programFiles;
    facts.free = {{L'C', c.freeC}, {L'E', c.freeE}};
    EXPECT_EQ(ChooseDefaultInstallRoot(facts, need), c.root);
  }
  // a negative size from the server still wants a drive with room
  FakeRootFacts empty;
  EXPECT_EQ(ChooseDefaultInstallRoot(empty, -5), L"");
}

TEST(SizeText, OneDecimalAndTheLargestUnit) {
  struct Case {
    double bytes;
    const wchar_t* text;
  } cases[] = {
      {0, L"0.0 B"},
      {1024, L"1024.0 B"},  // up to 1024 bytes stay bytes
      {1536, L"1.5 KB"},
      {1048575, L"1024.0 KB"},
      {1048576, L"1.0 MB"},
      {240478201, L"229.3 MB"},
      {1073741824, L"1.0 GB"},
      {1099511627776.0 * 3, L"3.0 TB"},
      {1e300, L""},  // cut at 31 characters, never longer
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    const std::wstring text = SizeText(c.bytes);
    if (*c.text) {
      EXPECT_EQ(text, c.text);
    }
    EXPECT_LE(text.size(), 31u);
  }
}

TEST(DialogPlacement, CentredOverItsOwnerAndWholeOnScreen) {
  const IntRect work{0, 0, 1280, 984};
  EXPECT_EQ(PlaceDialogOver({340, 312, 940, 712}, 400, 200, work), (IntRect{440, 412, 840, 612}));
  // near the right and bottom edges the dialog moves in; so at the left and top
  EXPECT_EQ(PlaceDialogOver({1100, 900, 1700, 1300}, 400, 200, work),
            (IntRect{880, 784, 1280, 984}));
  EXPECT_EQ(PlaceDialogOver({-500, -300, 100, 100}, 400, 200, work), (IntRect{0, 0, 400, 200}));
  // no work area known: centred only
  EXPECT_EQ(PlaceDialogOver({-500, 0, 100, 400}, 400, 200, {}), (IntRect{-400, 100, 0, 300}));
}

}  // namespace
}  // namespace orvane
