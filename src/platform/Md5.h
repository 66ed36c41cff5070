// MD5 (RFC 1321) and its lower-case hexadecimal digest text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvane {

class Md5 {
 public:
  Md5();
  void Update(const void* data, size_t size);
  // the 16 digest bytes; the object is spent afterwards
  void Final(unsigned char digest[16]);
  std::string FinalHex();

 private:
  void Transform(const unsigned char block[64]);

  uint32_t state_[4];
  uint64_t bitCount_ = 0;
  unsigned char buffer_[64];
};

// 32 lower-case hex digits; empty when there are no bytes
std::string Md5Hex(const void* data, long long length);
inline std::string Md5Hex(const std::string& text) {
  return Md5Hex(text.data(), static_cast<long long>(text.size()));
}

// of a whole file, read in 64 KiB pieces; empty when the file cannot be
// opened or is empty
std::string Md5File(const std::wstring& path);

}  // namespace orvane
