// What the banner accepts of an animated picture from the network. The
// bytes are walked here, bounded, before GDI+ sees any of them: GDI+ is not
// a decoder to hand hostile input to. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvane {

struct GifLimits {
  size_t maxBytes = 4u << 20;           // the whole file
  uint32_t maxSide = 4096;              // canvas width and height
  uint64_t maxPixels = 2048u * 2048u;   // canvas width x height: what one decoded frame costs
  uint64_t maxFramePixels = 32u << 20;  // all frames' areas together: the decoding work of a loop
  uint32_t maxFrames = 300;
  uint32_t maxDelay = 6000;  // hundredths of a second: a minute
};

enum class GifVerdict {
  kOk,
  kTooLarge,   // more bytes than maxBytes
  kNotGif,     // no GIF87a / GIF89a header
  kTruncated,  // ends inside a block, or before the trailer
  kBadCanvas,  // zero or oversized canvas
  kBadFrame,   // a frame outside the canvas, of zero size, without colours
               // or with an impossible code size
  kNoFrames,
  kTooManyFrames,  // more than maxFrames, or more decoding work than maxFramePixels
  kBadDelay,       // a frame of an animation with a delay of 0 or above maxDelay
};

struct GifFacts {
  uint32_t width = 0;
  uint32_t height = 0;
  // one per frame, hundredths of a second; 0 when the frame has no delay
  std::vector<uint32_t> delays;
};

// walks every block of the file; facts are filled as far as the walk got
GifVerdict ScanGif(const uint8_t* data, size_t size, const GifLimits& limits, GifFacts* facts);

// the timing rule alone, for what the decoder reports: one frame needs no
// delay; every frame of an animation needs 1 to maxDelay hundredths, so
// that the frame loop neither spins nor stalls
GifVerdict CheckMovieTiming(const std::vector<uint32_t>& delays, const GifLimits& limits);

const char* GifVerdictText(GifVerdict verdict);

}  // namespace orvane
