#pragma once
// Reads a Windows BMP file (BITMAPFILEHEADER followed by a BITMAPCOREHEADER,
// BITMAPINFOHEADER, BITMAPV4HEADER or BITMAPV5HEADER) of 1, 4, 8, 24 or 32
// bits per pixel, BI_RGB or BI_BITFIELDS, top-down or bottom-up. The bytes are
// untrusted: every size and offset is checked before it is used, and the
// pixel rows must all be present in the input, so the result is never much
// larger than the input.

#include <cstdint>
#include <span>

#include "paste/Image.h"

namespace tembric::paste {

// Caps on the declared size, independent of the input's length.
inline constexpr std::int32_t kMaxBmpDimension = 1 << 16;

// The image as a packed DIB: the colour table in RGBQUAD form, the rows
// bottom-up, 32-bit BI_BITFIELDS pixels rewritten as BI_RGB (blue, green,
// red, alpha bytes). Throws ImageError for anything that is not such a file.
DecodedImage DecodeBmp(std::span<const std::uint8_t> file);

}  // namespace tembric::paste
