// The installer as a user has it, with what a hostile user could put in its
// way. Each attack fails, and the installer still runs its flow: it shows its
// window, journals its start and quit records through the SDK it delivered,
// and ends with 0 when the window is closed.
#include <gtest/gtest.h>

#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <set>

#include "app/InstallerRunChecks.h"
#include "config/ProductIdentity.h"
#include "platform/FileSystem.h"
#include "platform/StringConv.h"
#include "platform/StringUtil.h"
#include "support/DownloadedInstaller.h"
#include "support/WineTestSupport.h"

namespace orvane::test {
namespace {

std::wstring Lower(std::wstring text) {
  for (auto& c : text)
    c = static_cast<wchar_t>(towlower(c));
  return text;
}

// the per-run working folders at the root of C:
std::set<std::wstring> WorkingFolders() {
  std::set<std::wstring> found;
  WIN32_FIND_DATAW data{};
  FindHandle find(::FindFirstFileW(L"C:\\OrvanePkg_*", &data));
  if (!find) return found;
  do {
    found.insert(data.cFileName);
  } while (::FindNextFileW(find.get(), &data));
  return found;
}

// lower-case paths of the modules loaded in a process
std::vector<std::wstring> ModulesOf(DWORD processId) {
  std::vector<std::wstring> modules;
  UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId));
  MODULEENTRY32W entry{};
  entry.dwSize = sizeof entry;
  if (!snapshot || !::Module32FirstW(snapshot.get(), &entry)) return modules;
  do {
    modules.push_back(Lower(entry.szExePath));
  } while (::Module32NextW(snapshot.get(), &entry));
  return modules;
}

DWORD InstallerProcessId() {
  HWND window = ::FindWindowW(kMainWindowClass, nullptr);
  DWORD id = 0;
  if (window) ::GetWindowThreadProcessId(window, &id);
  return id;
}

class InstallerAttack : public testing::Test {
 protected:
  void SetUp() override {
    // a first install with a fresh journal
    DeleteTree(QlxFolder());
  }
  ScratchRegKey uninstall_{HKEY_LOCAL_MACHINE, kUninstallKey};
};

// Hole: the loader took version.dll, winhttp.dll and iphlpapi.dll from the
// installer's folder (static imports), and the SDK dbghelp.dll by bare name.
TEST_F(InstallerAttack, PlantedSystemDllsBesideItAreNeverLoaded) {
  DownloadedInstaller installer(ORVANE_INSTALLER_EXE);
  std::vector<std::wstring> planted;
  for (const std::string& name : SplitAny(std::string(ORVANE_PLANTED_DLLS), ",")) {
    planted.push_back(W(name));
    installer.AddFile(HostPath(ORVANE_PLANTED_DLL_DIR) + L"\\" + W(name) + L".dll",
                      W(name) + L".dll");
  }
  NativeDllsPreferred native(L"KestrelVaultSetup.exe", planted);

  std::vector<std::wstring> modules;
  ExpectNormalRun(installer, [&] { modules = ModulesOf(InstallerProcessId()); });
  EXPECT_EQ(LoadedMarkers(installer.folder()), std::vector<std::wstring>{});
  // what it did load under those names came from the system folder
  ASSERT_FALSE(modules.empty()) << "no module list of the running installer";
  const std::wstring own = Lower(installer.folder());
  int fromSystem = 0;
  for (const std::wstring& module : modules) {
    if (module != Lower(installer.path())) {
      EXPECT_NE(module.rfind(own, 0), 0u)
          << "loaded from the download folder: " << WideToUtf8(module);
    }
    for (const std::wstring& name : planted) {
      if (module.size() > name.size() + 4 &&
          module.compare(module.size() - name.size() - 5, std::wstring::npos,
                         L"\\" + name + L".dll") == 0) {
        EXPECT_EQ(module.rfind(L"c:\\windows\\system32\\", 0), 0u) << WideToUtf8(module);
        ++fromSystem;
      }
    }
  }
  // the version resource and the crash report need at least these two
  EXPECT_GE(fromSystem, 2);
}

// Hole: the working-folder choice deleted C:\OrvanePkg although it was there
// before the run.
TEST_F(InstallerAttack, UsersOwnFolderAtTheProbePlaceIsKept) {
  ASSERT_TRUE(CreateDirectories(L"C:\\OrvanePkg\\photos"));
  WriteFileBytes(L"C:\\OrvanePkg\\photos\\mine.jpg", "the user's own file");
  DownloadedInstaller installer(ORVANE_INSTALLER_EXE);
  ExpectNormalRun(installer);
  EXPECT_EQ(ReadFileBytes(L"C:\\OrvanePkg\\photos\\mine.jpg"), "the user's own file");
  DeleteTree(L"C:\\OrvanePkg");
}

// Hole: every run left its OrvanePkg_<time> folder at a drive root.
TEST_F(InstallerAttack, LeavesNoWorkingFolderBehind) {
  const std::set<std::wstring> before = WorkingFolders();
  DownloadedInstaller installer(ORVANE_INSTALLER_EXE);
  std::set<std::wstring> during;
  ExpectNormalRun(installer, [&] { during = WorkingFolders(); });
  std::vector<std::wstring> made;
  std::set_difference(during.begin(), during.end(), before.begin(), before.end(),
                      std::back_inserter(made));
  EXPECT_EQ(made.size(), 1u) << "the run worked in a folder of its own";
  EXPECT_EQ(WorkingFolders(), before);
}

}  // namespace
}  // namespace orvane::test
