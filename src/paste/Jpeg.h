#pragma once
// Decodes a JPEG file through libjpeg into a 24-bit packed DIB. libjpeg's
// errors come back as ImageError (its own handler would end the process);
// its warnings are silenced, except the one for data that ends early, which
// fails the decode.
//
// A hostile file costs bounded time and memory: its size, its scans and the
// amount of its compressed data are checked against the limits below before
// libjpeg takes any memory for pixels, and libjpeg's own memory is capped.

#include <algorithm>
#include <cstdint>
#include <span>

#include "paste/Image.h"

namespace tembric::paste {

// Caps on the declared size: a few hundred bytes of JPEG can claim 65,500
// by 65,500 pixels, so the size is checked before any pixel memory is taken.
inline constexpr std::int32_t kMaxJpegDimension = 32767;
inline constexpr std::uint64_t kMaxJpegPixels = std::uint64_t{1} << 26;

// A progressive file can repeat scans without end, and each scan walks the
// whole image, so its cost grows with scans times pixels. Encoders write 6 to
// 10 scans (a few more for four-component files and tuned scan scripts), so
// a file may hold at most kMaxJpegScans, and at most as many as keep scans
// times pixels within kMaxJpegScanPixels (32 scans at the pixel cap).
inline constexpr int kMaxJpegScans = 100;
inline constexpr std::uint64_t kMaxJpegScanPixels = kMaxJpegPixels * 32;

constexpr int JpegScanLimit(std::uint64_t pixels) {
  return static_cast<int>(
      std::min<std::uint64_t>(kMaxJpegScans, kMaxJpegScanPixels / std::max<std::uint64_t>(pixels, 1)));
}

// libjpeg's own memory: a progressive file (or a sequential one with a scan
// per component) keeps two bytes per sample for the whole image until its
// last scan is read. The cap fits a three-component image at the pixel cap;
// a four-component (CMYK) one reaches it at about 50 million pixels.
inline constexpr long kMaxJpegDecoderMemory = 400L << 20;

// Greyscale, YCbCr, RGB and CMYK/YCCK (Adobe) files give blue, green, red
// rows, bottom-up. Throws ImageError with libjpeg's message on failure.
DecodedImage DecodeJpeg(std::span<const std::uint8_t> file);

}  // namespace tembric::paste
