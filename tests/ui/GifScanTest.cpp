// The banner's check of a GIF from the network, before any decoder sees it.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "ui/GifBytes.h"
#include "ui/GifScan.h"

namespace orvane {
namespace {

using test::Animation;
using test::GifFrame;
using test::GifSpec;
using test::MakeGif;

GifVerdict Scan(const std::string& bytes, GifFacts* facts, const GifLimits& limits = {}) {
  return ScanGif(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), limits, facts);
}

struct Case {
  const char* name;
  std::function<std::string()> bytes;
  GifVerdict verdict;
  size_t frames;  // counted before the verdict, when it is kOk
};

GifSpec With(GifSpec shape, const std::function<void(GifSpec&)>& change) {
  change(shape);
  return shape;
}

const Case kCases[] = {
    {"three frames with different delays",
     [] {
       GifSpec s = Animation(3, 10);
       s.frames[1].delay = 25;
       s.frames[2].delay = 50;
       return MakeGif(s);
     },
     GifVerdict::kOk, 3},
    {"one frame without any delay", [] { return MakeGif(Animation(1, 0)); }, GifVerdict::kOk, 1},
    {"one frame without a control block",
     [] { return MakeGif(With(Animation(1, 0), [](GifSpec& s) { s.frames[0].control = false; })); },
     GifVerdict::kOk, 1},
    {"frames with local colour tables only",
     [] {
       return MakeGif(With(Animation(2, 10), [](GifSpec& s) {
         s.globalTable = false;
         for (auto& f : s.frames)
           f.localTable = true;
       }));
     },
     GifVerdict::kOk, 2},
    {"a frame smaller than the canvas, inside it",
     [] {
       return MakeGif(With(Animation(2, 10), [](GifSpec& s) {
         s.frames[1].left = 2, s.frames[1].top = 1, s.frames[1].width = 6, s.frames[1].height = 3;
       }));
     },
     GifVerdict::kOk, 2},

    // the timing of an animation: a zero delay would spin the frame loop
    {"an animation with a zero delay",
     [] { return MakeGif(With(Animation(3, 10), [](GifSpec& s) { s.frames[2].delay = 0; })); },
     GifVerdict::kBadDelay, 0},
    {"an animation whose frames have no control block",
     [] {
       return MakeGif(With(Animation(2, 10), [](GifSpec& s) { s.frames[1].control = false; }));
     },
     GifVerdict::kBadDelay, 0},
    {"a delay of ten minutes", [] { return MakeGif(Animation(2, 60000)); }, GifVerdict::kBadDelay,
     0},
    {"the longest delay accepted", [] { return MakeGif(Animation(2, 6000)); }, GifVerdict::kOk, 2},

    // counts and sizes
    {"no frame at all", [] { return MakeGif(Animation(0, 10)); }, GifVerdict::kNoFrames, 0},
    {"301 frames", [] { return MakeGif(Animation(301, 10, 2, 2)); }, GifVerdict::kTooManyFrames, 0},
    {"300 frames", [] { return MakeGif(Animation(300, 10, 2, 2)); }, GifVerdict::kOk, 300},
    {"a canvas of 0 x 4", [] { return MakeGif(Animation(1, 10, 0, 4)); }, GifVerdict::kBadCanvas,
     0},
    {"a canvas of 65535 x 65535 (16 GiB decoded)",
     [] { return MakeGif(Animation(0, 10, 65535, 65535)); }, GifVerdict::kBadCanvas, 0},
    {"a canvas of 4096 x 2048: too many pixels",
     [] { return MakeGif(Animation(0, 10, 4096, 2048)); }, GifVerdict::kBadCanvas, 0},
    {"a frame reaching past the canvas",
     [] { return MakeGif(With(Animation(1, 10), [](GifSpec& s) { s.frames[0].left = 1; })); },
     GifVerdict::kBadFrame, 0},
    {"no colour table anywhere",
     [] { return MakeGif(With(Animation(1, 10), [](GifSpec& s) { s.globalTable = false; })); },
     GifVerdict::kBadFrame, 0},
    {"an LZW code size of 12",
     [] { return MakeGif(With(Animation(1, 10), [](GifSpec& s) { s.frames[0].codeSize = 12; })); },
     GifVerdict::kBadFrame, 0},

    // not a GIF, or cut short
    {"a PNG", [] { return std::string("\x89PNG\r\n\x1A\n", 8) + std::string(40, '\0'); },
     GifVerdict::kNotGif, 0},
    {"nothing", [] { return std::string(); }, GifVerdict::kNotGif, 0},
    {"the header alone", [] { return std::string("GIF89a"); }, GifVerdict::kTruncated, 0},
    {"without its trailer",
     [] { return MakeGif(With(Animation(2, 10), [](GifSpec& s) { s.trailer = false; })); },
     GifVerdict::kTruncated, 0},
    {"an unknown block",
     [] {
       std::string g = MakeGif(Animation(1, 10));
       g.insert(g.size() - 1, "\x99");
       return g;
     },
     GifVerdict::kBadFrame, 0},
};

TEST(GifScan, Cases) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    GifFacts facts;
    const std::string bytes = c.bytes();
    EXPECT_STREQ(GifVerdictText(Scan(bytes, &facts)), GifVerdictText(c.verdict));
    if (c.verdict == GifVerdict::kOk) EXPECT_EQ(facts.delays.size(), c.frames);
  }
}

