#include "net/ProxyConfig.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace orvane::test {

namespace {

const wchar_t kScratch[] = L"Software\\OrvaneTest\\ProxyConfig";
const wchar_t kConnections[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";

void PutDword(std::vector<BYTE>* out, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    out->push_back(static_cast<BYTE>(v >> (8 * i)));
}

void PutText(std::vector<BYTE>* out, const std::string& text) {
  PutDword(out, static_cast<uint32_t>(text.size()));
  out->insert(out->end(), text.begin(), text.end());
}

// the connection record: version 0x46, a change counter, the flags (1
// direct, 2 fixed proxy, 4 configuration script), then the proxy list,
// the bypass list and the script URL, each with its length
std::vector<BYTE> ConnectionSettings(const std::string& proxyList, const std::string& scriptUrl) {
  uint32_t flags = 1;
  if (!proxyList.empty()) flags |= 2;
  if (!scriptUrl.empty()) flags |= 4;
  std::vector<BYTE> out;
  PutDword(&out, 0x46);
  PutDword(&out, 1);
  PutDword(&out, flags);
  PutText(&out, proxyList);
  PutText(&out, "");
  PutText(&out, scriptUrl);
  for (int i = 0; i < 8; ++i)
    PutDword(&out, 0);
  return out;
}

}  // namespace

ScopedProxyConfig::ScopedProxyConfig(const std::string& proxyList, const std::string& scriptUrl) {
  ::RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
  EXPECT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &scratch_, nullptr),
            ERROR_SUCCESS);
  HKEY connections = nullptr;
  EXPECT_EQ(::RegCreateKeyExW(scratch_, kConnections, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &connections, nullptr),
            ERROR_SUCCESS);
  std::vector<BYTE> record = ConnectionSettings(proxyList, scriptUrl);
  LONG rc = ::RegSetValueExW(connections, L"DefaultConnectionSettings", 0, REG_BINARY,
                             record.data(), static_cast<DWORD>(record.size()));
  ::RegCloseKey(connections);
  EXPECT_EQ(rc, ERROR_SUCCESS);
  EXPECT_EQ(::RegOverridePredefKey(HKEY_CURRENT_USER, scratch_), ERROR_SUCCESS);
}

ScopedProxyConfig::~ScopedProxyConfig() {
  ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  if (scratch_) ::RegCloseKey(scratch_);
  ::RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
  // the parent too, unless another test keeps something there
  ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\OrvaneTest");
}

}  // namespace orvane::test
