#include "platform/BrowserRules.h"

#include <cstdint>

#include "platform/PathRules.h"

namespace orvane {

const wchar_t* const kKnownBrowserPrograms[13] = {
    L"360chrome.exe",      L"360se.exe",        L"chrome.exe",    L"MicrosoftEdge.exe",
    L"browser_broker.exe", L"LaunchWinApp.exe", L"QQBrowser.exe", L"SogouExplorer.exe",
    L"firefox.exe",        L"liebao.exe",       L"iexplore.exe",  L"ChromeCore.exe",
    L"UCBrowser.exe",
};

namespace {

bool Contains(const std::wstring& text, const wchar_t* part) {
  return text.find(part) != std::wstring::npos;
}

// tested in this order, the first match decides
struct RankTest {
  const wchar_t* program;
  int rank;
};
constexpr RankTest kRankTests[] = {
    {L"360chrome.exe", 1}, {L"360se.exe", 2},      {L"SogouExplorer.exe", 8}, {L"firefox.exe", 9},
    {L"chrome.exe", 3},    {L"ChromeCore.exe", 4}, {L"iexplore.exe", 6},      {L"liebao.exe", 10},
    {L"QQBrowser.exe", 7}, {L"UCBrowser.exe", 11}, {L"MicrosoftEdge.exe", 5},
};
constexpr int kNoRank = 99;

constexpr DownloadFolderClue kDownloadFolderClues[] = {
    {L"360极速浏览器下载", L"360Chrome", L"360chrome.exe"},
    {L"360安全浏览器下载", L"360se6", L"360se.exe"},
    {L"搜狗高速下载", L"SogouExplorer", L"SogouExplorer.exe"},
};

}  // namespace

bool IsKnownBrowser(const std::wstring& text) {
  for (const wchar_t* program : kKnownBrowserPrograms) {
    const std::wstring name = program;
    if (name == L"browser_broker.exe" || name == L"LaunchWinApp.exe") continue;
    if (Contains(text, name.c_str())) return true;
  }
  return false;
}

int BrowserRank(const std::wstring& path) {
  for (const RankTest& test : kRankTests) {
    if (Contains(path, test.program)) return test.rank;
  }
  return kNoRank;
}

const DownloadFolderClue* FindDownloadFolderClue(const std::wstring& path) {
  for (const DownloadFolderClue& clue : kDownloadFolderClues) {
    if (Contains(path, clue.folderText)) return &clue;
  }
  return nullptr;
}

std::wstring BrowserPathFromOpenCommand(const std::wstring& command) {
  size_t start = command.find_first_not_of(L' ');
  if (start == std::wstring::npos) return {};
  if (command[start] != L'"') return command.substr(start, command.find(L' ', start) - start);
  // the quoted word ends at the first quote that ends a word (followed by a
  // space or the end); an unclosed quote runs to the end
  size_t end = start + 1;
  for (;; ++end) {
    end = command.find(L'"', end);
    if (end == std::wstring::npos || end + 1 == command.size() || command[end + 1] == L' ') break;
  }
  std::wstring word =
      end == std::wstring::npos ? command.substr(start) : command.substr(start, end + 1 - start);
  size_t first = word.find_first_not_of(L'"');
  if (first == std::wstring::npos) return {};
  size_t last = word.find_last_not_of(L'"');
  std::wstring path = word.substr(first, last + 1 - first);
  // trailing spaces of an unclosed quote are no part of the path
  size_t keep = path.find_last_not_of(L' ');
  return keep == std::wstring::npos ? std::wstring() : path.substr(0, keep + 1);
}

std::wstring CutAfterExe(const std::wstring& path) {
  if (ExtensionOf(path) == L".exe") return path;
  size_t at = path.find(L".exe");
  return at == std::wstring::npos ? path : path.substr(0, at + 4);
}

std::wstring EscapeUrlForCommandLine(const std::wstring& url) {
  static const wchar_t kHex[] = L"0123456789ABCDEF";
  std::wstring out;
  out.reserve(url.size());
  for (size_t i = 0; i < url.size(); ++i) {
    const auto c = static_cast<uint32_t>(url[i]);
    if (c <= 0x20 || c == '"' || c == 0x7F || (i == 0 && c == '-')) {
      out += L'%';
      out += kHex[(c >> 4) & 0xF];
      out += kHex[c & 0xF];
    } else {
      out += url[i];
    }
  }
  return out;
}

void BrowserTally::Add(const std::wstring& programName) {
  for (size_t i = 0; i < 13; ++i) {
    if (counted_[i] || !Contains(programName, kKnownBrowserPrograms[i])) continue;
    counted_[i] = true;
    ++count_;
    names_ += kKnownBrowserPrograms[i];
    names_ += L' ';
  }
}

}  // namespace orvane
