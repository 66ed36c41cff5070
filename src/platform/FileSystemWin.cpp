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
  std::wstring probe = path;
  if (probe.back() != L'\\' && probe.back() != L'/') probe += L'\\';
  probe += L'.';
  UniqueHandle h(::CreateFileW(probe.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h) {
    DWORD err = ::GetLastError();
    if (err == ERROR_PATH_NOT_FOUND || err == ERROR_INVALID_NAME) return false;
  }
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
  return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CreateDirectories(const std::wstring& path) {
  std::vector<std::wstring> pieces = SplitAny(path, L"\\/");
  if (pieces.empty()) return false;
  std::wstring prefix = pieces[0];
  for (size_t i = 1; i < pieces.size(); ++i) {
    prefix += L'/';
    prefix += pieces[i];
    if (!::CreateDirectoryW(prefix.c_str(), nullptr)) {
      DWORD err = ::GetLastError();
      if (err == ERROR_PATH_NOT_FOUND || err == ERROR_INVALID_NAME) break;
    }
  }
  return DirectoryExists(path);
}

void DeleteTree(const std::wstring& path) {
  if (path.empty()) return;
  DWORD attrs = ::GetFileAttributesW(path.c_str());
  if (attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY)) {
    ::DeleteFileW(path.c_str());
    return;
  }
  std::wstring base = AppendBackslash(path);
  WIN32_FIND_DATAW fd{};
  FindHandle find(::FindFirstFileW((base + L"*").c_str(), &fd));
  if (find) {
    do {
      std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring child = base + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        DeleteTree(child);
      } else {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
          ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(child.c_str());
      }
    } while (::FindNextFileW(find.get(), &fd));
  }
  find.reset();
  ::RemoveDirectoryW(path.c_str());
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
