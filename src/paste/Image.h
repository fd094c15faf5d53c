#pragma once
// A decoded image as a packed device-independent bitmap: a 40-byte
// BITMAPINFOHEADER, the colour table (RGBQUAD entries) and the pixel rows,
// bottom-up, each padded to a multiple of four bytes. This is the CF_DIB
// layout; the system derives CF_BITMAP and, for palette images, CF_PALETTE.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace tembric::paste {

// Raised for bytes that do not decode; the text says what is wrong.
class ImageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr std::size_t kDibHeaderSize = 40;

struct DecodedImage {
  std::int32_t width = 0;
  std::int32_t height = 0;         // rows, always stored bottom-up
  std::uint16_t bitsPerPixel = 0;  // 1, 4, 8, 24 or 32
  std::uint32_t paletteSize = 0;   // colour table entries; 0 when there is none
  std::vector<std::uint8_t> dib;   // header + colour table + pixel rows

  bool HasPalette() const { return paletteSize != 0; }
  std::size_t Stride() const { return ((static_cast<std::size_t>(width) * bitsPerPixel + 31) / 32) * 4; }
  std::size_t PixelOffset() const { return kDibHeaderSize + 4 * static_cast<std::size_t>(paletteSize); }
};

// Sizes image.dib for the header, the colour table and the pixel rows of the
// image's width, height, depth and palette size, writes the header (BI_RGB,
// bottom-up) and zeroes the rest. The caller has checked the size.
inline void AllocateDib(DecodedImage& image, std::int32_t xPelsPerMeter = 0, std::int32_t yPelsPerMeter = 0) {
  const std::size_t pixels = image.Stride() * static_cast<std::size_t>(image.height);
  image.dib.assign(image.PixelOffset() + pixels, 0);
  auto put = [&](std::size_t at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
      image.dib[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
  };
  put(0, kDibHeaderSize, 4);
  put(4, static_cast<std::uint32_t>(image.width), 4);
  put(8, static_cast<std::uint32_t>(image.height), 4);
  put(12, 1, 2);  // planes
  put(14, image.bitsPerPixel, 2);
  put(16, 0, 4);  // BI_RGB
  put(20, static_cast<std::uint32_t>(pixels), 4);
  put(24, static_cast<std::uint32_t>(xPelsPerMeter), 4);
  put(28, static_cast<std::uint32_t>(yPelsPerMeter), 4);
  put(32, image.paletteSize, 4);
  put(36, 0, 4);
}

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

// The colour of the pixel in column x of row y counted from the top. A
// palette index beyond the colour table reads as black, as the system shows it.
inline Rgb ColourAt(const DecodedImage& image, std::int32_t x, std::int32_t y) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) throw ImageError("pixel outside the image");
  const std::size_t row = image.PixelOffset() + static_cast<std::size_t>(image.height - 1 - y) * image.Stride();
  const std::uint8_t* p = image.dib.data() + row;
  const auto ux = static_cast<std::size_t>(x);
  if (image.bitsPerPixel >= 24) {
    const std::uint8_t* px = p + ux * (image.bitsPerPixel / 8);
    return Rgb{px[2], px[1], px[0]};
  }
  const unsigned bpp = image.bitsPerPixel;
  const std::size_t bit = ux * bpp;
  const unsigned shift = 8 - bpp - static_cast<unsigned>(bit % 8);
  const unsigned index = (p[bit / 8] >> shift) & ((1u << bpp) - 1);
  if (index >= image.paletteSize) return Rgb{};
  const std::uint8_t* q = image.dib.data() + kDibHeaderSize + 4 * static_cast<std::size_t>(index);
  return Rgb{q[2], q[1], q[0]};
}

}  // namespace tembric::paste
