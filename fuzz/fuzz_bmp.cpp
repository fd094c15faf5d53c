// Arbitrary bytes as a BMP file. A decode either fails with an ImageError or
// gives a DIB whose header, colour table and rows fit exactly in its bytes,
// whose every pixel can be read, and which is never much larger than the
// input (uncompressed rows must be present in the file, RLE data expands a
// bounded number of times).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "paste/Bmp.h"
#include "paste/Image.h"

namespace {

void Require(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tembric::paste;
  DecodedImage image;
  try {
    image = DecodeBmp(std::span<const std::uint8_t>(data, size));
  } catch (const ImageError&) {
    return 0;
  }
  Require(image.width > 0 && image.height > 0);
  Require(image.paletteSize <= 256 && (image.bitsPerPixel <= 8) == image.HasPalette());
  Require(image.dib.size() == image.PixelOffset() + image.Stride() * static_cast<std::size_t>(image.height));
  Require(image.dib.size() <= kDibHeaderSize + 4 * 256 + std::max(kRleAllowance, kMaxRleExpansion * size));
  volatile unsigned sink = 0;  // every pixel is read; ASan checks the reads
  for (std::int32_t y = 0; y < image.height; ++y) {
    for (std::int32_t x = 0; x < image.width; ++x) {
      const Rgb c = ColourAt(image, x, y);
      sink = sink + c.r + c.g + c.b;
    }
  }
  return 0;
}
