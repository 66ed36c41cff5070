// qlxBuildHttpData and qlxDecryptData, an inverse pair over the SDK's RSA
// key pair: the body is encrypted with a fresh AES-128 key, and that key
// with the public RSA key. The text produced is
//
//   "QLX1:" <kind> ":" <url version> ":" Base64( <4-byte little-endian
//   length n> <n bytes: the AES key as a CryptoAPI SIMPLEBLOB>
//   <the AES-CBC ciphertext> )
//
// and only the holder of the private key turns it back into the body.
#pragma once

#include <string>

namespace orvane::qlx {

// the DER forms of the two keys, checked: false when the bytes are not an
// RSA public key (SubjectPublicKeyInfo) or an RSA private key (PKCS #1)
bool IsRsaPublicKeyDer(const std::string& der);
bool IsRsaPrivateKeyDer(const std::string& der);

bool EncryptHttpData(const std::string& publicDer,
                     int kind,
                     const std::string& urlVersion,
                     const std::string& body,
                     std::string* text);
bool DecryptHttpData(const std::string& privateDer, const std::string& text, std::string* body);

}  // namespace orvane::qlx
