#include <windows.h>

#include <delayimp.h>

#include "platform/DllSearch.h"

namespace orvane {

namespace {

// present exactly where the LOAD_LIBRARY_SEARCH_* flags are understood
bool HasSearchFlags() {
  HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
  return kernel32 && ::GetProcAddress(kernel32, "AddDllDirectory") != nullptr;
}

// the delay-load helper asks here before it would call LoadLibraryA with the
// bare name; the answer is the module it uses
FARPROC WINAPI DelayLoadHook(unsigned notification, PDelayLoadInfo info) {
  if (notification != dliNotePreLoadLibrary || !info || !info->szDll) return nullptr;
  wchar_t name[MAX_PATH] = {};
  if (!::MultiByteToWideChar(CP_ACP, 0, info->szDll, -1, name, MAX_PATH)) return nullptr;
  // a DLL of the system that is missing: the helper's own failure follows
  HMODULE module = LoadSystemLibrary(name).release();
  return reinterpret_cast<FARPROC>(module);
}

}  // namespace

void RestrictDllSearch() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
  auto setDefault = kernel32 ? reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
                                   ::GetProcAddress(kernel32, "SetDefaultDllDirectories")))
                             : nullptr;
  if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  ::SetDllDirectoryW(L"");
}

UniqueModule LoadSystemLibrary(const wchar_t* fileName) {
  if (!fileName || !*fileName) return UniqueModule();
  for (const wchar_t* c = fileName; *c; ++c) {
    if (*c == L'\\' || *c == L'/' || *c == L':') return UniqueModule();  // a name, not a path
  }
  if (HasSearchFlags())
    return UniqueModule(::LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  // older systems: the full path, and the DLL's own imports looked for in its
  // folder first
  wchar_t path[MAX_PATH] = {};
  UINT n = ::GetSystemDirectoryW(path, MAX_PATH);
  if (n == 0 || n + 1 + lstrlenW(fileName) >= MAX_PATH) return UniqueModule();
  path[n] = L'\\';
  lstrcpyW(path + n + 1, fileName);
  return UniqueModule(::LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

}  // namespace orvane

// Read by the delay-load helper of the MinGW runtime. Defined here, in the
// object that the entry point needs, so that the linker takes it rather than
// the runtime's empty default (cmake/SystemDlls.cmake asks for the symbol).
extern "C" {
PfnDliHook __pfnDliNotifyHook2 = &orvane::DelayLoadHook;
}
