// Helpers of the network tests: the loopback peers' files (tests/peers), the
// failure text of a call, elapsed time.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "platform/Error.h"

namespace orvane::test {

// nginx-peer's files
inline const std::string kSmallTxt = "hello from the cdn\n";
inline std::string BigBin() {
  std::string s(300000, '\0');
  for (size_t i = 0; i < s.size(); ++i)
    s[i] = static_cast<char>(i % 251);
  return s;
}

// the text of the failure fn throws, or "" when it does not throw
inline std::string FailureOf(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const Error& e) {
    return e.what();
  }
  return "";
}

inline double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace orvane::test
