// A stand-in for the downloaded installer package in the progress page's
// tests. The test chooses what it does through the environment, which the
// installer passes on to the package it starts:
//   ORVANE_STANDIN_LOG      a file to which the command line is appended,
//                           in UTF-8, one line per run
//   ORVANE_STANDIN_SLEEP_MS how long it runs
//   ORVANE_STANDIN_EXIT     its exit code (default 0)
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

std::wstring Env(const wchar_t* name) {
  wchar_t value[1024] = {};
  const DWORD n = ::GetEnvironmentVariableW(name, value, 1024);
  return n > 0 && n < 1024 ? std::wstring(value, n) : std::wstring();
}

void AppendLine(const std::wstring& path, const std::wstring& text) {
  HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &utf8[0], n,
                        nullptr, nullptr);
  utf8 += "\n";
  DWORD written = 0;
  ::WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  ::CloseHandle(file);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  const std::wstring log = Env(L"ORVANE_STANDIN_LOG");
  if (!log.empty()) AppendLine(log, ::GetCommandLineW());
  const std::wstring sleep = Env(L"ORVANE_STANDIN_SLEEP_MS");
  if (!sleep.empty()) ::Sleep(static_cast<DWORD>(_wtoi(sleep.c_str())));
  const std::wstring code = Env(L"ORVANE_STANDIN_EXIT");
  return code.empty() ? 0 : _wtoi(code.c_str());
}
