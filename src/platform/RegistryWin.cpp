#include "platform/Registry.h"

#include "platform/Handles.h"
#include "platform/SystemInfo.h"

namespace orvane {

std::wstring ReadRegistryString(HKEY root,
                                const std::wstring& key,
                                const std::wstring& value,
                                bool view64) {
  RegKey k;
  REGSAM access = KEY_ALL_ACCESS | (view64 ? KEY_WOW64_64KEY : 0);
  if (::RegOpenKeyExW(root, key.c_str(), 0, access, k.receive()) != ERROR_SUCCESS) return {};
  // one spare character so that a value without its NUL still ends
  wchar_t buf[261] = {};
  DWORD bytes = 520;
  DWORD type = 0;
  if (::RegQueryValueExW(k.get(), value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf),
                         &bytes) != ERROR_SUCCESS) {
    return {};
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
  return buf;
}

bool FindInstallLocation(const std::wstring& name, std::wstring* folder) {
  const std::wstring key = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + name;
  const bool view64 = Is64BitWindows();
  std::wstring found = ReadRegistryString(HKEY_CURRENT_USER, key, L"InstallLocation", view64);
  if (found.empty())
    found = ReadRegistryString(HKEY_LOCAL_MACHINE, key, L"InstallLocation", view64);
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    if (!found.empty()) break;
    std::wstring icon = ReadRegistryString(root, key, L"DisplayIcon", view64);
    size_t cut = icon.rfind(L'\\');
    found = cut == std::wstring::npos ? icon : icon.substr(0, cut);
  }
  if (found.empty()) return false;
  if (folder) *folder = found;
  return true;
}

}  // namespace orvane
