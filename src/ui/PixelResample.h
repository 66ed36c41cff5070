// Resampling a picture to another size, platform-free.
//
// Pictures are drawn fitted into their widgets, mostly smaller than the
// skin's files (the 900 x 600 background into a 600 x 400 window). GDI+ on
// Wine resamples pixel by pixel through a generic path, about 120 ms for the
// background alone, in the first paint; resampled here once, the picture is
// then drawn at its own size, which GDI+ copies.
#pragma once

#include <cstdint>

namespace orvane {

// Resamples a picture of 32-bit pixels with premultiplied alpha (each of the
// four bytes is filtered alike, whatever their order) to another size. The
// filter is a tent whose width follows the scale: bilinear when enlarging,
// an average over each target pixel's area when shrinking, so that every
// source pixel counts. Pixels beyond the edges repeat the edge. A picture of
// one colour stays exactly that colour.
//
// src: srcHeight rows of srcWidth pixels, each row srcStride pixels apart;
// dst: dstHeight rows of dstWidth pixels, packed. False (nothing written)
// for an empty size, a stride shorter than a row, or a size above 16384.
bool ResamplePixels(const uint32_t* src,
                    int32_t srcWidth,
                    int32_t srcHeight,
                    int32_t srcStride,
                    uint32_t* dst,
                    int32_t dstWidth,
                    int32_t dstHeight);

// Lays a picture with straight (not premultiplied) alpha onto a backdrop of
// one opaque colour: each channel becomes c * a + b * (255 - a), divided by
// 255 and rounded, and the result is opaque. Pixels with alpha 255 keep
// their colour, those with alpha 0 take the backdrop's. src as above, dst
// packed; false (nothing written) for an empty size or a short stride.
bool FlattenOnto(const uint32_t* src,
                 int32_t width,
                 int32_t height,
                 int32_t srcStride,
                 uint32_t backdrop,
                 uint32_t* dst);

}  // namespace orvane
