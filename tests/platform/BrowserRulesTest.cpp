#include "platform/BrowserRules.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(BrowserRules, KnownBrowserAndRank) {
  struct Case {
    const wchar_t* text;
    bool known;
    int rank;
  } cases[] = {
      {L"360chrome.exe", true, 1},  // also holds "chrome.exe": the first test decides
      {L"360se.exe", true, 2},
      {L"chrome.exe", true, 3},
      {L"ChromeCore.exe", true, 4},
      {L"MicrosoftEdge.exe", true, 5},
      {L"iexplore.exe", true, 6},
      {L"QQBrowser.exe", true, 7},
      {L"SogouExplorer.exe", true, 8},
      {L"firefox.exe", true, 9},
      {L"liebao.exe", true, 10},
      {L"UCBrowser.exe", true, 11},
      {L"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe", true, 3},
      {L"C:\\x\\chrome.exe --single-argument", true, 3},
      // the Edge helpers are in the table but are no browsers of their own
      {L"browser_broker.exe", false, 99},
      {L"LaunchWinApp.exe", false, 99},
      // case-sensitive
      {L"Chrome.exe", false, 99},
      {L"FIREFOX.EXE", false, 99},
      {L"chrome", false, 99},
      {L"winebrowser.exe", false, 99},
      {L"", false, 99},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsKnownBrowser(c.text), c.known) << c.text;
    EXPECT_EQ(BrowserRank(c.text), c.rank) << c.text;
  }
}

TEST(BrowserRules, DownloadFolderClues) {
  struct Case {
    const wchar_t* path;
    const wchar_t* key;  // null: no clue
    const wchar_t* program;
  } cases[] = {
      {L"C:\\Users\\a\\360极速浏览器下载\\KestrelVaultSetup.exe", L"360Chrome", L"360chrome.exe"},
      {L"D:\\360安全浏览器下载\\setup.exe", L"360se6", L"360se.exe"},
      {L"E:\\搜狗高速下载\\setup.exe", L"SogouExplorer", L"SogouExplorer.exe"},
      // table order decides when a path holds two
      {L"D:\\搜狗高速下载\\360安全浏览器下载\\setup.exe", L"360se6", L"360se.exe"},
      {L"C:\\Users\\a\\Downloads\\setup.exe", nullptr, nullptr},
      {L"", nullptr, nullptr},
  };
  for (const auto& c : cases) {
    const DownloadFolderClue* clue = FindDownloadFolderClue(c.path);
    if (!c.key) {
      EXPECT_EQ(clue, nullptr) << c.path;
      continue;
    }
    ASSERT_NE(clue, nullptr) << c.path;
    EXPECT_STREQ(clue->uninstallKey, c.key);
    EXPECT_STREQ(clue->program, c.program);
  }
}

TEST(BrowserRules, PathFromOpenCommand) {
  struct Case {
    const wchar_t* command;
    const wchar_t* path;
  } cases[] = {
      {L"\"C:\\Program Files\\Mozilla Firefox\\firefox.exe\" -osint -url \"%1\"",
       L"C:\\Program Files\\Mozilla Firefox\\firefox.exe"},
      {L"\"C:\\Program Files (x86)\\Google\\Chrome\\Application\\chrome.exe\" --single-argument %1",
       L"C:\\Program Files (x86)\\Google\\Chrome\\Application\\chrome.exe"},
      {L"\"C:\\x\\browser.exe\"", L"C:\\x\\browser.exe"},
      {L"C:\\x\\browser.exe -- \"%1\"", L"C:\\x\\browser.exe"},
      {L"C:\\x\\browser.exe", L"C:\\x\\browser.exe"},
      {L"   C:\\x\\browser.exe %1", L"C:\\x\\browser.exe"},
      {L"  \"C:\\a b\\x.exe\" %1", L"C:\\a b\\x.exe"},
      // spaces inside the quotes are the path's own
      {L"\"C:\\a  b\\x.exe\" %1", L"C:\\a  b\\x.exe"},
      // a quote inside a word does not close it
      {L"\"C:\\a\"b c\\x.exe\" %1", L"C:\\a\"b c\\x.exe"},
      // unclosed: the rest of the command
      {L"\"C:\\a b\\x.exe  ", L"C:\\a b\\x.exe"},
      {L"\"\"C:\\x.exe\"\" %1", L"C:\\x.exe"},
      {L"\"\" %1", L""},
      {L"\"", L""},
      {L"", L""},
      {L"    ", L""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(BrowserPathFromOpenCommand(c.command), c.path) << c.command;
}

TEST(BrowserRules, CutAfterExe) {
  struct Case {
    const wchar_t* in;
    const wchar_t* out;
  } cases[] = {
      {L"C:\\x\\chrome.exe", L"C:\\x\\chrome.exe"},
      {L"C:\\x\\chrome.exe --flag --other=1", L"C:\\x\\chrome.exe"},
      {L"C:\\x\\chrome.exe\" --flag", L"C:\\x\\chrome.exe"},
      {L"C:\\x.exe\\chrome.exe", L"C:\\x.exe\\chrome.exe"},  // ends in ".exe": kept
      {L"C:\\x.exe\\chrome.exe -a", L"C:\\x.exe"},           // the first ".exe" cuts
      {L"C:\\x\\chrome.EXE -a", L"C:\\x\\chrome.EXE -a"},    // case-sensitive
      {L"C:\\x\\chrome", L"C:\\x\\chrome"},
      {L"", L""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CutAfterExe(c.in), c.out) << c.in;
}

TEST(BrowserRules, UrlStaysOneArgument) {
  struct Case {
    const wchar_t* in;
    const wchar_t* out;
  } cases[] = {
      {L"http://www.orvane.test/welcome?_channel=c1&_mid=m&cam=1",
       L"http://www.orvane.test/welcome?_channel=c1&_mid=m&cam=1"},
      {L"http://h/p?a=x y", L"http://h/p?a=x%20y"},
      {L"http://h/p?a=\" --gpu-launcher=calc", L"http://h/p?a=%22%20--gpu-launcher=calc"},
      {L"--renderer-cmd-prefix=x", L"%2D-renderer-cmd-prefix=x"},
      {L"http://h/a-b", L"http://h/a-b"},
      {L"http://h/\t\r\n\x7f", L"http://h/%09%0D%0A%7F"},
      {L"http://h/栖木工坊?%41", L"http://h/栖木工坊?%41"},
      {L"", L""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(EscapeUrlForCommandLine(c.in), c.out) << c.in;
}

TEST(BrowserRules, TallyCountsEachProgramOnce) {
  BrowserTally tally;
  EXPECT_EQ(tally.count(), 0);
  EXPECT_EQ(tally.names(), L"");
  tally.Add(L"360chrome.exe");
  EXPECT_EQ(tally.count(), 2);
  EXPECT_EQ(tally.names(), L"360chrome.exe chrome.exe ");
  tally.Add(L"chrome.exe");
  tally.Add(L"360chrome.exe");
  EXPECT_EQ(tally.count(), 2);
  tally.Add(L"firefox.exe");
  tally.Add(L"notepad.exe");
  EXPECT_EQ(tally.count(), 3);
  EXPECT_EQ(tally.names(), L"360chrome.exe chrome.exe firefox.exe ");
}

}  // namespace
}  // namespace orvane
