// What the HTTP client reads from a server: the response head, chunk-size
// lines and a proxy's answer to CONNECT, fed byte by byte as the client does.
#include <cstddef>
#include <cstdint>
#include <string>

#include "net/HttpWire.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  orvane::HeadScanner head;
  size_t at = 0;
  while (at < input.size() && !head.Add(input[at]))
    ++at;
  if (head.text().size() > orvane::kMaxHeadBytes) __builtin_trap();
  orvane::ResponseHead parsed = orvane::ParseHead(head.text());
  if (parsed.status.size() > 3) __builtin_trap();
  orvane::TunnelOpened(input);

  // the rest as a chunked body
  size_t pos = head.text().size();
  int lines = 0;
  while (pos < input.size() && lines++ < 1000) {
    orvane::ChunkLineScanner line;
    while (pos < input.size() && !line.Add(input[pos++])) {
    }
    if (line.text().size() > orvane::kMaxChunkLineBytes) __builtin_trap();
    int64_t n = orvane::ParseChunkSize(line.text());
    if (n > INT32_MAX || n < -1) __builtin_trap();
    if (n > 0)
      pos +=
          static_cast<size_t>(n) < input.size() - pos ? static_cast<size_t>(n) : input.size() - pos;
  }
  return 0;
}
