// ByteReader: the only way the network code reads received bytes. Every
// fetch checks what remains and reports failure instead of reading past the
// end; multi-byte fields are big-endian (network order).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvane {

class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t size() const { return size_; }
  size_t offset() const { return offset_; }
  size_t remaining() const { return size_ - offset_; }

  // false (and the position unchanged) when the target lies past the end
  bool Seek(size_t offset) {
    if (offset > size_) return false;
    offset_ = offset;
    return true;
  }
  bool Skip(size_t n) {
    if (n > remaining()) return false;
    offset_ += n;
    return true;
  }
  bool ReadU8(uint8_t* v) {
    if (remaining() < 1) return false;
    *v = data_[offset_++];
    return true;
  }
  bool ReadU16(uint16_t* v) {
    if (remaining() < 2) return false;
    *v = static_cast<uint16_t>((data_[offset_] << 8) | data_[offset_ + 1]);
    offset_ += 2;
    return true;
  }
  bool ReadU32(uint32_t* v) {
    if (remaining() < 4) return false;
    *v = (uint32_t{data_[offset_]} << 24) | (uint32_t{data_[offset_ + 1]} << 16) |
         (uint32_t{data_[offset_ + 2]} << 8) | uint32_t{data_[offset_ + 3]};
    offset_ += 4;
    return true;
  }
  bool ReadBytes(size_t n, std::string* out) {
    if (n > remaining()) return false;
    out->assign(reinterpret_cast<const char*>(data_ + offset_), n);
    offset_ += n;
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t offset_ = 0;
};

}  // namespace orvane
