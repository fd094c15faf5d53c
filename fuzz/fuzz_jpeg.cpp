// Arbitrary bytes as a JPEG file. A decode either fails with an ImageError or
// gives a 24-bit DIB whose header and rows fit exactly in its bytes, within
// the pixel cap, and whose every pixel can be read. A hostile file must not
// make the decoder jump past our clean-up, leak, or run without end.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "paste/Image.h"
#include "paste/Jpeg.h"

namespace {

void Require(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tembric::paste;
  DecodedImage image;
  try {
    image = DecodeJpeg(std::span<const std::uint8_t>(data, size));
  } catch (const ImageError&) {
    return 0;
  }
  Require(image.width > 0 && image.height > 0 && image.width <= kMaxJpegDimension && image.height <= kMaxJpegDimension);
  Require(static_cast<std::uint64_t>(image.width) * static_cast<std::uint64_t>(image.height) <= kMaxJpegPixels);
  Require(image.bitsPerPixel == 24 && !image.HasPalette());
  Require(image.dib.size() == image.PixelOffset() + image.Stride() * static_cast<std::size_t>(image.height));
  volatile unsigned sink = 0;  // every pixel is read; ASan checks the reads
  for (std::int32_t y = 0; y < image.height; y += 1 + image.height / 64) {
    for (std::int32_t x = 0; x < image.width; ++x) {
      const Rgb c = ColourAt(image, x, y);
      sink = sink + c.r + c.g + c.b;
    }
  }
  return 0;
}
