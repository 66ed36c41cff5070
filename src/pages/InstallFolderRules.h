// Where the product goes: the rules of the install folder, shared by the main
// window (the default folder, an existing installation's folder) and the
// custom page (a typed or browsed folder). Platform-free; the outside facts
// of the default root come through IInstallRootFacts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orvane {

inline constexpr wchar_t kProductDisplayName[] = L"栖木工坊";

// "Orvane\栖木工坊", the product's own sub-folder of any chosen folder
std::wstring ProductSubfolder();

// root, a backslash unless it ends in one, and the product's sub-folder
std::wstring ProductFolderUnder(const std::wstring& root);

// an installed program inside "<drive>:\Program Files (x86)" of a 64-bit
// Windows: its folder is not reused (only paths longer than 22 characters
// are looked at, case-insensitively)
bool IsInX86ProgramFiles(const std::wstring& programPath);

// the folder of a program's full path: cut at its file name, without the
// trailing backslash; empty when the path names no file
std::wstring FolderOfProgram(const std::wstring& fullPath);

// the install path for a folder the user typed or browsed to, or nullopt
// when it cannot be one: not absolute ("X:\..."), a forbidden or control
// character, an empty, "." or ".." piece, a piece ending in a dot or a
// space, or a result of MAX_PATH (260) characters or more. With
// appendProductFolder, the product's sub-folder is added unless the path
// already contains it.
std::optional<std::wstring> InstallPathFor(const std::wstring& chosen, bool appendProductFolder);

// what the default install root is chosen from
class IInstallRootFacts {
 public:
  virtual ~IInstallRootFacts() = default;
  virtual bool Is64BitWindows() = 0;
  // GetSystemWindowsDirectoryW; empty on failure
  virtual std::wstring SystemWindowsDirectory() = 0;
  // the shell's program files folder; empty on failure
  virtual std::wstring ProgramFilesFolder() = 0;
  // the mount point with the most usable space on which a folder can be
  // made, else the package cache root, else the Windows drive's root
  virtual std::wstring BestMountPoint() = 0;
  virtual uint64_t FreeSpace(const std::wstring& path) = 0;
};

// "<system drive>\Program Files" on 64-bit Windows, the shell's program
// files folder on 32-bit Windows, else the best mount point; each only when
// its drive has strictly more than `needed` bytes free. Empty when none has.
std::wstring ChooseDefaultInstallRoot(IInstallRootFacts& facts, int64_t needed);

}  // namespace orvane
