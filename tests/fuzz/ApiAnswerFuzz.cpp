// What the vendor API answers: the package, welcome and conversion answers.
// Failures are exceptions; anything else (a crash, a leak, a hang) is a bug.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

#include "server/ApiAnswer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string body(reinterpret_cast<const char*>(data), size);
  try {
    orvane::PackageRecord r = orvane::ReadPackageAnswer(body, size % 2 == 0);
    if (r.size == 0 || r.installationSize == 0 || r.urls.size() > 1) __builtin_trap();
  } catch (const std::exception&) {
  }
  try {
    orvane::ReadWelcomeAnswer(body);
  } catch (const std::exception&) {
  }
  try {
    orvane::CheckConversionAnswer(body);
  } catch (const std::exception&) {
  }
  return 0;
}
