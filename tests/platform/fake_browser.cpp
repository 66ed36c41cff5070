// A stand-in browser for the browser launch tests, copied under the names of
// real browsers. Each start appends its command line (UTF-8) as one line to
// "<own path>.log", then stays alive until a file named "stop" appears in its
// folder, or two minutes have passed.
// With --record it ends at once: so it runs as the default handler of http
// and https in the end-to-end prefixes (scripts/lib/wine-prefix), where it
// notes the pages that the installer opens.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  wchar_t self[1024] = {};
  ::GetModuleFileNameW(nullptr, self, 1023);
  std::wstring path = self;

  const wchar_t* command = ::GetCommandLineW();
  int bytes = ::WideCharToMultiByte(CP_UTF8, 0, command, -1, nullptr, 0, nullptr, nullptr);
  std::string line(bytes > 0 ? bytes - 1 : 0, '\0');
  if (bytes > 1) ::WideCharToMultiByte(CP_UTF8, 0, command, -1, &line[0], bytes, nullptr, nullptr);
  line += '\n';
  HANDLE log =
      ::CreateFileW((path + L".log").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return 1;
  DWORD put = 0;
  ::WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &put, nullptr);
  ::CloseHandle(log);
  if (std::wstring(command).find(L" --record ") != std::wstring::npos) return 0;

  const std::wstring stop = path.substr(0, path.rfind(L'\\')) + L"\\stop";
  for (int i = 0; i < 1200; ++i) {
    if (::GetFileAttributesW(stop.c_str()) != INVALID_FILE_ATTRIBUTES) return 0;
    ::Sleep(100);
  }
  return 0;
}
