#include "module/HttpData.h"

#include <windows.h>

#include <wincrypt.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "platform/Handles.h"
#include "qlx/JsonText.h"

namespace orvane::qlx {

namespace {

struct CryptProviderTraits {
  using Type = HCRYPTPROV;
  static Type Empty() { return 0; }
  static bool IsValid(Type h) { return h != 0; }
  static void Close(Type h) { ::CryptReleaseContext(h, 0); }
};
using CryptProvider = HandleT<CryptProviderTraits>;

struct CryptKeyTraits {
  using Type = HCRYPTKEY;
  static Type Empty() { return 0; }
  static bool IsValid(Type h) { return h != 0; }
  static void Close(Type h) { ::CryptDestroyKey(h); }
};
using CryptKey = HandleT<CryptKeyTraits>;

struct LocalFreer {
  void operator()(void* p) const { ::LocalFree(p); }
};

constexpr char kPrefix[] = "QLX1:";

CryptProvider OpenProvider() {
  CryptProvider prov;
  if (!::CryptAcquireContextW(prov.receive(), nullptr, nullptr, PROV_RSA_AES,
                              CRYPT_VERIFYCONTEXT)) {
    return CryptProvider();
  }
  return prov;
}

CryptKey ImportPublic(HCRYPTPROV prov, const std::string& der) {
  CERT_PUBLIC_KEY_INFO* info = nullptr;
  DWORD size = 0;
  if (der.empty() || !::CryptDecodeObjectEx(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO,
                                            reinterpret_cast<const BYTE*>(der.data()),
                                            static_cast<DWORD>(der.size()), CRYPT_DECODE_ALLOC_FLAG,
                                            nullptr, &info, &size)) {
    return CryptKey();
  }
  std::unique_ptr<CERT_PUBLIC_KEY_INFO, LocalFreer> hold(info);
  if (!info->Algorithm.pszObjId || std::strcmp(info->Algorithm.pszObjId, szOID_RSA_RSA) != 0)
    return CryptKey();
  CryptKey key;
  if (!::CryptImportPublicKeyInfo(prov, X509_ASN_ENCODING, info, key.receive())) return CryptKey();
  return key;
}

CryptKey ImportPrivate(HCRYPTPROV prov, const std::string& der) {
  BYTE* blob = nullptr;
  DWORD size = 0;
  if (der.empty() || !::CryptDecodeObjectEx(X509_ASN_ENCODING, PKCS_RSA_PRIVATE_KEY,
                                            reinterpret_cast<const BYTE*>(der.data()),
                                            static_cast<DWORD>(der.size()), CRYPT_DECODE_ALLOC_FLAG,
                                            nullptr, &blob, &size)) {
    return CryptKey();
  }
  std::unique_ptr<BYTE, LocalFreer> hold(blob);
  CryptKey key;
  if (!::CryptImportKey(prov, blob, size, 0, 0, key.receive())) return CryptKey();
  return key;
}

}  // namespace

bool IsRsaPublicKeyDer(const std::string& der) {
  CryptProvider prov = OpenProvider();
  return prov && ImportPublic(prov.get(), der);
}

bool IsRsaPrivateKeyDer(const std::string& der) {
  CryptProvider prov = OpenProvider();
  return prov && ImportPrivate(prov.get(), der);
}

bool EncryptHttpData(const std::string& publicDer,
                     int kind,
                     const std::string& urlVersion,
                     const std::string& body,
                     std::string* text) {
  CryptProvider prov = OpenProvider();
  if (!prov) return false;
  CryptKey rsa = ImportPublic(prov.get(), publicDer);
  if (!rsa) return false;
  CryptKey aes;
  if (!::CryptGenKey(prov.get(), CALG_AES_128, CRYPT_EXPORTABLE, aes.receive())) return false;
  DWORD blobSize = 0;
  if (!::CryptExportKey(aes.get(), rsa.get(), SIMPLEBLOB, 0, nullptr, &blobSize)) return false;
  std::string packed(4 + blobSize, '\0');
  if (!::CryptExportKey(aes.get(), rsa.get(), SIMPLEBLOB, 0, reinterpret_cast<BYTE*>(&packed[4]),
                        &blobSize)) {
    return false;
  }
  packed.resize(4 + blobSize);
  for (int i = 0; i < 4; ++i)
    packed[i] = static_cast<char>((blobSize >> (8 * i)) & 0xFF);

  std::string cipher = body;
  DWORD length = static_cast<DWORD>(cipher.size());
  cipher.resize(cipher.size() + 32);  // room for the padding block
  if (!::CryptEncrypt(aes.get(), 0, TRUE, 0, reinterpret_cast<BYTE*>(&cipher[0]), &length,
                      static_cast<DWORD>(cipher.size()))) {
    return false;
  }
  cipher.resize(length);
  *text = kPrefix + std::to_string(kind) + ":" + urlVersion + ":" + Base64Encode(packed + cipher);
  return true;
}

bool DecryptHttpData(const std::string& privateDer, const std::string& text, std::string* body) {
  const size_t prefix = sizeof(kPrefix) - 1;
  if (text.compare(0, prefix, kPrefix) != 0) return false;
  size_t afterKind = text.find(':', prefix);
  if (afterKind == std::string::npos) return false;
  size_t afterVersion = text.find(':', afterKind + 1);
  if (afterVersion == std::string::npos) return false;
  std::string packed;
  if (!Base64Decode(text.substr(afterVersion + 1), &packed) || packed.size() < 4) return false;
  uint32_t blobSize = 0;
  for (int i = 3; i >= 0; --i)
    blobSize = (blobSize << 8) | static_cast<unsigned char>(packed[i]);
  if (blobSize == 0 || blobSize > packed.size() - 4) return false;

  CryptProvider prov = OpenProvider();
  if (!prov) return false;
  CryptKey rsa = ImportPrivate(prov.get(), privateDer);
  if (!rsa) return false;
  CryptKey aes;
  if (!::CryptImportKey(prov.get(), reinterpret_cast<const BYTE*>(&packed[4]), blobSize, rsa.get(),
                        0, aes.receive())) {
    return false;
  }
  std::string plain = packed.substr(4 + blobSize);
  DWORD length = static_cast<DWORD>(plain.size());
  if (length == 0) return false;
  if (!::CryptDecrypt(aes.get(), 0, TRUE, 0, reinterpret_cast<BYTE*>(&plain[0]), &length))
    return false;
  plain.resize(length);
  *body = std::move(plain);
  return true;
}

}  // namespace orvane::qlx
