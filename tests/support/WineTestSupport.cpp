#include "support/WineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cwctype>

#include "platform/FileSystem.h"
#include "platform/StringConv.h"
#include "platform/SystemInfo.h"

namespace orvane::test {

std::wstring HostPath(const std::string& unixPath) {
  std::wstring path = L"Z:" + Utf8ToWide(unixPath);
  for (auto& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

ScratchDir::ScratchDir() {
  static std::atomic<int> counter{0};
  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH, temp);
  path_ = std::wstring(temp) + L"orvane-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
          std::to_wstring(counter++);
  DeleteTree(path_);
  if (!CreateDirectories(path_)) ADD_FAILURE() << "cannot create a scratch folder";
}

ScratchDir::~ScratchDir() {
  DeleteTree(path_);
}

std::wstring ScratchDir::File(const std::wstring& name) const {
  return path_ + L"\\" + name;
}

ScratchRegKey::ScratchRegKey(HKEY root, std::wstring subKey, REGSAM view)
    : root_(root), subKey_(std::move(subKey)), view_(view) {
  ::RegDeleteTreeW(root_, subKey_.c_str());
}

ScratchRegKey::~ScratchRegKey() {
  RegKey key;
  if (::RegOpenKeyExW(root_, subKey_.c_str(), 0, KEY_ALL_ACCESS | view_, key.receive()) ==
      ERROR_SUCCESS) {
    ::RegDeleteTreeW(key.get(), nullptr);
    key.reset();
  }
  ::RegDeleteKeyExW(root_, subKey_.c_str(), view_, 0);
}

void ScratchRegKey::SetString(const std::wstring& value, const std::wstring& data) {
  RegKey key;
  ASSERT_EQ(::RegCreateKeyExW(root_, subKey_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view_,
                              nullptr, key.receive(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(::RegSetValueExW(key.get(), value.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(data.c_str()),
                             static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file.valid()) << "cannot create a test file";
  DWORD put = 0;
  ASSERT_TRUE(
      ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr));
  ASSERT_EQ(put, bytes.size());
}

std::string ReadFileBytes(const std::wstring& path) {
  UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {};
  std::string out;
  char buf[65536];
  DWORD got = 0;
  while (::ReadFile(file.get(), buf, sizeof(buf), &got, nullptr) && got > 0)
    out.append(buf, got);
  return out;
}

void SetFileTimes(const std::wstring& path, int64_t creation, int64_t lastWrite) {
  auto toFileTime = [](int64_t seconds) {
    uint64_t v = static_cast<uint64_t>(seconds) * 10000000ULL + 116444736000000000ULL;
    FILETIME ft{static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)};
    return ft;
  };
  UniqueHandle file(::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file.valid());
  FILETIME c = toFileTime(creation), w = toFileTime(lastWrite);
  ASSERT_TRUE(::SetFileTime(file.get(), &c, nullptr, &w));
}

UniqueHandle StartProcess(const std::wstring& commandLine, DWORD* processId) {
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  std::wstring cmd = commandLine;
  if (!::CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return UniqueHandle();
  ::CloseHandle(pi.hThread);
  if (processId) *processId = pi.dwProcessId;
  return UniqueHandle(pi.hProcess);
}

NativeDllsPreferred::NativeDllsPreferred(const std::wstring& programName,
                                         const std::vector<std::wstring>& dlls)
    : key_(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\" + programName) {
  RegKey overrides;
  EXPECT_EQ(::RegCreateKeyExW(
                HKEY_CURRENT_USER,
                (L"Software\\Wine\\AppDefaults\\" + programName + L"\\DllOverrides").c_str(), 0,
                nullptr, 0, KEY_ALL_ACCESS, nullptr, overrides.receive(), nullptr),
            ERROR_SUCCESS);
  const wchar_t order[] = L"native,builtin";
  for (const std::wstring& dll : dlls) {
    ::RegSetValueExW(overrides.get(), dll.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(order),
                     sizeof order);
  }
}

std::vector<std::wstring> LoadedMarkers(const std::wstring& folder) {
  std::vector<std::wstring> loaded;
  WIN32_FIND_DATAW found{};
  FindHandle find(::FindFirstFileW((folder + L"\\*.loaded").c_str(), &found));
  if (!find) return loaded;
  do {
    std::wstring name = found.cFileName;
    name.resize(name.size() - wcslen(L".loaded"));
    for (auto& c : name)
      c = static_cast<wchar_t>(towlower(c));
    loaded.push_back(name);
  } while (::FindNextFileW(find.get(), &found));
  std::sort(loaded.begin(), loaded.end());
  return loaded;
}

int WaitExitCode(HANDLE process, DWORD timeoutMs) {
  if (::WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  ::GetExitCodeProcess(process, &code);
  return static_cast<int>(code);
}

std::wstring OwnFolder() {
  std::wstring path = GetOwnModulePath();
  return path.substr(0, path.rfind(L'\\'));
}

std::wstring W(const std::string& utf8) {
  return Utf8ToWide(utf8);
}

}  // namespace orvane::test
