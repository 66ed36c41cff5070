// Deleting without following links. The installer runs elevated, and the
// folders it cleans up (drive roots, the user's AppData) can be written by a
// standard user, who may put a junction or a symbolic link anywhere in them.
// So every entry is opened as itself (FILE_FLAG_OPEN_REPARSE_POINT) and
// deleted through that handle, and every folder is held open without
// FILE_SHARE_DELETE while the entries below it are deleted: nobody can rename
// it away and put a link in its place meanwhile.
#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Handles.h"
#include "platform/PathRules.h"

namespace orvane {

namespace {

// others may read and write meanwhile, but not rename or delete
constexpr DWORD kShareNoDelete = FILE_SHARE_READ | FILE_SHARE_WRITE;
// the entry itself, never what a link points to
constexpr DWORD kOpenEntry = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;

bool IsLink(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool IsMissing(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

DWORD AttributesOf(HANDLE h) {
  FILE_ATTRIBUTE_TAG_INFO info{};
  if (!::GetFileInformationByHandleEx(h, FileAttributeTagInfo, &info, sizeof info))
    return INVALID_FILE_ATTRIBUTES;
  return info.FileAttributes;
}

// A volume mounted in a folder is a reparse point too, but one that only an
// administrator can make: its target is a volume name, "\??\Volume{...}\".
// A junction to anything else is a link.
bool IsVolumeMountPoint(HANDLE folder) {
  // the mount-point layout of REPARSE_DATA_BUFFER, which the user-mode
  // headers do not declare
  struct MountPointData {
    DWORD tag;
    WORD dataLength;
    WORD reserved;
    WORD substituteOffset;
    WORD substituteLength;
    WORD printOffset;
    WORD printLength;
  };
  std::vector<unsigned char> buffer(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
  DWORD got = 0;
  if (!::DeviceIoControl(folder, FSCTL_GET_REPARSE_POINT, nullptr, 0, buffer.data(),
                         static_cast<DWORD>(buffer.size()), &got, nullptr) ||
      got < sizeof(MountPointData)) {
    return false;
  }
  MountPointData head;
  std::memcpy(&head, buffer.data(), sizeof head);
  if (head.tag != IO_REPARSE_TAG_MOUNT_POINT) return false;
  const size_t start = sizeof head + head.substituteOffset;
  if (start + head.substituteLength > got) return false;
  std::wstring target(head.substituteLength / sizeof(wchar_t), L'\0');
  std::memcpy(&target[0], buffer.data() + start, target.size() * sizeof(wchar_t));
  static const wchar_t kVolume[] = L"\\??\\Volume{";
  return target.compare(0, wcslen(kVolume), kVolume) == 0;
}

bool MarkForDeletion(HANDLE h, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    FILE_BASIC_INFO basic{};  // zero times stay as they are
    basic.FileAttributes =
        attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                      FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    if (!basic.FileAttributes) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    ::SetFileInformationByHandle(h, FileBasicInfo, &basic, sizeof basic);
  }
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = TRUE;
  return ::SetFileInformationByHandle(h, FileDispositionInfo, &disposition, sizeof disposition) !=
         FALSE;
}

bool DeleteEntry(const std::wstring& path, DWORD listedAttributes);

// lists the folder through the handle that holds it, so that the listing is
// of this very folder
bool DeleteChildren(HANDLE folder, const std::wstring& path) {
  bool all = true;
  std::vector<unsigned char> buffer(64 * 1024);
  FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
  while (::GetFileInformationByHandleEx(folder, kind, buffer.data(),
                                        static_cast<DWORD>(buffer.size()))) {
    kind = FileIdBothDirectoryInfo;
    size_t offset = 0;
    for (;;) {
      auto* entry = reinterpret_cast<FILE_ID_BOTH_DIR_INFO*>(buffer.data() + offset);
      const std::wstring name(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
      if (name != L"." && name != L"..") {
        if (!DeleteEntry(path + L'\\' + name, entry->FileAttributes)) all = false;
      }
      if (entry->NextEntryOffset == 0) break;
      offset += entry->NextEntryOffset;
    }
  }
  return ::GetLastError() == ERROR_NO_MORE_FILES && all;
}

// `listedAttributes`: what the folder listing said about the entry, or
// INVALID_FILE_ATTRIBUTES
bool DeleteEntry(const std::wstring& path, DWORD listedAttributes) {
  UniqueHandle entry(::CreateFileW(
      path.c_str(), DELETE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
      kShareNoDelete, nullptr, OPEN_EXISTING, kOpenEntry, nullptr));
  if (!entry) return IsMissing(::GetLastError());
  const DWORD attributes = AttributesOf(entry.get());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  // the handle is the link itself: deleting it leaves the target alone
  if (IsLink(attributes)) return MarkForDeletion(entry.get(), attributes);
  // The name is a link, but the system opened what it points to (Wine does
  // so with its Unix symbolic links): there is no way here to remove the
  // link alone, so it stays.
  if (IsLink(listedAttributes) || IsLink(::GetFileAttributesW(path.c_str()))) return false;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !DeleteChildren(entry.get(), path)) return false;
  return MarkForDeletion(entry.get(), attributes);
}

enum class Ancestors { kHeld, kPathGone, kRefused };

// opens every folder from below the root down to the path's parent and keeps
// them open in `held`
Ancestors HoldAncestors(const SplitPath& path, std::vector<UniqueHandle>* held) {
  for (size_t n = 1; n < path.names.size(); ++n) {
    const std::wstring folder = JoinPath(path, n);
    UniqueHandle h(::CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                 kShareNoDelete, nullptr, OPEN_EXISTING, kOpenEntry, nullptr));
    if (!h) return IsMissing(::GetLastError()) ? Ancestors::kPathGone : Ancestors::kRefused;
    const DWORD attributes = AttributesOf(h.get());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Ancestors::kRefused;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return Ancestors::kPathGone;
    const bool link = IsLink(attributes) || IsLink(::GetFileAttributesW(folder.c_str()));
    if (link && !IsVolumeMountPoint(h.get())) return Ancestors::kRefused;
    held->push_back(std::move(h));
  }
  return Ancestors::kHeld;
}

std::wstring FullPath(const std::wstring& path) {
  if (path.compare(0, 4, L"\\\\?\\") == 0) return path;
  DWORD n = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (n == 0) return {};
  std::vector<wchar_t> buffer(n + 1);
  n = ::GetFullPathNameW(path.c_str(), n + 1, buffer.data(), nullptr);
  if (n == 0 || n > buffer.size()) return {};
  return std::wstring(buffer.data(), n);
}

}  // namespace

bool DeleteTree(const std::wstring& path) {
  if (path.empty()) return false;
  const SplitPath split = SplitRoot(FullPath(path));
  // never a whole drive or share
  if (!split.absolute || split.names.empty()) return false;
  std::vector<UniqueHandle> held;
  switch (HoldAncestors(split, &held)) {
    case Ancestors::kPathGone:
      return true;
    case Ancestors::kRefused:
      return false;
    case Ancestors::kHeld:
      break;
  }
  return DeleteEntry(JoinPath(split, split.names.size()), INVALID_FILE_ATTRIBUTES);
}

void KeepNewestFiles(const std::wstring& folder, const std::wstring& pattern, size_t keep) {
  if (folder.empty() || pattern.empty()) return;
  const std::wstring base = AppendBackslash(folder);
  std::vector<std::pair<uint64_t, std::wstring>> files;
  WIN32_FIND_DATAW found{};
  FindHandle find(::FindFirstFileW((base + pattern).c_str(), &found));
  if (!find) return;
  do {
    if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
      continue;
    const uint64_t written = (static_cast<uint64_t>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                             found.ftLastWriteTime.dwLowDateTime;
    files.emplace_back(written, found.cFileName);
  } while (::FindNextFileW(find.get(), &found));
  find.reset();
  if (files.size() <= keep) return;
  // newest first; equal times by name, so that the choice does not depend
  // on the listing order
  std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first > b.first : a.second > b.second;
  });
  for (size_t i = keep; i < files.size(); ++i)
    DeleteTree(base + files[i].second);
}

}  // namespace orvane
