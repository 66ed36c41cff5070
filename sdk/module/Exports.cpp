// The exports of Qlx.dll. No C++ exception leaves the module: each export
// answers a failure code (or null) instead.
#include <windows.h>
#include <winsock2.h>

#include <shellapi.h>

#include <new>
#include <string>

#include "QlxApi.h"
#include "module/CrashReport.h"
#include "module/MachineId.h"
#include "module/ModuleInfo.h"
#include "module/Sdk.h"

using orvane::qlx::Property;
using orvane::qlx::Sdk;

namespace {

constexpr int kFailure = 4;

template <typename F>
int Guard(F&& f) {
  try {
    return f();
  } catch (...) {
    return kFailure;
  }
}

template <typename F>
auto GuardPtr(F&& f) -> decltype(f()) {
  try {
    return f();
  } catch (...) {
    return nullptr;
  }
}

std::wstring Utf8ToWideText(const std::string& text) {
  int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.c_str(), -1, nullptr, 0);
  if (n <= 1) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.c_str(), -1, &out[0], n);
  out.resize(static_cast<size_t>(n) - 1);
  return out;
}

// only web addresses: anything else would let a caller start programs
bool IsWebAddress(const std::string& url) {
  auto starts = [&](const char* scheme) {
    size_t n = std::char_traits<char>::length(scheme);
    if (url.size() <= n) return false;
    for (size_t i = 0; i < n; ++i) {
      char c = url[i];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      if (c != scheme[i]) return false;
    }
    return true;
  };
  if (!starts("http://") && !starts("https://")) return false;
  for (char c : url)
    if (static_cast<unsigned char>(c) <= 0x20) return false;
  return true;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    orvane::qlx::SetThisModule(instance);
    ::DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

int qlxCreate(QlxHandle* handle) {
  return Guard([&] { return Sdk::Get().Create(handle); });
}

int qlxSetApplyKey(const char* appId, const char* appKey) {
  return Guard([&] { return Sdk::Get().SetApplyKey(appId, appKey); });
}

int qlxSetAppInfo(const char* name, int version, int flags) {
  return Guard([&] { return Sdk::Get().SetAppInfo(name, version, flags); });
}

int qlxSetPubCertificate(const char* base64Der) {
  return Guard([&] { return Sdk::Get().SetPublicKey(base64Der); });
}

int qlxSetPriCcertificate(const char* base64Der) {
  return Guard([&] { return Sdk::Get().SetPrivateKey(base64Der); });
}

int qlxSetHostInfo(const char* host, int port) {
  return Guard([&] { return Sdk::Get().SetHostInfo(host, port); });
}

int qlxSetSensorUrl(const char* path) {
  return Guard([&] { return Sdk::Get().SetSensorUrl(path); });
}

int qlxSetMidVersion(int version) {
  return Guard([&] { return Sdk::Get().SetMidVersion(version); });
}

int qlxEnableSandbox(int enable) {
  return Guard([&] { return Sdk::Get().EnableSandbox(enable); });
}

int qlxEnableCrashReport(QlxCrashCallback callback, void* context) {
  return Guard([&] { return orvane::qlx::EnableCrashReport(callback, context) ? 0 : kFailure; });
}

int qlxFree(QlxHandle handle) {
  return Guard([&] { return Sdk::Get().Free(handle); });
}

int qlxSetNetProtocol(int protocol) {
  return Guard([&] { return Sdk::Get().SetNetProtocol(protocol); });
}

int qlxSetURLVersion(const char* version) {
  return Guard([&] { return Sdk::Get().SetUrlVersion(version); });
}

int qlxSetNetRoute(int proxyType,
                   const char* proxyHost,
                   int proxyPort,
                   int resolverMode,
                   const char* dnsServer) {
  return Guard([&] {
    return Sdk::Get().SetNetRoute(proxyType, proxyHost, proxyPort, resolverMode, dnsServer);
  });
}

int qlxCLTCreate(QlxHandle handle, int recordType, QlxCollector* collector) {
  return Guard([&] { return Sdk::Get().CollectorCreate(handle, recordType, collector); });
}

int qlxCLTSensorWriteEvent(QlxCollector collector, const char* name, int id) {
  return Guard([&] { return Sdk::Get().CollectorEvent(collector, name, id); });
}

int qlxCLTSensorWriteIntProperties(QlxCollector collector, const char* key, int value) {
  return Guard([&] {
    return Sdk::Get().CollectorProperty(collector, key, Property::Kind::kInt, value, nullptr);
  });
}

int qlxCLTSensorWriteBoolProperties(QlxCollector collector, const char* key, int value) {
  return Guard([&] {
    return Sdk::Get().CollectorProperty(collector, key, Property::Kind::kBool, value ? 1 : 0,
                                        nullptr);
  });
}

int qlxCLTSensorWriteStringProperties(QlxCollector collector, const char* key, const char* value) {
  return Guard([&] {
    return Sdk::Get().CollectorProperty(collector, key, Property::Kind::kText, 0, value);
  });
}

int qlxCLTWriteInt(QlxCollector collector, int field, int value) {
  return Guard([&] { return Sdk::Get().CollectorInt(collector, field, value); });
}

int qlxCLTWriteData(QlxCollector collector, int field, const void* data, int length) {
  return Guard([&] { return Sdk::Get().CollectorData(collector, field, data, length); });
}

int qlxCLTCommit(QlxCollector collector) {
  return Guard([&] { return Sdk::Get().CollectorCommit(collector); });
}

int qlxCLTFree(QlxCollector collector) {
  return Guard([&] { return Sdk::Get().CollectorFree(collector); });
}

char* qlxBuildHttpData(int kind,
                       const char* body,
                       int length,
                       int* outLength,
                       int reserved,
                       const char* urlVersion) {
  if (outLength) *outLength = 0;
  if (reserved != 0) return nullptr;
  return GuardPtr(
      [&] { return Sdk::Get().BuildHttpData(kind, body, length, outLength, urlVersion); });
}

char* qlxDecryptData(const char* data, int length, int* outLength) {
  if (outLength) *outLength = 0;
  return GuardPtr([&] { return Sdk::Get().DecryptData(data, length, outLength); });
}

void qlxDataFree(char* data) {
  delete[] data;
}

const char* qlxMid(void) {
  return GuardPtr([&]() -> const char* { return Sdk::Get().Mid(); });
}

const char* qlxMidEx(int variant) {
  return GuardPtr([&]() -> const char* { return orvane::qlx::MachineIdText(variant); });
}

int qlxOpenUrl(const char* url) {
  return Guard([&] {
    if (!url) return 1;
    std::string text(url, strnlen(url, 8193));
    if (text.size() > 8192 || !IsWebAddress(text)) return 1;
    std::wstring wide = Utf8ToWideText(text);
    if (wide.empty()) return 1;
    auto r = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return r > 32 ? 0 : kFailure;
  });
}

}  // extern "C"
