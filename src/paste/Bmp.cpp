#include "paste/Bmp.h"

#include <bit>
#include <cstddef>
#include <cstring>
#include <string>

namespace tembric::paste {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint32_t U32(std::size_t at) const {
    Need(at, 4);
    return static_cast<std::uint32_t>(bytes_[at]) | static_cast<std::uint32_t>(bytes_[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes_[at + 2]) << 16 | static_cast<std::uint32_t>(bytes_[at + 3]) << 24;
  }
  std::uint16_t U16(std::size_t at) const {
    Need(at, 2);
    return static_cast<std::uint16_t>(bytes_[at] | bytes_[at + 1] << 8);
  }
  void Need(std::size_t at, std::size_t count) const {
    if (at > bytes_.size() || count > bytes_.size() - at) throw ImageError("BMP file is cut short");
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

// One channel of a BI_BITFIELDS pixel, scaled to eight bits.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint64_t max = 0;

  explicit Channel(std::uint32_t m) : mask(m) {
    if (mask == 0) return;
    shift = std::countr_zero(mask);
    max = (std::uint64_t{mask} >> shift);
  }
  std::uint8_t Of(std::uint32_t pixel) const {
    if (mask == 0) return 0;
    const std::uint64_t v = (pixel & mask) >> shift;
    return static_cast<std::uint8_t>((v * 255 + max / 2) / max);
  }
};

}  // namespace

DecodedImage DecodeBmp(std::span<const std::uint8_t> file) {
  const Reader in(file);
  if (file.size() < kFileHeaderSize + 4) throw ImageError("BMP file is cut short");
  if (file[0] != 'B' || file[1] != 'M') throw ImageError("not a BMP file (no \"BM\" signature)");
  const std::uint32_t pixelOffset = in.U32(10);
  const std::uint32_t headerSize = in.U32(kFileHeaderSize);

  std::int64_t width = 0;
  std::int64_t height = 0;
  std::uint16_t bits = 0;
  std::uint32_t compression = kBiRgb;
  std::uint32_t colours = 0;
  std::int32_t xppm = 0;
  std::int32_t yppm = 0;
  std::size_t entrySize = 4;
  std::uint32_t masks[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  std::size_t tableStart = kFileHeaderSize + headerSize;

  if (headerSize == 12) {
    width = in.U16(18);
    height = in.U16(20);
    bits = in.U16(24);
    entrySize = 3;
  } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 || headerSize == 124) {
    in.Need(kFileHeaderSize, headerSize);
    width = static_cast<std::int32_t>(in.U32(18));
    height = static_cast<std::int32_t>(in.U32(22));
    bits = in.U16(28);
    compression = in.U32(30);
    xppm = static_cast<std::int32_t>(in.U32(38));
    yppm = static_cast<std::int32_t>(in.U32(42));
    colours = in.U32(46);
    if (compression == kBiBitfields) {
      const std::size_t maskAt = kFileHeaderSize + 40;
      const int count = headerSize >= 56 ? 4 : 3;
      if (headerSize == 40) tableStart += 12;  // the three masks follow the header
      for (int i = 0; i < count; ++i) masks[i] = in.U32(maskAt + 4 * static_cast<std::size_t>(i));
      if (count == 3) masks[3] = 0;
    }
  } else {
    throw ImageError("unsupported BMP header size " + std::to_string(headerSize));
  }

  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) {
    throw ImageError("unsupported BMP depth of " + std::to_string(bits) + " bits per pixel");
  }
  if (compression != kBiRgb && !(compression == kBiBitfields && bits == 32)) {
    throw ImageError("unsupported BMP compression " + std::to_string(compression) + " at " + std::to_string(bits) +
                     " bits per pixel");
  }
  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (width <= 0 || height <= 0) throw ImageError("BMP image has no pixels");
  if (width > kMaxBmpDimension || height > kMaxBmpDimension) throw ImageError("BMP image is too large");

  DecodedImage image;
  image.width = static_cast<std::int32_t>(width);
  image.height = static_cast<std::int32_t>(height);
  image.bitsPerPixel = bits;

  if (bits <= 8) {
    const std::uint32_t full = 1u << bits;
    if (colours > full) throw ImageError("BMP colour table has more entries than the depth allows");
    image.paletteSize = colours == 0 ? full : colours;
    if (headerSize == 12) {
      // Core files have no count: the table fills the room before the pixels, up to the full size.
      if (pixelOffset < tableStart) throw ImageError("BMP pixel data overlaps the header");
      const std::size_t room = (pixelOffset - tableStart) / entrySize;
      if (room == 0) throw ImageError("BMP file has no colour table");
      if (room < image.paletteSize) image.paletteSize = static_cast<std::uint32_t>(room);
    }
  }
  const std::size_t tableBytes = image.paletteSize * entrySize;
  in.Need(tableStart, tableBytes);
  if (pixelOffset < tableStart + tableBytes) throw ImageError("BMP pixel data overlaps the header or colour table");

  const std::size_t stride = image.Stride();
  const std::size_t rows = static_cast<std::size_t>(image.height);
  if (pixelOffset > file.size() || stride > (file.size() - pixelOffset) / rows) {
    throw ImageError("BMP pixel data is cut short");
  }

  AllocateDib(image, xppm, yppm);
  std::uint8_t* out = image.dib.data();
  for (std::size_t i = 0; i < image.paletteSize; ++i) {
    const std::uint8_t* e = file.data() + tableStart + i * entrySize;
    std::memcpy(out + kDibHeaderSize + 4 * i, e, 3);
  }

  const bool rewrite =
      compression == kBiBitfields && !(masks[0] == 0x00FF0000 && masks[1] == 0x0000FF00 && masks[2] == 0x000000FF);
  const Channel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
  std::uint8_t* pixels = out + image.PixelOffset();
  for (std::size_t r = 0; r < rows; ++r) {
    const std::uint8_t* src = file.data() + pixelOffset + r * stride;
    std::uint8_t* dst = pixels + (topDown ? rows - 1 - r : r) * stride;
    if (!rewrite) {
      std::memcpy(dst, src, stride);
      continue;
    }
    for (std::size_t x = 0; x < static_cast<std::size_t>(image.width); ++x) {
      const std::uint8_t* s = src + 4 * x;
      const std::uint32_t px = static_cast<std::uint32_t>(s[0]) | static_cast<std::uint32_t>(s[1]) << 8 |
                               static_cast<std::uint32_t>(s[2]) << 16 | static_cast<std::uint32_t>(s[3]) << 24;
      dst[4 * x] = blue.Of(px);
      dst[4 * x + 1] = green.Of(px);
      dst[4 * x + 2] = red.Of(px);
      dst[4 * x + 3] = alpha.Of(px);
    }
  }
  return image;
}

}  // namespace tembric::paste
