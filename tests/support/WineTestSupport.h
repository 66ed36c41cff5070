// Helpers for tests that run under Wine: scratch folders and registry keys
// that clean up after themselves, child processes, and file contents.
#pragma once

#include <windows.h>

#include <string>

#include "platform/Handles.h"

namespace orvane::test {

// a Windows path for a path of the Linux file system (Wine maps / to Z:)
std::wstring HostPath(const std::string& unixPath);

// a fresh folder under the Windows temp folder, deleted with its content
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::wstring& path() const { return path_; }
  // path() + "\" + name
  std::wstring File(const std::wstring& name) const;

 private:
  std::wstring path_;
};

// deletes a registry key and everything below it, on construction (leftovers
// of an earlier run) and on destruction
class ScratchRegKey {
 public:
  ScratchRegKey(HKEY root, std::wstring subKey, REGSAM view = 0);
  ~ScratchRegKey();
  ScratchRegKey(const ScratchRegKey&) = delete;
  ScratchRegKey& operator=(const ScratchRegKey&) = delete;
  void SetString(const std::wstring& value, const std::wstring& data);

 private:
  HKEY root_;
  std::wstring subKey_;
  REGSAM view_;
};

void WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path);

// sets a file's creation and last-write times (seconds since 1970, UTC)
void SetFileTimes(const std::wstring& path, int64_t creation, int64_t lastWrite);

// starts a program; the handle is empty on failure
UniqueHandle StartProcess(const std::wstring& commandLine, DWORD* processId = nullptr);
// waits for a process; returns its exit code, or -1 on time-out
int WaitExitCode(HANDLE process, DWORD timeoutMs);

// the folder of the running test program
std::wstring OwnFolder();

// a wide text from a narrow literal of ASCII or UTF-8
std::wstring W(const std::string& utf8);

}  // namespace orvane::test
