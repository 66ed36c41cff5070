// qlxOpenUrl hands a web address to the shell, which starts the handler of
// its scheme: in the test prefix the recording browser (scripts/lib/wine-prefix),
// which notes every command line it gets.
#include <gtest/gtest.h>

#include "QlxApi.h"
#include "platform/Handles.h"
#include "support/WineTestSupport.h"

namespace orvane::test {
namespace {

TEST(QlxOpenUrl, HandsAWebAddressToTheBrowser) {
  HMODULE sdk = ::LoadLibraryW((HostPath(ORVANE_SDK_BIN_DIR) + L"\\Qlx.dll").c_str());
  ASSERT_NE(sdk, nullptr);
  auto open =
      reinterpret_cast<QlxOpenUrlFn>(reinterpret_cast<void*>(::GetProcAddress(sdk, "qlxOpenUrl")));
  ASSERT_NE(open, nullptr);

  const std::string before = ReadFileBytes(kRecordingBrowserLog);
  const std::string url = "http://www.orvane.test/kestrelvault/agreement?_mid=" +
                          std::to_string(::GetCurrentProcessId()) + "&lang=zh";
  ASSERT_EQ(open(url.c_str()), 0);
  EXPECT_NE(open("file:///C:/windows/notepad.exe"), 0);

  const std::string line = "--record \"" + url + "\"\n";
  std::string after;
  for (int waited = 0; waited < 30000; waited += 100) {
    after = ReadFileBytes(kRecordingBrowserLog);
    if (after.find(line, before.size()) != std::string::npos) break;
    ::Sleep(100);
  }
  EXPECT_NE(after.find(line, before.size()), std::string::npos) << after;
  EXPECT_EQ(after.find("notepad", before.size()), std::string::npos);
}

}  // namespace
}  // namespace orvane::test
