#include <windows.h>

#include <sys/stat.h>

#include <vector>

#include "platform/FileSystem.h"
#include "platform/Handles.h"
#include "platform/PathRules.h"
#include "platform/StringUtil.h"

namespace orvane {

namespace {

bool Stat(const std::wstring& path, struct _stat64* st) {
  return !path.empty() && _wstat64(path.c_str(), st) == 0;
}

}  // namespace

bool FileExists(const std::wstring& path) {
  struct _stat64 st {};
  return Stat(path, &st) && !(st.st_mode & _S_IFDIR);
}

int64_t FileSize(const std::wstring& path) {
  struct _stat64 st {};
  return Stat(path, &st) ? st.st_size : 0;
}

bool DirectoryExists(const std::wstring& path) {
  if (path.empty()) return false;
  // "\." resolves the folder itself, except below "\\?\", where names are
  // taken literally
  if (path.compare(0, 4, L"\\\\?\\") != 0) {
    std::wstring probe = path;
    if (probe.back() != L'\\' && probe.back() != L'/') probe += L'\\';
    probe += L'.';
    UniqueHandle h(::CreateFileW(probe.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h) {
      DWORD err = ::GetLastError();
      if (err == ERROR_PATH_NOT_FOUND || err == ERROR_INVALID_NAME) return false;
    }
  }
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
  return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CreateDirectories(const std::wstring& path) {
  SplitPath split = SplitRoot(path);
  if (split.root.empty() && split.names.empty()) return false;
  // a relative path starts at its first name, which is not created
  size_t first = split.root.empty() ? 2 : 1;
  for (size_t n = first; n <= split.names.size(); ++n) {
    if (!::CreateDirectoryW(JoinPath(split, n).c_str(), nullptr)) {
      DWORD err = ::GetLastError();
      if (err == ERROR_PATH_NOT_FOUND || err == ERROR_INVALID_NAME) break;
    }
  }
  return DirectoryExists(path);
}

FolderCreation CreateFolder(const std::wstring& path) {
  if (path.empty()) return FolderCreation::kFailed;
  if (::CreateDirectoryW(path.c_str(), nullptr)) return FolderCreation::kCreated;
  if (::GetLastError() == ERROR_ALREADY_EXISTS && DirectoryExists(path))
    return FolderCreation::kExisted;
  return FolderCreation::kFailed;
}

std::wstring FileNamePart(const std::wstring& path) {
  if (path.empty()) return {};
  wchar_t* filePart = nullptr;
  DWORD n = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (n == 0) return {};
  std::vector<wchar_t> buf(n + 1);
  if (!::GetFullPathNameW(path.c_str(), n + 1, buf.data(), &filePart) || !filePart) return {};
  return filePart;
}

uint64_t FreeSpace(const std::wstring& path) {
  std::wstring root = RootOfPath(path);
  UINT type = ::GetDriveTypeW(root.c_str());
  if (type != DRIVE_REMOVABLE && type != DRIVE_FIXED) return 0;
  ULARGE_INTEGER avail{};
  if (!::GetDiskFreeSpaceExW(root.c_str(), &avail, nullptr, nullptr)) return 0;
  return avail.QuadPart;
}

}  // namespace orvane
