#include "module/MachineId.h"

#include <windows.h>

#include <map>
#include <mutex>
#include <string>

#include "module/ModuleInfo.h"
#include "platform/Handles.h"
#include "platform/Md5.h"

namespace orvane::qlx {

namespace {

std::string ReadMachineGuid() {
  RegKey key;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Cryptography", 0,
                      KEY_READ | KEY_WOW64_64KEY, key.receive()) != ERROR_SUCCESS) {
    return {};
  }
  char value[128] = {};
  DWORD size = sizeof(value) - 1;
  DWORD type = 0;
  if (::RegQueryValueExA(key.get(), "MachineGuid", nullptr, &type, reinterpret_cast<BYTE*>(value),
                         &size) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return {};
  }
  std::string guid(value);
  for (char& c : guid)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return guid;
}

// a random id kept beside the module, for systems without a machine GUID
std::string StoredFallbackId() {
  const std::wstring path = ModuleFolder() + L"Qlx.mid";
  UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return "unstored-" + RandomHex(16);
  char buf[64] = {};
  DWORD got = 0;
  if (::ReadFile(file.get(), buf, 32, &got, nullptr) && got == 32) return std::string(buf, 32);
  std::string id = RandomHex(16);
  ::SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN);
  DWORD put = 0;
  ::WriteFile(file.get(), id.data(), static_cast<DWORD>(id.size()), &put, nullptr);
  ::SetEndOfFile(file.get());
  return id;
}

}  // namespace

const char* MachineIdText(int variant) {
  if (variant < 1 || variant > 9) return nullptr;
  static std::recursive_mutex lock;  // see Sdk::lock_
  static std::string* source = nullptr;
  // texts are never removed, so the pointers handed out stay valid
  static auto* texts = new std::map<int, std::string>();
  std::lock_guard<std::recursive_mutex> hold(lock);
  if (!source) {
    std::string guid = ReadMachineGuid();
    source = new std::string(guid.empty() ? StoredFallbackId() : guid);
  }
  auto it = texts->find(variant);
  if (it == texts->end()) {
    it = texts->emplace(variant, Md5Hex("qlx-mid/v" + std::to_string(variant) + "/" + *source))
             .first;
  }
  return it->second.c_str();
}

}  // namespace orvane::qlx
