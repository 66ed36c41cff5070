// The content of the download peers' files (tests/peers/pattern.py).
#pragma once

#include <cstdint>
#include <string>

namespace orvane::test {

inline std::string Pattern(int64_t size) {
  std::string s(static_cast<size_t>(size), '\0');
  for (int64_t i = 0; i < size; ++i) {
    s[static_cast<size_t>(i)] =
        static_cast<char>(((static_cast<uint64_t>(i) * 2654435761ULL) >> 13) & 0xFF);
  }
  return s;
}

}  // namespace orvane::test
