#include "module/ModuleInfo.h"

#include <ntsecapi.h>

#include <atomic>
#include <vector>

#include "platform/StringUtil.h"

namespace orvane::qlx {

namespace {
std::atomic<HMODULE> g_module{nullptr};
}  // namespace

void SetThisModule(HMODULE module) {
  g_module = module;
}

HMODULE ThisModule() {
  return g_module.load();
}

std::wstring ModuleFolder() {
  std::vector<wchar_t> buf(1024);
  DWORD n = ::GetModuleFileNameW(ThisModule(), buf.data(), static_cast<DWORD>(buf.size() - 1));
  std::wstring path(buf.data(), n);
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::string RandomHex(size_t bytes) {
  std::vector<unsigned char> data(bytes);
  if (!RtlGenRandom(data.data(), static_cast<ULONG>(bytes))) {
    // weaker, but still distinct per process and call
    static std::atomic<uint64_t> counter{0};
    uint64_t seed = (static_cast<uint64_t>(::GetCurrentProcessId()) << 32) ^ ::GetTickCount64() ^
                    (++counter * 0x9E3779B97F4A7C15ULL);
    for (auto& b : data) {
      seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
      b = static_cast<unsigned char>(seed >> 56);
    }
  }
  return HexLower(data.data(), data.size());
}

int64_t NowUnixMs() {
  FILETIME ft;
  ::GetSystemTimeAsFileTime(&ft);
  uint64_t t = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return static_cast<int64_t>((t - 116444736000000000ULL) / 10000ULL);
}

}  // namespace orvane::qlx
