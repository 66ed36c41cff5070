// The rules that read the installer's own file name and version, and the
// install path that the user types.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/StartupRules.h"
#include "platform/PathRules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string stem = orvane::PackageStem(text);
  if (stem.size() > text.size()) __builtin_trap();
  std::string channel = orvane::ChannelFromStem(stem);
  if (channel.size() > 8) __builtin_trap();
  orvane::ChannelFromProductVersion(text, channel);

  std::wstring wide(text.begin(), text.end());
  orvane::IsValidInstallPath(wide);
  orvane::ExtensionOf(wide);
  orvane::AppendBackslash(wide);
  return 0;
}
