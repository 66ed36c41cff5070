#include "ui/PixelResample.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace orvane {

namespace {

constexpr int32_t kMaxSide = 16384;
// eight bits of weight: two channels of a pixel then share one 32-bit
// multiply-add without reaching into each other (255 * 256 fits in 16 bits)
constexpr int kWeightBits = 8;
constexpr int32_t kWeightOne = 1 << kWeightBits;

// the source pixels one target pixel of an axis is made of, with weights
// that add up to exactly kWeightOne
struct Taps {
  int32_t first = 0;  // index of weights[0] in the source
  std::vector<int32_t> weights;
};

std::vector<Taps> AxisTaps(int32_t from, int32_t to) {
  std::vector<Taps> axis(static_cast<size_t>(to));
  const double ratio = static_cast<double>(from) / to;
  // half the tent's width in source pixels: one pixel when enlarging, the
  // target pixel's footprint when shrinking
  const double radius = std::max(1.0, ratio);
  for (int32_t i = 0; i < to; ++i) {
    const double centre = (i + 0.5) * ratio - 0.5;
    const int32_t low = static_cast<int32_t>(std::floor(centre - radius)) + 1;
    const int32_t high = static_cast<int32_t>(std::ceil(centre + radius)) - 1;
    // beyond the edges the edge pixel stands in: its weights add up there
    const int32_t first = std::max(0, low);
    const int32_t last = std::min(from - 1, high);
    std::vector<double> w(static_cast<size_t>(last - first + 1), 0.0);
    double total = 0;
    for (int32_t j = low; j <= high; ++j) {
      const double weight = 1.0 - std::fabs(j - centre) / radius;
      if (weight <= 0) continue;
      w[static_cast<size_t>(std::min(last, std::max(first, j)) - first)] += weight;
      total += weight;
    }
    Taps& taps = axis[static_cast<size_t>(i)];
    taps.first = first;
    taps.weights.resize(w.size());
    int32_t sum = 0;
    size_t heaviest = 0;
    for (size_t k = 0; k < w.size(); ++k) {
      taps.weights[k] = static_cast<int32_t>(std::lround(w[k] / total * kWeightOne));
      sum += taps.weights[k];
      if (taps.weights[k] > taps.weights[heaviest]) heaviest = k;
    }
    // rounding must not tint a plain colour: the rest goes to the heaviest
    taps.weights[heaviest] += kWeightOne - sum;
  }
  return axis;
}

// one target pixel from the source pixels `step` apart that the taps name
inline uint32_t Blend(const uint32_t* p, std::ptrdiff_t step, const Taps& taps) {
  // channels 0 and 2 in one sum, 1 and 3 in the other, each in 16 bits
  uint32_t even = 0x00800080, odd = 0x00800080;
  for (size_t k = 0; k < taps.weights.size(); ++k, p += step) {
    const uint32_t w = static_cast<uint32_t>(taps.weights[k]);
    const uint32_t v = *p;
    even += (v & 0x00FF00FF) * w;
    odd += ((v >> 8) & 0x00FF00FF) * w;
  }
  return ((even >> kWeightBits) & 0x00FF00FF) | (odd & 0xFF00FF00);
}

}  // namespace

bool ResamplePixels(const uint32_t* src,
                    int32_t srcWidth,
                    int32_t srcHeight,
                    int32_t srcStride,
                    uint32_t* dst,
                    int32_t dstWidth,
                    int32_t dstHeight) {
  if (!src || !dst || srcWidth <= 0 || srcHeight <= 0 || dstWidth <= 0 || dstHeight <= 0 ||
      srcStride < srcWidth || srcWidth > kMaxSide || srcHeight > kMaxSide ||
      dstWidth > kMaxSide || dstHeight > kMaxSide) {
    return false;
  }
  const std::vector<Taps> across = AxisTaps(srcWidth, dstWidth);
  const std::vector<Taps> down = AxisTaps(srcHeight, dstHeight);
  // rows first, into a picture of the target's width and the source's height
  std::vector<uint32_t> rows(static_cast<size_t>(dstWidth) * static_cast<size_t>(srcHeight));
  for (int32_t y = 0; y < srcHeight; ++y) {
    const uint32_t* in = src + static_cast<std::ptrdiff_t>(y) * srcStride;
    uint32_t* out = rows.data() + static_cast<std::ptrdiff_t>(y) * dstWidth;
    for (int32_t x = 0; x < dstWidth; ++x) {
      const Taps& t = across[static_cast<size_t>(x)];
      out[x] = Blend(in + t.first, 1, t);
    }
  }
  for (int32_t y = 0; y < dstHeight; ++y) {
    const Taps& t = down[static_cast<size_t>(y)];
    const uint32_t* in = rows.data() + static_cast<std::ptrdiff_t>(t.first) * dstWidth;
    uint32_t* out = dst + static_cast<std::ptrdiff_t>(y) * dstWidth;
    for (int32_t x = 0; x < dstWidth; ++x)
      out[x] = Blend(in + x, dstWidth, t);
  }
  return true;
}

bool FlattenOnto(const uint32_t* src,
                 int32_t width,
                 int32_t height,
                 int32_t srcStride,
                 uint32_t backdrop,
                 uint32_t* dst) {
  if (!src || !dst || width <= 0 || height <= 0 || srcStride < width) return false;
  const uint32_t backEven = backdrop & 0x00FF00FF;
  const uint32_t backOdd = (backdrop >> 8) & 0x000000FF;
  const uint32_t back = 0xFF000000 | backdrop;
  for (int32_t y = 0; y < height; ++y) {
    const uint32_t* in = src + static_cast<std::ptrdiff_t>(y) * srcStride;
    uint32_t* out = dst + static_cast<std::ptrdiff_t>(y) * width;
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t v = in[x];
      const uint32_t a = v >> 24;
      // most pixels of a decoration over a page are one or the other
      if (a == 0xFF) {
        out[x] = v;
        continue;
      }
      if (a == 0) {
        out[x] = back;
        continue;
      }
      // red and blue share one multiply, green has its own; each sum is at
      // most 255 * 255, and (s + 128 + ((s + 128) >> 8)) >> 8 is s / 255
      // rounded
      uint32_t even = (v & 0x00FF00FF) * a + backEven * (255 - a) + 0x00800080;
      even = ((even + ((even >> 8) & 0x00FF00FF)) >> 8) & 0x00FF00FF;
      uint32_t odd = ((v >> 8) & 0xFF) * a + backOdd * (255 - a) + 0x80;
      odd = (odd + (odd >> 8)) >> 8;
      out[x] = 0xFF000000 | even | (odd << 8);
    }
  }
  return true;
}

}  // namespace orvane
