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
