#include "module/CrashReport.h"

#include <windows.h>

#include <dbghelp.h>

#include <atomic>
#include <cwchar>

#include "module/ModuleInfo.h"

namespace orvane::qlx {

namespace {

using MiniDumpWriteDumpFn = BOOL(WINAPI*)(HANDLE,
                                          DWORD,
                                          HANDLE,
                                          MINIDUMP_TYPE,
                                          PMINIDUMP_EXCEPTION_INFORMATION,
                                          PMINIDUMP_USER_STREAM_INFORMATION,
                                          PMINIDUMP_CALLBACK_INFORMATION);

struct CrashSetup {
  std::atomic<QlxCrashCallback> callback{nullptr};
  std::atomic<void*> context{nullptr};
  std::atomic<MiniDumpWriteDumpFn> writeDump{nullptr};
  std::atomic<bool> installed{false};
  std::atomic<bool> entered{false};
  // decided at enable time: no allocation is needed while crashing
  wchar_t folder[MAX_PATH] = {};
};

// dbghelp.dll from the system folder only: the process that loads the SDK
// may have been started from a folder where anyone can put a DLL of that name
HMODULE LoadDbgHelp() {
  HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
  // present exactly where the LOAD_LIBRARY_SEARCH_* flags are understood
  if (kernel32 && ::GetProcAddress(kernel32, "AddDllDirectory"))
    return ::LoadLibraryExW(L"dbghelp.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  wchar_t path[MAX_PATH + 16] = {};
  UINT n = ::GetSystemDirectoryW(path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return nullptr;
  std::wcscpy(path + n, L"\\dbghelp.dll");
  return ::LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

CrashSetup& Setup() {
  static auto* setup = new CrashSetup();  // lives until the process ends
  return *setup;
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* info) {
  CrashSetup& s = Setup();
  QlxCrashCallback callback = s.callback.load();
  // a crash inside the handler itself goes to the system
  if (!callback || s.entered.exchange(true)) return EXCEPTION_CONTINUE_SEARCH;

  wchar_t path[MAX_PATH + 64] = {};
  SYSTEMTIME t;
  ::GetSystemTime(&t);
  std::swprintf(path, MAX_PATH + 64, L"%lsQlx-%lu-%04u%02u%02u%02u%02u%02u.dmp", s.folder,
                ::GetCurrentProcessId(), t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
  bool written = false;
  ::CreateDirectoryW(s.folder, nullptr);
  HANDLE file =
      ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    if (MiniDumpWriteDumpFn write = s.writeDump.load()) {
      MINIDUMP_EXCEPTION_INFORMATION mei{};
      mei.ThreadId = ::GetCurrentThreadId();
      mei.ExceptionPointers = info;
      mei.ClientPointers = FALSE;
      written = write(::GetCurrentProcess(), ::GetCurrentProcessId(), file, MiniDumpNormal, &mei,
                      nullptr, nullptr) != FALSE;
    }
    ::CloseHandle(file);
    if (!written) ::DeleteFileW(path);
  }
  callback(s.context.load(), written ? path : L"");
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

bool EnableCrashReport(QlxCrashCallback callback, void* context) {
  CrashSetup& s = Setup();
  if (!callback) {
    s.callback = nullptr;
    return true;
  }
  std::wstring folder = ModuleFolder() + QLX_DUMP_FOLDER;
  if (folder.size() >= MAX_PATH - 40) return false;
  if (!s.writeDump.load()) {
    // loaded now: loading a module while crashing is not safe
    if (HMODULE dbghelp = LoadDbgHelp()) {
      s.writeDump = reinterpret_cast<MiniDumpWriteDumpFn>(
          reinterpret_cast<void*>(::GetProcAddress(dbghelp, "MiniDumpWriteDump")));
    }
  }
  if (!s.installed.exchange(true)) {
    std::wcsncpy(s.folder, folder.c_str(), MAX_PATH - 1);
    ::SetUnhandledExceptionFilter(&OnUnhandledException);
  }
  s.context = context;
  s.callback = callback;
  return true;
}

}  // namespace orvane::qlx
