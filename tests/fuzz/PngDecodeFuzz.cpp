// A skin picture from the per-run folder, which a user can write to.
#include <cstddef>
#include <cstdint>

#include "ui/PngDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orvane::DecodedPng png;
  if (orvane::DecodePng(data, size, &png) != orvane::PngResult::kDecoded) {
    if (!png.pixels.empty()) __builtin_trap();
    return 0;
  }
  if (png.width <= 0 || png.height <= 0 ||
      int64_t{png.width} * png.height > orvane::kMaxPngPixels ||
      png.pixels.size() != static_cast<size_t>(png.width) * static_cast<size_t>(png.height))
    __builtin_trap();
  return 0;
}
