#include "pages/InstallFolderRules.h"

#include "platform/PathRules.h"
#include "platform/StringUtil.h"

namespace orvane {

namespace {

constexpr size_t kMaxPath = 260;

wchar_t LowerAscii(wchar_t c) {
  return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool EqualsIgnoringCase(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

bool HasControlCharacter(const std::wstring& path) {
  for (wchar_t c : path)
    if (c < 0x20 || c == 0x7F) return true;
  return false;
}

// pieces that leave the folder or that Windows would quietly change: ".",
// "..", and names ending in a dot or a space (empty pieces, a doubled
// backslash, are refused by IsValidInstallPath)
bool HasUnsafePiece(const std::wstring& path) {
  for (const std::wstring& piece : SplitAny(path.substr(3), L"\\")) {
    if (piece == L"." || piece == L"..") return true;
    if (piece.back() == L'.' || piece.back() == L' ') return true;
  }
  return false;
}

}  // namespace

std::wstring ProductSubfolder() {
  return std::wstring(L"Orvane\\") + kProductDisplayName;
}

std::wstring ProductFolderUnder(const std::wstring& root) {
  std::wstring folder = root;
  if (folder.empty() || folder.back() != L'\\') folder += L'\\';
  return folder + ProductSubfolder();
}

bool IsInX86ProgramFiles(const std::wstring& programPath) {
  if (programPath.size() <= 22) return false;
  return EqualsIgnoringCase(programPath.substr(3, 19), L"Program Files (x86)");
}

std::wstring FolderOfProgram(const std::wstring& fullPath) {
  const size_t slash = fullPath.find_last_of(L"\\/");
  if (slash == std::wstring::npos || slash + 1 == fullPath.size()) return {};
  return fullPath.substr(0, slash);
}

std::optional<std::wstring> InstallPathFor(const std::wstring& chosen, bool appendProductFolder) {
  if (chosen.size() < 3 || chosen[1] != L':' || chosen[2] != L'\\') return std::nullopt;
  if (chosen.size() >= kMaxPath || HasControlCharacter(chosen)) return std::nullopt;
  if (!IsValidInstallPath(chosen) || HasUnsafePiece(chosen)) return std::nullopt;
  std::wstring path = chosen;
  if (appendProductFolder && FindSubstring(chosen, ProductSubfolder()) < 0)
    path = AppendBackslash(chosen) + ProductSubfolder();
  if (path.size() >= kMaxPath) return std::nullopt;
  return path;
}

std::wstring ChooseDefaultInstallRoot(IInstallRootFacts& facts, int64_t needed) {
  // a negative size from the server needs no less than an empty drive
  const uint64_t need = needed < 0 ? 0 : static_cast<uint64_t>(needed);
  auto roomy = [&](const std::wstring& candidate) {
    return !candidate.empty() && facts.FreeSpace(candidate) > need;
  };
  if (facts.Is64BitWindows()) {
    const std::wstring windows = facts.SystemWindowsDirectory();
    const wchar_t letter = windows.size() > 3 ? LowerAscii(windows[0]) : 0;
    if (letter >= L'a' && letter <= L'z' && windows[1] == L':') {
      const std::wstring candidate = windows.substr(0, 2) + L"\\Program Files";
      if (roomy(candidate)) return candidate;
    }
  } else {
    const std::wstring candidate = facts.ProgramFilesFolder();
    if (roomy(candidate)) return candidate;
  }
  const std::wstring mount = facts.BestMountPoint();
  return roomy(mount) ? mount : std::wstring();
}

}  // namespace orvane
