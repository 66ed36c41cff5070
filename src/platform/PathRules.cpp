#include "platform/PathRules.h"

#include "platform/StringUtil.h"

namespace orvane {

std::wstring AppendBackslash(const std::wstring& path) {
  if (path.empty() || path.back() == L'\\' || path.back() == L'/') return path;
  return path + L'\\';
}

std::wstring ExtensionOf(const std::wstring& path) {
  size_t dot = path.rfind(L'.');
  if (dot == std::wstring::npos) return {};
  size_t sep = path.find_last_of(L"\\/");
  if (sep != std::wstring::npos && sep > dot) return {};
  return path.substr(dot);
}

std::wstring RootOfPath(const std::wstring& path) {
  size_t sep = path.find_first_of(L"\\/");
  return path.substr(0, sep) + L'\\';
}

namespace {

bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

bool IsLetter(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

// the name that starts at `from` (up to the next separator) and the index
// after its separator
std::wstring NextName(const std::wstring& path, size_t* from, bool slashSeparates) {
  size_t end = *from;
  while (end < path.size() && path[end] != L'\\' && !(slashSeparates && path[end] == L'/'))
    ++end;
  std::wstring name = path.substr(*from, end - *from);
  *from = end < path.size() ? end + 1 : end;
  return name;
}

bool EqualsNoCase(const std::wstring& a, const wchar_t* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    wchar_t x = a[i], y = b[i];
    if (x >= L'a' && x <= L'z') x = static_cast<wchar_t>(x - L'a' + L'A');
    if (y >= L'a' && y <= L'z') y = static_cast<wchar_t>(y - L'a' + L'A');
    if (x != y) return false;
  }
  return i == a.size() && !b[i];
}

}  // namespace

SplitPath SplitRoot(const std::wstring& path) {
  SplitPath out;
  size_t at = 0;
  bool slashSeparates = true;
  if (path.size() >= 4 && path[0] == L'\\' && path[1] == L'\\' &&
      (path[2] == L'?' || path[2] == L'.') && path[3] == L'\\') {
    // the device namespace: its first name says what follows
    slashSeparates = false;
    at = 4;
    std::wstring first = NextName(path, &at, false);
    out.root = path.substr(0, 4) + first + L'\\';
    out.absolute = !first.empty();
    if (EqualsNoCase(first, L"UNC")) {
      std::wstring server = NextName(path, &at, false);
      std::wstring share = NextName(path, &at, false);
      out.root += server + L'\\' + share + L'\\';
      out.absolute = !server.empty() && !share.empty();
    }
  } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    at = 2;
    std::wstring server = NextName(path, &at, true);
    std::wstring share = NextName(path, &at, true);
    out.root = L"\\\\" + server + L'\\' + share + L'\\';
    out.absolute = !server.empty() && !share.empty();
  } else if (path.size() >= 2 && IsLetter(path[0]) && path[1] == L':') {
    bool rooted = path.size() >= 3 && IsSeparator(path[2]);
    out.root = path.substr(0, 2) + (rooted ? L"\\" : L"");
    out.absolute = rooted;
    at = rooted ? 3 : 2;
  } else if (!path.empty() && IsSeparator(path[0])) {
    out.root = L"\\";
    at = 1;
  }
  while (at < path.size()) {
    std::wstring name = NextName(path, &at, slashSeparates);
    if (!name.empty()) out.names.push_back(std::move(name));
  }
  return out;
}

std::wstring JoinPath(const SplitPath& path, size_t count) {
  std::wstring joined = path.root;
  for (size_t i = 0; i < count && i < path.names.size(); ++i) {
    if (i > 0) joined += L'\\';
    joined += path.names[i];
  }
  return joined;
}

bool IsValidInstallPath(const std::wstring& path) {
  if (path.find(L"\\\\") != std::wstring::npos) return false;
  std::vector<std::wstring> pieces = SplitAny(path, L"\\");
  if (pieces.empty()) return false;
  const std::wstring& drive = pieces.front();
  if (drive.size() != 2 || drive.find(L':') == std::wstring::npos) return false;
  wchar_t letter = drive[0];
  if (!((letter >= L'a' && letter <= L'z') || (letter >= L'A' && letter <= L'Z'))) return false;
  for (size_t i = 1; i < pieces.size(); ++i) {
    if (pieces[i].find_first_of(L"\\/:*?\"<>|") != std::wstring::npos) return false;
  }
  return true;
}

}  // namespace orvane
