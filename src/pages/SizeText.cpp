#include "pages/SizeText.h"

#include <cstdio>

namespace orvane {

std::wstring SizeText(double bytes) {
  constexpr double kKiB = 1024.0;
  constexpr double kMiB = kKiB * 1024;
  constexpr double kGiB = kMiB * 1024;
  constexpr double kTiB = kGiB * 1024;
  double value = bytes;
  const char* unit = "B";
  if (bytes >= kTiB) {
    value = bytes / kTiB;
    unit = "TB";
  } else if (bytes >= kGiB) {
    value = bytes / kGiB;
    unit = "GB";
  } else if (bytes >= kMiB) {
    value = bytes / kMiB;
    unit = "MB";
  } else if (bytes > kKiB) {
    value = bytes / kKiB;
    unit = "KB";
  }
  // narrow formatting, so that the text is the same on every platform
  char text[32];
  std::snprintf(text, sizeof(text), "%.1f %s", value, unit);
  return std::wstring(text, text + std::char_traits<char>::length(text));
}

}  // namespace orvane
