// The own resolver's answer parser: a datagram from the network. The first
// byte picks the length of the query the answer is read against, so that
// answers start at every offset; names are also read from every position.
#include <cstddef>
#include <cstdint>

#include "net/DnsMessage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  size_t queryLength = 12 + data[0] % 64;
  const uint8_t* message = data + 1;
  size_t length = size - 1;
  orvane::AddressList out;
  int rc = orvane::ParseDnsAnswer(message, length, queryLength, &out);
  if (rc == 0 && (out.count < 1 || out.count > orvane::kMaxAddresses)) __builtin_trap();
  if (rc != 0 && out.count != 0) __builtin_trap();
  for (size_t at = 0; at < length && at < 64; ++at) {
    size_t used = 0;
    auto name = orvane::ReadName(message, length, at, &used);
    if (name && (used < 1 || used > length - at || name->size() > orvane::kMaxNameLength))
      __builtin_trap();
  }
  return 0;
}
