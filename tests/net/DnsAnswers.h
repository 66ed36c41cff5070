// Builders of DNS answers for the resolver tests: the golden packets are
// written record by record, so that each test says what it puts on the wire.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "net/DnsMessage.h"

namespace orvane::test {

class Bytes : public std::vector<uint8_t> {
 public:
  Bytes() = default;
  Bytes(size_t n, uint8_t fill) : std::vector<uint8_t>(n, fill) {}
  Bytes& Byte(uint8_t b) {
    push_back(b);
    return *this;
  }
  Bytes& U16(uint16_t v) {
    return Byte(static_cast<uint8_t>(v >> 8)).Byte(static_cast<uint8_t>(v));
  }
  Bytes& U32(uint32_t v) {
    return U16(static_cast<uint16_t>(v >> 16)).U16(static_cast<uint16_t>(v));
  }
  Bytes& Text(const std::string& s) {
    insert(end(), s.begin(), s.end());
    return *this;
  }
  Bytes& Label(const std::string& s) { return Byte(static_cast<uint8_t>(s.size())).Text(s); }
  Bytes& Name(const std::vector<std::string>& labels) {
    for (const auto& l : labels)
      Label(l);
    return Byte(0);
  }
  Bytes& Pointer(size_t offset) {
    return Byte(static_cast<uint8_t>(0xC0 | (offset >> 8))).Byte(static_cast<uint8_t>(offset));
  }
};

// an answer to the A query for host: the query echoed, then records whose
// owner names point back into the message
class Answer {
 public:
  explicit Answer(const std::string& host, uint16_t id = 0x4242) {
    std::string q = BuildDnsQuery(host, id);
    bytes_.Text(q);
    bytes_[2] = 0x81;  // response, recursion desired
    bytes_[3] = 0x80;  // recursion available
    queryLength_ = q.size();
  }

  Answer& A(const std::string& dotted, bool ownerAtAlias = false) {
    uint32_t a = 0;
    ParseIPv4(dotted, &a);
    std::string data(reinterpret_cast<const char*>(&a), 4);
    return Add(ownerAtAlias ? alias_ : 12, 1, data);
  }
  // the alias is written out in full; later records may point at it
  Answer& Cname(const std::string& target) {
    Bytes name;
    size_t start = 0;
    while (start <= target.size()) {
      size_t dot = target.find('.', start);
      if (dot == std::string::npos) dot = target.size();
      name.Label(target.substr(start, dot - start));
      start = dot + 1;
    }
    name.Byte(0);
    size_t owner = alias_;
    Add(owner, 5, std::string(name.begin(), name.end()));
    alias_ = bytes_.size() - name.size();
    return *this;
  }
  Answer& Record(uint16_t type, const std::string& data) { return Add(12, type, data); }
  Answer& Raw(const std::string& bytes) {
    bytes_.Text(bytes);
    return *this;
  }
  Answer& SetAnswerCount(uint16_t n) {
    bytes_[6] = static_cast<uint8_t>(n >> 8);
    bytes_[7] = static_cast<uint8_t>(n);
    return *this;
  }
  Answer& SetLastDataLength(uint16_t n) {
    bytes_[lastLength_] = static_cast<uint8_t>(n >> 8);
    bytes_[lastLength_ + 1] = static_cast<uint8_t>(n);
    return *this;
  }
  Answer& PatchOwnerPointer(size_t record, uint16_t offset) {
    size_t at = owners_.at(record);
    bytes_[at] = static_cast<uint8_t>(0xC0 | (offset >> 8));
    bytes_[at + 1] = static_cast<uint8_t>(offset);
    return *this;
  }
  Answer& Truncate(size_t n) {
    bytes_.resize(n);
    return *this;
  }

  const uint8_t* data() const { return bytes_.data(); }
  size_t size() const { return bytes_.size(); }
  size_t queryLength() const { return queryLength_; }
  const Bytes& bytes() const { return bytes_; }

 private:
  Answer& Add(size_t owner, uint16_t type, const std::string& data) {
    owners_.push_back(bytes_.size());
    bytes_.Pointer(owner).U16(type).U16(1).U32(60);
    lastLength_ = bytes_.size();
    bytes_.U16(static_cast<uint16_t>(data.size())).Text(data);
    ++count_;
    return SetAnswerCount(count_);
  }

  Bytes bytes_;
  size_t queryLength_ = 0;
  size_t alias_ = 12;  // the question's name
  size_t lastLength_ = 0;
  uint16_t count_ = 0;
  std::vector<size_t> owners_;
};

}  // namespace orvane::test
