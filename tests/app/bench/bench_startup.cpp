// The first-page benchmark's driver (scripts/bench): starts the installer
// and measures from its entry point to the end of the first paint of its
// first page, without any help from the installer.
//
// The start is a breakpoint on the program's entry point: the driver starts
// it as a debuggee, stops it there, notes the time, lets it go on from the
// same instruction and detaches. The end is the moment the installer first
// waits for input with nothing in its queue (WaitForInputIdle): start-up
// paints the first page with UpdateWindow and then enters its message loop,
// and nothing before it asks for a message. The installer is ended after
// each run, and the per-run folder it leaves is removed, as the installer
// does when it ends on its own. Prints one "key: value" a line: every run and
// the median.
//
// usage: bench_startup.exe INSTALLER RUNS [--first-run]
//   --first-run  the installer's cache folder is removed before each run,
//                so that each one unpacks the SDK as on a new machine
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/CacheFolders.h"

namespace {

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 /
         static_cast<double>(frequency.QuadPart);
}

bool RemoveTree(const std::wstring& folder) {
  std::wstring from = folder;
  from.append(2, L'\0');  // a double-terminated list of one
  SHFILEOPSTRUCTW op = {};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NO_UI;
  return ::GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES ||
         ::SHFileOperationW(&op) == 0;
}

// The per-run folders (X:\OrvanePkg_<time>) that the installer removes
// when it ends on its own: ended by the driver, it leaves them, and a drive
// root that fills up with hundreds of them slows every later start.
void RemoveRunTempFolders() {
  wchar_t drives[512] = {};
  const DWORD n = ::GetLogicalDriveStringsW(511, drives);
  if (n == 0 || n > 511) return;
  for (const wchar_t* root = drives; *root; root += wcslen(root) + 1) {
    if (::GetDriveTypeW(root) != DRIVE_FIXED) continue;
    const std::wstring pattern = std::wstring(root) + L"OrvanePkg_*";
    WIN32_FIND_DATAW found = {};
    HANDLE find = ::FindFirstFileW(pattern.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) continue;
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(std::wstring(root) + found.cFileName);
    } while (::FindNextFileW(find, &found));
    ::FindClose(find);
  }
}

// runs the installer to its entry point; false (and the process ended) when
// it never gets there
bool RunToEntryPoint(const std::wstring& installer, PROCESS_INFORMATION* pi, LARGE_INTEGER* at) {
  std::wstring command = L"\"" + installer + L"\"";
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  if (!::CreateProcessW(installer.c_str(), &command[0], nullptr, nullptr, FALSE,
                        DEBUG_ONLY_THIS_PROCESS, nullptr, nullptr, &si, pi)) {
    std::fprintf(stderr, "bench_startup: cannot start the installer (%lu)\n", ::GetLastError());
    return false;
  }
  ::DebugSetProcessKillOnExit(FALSE);
  BYTE* entry = nullptr;
  BYTE original = 0;
  for (;;) {
    DEBUG_EVENT event = {};
    if (!::WaitForDebugEvent(&event, 30000)) break;
    DWORD status = DBG_CONTINUE;
    switch (event.dwDebugEventCode) {
      case CREATE_PROCESS_DEBUG_EVENT: {
        if (event.u.CreateProcessInfo.hFile) ::CloseHandle(event.u.CreateProcessInfo.hFile);
        entry = reinterpret_cast<BYTE*>(event.u.CreateProcessInfo.lpStartAddress);
        const BYTE trap = 0xCC;
        if (!::ReadProcessMemory(pi->hProcess, entry, &original, 1, nullptr) ||
            !::WriteProcessMemory(pi->hProcess, entry, &trap, 1, nullptr)) {
          entry = nullptr;
        }
        ::FlushInstructionCache(pi->hProcess, entry, 1);
        break;
      }
      case LOAD_DLL_DEBUG_EVENT:
        if (event.u.LoadDll.hFile) ::CloseHandle(event.u.LoadDll.hFile);
        break;
      case EXCEPTION_DEBUG_EVENT: {
        const EXCEPTION_RECORD& r = event.u.Exception.ExceptionRecord;
        if (r.ExceptionCode != EXCEPTION_BREAKPOINT) {
          status = DBG_EXCEPTION_NOT_HANDLED;
          break;
        }
        if (!entry || r.ExceptionAddress != entry) break;  // the loader's own
        ::QueryPerformanceCounter(at);
        // back to the entry point's first byte, and on from there
        ::WriteProcessMemory(pi->hProcess, entry, &original, 1, nullptr);
        ::FlushInstructionCache(pi->hProcess, entry, 1);
        HANDLE thread = ::OpenThread(THREAD_GET_CONTEXT | THREAD_SET_CONTEXT, FALSE,
                                     event.dwThreadId);
        CONTEXT context = {};
        context.ContextFlags = CONTEXT_CONTROL;
        if (thread && ::GetThreadContext(thread, &context)) {
          context.Eip = reinterpret_cast<DWORD>(entry);
          ::SetThreadContext(thread, &context);
        }
        if (thread) ::CloseHandle(thread);
        ::ContinueDebugEvent(event.dwProcessId, event.dwThreadId, DBG_CONTINUE);
        ::DebugActiveProcessStop(pi->dwProcessId);
        return true;
      }
      case EXIT_PROCESS_DEBUG_EVENT:
        std::fprintf(stderr, "bench_startup: the installer ended before its entry point\n");
        return false;
    }
    ::ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
  }
  std::fprintf(stderr, "bench_startup: no entry point breakpoint\n");
  ::TerminateProcess(pi->hProcess, 1);
  return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_startup INSTALLER RUNS [--first-run]\n");
    return 2;
  }
  const std::wstring installer = argv[1];
  const int runs = std::max(1, _wtoi(argv[2]));
  std::wstring cache;
  if (argc > 3 && std::wstring(argv[3]) == L"--first-run") {
    cache = orvane::GetPackageCacheRoot();
    if (cache.empty()) {
      std::fprintf(stderr, "bench_startup: no cache folder\n");
      return 1;
    }
    cache.pop_back();  // the trailing backslash
  }
  RemoveRunTempFolders();
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    if (!cache.empty() && !RemoveTree(cache)) {
      std::fprintf(stderr, "bench_startup: cannot remove %ls\n", cache.c_str());
      return 1;
    }
    PROCESS_INFORMATION pi = {};
    LARGE_INTEGER start, painted;
    if (!RunToEntryPoint(installer, &pi, &start)) return 1;
    const DWORD idle = ::WaitForInputIdle(pi.hProcess, 30000);
    ::QueryPerformanceCounter(&painted);
    // a moment for the work that comes after the first paint, so that the
    // next run starts from the same state
    ::Sleep(1000);
    ::TerminateProcess(pi.hProcess, 0);
    ::WaitForSingleObject(pi.hProcess, 10000);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    RemoveRunTempFolders();
    if (idle != 0) {
      std::fprintf(stderr, "bench_startup: the installer never waited for input (%lu)\n", idle);
      return 1;
    }
    ms.push_back(Milliseconds(start, painted));
    std::printf("first_paint_run_ms: %.1f\n", ms.back());
    std::fflush(stdout);
  }
  std::vector<double> sorted = ms;
  std::sort(sorted.begin(), sorted.end());
  std::printf("first_paint_ms: %.1f\n", sorted[sorted.size() / 2]);
  return 0;
}
