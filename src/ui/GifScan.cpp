#include "ui/GifScan.h"

// The GIF file, as far as the scan reads it (all numbers little-endian):
//
//   header            "GIF87a" | "GIF89a"                          6 bytes
//   screen            width u16, height u16, flags u8,            7 bytes
//                     background u8, aspect u8
//                     flags: 0x80 global colour table,
//                            0x07 n: the table has 2^(n+1) entries
//   [global table]    3 x 2^(n+1) bytes
//   blocks, until the trailer:
//     0x21 extension  label u8, then data sub-blocks
//          0xF9       graphic control: one sub-block of 4 bytes:
//                     flags u8, delay u16 (hundredths), transparent u8;
//                     its delay belongs to the next image
//     0x2C image      left u16, top u16, width u16, height u16, flags u8
//                     (0x80 local colour table, 0x07 its size as above)
//                     [local table], LZW code size u8 (2..8), data sub-blocks
//     0x3B trailer
//   data sub-blocks   (length u8 > 0, length bytes)*, 0x00

namespace orvane {

namespace {

// the scan's only way to read the bytes: every fetch checks what remains
class LittleEndianReader {
 public:
  LittleEndianReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool ReadU8(uint8_t* v) {
    if (size_ - offset_ < 1) return false;
    *v = data_[offset_++];
    return true;
  }
  bool ReadU16(uint16_t* v) {
    if (size_ - offset_ < 2) return false;
    *v = static_cast<uint16_t>(data_[offset_] | (data_[offset_ + 1] << 8));
    offset_ += 2;
    return true;
  }
  bool Skip(size_t n) {
    if (size_ - offset_ < n) return false;
    offset_ += n;
    return true;
  }
  bool Match(const char* text, size_t n) {
    if (size_ - offset_ < n) return false;
    for (size_t i = 0; i < n; ++i) {
      if (data_[offset_ + i] != static_cast<uint8_t>(text[i])) return false;
    }
    offset_ += n;
    return true;
  }
  // a chain of data sub-blocks up to its terminator; the first block is
  // copied to `first` (up to its size) when asked
  bool SkipSubBlocks(uint8_t* first = nullptr,
                     size_t firstSize = 0,
                     size_t* firstLength = nullptr) {
    bool isFirst = true;
    for (;;) {
      uint8_t length = 0;
      if (!ReadU8(&length)) return false;
      if (length == 0) return true;
      if (size_ - offset_ < length) return false;
      if (isFirst && first) {
        for (size_t i = 0; i < length && i < firstSize; ++i)
          first[i] = data_[offset_ + i];
        if (firstLength) *firstLength = length;
      }
      isFirst = false;
      offset_ += length;
    }
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t offset_ = 0;
};

size_t ColourTableBytes(uint8_t flags) {
  return 3u * (2u << (flags & 0x07));
}

}  // namespace

GifVerdict CheckMovieTiming(const std::vector<uint32_t>& delays, const GifLimits& limits) {
  if (delays.empty()) return GifVerdict::kNoFrames;
  if (delays.size() > limits.maxFrames) return GifVerdict::kTooManyFrames;
  if (delays.size() == 1) return GifVerdict::kOk;
  for (uint32_t d : delays) {
    if (d == 0 || d > limits.maxDelay) return GifVerdict::kBadDelay;
  }
  return GifVerdict::kOk;
}

GifVerdict ScanGif(const uint8_t* data, size_t size, const GifLimits& limits, GifFacts* facts) {
  *facts = GifFacts();
  if (size > limits.maxBytes) return GifVerdict::kTooLarge;
  if (!data) size = 0;
  LittleEndianReader in(data, size);
  if (!in.Match("GIF87a", 6) && !in.Match("GIF89a", 6)) return GifVerdict::kNotGif;

  uint16_t width = 0, height = 0;
  uint8_t flags = 0;
  if (!in.ReadU16(&width) || !in.ReadU16(&height) || !in.ReadU8(&flags) || !in.Skip(2))
    return GifVerdict::kTruncated;
  if (width == 0 || height == 0 || width > limits.maxSide || height > limits.maxSide ||
      uint64_t{width} * height > limits.maxPixels) {
    return GifVerdict::kBadCanvas;
  }
  facts->width = width;
  facts->height = height;
  const bool globalTable = (flags & 0x80) != 0;
  if (globalTable && !in.Skip(ColourTableBytes(flags))) return GifVerdict::kTruncated;

  uint32_t pendingDelay = 0;
  uint64_t framePixels = 0;
  for (;;) {
    uint8_t introducer = 0;
    if (!in.ReadU8(&introducer)) return GifVerdict::kTruncated;
    if (introducer == 0x3B) break;
    if (introducer == 0x21) {
      uint8_t label = 0;
      if (!in.ReadU8(&label)) return GifVerdict::kTruncated;
      uint8_t control[4] = {};
      size_t controlLength = 0;
      if (!in.SkipSubBlocks(control, sizeof(control), &controlLength))
        return GifVerdict::kTruncated;
      if (label == 0xF9 && controlLength >= 4) {
        pendingDelay = static_cast<uint32_t>(control[1] | (control[2] << 8));
      }
      continue;
    }
    if (introducer != 0x2C) return GifVerdict::kBadFrame;

    uint16_t left = 0, top = 0, w = 0, h = 0;
    uint8_t imageFlags = 0, codeSize = 0;
    if (!in.ReadU16(&left) || !in.ReadU16(&top) || !in.ReadU16(&w) || !in.ReadU16(&h) ||
        !in.ReadU8(&imageFlags)) {
      return GifVerdict::kTruncated;
    }
    if (w == 0 || h == 0 || uint32_t{left} + w > width || uint32_t{top} + h > height)
      return GifVerdict::kBadFrame;
    const bool localTable = (imageFlags & 0x80) != 0;
    if (!globalTable && !localTable) return GifVerdict::kBadFrame;
    if (localTable && !in.Skip(ColourTableBytes(imageFlags))) return GifVerdict::kTruncated;
    if (!in.ReadU8(&codeSize)) return GifVerdict::kTruncated;
    if (codeSize < 2 || codeSize > 8) return GifVerdict::kBadFrame;
    if (!in.SkipSubBlocks()) return GifVerdict::kTruncated;

    if (facts->delays.size() >= limits.maxFrames) return GifVerdict::kTooManyFrames;
    framePixels += uint64_t{w} * h;
    if (framePixels > limits.maxFramePixels) return GifVerdict::kTooManyFrames;
    facts->delays.push_back(pendingDelay);
    pendingDelay = 0;
  }
  return CheckMovieTiming(facts->delays, limits);
}

const char* GifVerdictText(GifVerdict verdict) {
  switch (verdict) {
    case GifVerdict::kOk:
      return "ok";
    case GifVerdict::kTooLarge:
      return "too large";
    case GifVerdict::kNotGif:
      return "not a GIF";
    case GifVerdict::kTruncated:
      return "truncated";
    case GifVerdict::kBadCanvas:
      return "bad canvas";
    case GifVerdict::kBadFrame:
      return "bad frame";
    case GifVerdict::kNoFrames:
      return "no frames";
    case GifVerdict::kTooManyFrames:
      return "too many frames";
    case GifVerdict::kBadDelay:
      return "bad delay";
  }
  return "?";
}

}  // namespace orvane