TEST(GifScan, ReportsCanvasAndDelays) {
  GifSpec shape = Animation(3, 10, 40, 20);
  shape.frames[1].delay = 25;
  shape.frames[2].delay = 7;
  GifFacts facts;
  ASSERT_EQ(Scan(MakeGif(shape), &facts), GifVerdict::kOk);
  EXPECT_EQ(facts.width, 40u);
  EXPECT_EQ(facts.height, 20u);
  EXPECT_EQ(facts.delays, (std::vector<uint32_t>{10, 25, 7}));
}

// a zero-sized frame needs a descriptor the builder cannot make from 0
TEST(GifScan, FrameOfZeroWidthIsRefused) {
  std::string g = MakeGif(Animation(1, 10));
  const size_t descriptor = g.find('\x2C');
  ASSERT_NE(descriptor, std::string::npos);
  g[descriptor + 5] = 0;  // width, low byte
  g[descriptor + 6] = 0;
  GifFacts facts;
  EXPECT_EQ(Scan(g, &facts), GifVerdict::kBadFrame);
}

// every prefix of a good file is refused, none is read past its end
TEST(GifScan, EveryPrefixIsTruncated) {
  GifSpec shape = Animation(2, 10);
  shape.frames[1].localTable = true;
  const std::string whole = MakeGif(shape);
  GifFacts facts;
  ASSERT_EQ(Scan(whole, &facts), GifVerdict::kOk);
  for (size_t n = 0; n < whole.size(); ++n) {
    const std::string prefix = whole.substr(0, n);
    const GifVerdict v = Scan(prefix, &facts);
    EXPECT_TRUE(v == GifVerdict::kTruncated || v == GifVerdict::kNotGif) << n << " bytes";
  }
}

TEST(GifScan, TheByteLimitComesFirst) {
  const std::string gif = MakeGif(Animation(2, 10));
  GifLimits limits;
  limits.maxBytes = gif.size() - 1;
  GifFacts facts;
  EXPECT_EQ(Scan(gif, &facts, limits), GifVerdict::kTooLarge);
  limits.maxBytes = gif.size();
  EXPECT_EQ(Scan(gif, &facts, limits), GifVerdict::kOk);
}

// many small frames can still be a lot of decoding in all
TEST(GifScan, DecodingWorkIsBounded) {
  GifLimits limits;
  limits.maxFramePixels = 8 * 4 * 5;
  GifFacts facts;
  EXPECT_EQ(Scan(MakeGif(Animation(5, 10)), &facts, limits), GifVerdict::kOk);
  EXPECT_EQ(Scan(MakeGif(Animation(6, 10)), &facts, limits), GifVerdict::kTooManyFrames);
}

TEST(GifScan, TimingRuleForWhatTheDecoderReports) {
  const GifLimits limits;
  EXPECT_EQ(CheckMovieTiming({}, limits), GifVerdict::kNoFrames);
  EXPECT_EQ(CheckMovieTiming({0}, limits), GifVerdict::kOk);
  EXPECT_EQ(CheckMovieTiming({10, 0}, limits), GifVerdict::kBadDelay);
  EXPECT_EQ(CheckMovieTiming({10, 6001}, limits), GifVerdict::kBadDelay);
  EXPECT_EQ(CheckMovieTiming(std::vector<uint32_t>(301, 10), limits), GifVerdict::kTooManyFrames);
}

}  // namespace
}  // namespace orvane
