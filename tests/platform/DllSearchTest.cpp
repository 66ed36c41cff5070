// Planted DLLs beside a program, with Wine told to prefer native DLLs found
// the way Windows finds them (the program's folder first). planting_probe
// shows that such a DLL is loaded without the guard, and what the guard and
// the delay-load rule leave to it: only a static import, which is why the
// installer has none but KnownDLLs.
#include <gtest/gtest.h>

#include "platform/DllSearch.h"
#include "support/WineTestSupport.h"

namespace orvane {
namespace {

class PlantedBesideTheProbe : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(::CopyFileW(test::HostPath(ORVANE_PLANTING_PROBE).c_str(),
                            dir_.File(L"planting_probe.exe").c_str(), FALSE));
    for (const wchar_t* dll : kPlanted) {
      ASSERT_TRUE(
          ::CopyFileW((test::HostPath(ORVANE_PLANTED_DLL_DIR) + L"\\" + dll + L".dll").c_str(),
                      dir_.File(std::wstring(dll) + L".dll").c_str(), FALSE));
    }
  }
  // the probe's exit code
  int RunProbe(const std::wstring& arguments) {
    test::NativeDllsPreferred native(
        L"planting_probe.exe", std::vector<std::wstring>(std::begin(kPlanted), std::end(kPlanted)));
    UniqueHandle probe =
        test::StartProcess(L"\"" + dir_.File(L"planting_probe.exe") + L"\" " + arguments);
    if (!probe) return -2;
    return test::WaitExitCode(probe.get(), 30000);
  }
  std::vector<std::wstring> Loaded() { return test::LoadedMarkers(dir_.path()); }

  static constexpr const wchar_t* kPlanted[] = {L"version", L"dbghelp", L"winmm", L"iphlpapi"};
  test::ScratchDir dir_;
};

TEST_F(PlantedBesideTheProbe, WithoutTheGuardAPlantedDllIsLoaded) {
  EXPECT_EQ(RunProbe(L""), 0);
  // the static import and the load by bare name both took the planted DLL;
  // the system-folder load and the delay-loaded call did not
  EXPECT_EQ(Loaded(), (std::vector<std::wstring>{L"dbghelp.dll", L"version.dll"}));
}

TEST_F(PlantedBesideTheProbe, TheGuardLeavesOnlyAStaticImportToIt) {
  EXPECT_EQ(RunProbe(L"guard"), 0);
  EXPECT_EQ(Loaded(), (std::vector<std::wstring>{L"version.dll"}));
}

TEST(DllSearch, LoadSystemLibraryTakesNamesOnly) {
  EXPECT_TRUE(LoadSystemLibrary(L"version.dll").valid());
  EXPECT_TRUE(LoadSystemLibrary(L"winmm").valid());  // ".dll" is implied
  EXPECT_FALSE(LoadSystemLibrary(L"no-such-module.dll").valid());
  // a path is refused, even one to the system folder
  EXPECT_FALSE(LoadSystemLibrary(L"C:\\windows\\system32\\version.dll").valid());
  EXPECT_FALSE(LoadSystemLibrary(L"..\\version.dll").valid());
  EXPECT_FALSE(LoadSystemLibrary(L"").valid());
  EXPECT_FALSE(LoadSystemLibrary(nullptr).valid());
}

}  // namespace
}  // namespace orvane
