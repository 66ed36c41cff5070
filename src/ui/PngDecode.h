// Decoding the skin's PNG files without the system's imaging codecs,
// platform-free.
//
// Under Wine the first picture GDI+ decodes loads and sets up the imaging
// component, 15 to 20 ms of the first page's start-up. The skin's files are
// all 8-bit truecolour or greyscale, with or without alpha, not interlaced:
// that is what this reads, and it says so for anything else, which is left
// to GDI+. The files come from a folder a user can write to, so every
// length, size and byte is checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvane {

struct DecodedPng {
  int32_t width = 0;
  int32_t height = 0;
  // 0xAARRGGBB, straight alpha, rows top first (GDI+'s 32bppARGB)
  std::vector<uint32_t> pixels;
};

enum class PngResult {
  kDecoded,
  kUnsupported,  // a PNG this does not read (palette, 16 bits, interlaced, ...)
  kBroken,       // not a PNG, or a damaged one
};

// at most this many pixels (64 MiB decoded), and 16384 on a side
constexpr int64_t kMaxPngPixels = int64_t{16} << 20;

PngResult DecodePng(const uint8_t* data, size_t size, DecodedPng* out);

}  // namespace orvane
