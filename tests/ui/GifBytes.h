// GIF files made to order for the banner tests: a canvas, frames with their
// delays, and the knobs the hostile cases turn. The image data is valid
// uncompressed LZW (a clear code before every code keeps the width fixed).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvane::test {

struct GifFrame {
  uint16_t delay = 10;  // hundredths of a second
  bool control = true;  // with a graphic control extension
  uint8_t colour = 1;   // palette index filling the frame
  uint16_t left = 0, top = 0;
  uint16_t width = 0, height = 0;  // 0: the canvas
  uint8_t codeSize = 2;
  bool localTable = false;
};

struct GifSpec {
  uint16_t width = 8;
  uint16_t height = 4;
  bool globalTable = true;
  std::vector<GifFrame> frames;
  bool trailer = true;
};

inline void PutU16(std::string* out, uint16_t v) {
  out->push_back(static_cast<char>(v & 0xFF));
  out->push_back(static_cast<char>(v >> 8));
}

// four colours: red, green, blue, white
inline std::string Palette() {
  return std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF\xFF\xFF\xFF", 12);
}

inline std::string ImageData(uint8_t codeSize, uint32_t pixels, uint8_t colour) {
  const uint32_t clear = 1u << codeSize, end = clear + 1, width = codeSize + 1u;
  std::string packed;
  uint32_t bits = 0, count = 0;
  auto put = [&](uint32_t code) {
    bits |= code << count;
    count += width;
    while (count >= 8) {
      packed.push_back(static_cast<char>(bits & 0xFF));
      bits >>= 8;
      count -= 8;
    }
  };
  for (uint32_t i = 0; i < pixels; ++i) {
    put(clear);
    put(colour);
  }
  put(end);
  if (count) packed.push_back(static_cast<char>(bits & 0xFF));
  std::string out(1, static_cast<char>(codeSize));
  for (size_t i = 0; i < packed.size(); i += 255) {
    const std::string piece = packed.substr(i, 255);
    out.push_back(static_cast<char>(piece.size()));
    out += piece;
  }
  out.push_back('\0');
  return out;
}

inline std::string MakeGif(const GifSpec& shape) {
  std::string g = "GIF89a";
  PutU16(&g, shape.width);
  PutU16(&g, shape.height);
  g.push_back(static_cast<char>(shape.globalTable ? 0x81 : 0x00));  // 4 colours
  g.push_back('\0');
  g.push_back('\0');
  if (shape.globalTable) g += Palette();
  if (shape.frames.size() > 1) g += std::string("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
  for (const GifFrame& f : shape.frames) {
    if (f.control) {
      g += std::string("\x21\xF9\x04\x04", 4);
      PutU16(&g, f.delay);
      g += std::string("\x00\x00", 2);
    }
    const uint16_t w = f.width ? f.width : shape.width;
    const uint16_t h = f.height ? f.height : shape.height;
    g.push_back('\x2C');
    PutU16(&g, f.left);
    PutU16(&g, f.top);
    PutU16(&g, w);
    PutU16(&g, h);
    g.push_back(static_cast<char>(f.localTable ? 0x81 : 0x00));
    if (f.localTable) g += Palette();
    const bool validSize = f.codeSize >= 2 && f.codeSize <= 8;
    std::string data = ImageData(validSize ? f.codeSize : 2, uint32_t{w} * h, f.colour);
    data[0] = static_cast<char>(f.codeSize);  // as asked, even when invalid
    g += data;
  }
  if (shape.trailer) g.push_back('\x3B');
  return g;
}

// n frames of the canvas, each with the delay, colours cycling
inline GifSpec Animation(int n, uint16_t delay, uint16_t width = 8, uint16_t height = 4) {
  GifSpec shape;
  shape.width = width;
  shape.height = height;
  for (int i = 0; i < n; ++i) {
    GifFrame f;
    f.delay = delay;
    f.colour = static_cast<uint8_t>(i % 3);
    shape.frames.push_back(f);
  }
  return shape;
}

}  // namespace orvane::test
