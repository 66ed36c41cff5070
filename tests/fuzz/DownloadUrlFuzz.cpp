// URLs from the package-info answer and Location values from download
// servers: split them, resolve redirect targets against them, build the
// ranged request.
#include <cstddef>
#include <cstdint>
#include <string>

#include "download/DownloadRules.h"
#include "platform/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t cut = input.find('\n');
  std::string url = input.substr(0, cut);
  std::string target = cut == std::string::npos ? std::string() : input.substr(cut + 1);
  try {
    orvane::UrlParts parts = orvane::SplitUrl(url);
    if (parts.host.empty() || parts.path.empty() || parts.path[0] != '/') __builtin_trap();
    std::string next = orvane::ResolveLocation(parts, target);
    std::string request = orvane::BuildRangeRequest(parts, 0, 1);
    if (request.compare(0, 4, "GET ") != 0) __builtin_trap();
    orvane::SplitUrl(next);
  } catch (const orvane::Error&) {
  }
  return 0;
}
