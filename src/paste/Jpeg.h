#pragma once
// Decodes a JPEG file through libjpeg into a 24-bit packed DIB. libjpeg's
// errors come back as ImageError (its own handler would end the process);
// its warnings are silenced, except the one for data that ends early, which
// fails the decode.

#include <cstdint>
#include <span>

#include "paste/Image.h"

namespace tembric::paste {

// Caps on the declared size: a few hundred bytes of JPEG can claim 65,500
// by 65,500 pixels, so the size is checked before any pixel memory is taken.
inline constexpr std::int32_t kMaxJpegDimension = 32767;
inline constexpr std::uint64_t kMaxJpegPixels = std::uint64_t{1} << 26;
// A progressive file can repeat scans without end; more than this is refused.
inline constexpr int kMaxJpegScans = 1000;

// Greyscale, YCbCr, RGB and CMYK/YCCK (Adobe) files give blue, green, red
// rows, bottom-up. Throws ImageError with libjpeg's message on failure.
DecodedImage DecodeJpeg(std::span<const std::uint8_t> file);

}  // namespace tembric::paste
