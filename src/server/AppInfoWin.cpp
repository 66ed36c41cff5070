#include <windows.h>

#include <cwchar>
#include <vector>

#include "config/ProductIdentity.h"
#include "platform/FileSystem.h"
#include "platform/Handles.h"
#include "platform/SystemInfo.h"
#include "server/AppInfo.h"

namespace orvane {

CAppInfo& CAppInfo::GetInstance() {
  static CAppInfo info;
  static const bool refreshed = info.Refresh();
  (void)refreshed;
  return info;
}

bool CAppInfo::Refresh() {
  try {
    exePath_.clear();
    version_.clear();
    RegKey key;
    // the default view of a 32-bit process: the 32-bit view on 64-bit Windows
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, key.receive()) !=
        ERROR_SUCCESS) {
      return true;
    }
    wchar_t icon[1024] = {};
    DWORD bytes = 1023;
    ::RegQueryValueExW(key.get(), L"DisplayIcon", nullptr, nullptr, reinterpret_cast<BYTE*>(icon),
                       &bytes);
    key.reset();
    std::wstring path = icon;
    // an icon index suffix (",0") fails this check too
    if (!path.empty() && !FileExists(path)) path.clear();
    exePath_ = path;
    if (!exePath_.empty()) version_ = GetFileProductVersion(exePath_);
    return true;
  } catch (...) {
    return false;
  }
}

std::wstring CAppInfo::GetFileProductVersion(const std::wstring& path) {
  std::wstring file = path.empty() ? GetOwnModulePath() : path;
  DWORD ignored = 0;
  DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<unsigned char> block(size * 2 + 2);
  if (!::GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return {};

  struct Translation {
    WORD language;
    WORD codePage;
  };
  Translation* table = nullptr;
  UINT tableBytes = 0;
  if (!::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&table), &tableBytes) ||
      !table || tableBytes < sizeof(Translation)) {
    return {};
  }
  wchar_t query[64];
  std::swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\%ls", table[0].language, table[0].codePage,
                L"ProductVersion");
  wchar_t* text = nullptr;
  UINT chars = 0;
  if (!::VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&text), &chars) || !text)
    return {};
  return std::wstring(text, wcsnlen(text, chars));
}

}  // namespace orvane
