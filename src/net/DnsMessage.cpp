// DNS wire format (RFC 1035), the parts the own resolver reads and writes.
//
//  header, 12 bytes                       resource record
//  +------+------+------+------+          +----------------------+
//  | ID          | flags       | 0        | NAME (see below)     |
//  +------+------+------+------+          +-----------+----------+
//  | QDCOUNT     | ANCOUNT     | 4        | TYPE (16) | CLASS(16)|
//  +------+------+------+------+          +-----------+----------+
//  | NSCOUNT     | ARCOUNT     | 8        | TTL (32)             |
//  +------+------+------+------+          +-----------+----------+
//  question: QNAME, QTYPE (16), QCLASS(16)| RDLENGTH  | RDATA    |
//                                         +-----------+----------+
//  NAME: a sequence of labels, each a length byte and that many bytes,
//  ended by a zero byte or by a compression pointer:
//    00LLLLLL  label of L (1..63) bytes follows; 0 ends the name
//    11PPPPPP PPPPPPPP  14-bit offset from the message start where the
//              rest of the name is
//    01xxxxxx, 10xxxxxx  reserved (extended label kinds): rejected
//  A record: TYPE 1, RDLENGTH 4, RDATA the address. CNAME: TYPE 5, RDATA a
//  NAME. All multi-byte fields big-endian.
#include "net/DnsMessage.h"

#include <cstdio>
#include <cstring>

#include "net/ByteReader.h"

namespace orvane {

namespace {

constexpr size_t kHeaderSize = 12;
constexpr uint16_t kTypeA = 1;
constexpr uint16_t kTypeCname = 5;

}  // namespace

bool ParseIPv4(const std::string& text, uint32_t* address) {
  uint8_t bytes[4];
  size_t i = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0) {
      if (i >= text.size() || text[i] != '.') return false;
      ++i;
    }
    size_t digits = 0;
    unsigned value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      value = value * 10 + static_cast<unsigned>(text[i] - '0');
      if (value > 255) return false;
      ++i;
      ++digits;
    }
    if (digits == 0) return false;
    bytes[part] = static_cast<uint8_t>(value);
  }
  if (i != text.size()) return false;
  std::memcpy(address, bytes, 4);
  return true;
}

const char* FormatIPv4(uint32_t address, char* buffer, size_t size) {
  if (!buffer || size < 16) return nullptr;
  uint8_t b[4];
  std::memcpy(b, &address, 4);
  std::snprintf(buffer, size, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
  return buffer;
}

std::string FormatIPv4(uint32_t address) {
  char buffer[16];
  return FormatIPv4(address, buffer, sizeof(buffer));
}

std::optional<std::string> ReadName(const uint8_t* message,
                                    size_t size,
                                    size_t position,
                                    size_t* consumed) {
  ByteReader r(message, size);
  if (!r.Seek(position)) return std::nullopt;
  std::string name;
  size_t wireLength = 1;           // the final zero byte
  size_t segmentStart = position;  // where the labels being read began
  size_t used = 0;
  bool jumped = false;
  int pointers = 0;
  for (;;) {
    uint8_t len;
    if (!r.ReadU8(&len)) return std::nullopt;
    if (len == 0) {
      if (!jumped) used = r.offset() - position;
      break;
    }
    if ((len & 0xC0) == 0xC0) {
      uint8_t low;
      if (!r.ReadU8(&low)) return std::nullopt;
      size_t target = (size_t{len & 0x3Fu} << 8) | low;
      // strictly before the labels this pointer ends, so every jump goes
      // further back and no chain can loop
      if (target >= segmentStart || ++pointers > kMaxPointers) return std::nullopt;
      if (!jumped) used = r.offset() - position;
      jumped = true;
      segmentStart = target;
      r.Seek(target);
      continue;
    }
    if ((len & 0xC0) != 0) return std::nullopt;  // 0x40 and 0x80 kinds
    wireLength += size_t{len} + 1;
    if (wireLength > kMaxNameLength) return std::nullopt;
    std::string label;
    if (!r.ReadBytes(len, &label)) return std::nullopt;
    if (!name.empty()) name.push_back('.');
    name += label;
  }
  if (consumed) *consumed = used;
  return name;
}

std::string BuildDnsQuery(const std::string& host, uint16_t id) {
  std::string name = host;
  if (!name.empty() && name.back() == '.') name.pop_back();
  if (name.empty()) return {};
  std::string q;
  // the id in the machine's own (little-endian) byte order
  q.push_back(static_cast<char>(id & 0xFF));
  q.push_back(static_cast<char>(id >> 8));
  const char header[] = {0x01, 0x00, 0, 1, 0, 0, 0, 0, 0, 0};  // RD; one question
  q.append(header, sizeof(header));
  size_t start = 0;
  while (start <= name.size()) {
    size_t dot = name.find('.', start);
    if (dot == std::string::npos) dot = name.size();
    size_t len = dot - start;
    if (len == 0 || len > kMaxLabelLength) return {};
    q.push_back(static_cast<char>(len));
    q.append(name, start, len);
    start = dot + 1;
  }
  q.push_back('\0');
  if (q.size() - kHeaderSize > kMaxNameLength) return {};
  const char tail[] = {0, 1, 0, 1};  // QTYPE A, QCLASS IN
  q.append(tail, sizeof(tail));
  return q;
}

int ParseDnsAnswer(const uint8_t* message, size_t size, size_t queryLength, AddressList* out) {
  ByteReader r(message, size);
  uint16_t answers;
  if (!r.Skip(6) || !r.ReadU16(&answers)) return -1;
  int count = answers < kMaxAddresses ? answers : kMaxAddresses;
  // the question is taken as echoed as sent
  if (queryLength < kHeaderSize || !r.Seek(queryLength)) return -1;

  AddressList found;
  for (int i = 0; i < count; ++i) {
    size_t used = 0;
    if (!ReadName(message, size, r.offset(), &used) || !r.Skip(used)) return -1;
    uint16_t type, cls, length;
    uint32_t ttl;
    if (!r.ReadU16(&type) || !r.ReadU16(&cls) || !r.ReadU32(&ttl) || !r.ReadU16(&length)) return -1;
    if (length > r.remaining()) return -1;
    size_t data = r.offset();
    if (type == kTypeA) {
      if (length != 4) return -1;
      std::string bytes;
      r.ReadBytes(4, &bytes);
      std::memcpy(&found.addresses[found.count++], bytes.data(), 4);
      continue;
    }
    if (type == kTypeCname) {
      // the alias must be a sound name that fills its data exactly
      size_t aliasLength = 0;
      if (!ReadName(message, size, data, &aliasLength) || aliasLength != length) return -1;
    }
    r.Skip(length);
  }
  if (found.count == 0) return -1;
  for (int i = 0; i < found.count && out->count < kMaxAddresses; ++i)
    out->addresses[out->count++] = found.addresses[i];
  return 0;
}

}  // namespace orvane
