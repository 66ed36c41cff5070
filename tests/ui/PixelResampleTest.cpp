#include "ui/PixelResample.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace orvane {
namespace {

using Pixels = std::vector<uint32_t>;

Pixels Resampled(const Pixels& src, int32_t w, int32_t h, int32_t dw, int32_t dh) {
  Pixels dst(static_cast<size_t>(dw) * dh, 0xDEADBEEF);
  EXPECT_TRUE(ResamplePixels(src.data(), w, h, w, dst.data(), dw, dh));
  return dst;
}

uint32_t Channel(uint32_t pixel, int index) {
  return (pixel >> (8 * index)) & 0xFF;
}

TEST(PixelResample, OneColourStaysExactlyThatColourAtEverySize) {
  struct Case {
    int32_t w, h, dw, dh;
  } sizes[] = {
      {900, 600, 600, 400},  // the background at a display ratio of 1
      {900, 600, 1050, 700}, // enlarged
      {7, 5, 3, 2},          // shrunk by odd factors
      {3, 3, 10, 1},
      {1, 1, 4, 4},
      {20, 20, 13, 13},
  };
  for (uint32_t colour : {0xFF2F6BFFu, 0x80402010u, 0x00000000u, 0xFFFFFFFFu}) {
    for (const auto& s : sizes) {
      SCOPED_TRACE(testing::Message() << s.w << "x" << s.h << " to " << s.dw << "x" << s.dh
                                      << " colour " << std::hex << colour);
      Pixels dst = Resampled(Pixels(static_cast<size_t>(s.w) * s.h, colour), s.w, s.h, s.dw,
                             s.dh);
      for (uint32_t p : dst)
        ASSERT_EQ(p, colour);
    }
  }
}

TEST(PixelResample, SameSizeIsACopy) {
  Pixels src(6 * 4);
  for (size_t i = 0; i < src.size(); ++i)
    src[i] = static_cast<uint32_t>(i * 0x01030507u);
  EXPECT_EQ(Resampled(src, 6, 4, 6, 4), src);
}

TEST(PixelResample, HalvingAveragesNeighbours) {
  // a black and white checkerboard halved is an even grey everywhere
  Pixels checker(8 * 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      checker[static_cast<size_t>(y * 8 + x)] = (x + y) % 2 ? 0xFFFFFFFF : 0xFF000000;
  for (uint32_t p : Resampled(checker, 8, 8, 4, 4)) {
    for (int c = 0; c < 3; ++c)
      EXPECT_NEAR(static_cast<int>(Channel(p, c)), 128, 16) << std::hex << p;
    EXPECT_EQ(Channel(p, 3), 255u);
  }
  // red and blue columns mix to purple; no green comes from nowhere
  Pixels stripes(8 * 2);
  for (size_t i = 0; i < stripes.size(); ++i)
    stripes[i] = i % 2 ? 0xFFFF0000 : 0xFF0000FF;
  for (uint32_t p : Resampled(stripes, 8, 2, 4, 1)) {
    EXPECT_NEAR(static_cast<int>(Channel(p, 0)), 128, 40) << std::hex << p;
    EXPECT_EQ(Channel(p, 1), 0u);
    EXPECT_NEAR(static_cast<int>(Channel(p, 2)), 128, 40) << std::hex << p;
  }
}

TEST(PixelResample, ShrinkingKeepsAThinLine) {
  // a one-pixel line in a 9-pixel row shrunk to 3: nearest sampling could
  // miss it, an area average cannot
  for (int at = 0; at < 9; ++at) {
    SCOPED_TRACE(at);
    Pixels src(9, 0xFF000000);
    src[static_cast<size_t>(at)] = 0xFFFFFFFF;
    const Pixels dst = Resampled(src, 9, 1, 3, 1);
    uint32_t brightest = 0;
    for (uint32_t p : dst)
      brightest = std::max(brightest, Channel(p, 0));
    EXPECT_GE(brightest, 40u);
  }
}

TEST(PixelResample, PremultipliedColourNeverExceedsItsAlpha) {
  // opaque white beside fully transparent: every blend stays a valid
  // premultiplied pixel
  Pixels src(10 * 10, 0);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 5; ++x)
      src[static_cast<size_t>(y * 10 + x)] = 0xFFFFFFFF;
  for (int32_t dw : {3, 7, 13, 29}) {
    for (uint32_t p : Resampled(src, 10, 10, dw, dw)) {
      for (int c = 0; c < 3; ++c)
        ASSERT_LE(Channel(p, c), Channel(p, 3)) << std::hex << p;
    }
  }
}

TEST(PixelResample, StrideSkipsTheRowsPadding) {
  // 2 x 2 pixels in rows of 3, the third a marker that must not leak in
  const uint32_t g = 0xFF00FF00, x = 0xFFFF00FF;
  const Pixels src = {g, g, x,  //
                      g, g, x};
  Pixels dst(4 * 4);
  ASSERT_TRUE(ResamplePixels(src.data(), 2, 2, 3, dst.data(), 4, 4));
  for (uint32_t p : dst)
    EXPECT_EQ(p, g);
}

TEST(PixelResample, RefusesWhatItCannotDo) {
  const Pixels src(4, 0xFFFFFFFF);
  Pixels dst(4, 0x12345678);
  struct Case {
    const char* why;
    const uint32_t* src;
    int32_t w, h, stride, dw, dh;
    uint32_t* dst;
  } cases[] = {
      {"no source", nullptr, 2, 2, 2, 2, 2, dst.data()},
      {"no target", src.data(), 2, 2, 2, 2, 2, nullptr},
      {"empty source", src.data(), 0, 2, 2, 2, 2, dst.data()},
      {"empty target", src.data(), 2, 2, 2, 2, 0, dst.data()},
      {"negative size", src.data(), 2, -2, 2, 2, 2, dst.data()},
      {"stride shorter than a row", src.data(), 2, 2, 1, 2, 2, dst.data()},
      {"target too wide", src.data(), 2, 2, 2, 16385, 1, dst.data()},
      {"source too tall", src.data(), 2, 16385, 2, 2, 2, dst.data()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_FALSE(ResamplePixels(c.src, c.w, c.h, c.stride, c.dst, c.dw, c.dh));
    for (uint32_t p : dst)
      EXPECT_EQ(p, 0x12345678u);
  }
}

// what laying c with alpha a on b gives, in doubles
uint32_t FlatChannel(uint32_t c, uint32_t a, uint32_t b) {
  return static_cast<uint32_t>((c * a + b * (255.0 - a)) / 255.0 + 0.5);
}

TEST(FlattenOnto, EveryAlphaRoundsAsTheFormulaSays) {
  const uint32_t levels[] = {0, 1, 2, 64, 127, 128, 200, 254, 255};
  for (uint32_t a = 0; a <= 255; ++a) {
    for (uint32_t c : levels) {
      for (uint32_t b : levels) {
        // each channel with its own colour and backdrop value, so that the
        // shared multiplies cannot mix them up
        const uint32_t src = (a << 24) | (c << 16) | ((255 - c) << 8) | (c / 2);
        const uint32_t backdrop = 0xFF000000 | ((255 - b) << 16) | (b << 8) | (b / 3);
        uint32_t out = 0;
        ASSERT_TRUE(FlattenOnto(&src, 1, 1, 1, backdrop, &out));
        const uint32_t want = 0xFF000000 | (FlatChannel(c, a, 255 - b) << 16) |
                              (FlatChannel(255 - c, a, b) << 8) | FlatChannel(c / 2, a, b / 3);
        ASSERT_EQ(out, want) << std::hex << "src " << src << " backdrop " << backdrop;
      }
    }
  }
}

TEST(FlattenOnto, RowsFollowTheStrideAndNothingElseIsWritten) {
  // a 2 x 2 picture in rows of 3, the third pixel of each row not its own
  const Pixels src = {0xFF102030, 0x00FFFFFF, 0xDEADBEEF,  //
                      0x80FF0000, 0xFF000000, 0xDEADBEEF};
  Pixels dst(5, 0x12345678);
  ASSERT_TRUE(FlattenOnto(src.data(), 2, 2, 3, 0xFF0000FF, dst.data()));
  EXPECT_EQ(dst, (Pixels{0xFF102030, 0xFF0000FF, 0xFF80007F, 0xFF000000, 0x12345678}));

  struct Case {
    const char* why;
    const uint32_t* src;
    int32_t w, h, stride;
    uint32_t* dst;
  } refused[] = {
      {"no source", nullptr, 2, 2, 3, dst.data()},
      {"no target", src.data(), 2, 2, 3, nullptr},
      {"empty", src.data(), 0, 2, 3, dst.data()},
      {"negative height", src.data(), 2, -1, 3, dst.data()},
      {"stride shorter than a row", src.data(), 2, 2, 1, dst.data()},
  };
  Pixels untouched(5, 0x12345678);
  for (const auto& c : refused) {
    SCOPED_TRACE(c.why);
    EXPECT_FALSE(
        FlattenOnto(c.src, c.w, c.h, c.stride, 0xFF0000FF, c.dst ? untouched.data() : nullptr));
    EXPECT_EQ(untouched, Pixels(5, 0x12345678));
  }
}

}  // namespace
}  // namespace orvane
