#include "app/InstallSettings.h"

#include <windows.h>

#include "app/ProductIdentity.h"
#include "platform/CacheFolders.h"
#include "platform/FileSystem.h"
#include "platform/Md5.h"
#include "platform/StringUtil.h"

namespace orvane {

namespace {
constexpr wchar_t kSection[] = L"General";
}  // namespace

std::wstring DefaultConfigPath() {
  std::wstring root = GetPackageCacheRoot();
  if (root.empty()) return {};
  return root + kCacheFolderName + L"config.ini";
}

InstallSettings& InstallSettings::GetInstance() {
  static InstallSettings settings(DefaultConfigPath());
  return settings;
}

InstallSettings::InstallSettings(std::wstring configPath) : configPath_(std::move(configPath)) {
  if (FileExists(configPath_)) {
    // the record starts out holding what the file remembers, so that a
    // package that no longer matches is forgotten in the file too
    md5 = ReadKey(L"md5");
    path = ReadKey(L"path");
    std::wstring savedMd5 = md5, savedPath = path;
    SetCachedPackage(savedMd5, savedPath, true);
  } else {
    // creates config.ini when the cache folder exists; fails silently before
    WriteKey(L"md5", L"");
    WriteKey(L"path", L"");
  }
}

bool InstallSettings::SetCachedPackage(const std::wstring& newMd5,
                                       const std::wstring& newPath,
                                       bool noWrite) {
  if (newMd5.empty() || newPath.empty()) return false;
  std::string digest = Md5File(newPath);
  if (!digest.empty() && std::wstring(digest.begin(), digest.end()) == newMd5) {
    if (md5 == newMd5 && path == newPath) return true;
    md5 = newMd5;
    path = newPath;
    if (!noWrite) {
      WriteKey(L"md5", md5);
      WriteKey(L"path", path);
    }
    return true;
  }
  // missing, changed or incomplete: forget it
  if (!md5.empty() || !path.empty()) {
    WriteKey(L"md5", L"");
    WriteKey(L"path", L"");
  }
  md5.clear();
  path.clear();
  return false;
}

void InstallSettings::Set(std::wstring InstallSettings::*field,
                          const wchar_t* key,
                          const std::wstring& value) {
  // values come from the server too: none may start a line (a new key or
  // section) of its own
  this->*field = WithoutControlCharacters(value);
  WriteKey(key, this->*field);
}

void InstallSettings::WriteKey(const wchar_t* key, const std::wstring& value) const {
  if (configPath_.empty()) return;
  ::WritePrivateProfileStringW(kSection, key, WithoutControlCharacters(value).c_str(),
                               configPath_.c_str());
}

std::wstring InstallSettings::ReadKey(const wchar_t* key) const {
  wchar_t buf[1024] = {};
  ::GetPrivateProfileStringW(kSection, key, L"", buf, 1023, configPath_.c_str());
  return buf;
}

}  // namespace orvane
