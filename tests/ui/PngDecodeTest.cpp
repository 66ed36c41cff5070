#include "ui/PngDecode.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace orvane {
namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes* b, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8)
    b->push_back(static_cast<uint8_t>(v >> shift));
}

void Chunk(Bytes* png, const char* type, const Bytes& body, bool goodCrc = true) {
  Put32(png, static_cast<uint32_t>(body.size()));
  Bytes typed(type, type + 4);
  typed.insert(typed.end(), body.begin(), body.end());
  png->insert(png->end(), typed.begin(), typed.end());
  const uint32_t crc =
      static_cast<uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size())));
  Put32(png, goodCrc ? crc : crc ^ 1);
}

Bytes Deflate(const Bytes& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  Bytes out(size);
  compress(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
  out.resize(size);
  return out;
}

struct Image {
  uint32_t width = 2, height = 2;
  uint8_t depth = 8, colour = 6, interlace = 0;
  Bytes raw;  // filtered rows, each after its filter byte
};

Bytes Header(const Image& im) {
  Bytes h;
  Put32(&h, im.width);
  Put32(&h, im.height);
  h.insert(h.end(), {im.depth, im.colour, 0, 0, im.interlace});
  return h;
}

Bytes Encode(const Image& im, size_t split = 0) {
  Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  Chunk(&png, "IHDR", Header(im));
  const Bytes data = Deflate(im.raw);
  // the data split over two chunks at `split`
  if (split && split < data.size()) {
    Chunk(&png, "IDAT", Bytes(data.begin(), data.begin() + split));
    Chunk(&png, "IDAT", Bytes(data.begin() + split, data.end()));
  } else {
    Chunk(&png, "IDAT", data);
  }
  Chunk(&png, "IEND", {});
  return png;
}

PngResult Decode(const Bytes& png, DecodedPng* out) {
  return DecodePng(png.data(), png.size(), out);
}

TEST(PngDecode, EveryColourTypeAndFilterGivesStraightArgb) {
  // a 2 x 2 picture in each colour type; its second row is filtered with
  // each of the five filters, against the first
  struct Case {
    uint8_t colour;
    Bytes rows[2];  // unfiltered pixels of the two rows
    std::vector<uint32_t> want;
  };
  const Case cases[] = {
      {0, {{0x10, 0xF0}, {0x80, 0x7F}}, {0xFF101010, 0xFFF0F0F0, 0xFF808080, 0xFF7F7F7F}},
      {2,
       {{1, 2, 3, 250, 251, 252}, {9, 8, 7, 200, 100, 0}},
       {0xFF010203, 0xFFFAFBFC, 0xFF090807, 0xFFC86400}},
      {4,
       {{0x20, 0x00, 0x40, 0xFF}, {0xFF, 0x80, 0x00, 0x01}},
       {0x00202020, 0xFF404040, 0x80FFFFFF, 0x01000000}},
      {6,
       {{1, 2, 3, 4, 250, 251, 252, 253}, {0, 0, 0, 0, 255, 128, 1, 77}},
       {0x04010203, 0xFDFAFBFC, 0x00000000, 0x4DFF8001}},
  };
  for (const Case& c : cases) {
    const size_t bpp = c.rows[0].size() / 2;
    for (uint8_t filter = 0; filter <= 4; ++filter) {
      SCOPED_TRACE("colour " + std::to_string(c.colour) + " filter " + std::to_string(filter));
      Image im;
      im.colour = c.colour;
      im.raw.push_back(0);
      im.raw.insert(im.raw.end(), c.rows[0].begin(), c.rows[0].end());
      im.raw.push_back(filter);
      const Bytes& up = c.rows[0];
      const Bytes& row = c.rows[1];
      for (size_t i = 0; i < row.size(); ++i) {
        const int left = i >= bpp ? row[i - bpp] : 0;
        const int corner = i >= bpp ? up[i - bpp] : 0;
        int predicted = 0;
        switch (filter) {
          case 1:
            predicted = left;
            break;
          case 2:
            predicted = up[i];
            break;
          case 3:
            predicted = (left + up[i]) / 2;
            break;
          case 4: {
            const int p = left + up[i] - corner;
            const int pa = std::abs(p - left), pb = std::abs(p - up[i]), pc = std::abs(p - corner);
            predicted = pa <= pb && pa <= pc ? left : pb <= pc ? up[i] : corner;
            break;
          }
        }
        im.raw.push_back(static_cast<uint8_t>(row[i] - predicted));
      }
      DecodedPng out;
      ASSERT_EQ(Decode(Encode(im, filter == 2 ? 3 : 0), &out), PngResult::kDecoded);
      EXPECT_EQ(out.width, 2);
      EXPECT_EQ(out.height, 2);
      EXPECT_EQ(out.pixels, c.want);
    }
  }
}

TEST(PngDecode, WhatItDoesNotReadIsLeftToTheSystemAndDamageIsRefused) {
  Image good;
  good.raw = {0, 1, 2, 3, 4, 5, 6, 7, 8, 0, 1, 2, 3, 4, 5, 6, 7, 8};
  DecodedPng out;
  ASSERT_EQ(Decode(Encode(good), &out), PngResult::kDecoded);

  auto variant = [&](auto change) {
    Image im = good;
    change(im);
    return Encode(im);
  };
  auto withChunkBefore = [&](const char* type, const Bytes& body) {
    Bytes png = Encode(good);
    Bytes extra;
    Chunk(&extra, type, body);
    png.insert(png.begin() + 8 + 25, extra.begin(), extra.end());  // after IHDR
    return png;
  };
  const Bytes full = Encode(good);
  Bytes badCrc(full.begin(), full.begin() + 33);
  Chunk(&badCrc, "IDAT", Deflate(good.raw), false);
  Chunk(&badCrc, "IEND", {});
  Bytes hugeLength = full;
  hugeLength[33] = 0x7F;  // the IDAT's length, past the end of the file
  Bytes split;            // the image data interrupted by another chunk
  {
    const Bytes data = Deflate(good.raw);
    split.assign(full.begin(), full.begin() + 33);
    Chunk(&split, "IDAT", Bytes(data.begin(), data.begin() + 4));
    Chunk(&split, "tEXt", {'a', 0, 'b'});
    Chunk(&split, "IDAT", Bytes(data.begin() + 4, data.end()));
    Chunk(&split, "IEND", {});
  }

  const struct {
    const char* why;
    Bytes png;
    PngResult want;
  } cases[] = {
      {"a text chunk is ignored", withChunkBefore("tEXt", {'k', 0, 'v'}), PngResult::kDecoded},
      {"a suggested palette is ignored", withChunkBefore("PLTE", {0, 0, 0}), PngResult::kDecoded},
      {"palette colours", variant([](Image& im) { im.colour = 3; }), PngResult::kUnsupported},
      {"16 bits", variant([](Image& im) { im.depth = 16; }), PngResult::kUnsupported},
      {"interlaced", variant([](Image& im) { im.interlace = 1; }), PngResult::kUnsupported},
      {"a transparent colour", withChunkBefore("tRNS", {0, 0}), PngResult::kUnsupported},
      {"an unknown chunk the image needs", withChunkBefore("ABCD", {}), PngResult::kUnsupported},
      {"too large to decode here", variant([](Image& im) { im.width = 16384, im.height = 16384; }),
       PngResult::kUnsupported},
      {"no signature", Bytes(full.begin() + 1, full.end()), PngResult::kBroken},
      {"only the signature", Bytes(full.begin(), full.begin() + 8), PngResult::kBroken},
      {"cut inside a chunk", Bytes(full.begin(), full.end() - 5), PngResult::kBroken},
      {"no end chunk", Bytes(full.begin(), full.end() - 12), PngResult::kBroken},
      {"a damaged checksum", badCrc, PngResult::kBroken},
      {"a length past the end", hugeLength, PngResult::kBroken},
      {"image data in two runs", split, PngResult::kBroken},
      {"zero width", variant([](Image& im) { im.width = 0; }), PngResult::kBroken},
      {"an unknown colour type", variant([](Image& im) { im.colour = 5; }), PngResult::kBroken},
      {"an unknown filter", variant([](Image& im) { im.raw[9] = 5; }), PngResult::kBroken},
      {"fewer rows than the header says", variant([](Image& im) { im.raw.resize(9); }),
       PngResult::kBroken},
      {"more data than the header says", variant([](Image& im) { im.raw.push_back(0); }),
       PngResult::kBroken},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    DecodedPng got;
    EXPECT_EQ(Decode(c.png, &got), c.want);
    if (c.want != PngResult::kDecoded) EXPECT_TRUE(got.pixels.empty());
  }
  EXPECT_EQ(DecodePng(nullptr, 0, &out), PngResult::kBroken);
}

}  // namespace
}  // namespace orvane
