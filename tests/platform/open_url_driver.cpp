// Opens a URL the way the installer does, from wherever a test copied this
// program: its own file and folder are the installer's. Arguments: the given
// browser path, the URL, and a result file that receives "type N" and the
// events sent, one per line (UTF-8).
#include <windows.h>

#include <shellapi.h>

#include <string>

#include "platform/Browser.h"
#include "support/RecordingLogger.h"

int main() {
  int argc = 0;
  LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  if (!argv || argc != 4) return 2;

  orvane::test::RecordingLogger logger;
  int type = 0;
  {
    orvane::ScopedEventSink use(&logger);
    type = orvane::OpenUrlInBrowser(argv[1], argv[2]);
  }
  std::string out = "type " + std::to_string(type) + "\n";
  for (const std::string& line : logger.Lines())
    out += line + "\n";

  HANDLE file = ::CreateFileW(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ::LocalFree(argv);
  if (file == INVALID_HANDLE_VALUE) return 3;
  DWORD put = 0;
  BOOL ok = ::WriteFile(file, out.data(), static_cast<DWORD>(out.size()), &put, nullptr);
  ::CloseHandle(file);
  return ok ? 0 : 3;
}
