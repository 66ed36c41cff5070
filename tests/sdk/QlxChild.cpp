// A child process for the SDK tests.
//
//   qlx_child commit FOLDER PORT COUNT MARKER  loads FOLDER\Qlx.dll, commits COUNT events
//                                              against 127.0.0.13:PORT, writes MARKER and
//                                              waits to be killed
//   qlx_child crash FOLDER MARKER              enables the crash report, whose callback
//                                              writes the dump path to MARKER, and crashes
//   qlx_child touch MARKER [ARGS...]           writes its elevation and arguments to MARKER
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "QlxApi.h"

namespace {

std::wstring Wide(const char* s) {
  int n = ::MultiByteToWideChar(CP_UTF8, 0, s, -1, nullptr, 0);
  std::wstring w(n > 0 ? n - 1 : 0, L'\0');
  if (n > 1) ::MultiByteToWideChar(CP_UTF8, 0, s, -1, &w[0], n);
  return w;
}

void WriteMarker(const char* path, const std::string& text) {
  HANDLE f = ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD put = 0;
  ::WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &put, nullptr);
  ::CloseHandle(f);
}

template <typename Fn>
Fn Export(HMODULE m, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(m, name)));
}

const char* g_marker = nullptr;

void OnCrash(void* context, const wchar_t* dumpPath) {
  int n = ::WideCharToMultiByte(CP_UTF8, 0, dumpPath, -1, nullptr, 0, nullptr, nullptr);
  std::string path(n > 0 ? n - 1 : 0, '\0');
  if (n > 1) ::WideCharToMultiByte(CP_UTF8, 0, dumpPath, -1, &path[0], n, nullptr, nullptr);
  WriteMarker(g_marker, std::string(static_cast<const char*>(context)) + "\n" + path);
}

int Commit(const char* folder, int port, int count, const char* marker) {
  HMODULE sdk = ::LoadLibraryW((Wide(folder) + L"\\Qlx.dll").c_str());
  if (!sdk) return 2;
  QlxHandle h = nullptr;
  if (Export<QlxCreateFn>(sdk, "qlxCreate")(&h) ||
      Export<QlxSetApplyKeyFn>(sdk, "qlxSetApplyKey")("40917263",
                                                      "7A1C04E9B25F4D83A6E0C9F15B27D4E8") ||
      Export<QlxSetHostInfoFn>(sdk, "qlxSetHostInfo")("127.0.0.13", port) ||
      Export<QlxSetSensorUrlFn>(sdk, "qlxSetSensorUrl")("/sa?project=test")) {
    return 3;
  }
  auto create = Export<QlxCLTCreateFn>(sdk, "qlxCLTCreate");
  auto event = Export<QlxCLTSensorWriteEventFn>(sdk, "qlxCLTSensorWriteEvent");
  auto prop = Export<QlxCLTSensorWriteIntPropertiesFn>(sdk, "qlxCLTSensorWriteIntProperties");
  auto commit = Export<QlxCLTCommitFn>(sdk, "qlxCLTCommit");
  auto release = Export<QlxCLTFreeFn>(sdk, "qlxCLTFree");
  for (int i = 0; i < count; ++i) {
    QlxCollector c = nullptr;
    if (create(h, 6, &c) || event(c, "vChild", i) || prop(c, "n", i) || commit(c)) return 4;
    release(c);
  }
  WriteMarker(marker, "committed");
  ::Sleep(INFINITE);
  return 0;
}

int Crash(const char* folder, const char* marker) {
  HMODULE sdk = ::LoadLibraryW((Wide(folder) + L"\\Qlx.dll").c_str());
  if (!sdk) return 2;
  g_marker = marker;
  static char context[] = "context";
  if (Export<QlxEnableCrashReportFn>(sdk, "qlxEnableCrashReport")(&OnCrash, context)) return 3;
  volatile int* nowhere = nullptr;
  *nowhere = 1;
  return 0;
}

int Touch(int argc, char** argv) {
  HANDLE token = nullptr;
  TOKEN_ELEVATION e{};
  DWORD size = 0;
  ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token);
  ::GetTokenInformation(token, TokenElevation, &e, sizeof(e), &size);
  std::string text = "elevated=" + std::to_string(e.TokenIsElevated) + "\nargs=";
  for (int i = 3; i < argc; ++i)
    text += std::string(i > 3 ? " " : "") + argv[i];
  WriteMarker(argv[2], text);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "commit" && argc == 6)
    return Commit(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), argv[5]);
  if (mode == "crash" && argc == 4) return Crash(argv[2], argv[3]);
  if (mode == "touch" && argc >= 3) return Touch(argc, argv);
  return 64;
}
