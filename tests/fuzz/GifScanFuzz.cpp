// A GIF from the network, as the banner checks it before GDI+ sees it.
#include <cstddef>
#include <cstdint>

#include "ui/GifScan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orvane::GifLimits limits;
  orvane::GifFacts facts;
  const orvane::GifVerdict v = orvane::ScanGif(data, size, limits, &facts);
  if (v != orvane::GifVerdict::kOk) return 0;
  // what passes must keep every promise the banner relies on
  if (facts.width == 0 || facts.height == 0 || facts.width > limits.maxSide ||
      facts.height > limits.maxSide || uint64_t{facts.width} * facts.height > limits.maxPixels)
    __builtin_trap();
  if (facts.delays.empty() || facts.delays.size() > limits.maxFrames) __builtin_trap();
  if (facts.delays.size() > 1) {
    for (uint32_t d : facts.delays) {
      if (d == 0 || d > limits.maxDelay) __builtin_trap();
    }
  }
  return 0;
}
