#include <windows.h>

#include <shlobj.h>

#include <time.h>

#include <mutex>
#include <vector>

#include "platform/CacheFolders.h"
#include "platform/FileSystem.h"
#include "platform/Handles.h"
#include "platform/PathRules.h"
#include "platform/RunTempFolder.h"

namespace orvane {

namespace {

class WinRunTempFacts : public IRunTempFacts {
 public:
  std::vector<std::wstring> MountPoints() override {
    std::vector<std::wstring> mounts;
    wchar_t name[MAX_PATH + 1] = {};
    VolumeFindHandle find(::FindFirstVolumeW(name, MAX_PATH));
    if (!find) return mounts;
    do {
      if (!IsUsableVolumeName(name)) continue;
      std::vector<wchar_t> paths(MAX_PATH + 1);
      DWORD needed = 0;
      BOOL ok;
      while (!(ok = ::GetVolumePathNamesForVolumeNameW(
                   name, paths.data(), static_cast<DWORD>(paths.size()), &needed)) &&
             ::GetLastError() == ERROR_MORE_DATA) {
        paths.assign(needed + 1, L'\0');
      }
      if (!ok) continue;
      for (const wchar_t* p = paths.data(); *p; p += wcslen(p) + 1)
        mounts.emplace_back(p);
    } while (::FindNextVolumeW(find.get(), name, MAX_PATH));
    return mounts;
  }
  uint64_t FreeSpace(const std::wstring& mount) override { return orvane::FreeSpace(mount); }
  bool CreateDirectories(const std::wstring& path) override {
    return orvane::CreateDirectories(path);
  }
  void DeleteTree(const std::wstring& path) override { orvane::DeleteTree(path); }
  std::wstring PackageCacheRoot() override { return GetPackageCacheRoot(); }
  std::wstring WindowsFolder() override {
    wchar_t buf[MAX_PATH + 1] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_WINDOWS, nullptr, 0, buf))) return {};
    return buf;
  }
  int64_t Now() override { return _time64(nullptr); }
};

}  // namespace

std::wstring GetPackageCacheRoot() {
  static std::mutex lock;
  static std::wstring cached;
  std::lock_guard<std::mutex> guard(lock);
  if (cached.empty()) {
    wchar_t buf[MAX_PATH + 1] = {};
    if (::SHGetSpecialFolderPathW(nullptr, buf, CSIDL_APPDATA, FALSE))
      cached = AppendBackslash(buf) + L"OrvanePkg\\";
  }
  return cached;
}

std::wstring GetRunTempBase() {
  WinRunTempFacts facts;
  return ChooseRunTempBase(facts);
}

std::wstring GetRunTempFolder() {
  static const std::wstring folder = [] {
    WinRunTempFacts facts;
    return ComputeRunTempFolder(facts);
  }();
  return folder;
}

}  // namespace orvane
