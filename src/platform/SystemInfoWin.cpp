#include <windows.h>

#include <tlhelp32.h>

#include "platform/DllSearch.h"
#include "platform/Handles.h"
#include "platform/SystemInfo.h"

namespace orvane {

namespace {

template <typename Fn>
Fn Lookup(const wchar_t* module, const char* name) {
  HMODULE m = ::GetModuleHandleW(module);
  if (!m) m = LoadSystemLibrary(module).release();  // stays loaded for the run
  return m ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(m, name))) : nullptr;
}

OsVersionCode ComputeOsVersionCode() {
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof(info);  // the extended record, 284 bytes
  static_assert(sizeof(OSVERSIONINFOEXW) == 284, "extended version record");
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return kOsUnknown;
#pragma GCC diagnostic pop
  std::optional<unsigned> realMajor;
  if (info.dwMinorVersion >= 2) {
    using RtlGetNtVersionNumbersFn = void(WINAPI*)(DWORD*, DWORD*, DWORD*);
    auto fn = Lookup<RtlGetNtVersionNumbersFn>(L"ntdll.dll", "RtlGetNtVersionNumbers");
    if (fn) {
      DWORD major = 0, minor = 0, build = 0;
      fn(&major, &minor, &build);
      realMajor = major;
    }
  }
  return OsVersionCodeFor(info.dwMajorVersion, info.dwMinorVersion, info.wServicePackMajor,
                          realMajor);
}

}  // namespace

OsVersionCode GetOsVersionCode() {
  static const OsVersionCode code = ComputeOsVersionCode();
  return code;
}

bool Is64BitWindows() {
  using GetNativeSystemInfoFn = void(WINAPI*)(SYSTEM_INFO*);
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, BOOL*);
  if (auto native = Lookup<GetNativeSystemInfoFn>(L"kernel32", "GetNativeSystemInfo")) {
    SYSTEM_INFO si{};
    native(&si);
    return si.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
           si.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
  }
  if (auto wow = Lookup<IsWow64ProcessFn>(L"kernel32", "IsWow64Process")) {
    BOOL is = FALSE;
    return wow(::GetCurrentProcess(), &is) && is;
  }
  return false;
}

bool GetProcessImagePath(unsigned long processId, std::wstring* path) {
  UniqueHandle process(
      ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
  if (!process) return false;
  wchar_t buf[MAX_PATH + 1] = {};
  DWORD size = MAX_PATH;
  using QueryFullFn = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, DWORD*);
  using ModuleFileFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPWSTR, DWORD);
  bool ok = false;
  if (auto query = Lookup<QueryFullFn>(L"kernel32", "QueryFullProcessImageNameW")) {
    ok = query(process.get(), 0, buf, &size) != FALSE;
  } else {
    auto moduleFile = Lookup<ModuleFileFn>(L"kernel32", "K32GetModuleFileNameExW");
    if (!moduleFile) moduleFile = Lookup<ModuleFileFn>(L"psapi.dll", "GetModuleFileNameExW");
    ok = moduleFile && moduleFile(process.get(), nullptr, buf, MAX_PATH) != 0;
  }
  if (!ok || !buf[0]) return false;
  if (path) *path = buf;
  return true;
}

unsigned long GetParentProcessId(unsigned long processId) {
  UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  static_assert(sizeof(PROCESSENTRY32W) == 556, "the 32-bit snapshot entry");
  for (BOOL ok = ::Process32FirstW(snapshot.get(), &entry); ok;
       ok = ::Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == processId) return entry.th32ParentProcessID;
  }
  return 0;
}

std::wstring GetOwnModulePath() {
  wchar_t buf[1024] = {};
  ::GetModuleFileNameW(nullptr, buf, 1023);
  return buf;
}

}  // namespace orvane
