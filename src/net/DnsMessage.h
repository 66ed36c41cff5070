// The DNS messages of the own resolver: the A query it sends and the answer
// it reads, plus the dotted-IPv4 helpers that the HTTP client shares.
// Platform-free; answers are read only through ByteReader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace orvane {

inline constexpr int kMaxAddresses = 20;

struct AddressList {
  int32_t count = 0;
  uint32_t addresses[kMaxAddresses] = {};  // network order
};

// limits of a received answer
inline constexpr size_t kMaxNameLength = 255;  // wire length, length bytes included
inline constexpr size_t kMaxLabelLength = 63;
inline constexpr int kMaxPointers = 128;  // compression pointers followed in one name

// four decimal numbers of at most 255, separated by single dots, nothing
// else; leading zeros allowed
bool ParseIPv4(const std::string& text, uint32_t* address);
// the dotted text into buffer; null when size is below 16
const char* FormatIPv4(uint32_t address, char* buffer, size_t size);
std::string FormatIPv4(uint32_t address);

// the name at `position` of the message as dotted text; consumed is the
// number of bytes the name occupies at position. Nothing when the name is
// malformed: running past the message, a pointer that does not point before
// the labels it ends, more than kMaxPointers pointers, a label over 63 bytes
// or of the reserved kinds 0x40/0x80, a name over 255 bytes.
std::optional<std::string> ReadName(const uint8_t* message,
                                    size_t size,
                                    size_t position,
                                    size_t* consumed);

// the A query for host with the given id; empty when host cannot be encoded
// (an empty label, a label over 63 bytes, a name over 255 bytes). One
// trailing dot is allowed.
std::string BuildDnsQuery(const std::string& host, uint16_t id);

// reads the answer to a query of queryLength bytes (its answers start right
// after the echoed question) and appends the addresses of its A records,
// at most kMaxAddresses answers looked at. 0 when at least one address was
// found, -1 otherwise; a malformed answer yields no address at all.
int ParseDnsAnswer(const uint8_t* message, size_t size, size_t queryLength, AddressList* out);

}  // namespace orvane
