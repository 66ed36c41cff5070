#include "ui/PngDecode.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>

namespace orvane {

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr uint32_t kMaxSide = 16384;
constexpr uint32_t kMaxChunk = 0x7FFFFFFF;

uint32_t Be32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

bool IsType(const uint8_t* type, const char* name) {
  return std::memcmp(type, name, 4) == 0;
}

// zlib's stream, ended however the decoding ends
class Inflater {
 public:
  Inflater() { ok_ = inflateInit(&z_) == Z_OK; }
  ~Inflater() {
    if (ok_) inflateEnd(&z_);
  }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;

  void SetOutput(uint8_t* out, size_t size) {
    z_.next_out = out;
    z_.avail_out = static_cast<uInt>(size);
  }
  // false when the data is damaged or more than the image holds
  bool Feed(const uint8_t* data, uint32_t size) {
    if (!ok_) return false;
    if (ended_) return size == 0;
    z_.next_in = const_cast<Bytef*>(data);
    z_.avail_in = size;
    while (z_.avail_in > 0) {
      const int r = inflate(&z_, Z_NO_FLUSH);
      if (r == Z_STREAM_END) {
        ended_ = true;
        return z_.avail_in == 0;
      }
      if (r != Z_OK) return false;
      if (z_.avail_out == 0 && z_.avail_in > 0) {
        // the output is full: only the stream's end may follow
        const int last = inflate(&z_, Z_NO_FLUSH);
        if (last != Z_STREAM_END || z_.avail_in > 0) return false;
        ended_ = true;
      }
    }
    return true;
  }
  // the stream ended exactly when the output was full
  bool Complete() const { return ok_ && ended_ && z_.avail_out == 0; }

 private:
  z_stream z_{};
  bool ok_ = false;
  bool ended_ = false;
};

inline uint8_t Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return static_cast<uint8_t>(a);
  return static_cast<uint8_t>(pb <= pc ? b : c);
}

// undoes a row's filter in place; prior is the unfiltered row above it
// (zeros above the first)
bool Unfilter(uint8_t type, uint8_t* row, const uint8_t* prior, size_t length, size_t bpp) {
  switch (type) {
    case 0:
      return true;
    case 1:
      for (size_t i = bpp; i < length; ++i)
        row[i] = static_cast<uint8_t>(row[i] + row[i - bpp]);
      return true;
    case 2:
      for (size_t i = 0; i < length; ++i)
        row[i] = static_cast<uint8_t>(row[i] + prior[i]);
      return true;
    case 3:
      for (size_t i = 0; i < length; ++i) {
        const int left = i >= bpp ? row[i - bpp] : 0;
        row[i] = static_cast<uint8_t>(row[i] + ((left + prior[i]) >> 1));
      }
      return true;
    case 4:
      for (size_t i = 0; i < length; ++i) {
        const int left = i >= bpp ? row[i - bpp] : 0;
        const int corner = i >= bpp ? prior[i - bpp] : 0;
        row[i] = static_cast<uint8_t>(row[i] + Paeth(left, prior[i], corner));
      }
      return true;
  }
  return false;
}

uint32_t Argb(const uint8_t* p, uint8_t colour) {
  switch (colour) {
    case 0:
      return 0xFF000000u | p[0] * 0x010101u;
    case 2:
      return 0xFF000000u | (static_cast<uint32_t>(p[0]) << 16) |
             (static_cast<uint32_t>(p[1]) << 8) | p[2];
    case 4:
      return (static_cast<uint32_t>(p[1]) << 24) | p[0] * 0x010101u;
    default:  // 6
      return (static_cast<uint32_t>(p[3]) << 24) | (static_cast<uint32_t>(p[0]) << 16) |
             (static_cast<uint32_t>(p[1]) << 8) | p[2];
  }
}

}  // namespace

PngResult DecodePng(const uint8_t* data, size_t size, DecodedPng* out) {
  if (!data || !out || size < sizeof(kSignature) ||
      std::memcmp(data, kSignature, sizeof(kSignature)) != 0) {
    return PngResult::kBroken;
  }
  uint32_t width = 0, height = 0;
  uint8_t colour = 0;
  size_t channels = 0;
  std::vector<uint8_t> raw;  // the filtered rows, each after its filter byte
  Inflater inflater;
  bool header = false, sawData = false, dataDone = false, ended = false;
  size_t at = sizeof(kSignature);
  while (!ended) {
    if (size - at < 12) return PngResult::kBroken;
    const uint32_t length = Be32(data + at);
    if (length > kMaxChunk || length > size - at - 12) return PngResult::kBroken;
    const uint8_t* type = data + at + 4;
    const uint8_t* body = type + 4;
    if (crc32(crc32(0, nullptr, 0), type, length + 4) != Be32(body + length))
      return PngResult::kBroken;
    at += 12 + static_cast<size_t>(length);

    if (!header) {
      if (!IsType(type, "IHDR") || length != 13) return PngResult::kBroken;
      width = Be32(body);
      height = Be32(body + 4);
      const uint8_t depth = body[8];
      colour = body[9];
      if (width == 0 || height == 0 || body[10] != 0 || body[11] != 0 || body[12] > 1)
        return PngResult::kBroken;
      // bytes a pixel of each colour type takes; 3 is palette indices
      constexpr uint8_t kChannels[7] = {1, 0, 3, 0, 2, 0, 4};
      if (colour > 6 || (colour != 3 && kChannels[colour] == 0)) return PngResult::kBroken;
      if (colour == 3) return PngResult::kUnsupported;
      channels = kChannels[colour];
      if (depth != 8 || body[12] != 0) return PngResult::kUnsupported;
      if (width > kMaxSide || height > kMaxSide ||
          static_cast<int64_t>(width) * height > kMaxPngPixels) {
        return PngResult::kUnsupported;
      }
      raw.resize(static_cast<size_t>(height) * (1 + width * channels));
      inflater.SetOutput(raw.data(), raw.size());
      header = true;
    } else if (IsType(type, "IDAT")) {
      // the image data is one run of chunks
      if (dataDone) return PngResult::kBroken;
      sawData = true;
      if (!inflater.Feed(body, length)) return PngResult::kBroken;
    } else {
      if (sawData) dataDone = true;
      if (IsType(type, "IEND")) {
        ended = true;
      } else if (IsType(type, "IHDR")) {
        return PngResult::kBroken;
      } else if (IsType(type, "tRNS")) {
        return PngResult::kUnsupported;  // a transparent colour
      } else if (IsType(type, "PLTE")) {
        // a suggested palette: meaningless here
      } else if (!(type[0] & 0x20)) {
        return PngResult::kUnsupported;  // another chunk the image needs
      }
    }
  }
  if (!sawData || !inflater.Complete()) return PngResult::kBroken;

  const size_t stride = width * channels;
  std::vector<uint8_t> zeros(stride, 0);
  DecodedPng decoded;
  decoded.width = static_cast<int32_t>(width);
  decoded.height = static_cast<int32_t>(height);
  decoded.pixels.resize(static_cast<size_t>(width) * height);
  const uint8_t* prior = zeros.data();
  uint32_t* pixel = decoded.pixels.data();
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* row = raw.data() + static_cast<size_t>(y) * (stride + 1);
    if (!Unfilter(row[0], row + 1, prior, stride, channels)) return PngResult::kBroken;
    for (size_t x = 0; x < stride; x += channels)
      *pixel++ = Argb(row + 1 + x, colour);
    prior = row + 1;
  }
  *out = std::move(decoded);
  return PngResult::kDecoded;
}

}  // namespace orvane
