// The crash report of Qlx.dll and TaskAsUser.dll's launch, each seen from a
// child process.
#include <gtest/gtest.h>

#include <iostream>

#include "platform/StringConv.h"
#include "sdk/SdkCopy.h"

namespace orvane::test {
namespace {

bool WaitForFile(const std::wstring& path, DWORD timeoutMs) {
  for (DWORD waited = 0; ReadFileBytes(path).empty(); waited += 100) {
    if (waited >= timeoutMs) return false;
    ::Sleep(100);
  }
  return true;
}

TEST(QlxCrashReport, DumpIsWrittenAndTheCallbackGetsItsPath) {
  SdkCopy sdk;
  std::wstring folder = sdk.folder();
  folder.pop_back();
  const std::wstring marker = sdk.folder() + L"crash.txt";
  UniqueHandle child = StartProcess(L"\"" + HostPath(ORVANE_QLX_CHILD) + L"\" crash \"" + folder +
                                    L"\" \"" + marker + L"\"");
  ASSERT_TRUE(child.valid());
  EXPECT_EQ(static_cast<DWORD>(WaitExitCode(child.get(), 60000)),
            static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));

  const std::string text = ReadFileBytes(marker);
  ASSERT_EQ(text.rfind("context\n", 0), 0u) << text;
  const std::wstring dump = Utf8ToWide(text.substr(8));
  EXPECT_EQ(dump.rfind(sdk.folder() + L"dumps\\Qlx-", 0), 0u) << text;
  EXPECT_EQ(ReadFileBytes(dump).substr(0, 4), "MDMP");
}

TEST(TaskAsUser, StartsTheProgramAndSaysHow) {
  SdkCopy sdk;
  HMODULE module = ::LoadLibraryW((sdk.folder() + L"TaskAsUser.dll").c_str());
  ASSERT_NE(module, nullptr);
  auto exec = reinterpret_cast<ShellExecAsUserFn>(
      reinterpret_cast<void*>(::GetProcAddress(module, "ShellExecAsUser")));
  ASSERT_NE(exec, nullptr);

  const std::wstring marker = sdk.folder() + L"touched 1.txt";
  const std::string child = WideToUtf8(HostPath(ORVANE_QLX_CHILD));
  const std::string params = "touch \"" + WideToUtf8(marker) + "\" one two";
  int how = exec("open", child.c_str(), params.c_str(), "", 0);
  std::cout << "ShellExecAsUser returned " << how << "\n";
  EXPECT_TRUE(how == 1 || how == 2) << how;
  ASSERT_TRUE(WaitForFile(marker, 30000));
  const std::string text = ReadFileBytes(marker);
  std::cout << "the child saw: " << text << "\n";
  EXPECT_NE(text.find("args=one two"), std::string::npos) << text;

  EXPECT_EQ(exec("", child.c_str(), "", "", 0), 0);
  EXPECT_EQ(exec("open", "", "", "", 0), 0);
  EXPECT_EQ(exec(nullptr, nullptr, nullptr, nullptr, 0), 0);
  EXPECT_EQ(exec("open", "Z:\\no\\such\\program.exe", "", "", 0), 0);
}

}  // namespace
}  // namespace orvane::test
