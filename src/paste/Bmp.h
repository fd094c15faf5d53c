#pragma once
// Reads a Windows BMP file (BITMAPFILEHEADER followed by a BITMAPCOREHEADER,
// BITMAPINFOHEADER, BITMAPV4HEADER or BITMAPV5HEADER) of 1, 4, 8, 16, 24 or
// 32 bits per pixel: BI_RGB, BI_BITFIELDS (16 and 32 bits, the masks after a
// 40-byte header or inside a larger one), BI_RLE8 and BI_RLE4; top-down or
// bottom-up. The bytes are untrusted: every size and offset is checked before
// it is used. Uncompressed rows must all be present in the input; compressed
// rows may expand at most kMaxRleExpansion times (or to kRleAllowance bytes),
// so the result is never much larger than the input.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "paste/Image.h"

namespace tembric::paste {

// Caps on the declared size, independent of the input's length.
inline constexpr std::int32_t kMaxBmpDimension = 1 << 16;

// Pixel bytes an RLE file may decode to: kMaxRleExpansion per byte of
// compressed data, or kRleAllowance when that is more. Fully written rows
// expand at most 128 times (runs of 255 pixels in two bytes); the rest is
// room for rows ended early and skipped by deltas.
inline constexpr std::size_t kMaxRleExpansion = 256;
inline constexpr std::size_t kRleAllowance = std::size_t{4} << 20;

// The image as a packed, uncompressed DIB the clipboard takes: the colour
// table in RGBQUAD form, the rows bottom-up. RLE files keep their 4 or 8 bits
// a pixel, with pixels the data never reaches left at index 0; 16-bit pixels
// become 24-bit (32-bit when a mask gives alpha); 32-bit BI_BITFIELDS pixels
// are rewritten as BI_RGB (blue, green, red, alpha bytes). Throws ImageError
// for anything that is not such a file.
DecodedImage DecodeBmp(std::span<const std::uint8_t> file);

// The BMP file of a decoded image: the 14-byte file header, then its packed
// DIB as it is. DecodeBmp reads it back as the same image. An image without
// a DIB (width 0) gives the file header alone.
std::vector<std::uint8_t> EncodeBmp(const DecodedImage& image);

}  // namespace tembric::paste
