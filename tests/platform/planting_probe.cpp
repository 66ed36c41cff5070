// The DLL search without and with the guard, in a program of its own that a
// test copies beside planted DLLs (tests/support/planted_dll.cpp) and starts
// with Wine told to prefer native DLLs, as Windows does.
//
//   planting_probe          loads as a program without the guard would
//   planting_probe guard    calls RestrictDllSearch first, as the installer does
//
// Either way: a static import of version.dll (the loader resolves it before
// any code runs, which is why the installer has none), dbghelp.dll loaded by
// its bare name, winmm.dll through LoadSystemLibrary and a call into
// iphlpapi.dll, which this program delay-loads through the product's rule.
// Exit code 0 when every call was answered.
#include <windows.h>

#include <iphlpapi.h>

#include "platform/DllSearch.h"

int wmain(int argc, wchar_t** argv) {
  if (argc > 1 && lstrcmpW(argv[1], L"guard") == 0) orvane::RestrictDllSearch();
  ::GetFileVersionInfoSizeW(L"C:\\windows\\system32\\kernel32.dll", nullptr);
  HMODULE dbghelp = ::LoadLibraryW(L"dbghelp.dll");
  orvane::UniqueModule winmm = orvane::LoadSystemLibrary(L"winmm.dll");
  ULONG size = 0;
  DWORD adapters = ::GetAdaptersInfo(nullptr, &size);  // asks for the size only
  bool answered = dbghelp && winmm && adapters != ERROR_CALL_NOT_IMPLEMENTED;
  return answered ? 0 : 1;
}
