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

namespace {

// the parent's id as the system keeps it for the process: one call, where a
// snapshot of every process costs the start-up milliseconds under Wine. 0
// when the process cannot be asked (Windows XP cannot open it this way).
unsigned long AskParentProcessId(unsigned long processId) {
  struct BasicInformation {
    LONG exitStatus;
    void* pebBaseAddress;
    ULONG_PTR affinityMask;
    LONG basePriority;
    ULONG_PTR uniqueProcessId;
    ULONG_PTR inheritedFromUniqueProcessId;
  };
  constexpr int kProcessBasicInformation = 0;
  using QueryFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  auto query = Lookup<QueryFn>(L"ntdll.dll", "NtQueryInformationProcess");
  if (!query) return 0;
  const bool own = processId == ::GetCurrentProcessId();
  UniqueHandle other(own ? nullptr
                         : ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  HANDLE process = own ? ::GetCurrentProcess() : other.get();
  if (!process) return 0;
  BasicInformation info{};
  ULONG length = 0;
  if (query(process, kProcessBasicInformation, &info, sizeof(info), &length) != 0 ||
      length != sizeof(info)) {
    return 0;
  }
  return static_cast<unsigned long>(info.inheritedFromUniqueProcessId);
}

}  // namespace

unsigned long GetParentProcessId(unsigned long processId) {
  if (unsigned long parent = AskParentProcessId(processId)) return parent;
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
