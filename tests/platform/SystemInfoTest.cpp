#include "platform/SystemInfo.h"

#include <gtest/gtest.h>

#include "support/WineTestSupport.h"

namespace orvane {
namespace {

TEST(SystemInfo, OsVersionMatchesTheSystem) {
  // the same numbers the code reads, asked of ntdll directly
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll"), "RtlGetVersion")));
  ASSERT_NE(rtlGetVersion, nullptr);
  OSVERSIONINFOW v{};
  v.dwOSVersionInfoSize = sizeof(v);
  rtlGetVersion(&v);
  OsVersionCode code = GetOsVersionCode();
  if (v.dwMajorVersion == 10) {
    EXPECT_EQ(code, kOsWin10);
  } else {
    EXPECT_NE(code, kOsWin10);
  }
  EXPECT_EQ(GetOsVersionCode(), code);
}

TEST(SystemInfo, ArchitectureOfTheTestPrefix) {
  // the test prefix is a 32-bit one
  EXPECT_FALSE(Is64BitWindows());
}

TEST(SystemInfo, ProcessImagePathAndParent) {
  std::wstring own;
  ASSERT_TRUE(GetProcessImagePath(::GetCurrentProcessId(), &own));
  EXPECT_EQ(::lstrcmpiW(own.c_str(), GetOwnModulePath().c_str()), 0);
  EXPECT_FALSE(GetProcessImagePath(0xFFFFFFF0, &own));

  DWORD childId = 0;
  UniqueHandle child = test::StartProcess(
      L"\"" + test::OwnFolder() + L"\\..\\support\\exit_with.exe\" 0 3000", &childId);
  ASSERT_TRUE(child.valid());
  EXPECT_EQ(GetParentProcessId(childId), ::GetCurrentProcessId());
  std::wstring childPath;
  ASSERT_TRUE(GetProcessImagePath(childId, &childPath));
  EXPECT_NE(childPath.find(L"exit_with.exe"), std::wstring::npos);
  ::TerminateProcess(child.get(), 0);
  EXPECT_EQ(GetParentProcessId(0xFFFFFFF0), 0u);
}

}  // namespace
}  // namespace orvane
