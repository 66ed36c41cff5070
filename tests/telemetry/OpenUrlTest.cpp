// qlxOpenUrl hands a web address to the shell, which under Wine passes it
// to winebrowser and on to the "browser" named in Wine's settings: here a
// script that notes what it was asked to open.
#include <gtest/gtest.h>

#include "QlxApi.h"
#include "platform/Handles.h"
#include "support/WineTestSupport.h"

namespace orvane::test {
namespace {

const wchar_t kWineBrowserKey[] = L"Software\\Wine\\WineBrowser";

// sets Wine's browser list for the test and puts the old one back
class BrowserSetting {
 public:
  explicit BrowserSetting(const std::wstring& browsers) {
    ::RegCreateKeyExW(HKEY_CURRENT_USER, kWineBrowserKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      key_.receive(), nullptr);
    wchar_t old[1024] = {};
    DWORD size = sizeof(old) - sizeof(wchar_t);
    had_ = ::RegQueryValueExW(key_.get(), L"Browsers", nullptr, nullptr,
                              reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS;
    old_ = old;
    Set(browsers);
  }
  ~BrowserSetting() {
    if (had_) {
      Set(old_);
    } else {
      ::RegDeleteValueW(key_.get(), L"Browsers");
    }
  }

 private:
  void Set(const std::wstring& value) {
    ::RegSetValueExW(key_.get(), L"Browsers", 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }
  RegKey key_;
  bool had_ = false;
  std::wstring old_;
};

TEST(QlxOpenUrl, HandsAWebAddressToTheBrowser) {
  BrowserSetting browser(W(ORVANE_URL_RECORDER));  // a Linux path
  HMODULE sdk = ::LoadLibraryW((HostPath(ORVANE_SDK_BIN_DIR) + L"\\Qlx.dll").c_str());
  ASSERT_NE(sdk, nullptr);
  auto open =
      reinterpret_cast<QlxOpenUrlFn>(reinterpret_cast<void*>(::GetProcAddress(sdk, "qlxOpenUrl")));
  ASSERT_NE(open, nullptr);

  const std::wstring log = HostPath(ORVANE_OPENED_URLS);
  const std::string before = ReadFileBytes(log);
  const std::string url = "http://www.orvane.test/kestrelvault/agreement?_mid=" +
                          std::to_string(::GetCurrentProcessId()) + "&lang=zh";
  ASSERT_EQ(open(url.c_str()), 0);
  EXPECT_NE(open("file:///C:/windows/notepad.exe"), 0);

  std::string after;
  for (int waited = 0; waited < 30000; waited += 100) {
    after = ReadFileBytes(log);
    if (after.find(url + "\n", before.size()) != std::string::npos) break;
    ::Sleep(100);
  }
  EXPECT_NE(after.find(url + "\n", before.size()), std::string::npos) << after;
  EXPECT_EQ(after.find("notepad", before.size()), std::string::npos);
}

}  // namespace
}  // namespace orvane::test
