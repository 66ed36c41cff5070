// The head of a download server's answer to a ranged GET, and its
// Content-Range, as a worker reads them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "download/DownloadRules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  // the first byte picks the asked offset
  int64_t asked = data[0] * 1000;
  std::string head(reinterpret_cast<const char*>(data + 1), size - 1);
  orvane::RangeAnswer a = orvane::ReadRangeAnswer(head, asked);
  if (a.kind == orvane::RangeAnswer::kData && a.status != 206) __builtin_trap();
  if (a.kind == orvane::RangeAnswer::kRedirect && (a.status < 300 || a.status > 399))
    __builtin_trap();
  int64_t first = 0, last = 0;
  if (orvane::ParseContentRange(head, &first, &last) && (first < 0 || first > last))
    __builtin_trap();
  std::vector<std::string> lines;
  lines.push_back(head);
  orvane::FileNameFromHeaders(lines);
  orvane::ContentLengthFromHeaders(lines);
  return 0;
}
