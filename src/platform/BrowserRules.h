// Rules about web browsers that need no system: the known browser programs,
// their order of preference, the browsers' own download folders, and how to
// read a program path out of an open command. All name tests are
// case-sensitive substring tests.
#pragma once

#include <cstddef>
#include <string>

namespace orvane {

// the known browser programs, in the order of the "browser_name" list
extern const wchar_t* const kKnownBrowserPrograms[13];

// the text contains a known browser program; the Edge helper programs
// ("browser_broker.exe", "LaunchWinApp.exe") do not count
bool IsKnownBrowser(const std::wstring& text);

// 1 (best) to 11 for the known browsers, 99 for anything else; the first
// matching test decides, so "360chrome.exe" ranks 1 although it also
// contains "chrome.exe"
int BrowserRank(const std::wstring& path);

// a browser's download folder: text in the installer's path, the browser's
// uninstall key name, and its program
struct DownloadFolderClue {
  const wchar_t* folderText;
  const wchar_t* uninstallKey;
  const wchar_t* program;
};

// the first clue whose folder text the path contains, or null
const DownloadFolderClue* FindDownloadFolderClue(const std::wstring& path);

// the program path of an open command such as "\"C:\a b\x.exe\" -- \"%1\"":
// a quoted first word is taken up to its closing quote, spaces inside kept
std::wstring BrowserPathFromOpenCommand(const std::wstring& command);

// a path whose extension is not ".exe" is cut right after the first ".exe"
// it contains: "C:\x\chrome.exe --flag" gives "C:\x\chrome.exe"
std::wstring CutAfterExe(const std::wstring& path);

// a URL made safe to stand on a command line: quotes, blanks and control
// characters, and a leading "-" that a browser would take for a switch, are
// percent-encoded. Browsers read the encoded forms as the same URL.
std::wstring EscapeUrlForCommandLine(const std::wstring& url);

// counts the known browser programs seen among running processes, each
// program once; a name can hold two of them ("360chrome.exe")
class BrowserTally {
 public:
  void Add(const std::wstring& programName);
  int count() const { return count_; }
  // the counted programs, each followed by a space
  const std::wstring& names() const { return names_; }

 private:
  bool counted_[13] = {};
  int count_ = 0;
  std::wstring names_;
};

}  // namespace orvane
