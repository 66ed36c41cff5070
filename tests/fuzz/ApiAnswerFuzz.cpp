// What the vendor API answers: the package, welcome, installer configuration
// and conversion answers, and the picture address in the configuration.
// Failures are exceptions; anything else (a crash, a leak, a hang) is a bug.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

#include "server/ApiAnswer.h"
#include "server/InstallerConfig.h"

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
  // the configuration never throws; the address of its picture is clean
  const std::string url = orvane::ReadInstallerConfigAnswer(body);
  for (const std::string& text : {url, body}) {
    if (auto a = orvane::SplitPictureAddress(text)) {
      if (a->host.empty() || a->port == 0 || a->path.empty() || a->path[0] != '/') __builtin_trap();
      for (unsigned char c : a->host + a->path) {
        if (c <= 0x20 || c == 0x7F) __builtin_trap();
      }
    }
  }
  try {
    orvane::CheckConversionAnswer(body);
  } catch (const std::exception&) {
  }
  return 0;
}
