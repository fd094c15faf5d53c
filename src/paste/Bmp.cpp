#include "paste/Bmp.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>
#include <string>

namespace tembric::paste {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
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

// The four channels of a BI_BITFIELDS (or 16-bit BI_RGB) pixel.
struct Masks {
  Channel red, green, blue, alpha;

  // Writes the pixel as blue, green, red and, when outBytes is 4, alpha.
  void Put(std::uint32_t pixel, std::uint8_t* out, std::size_t outBytes) const {
    out[0] = blue.Of(pixel);
    out[1] = green.Of(pixel);
    out[2] = red.Of(pixel);
    if (outBytes == 4) out[3] = alpha.Of(pixel);
  }
};

// Expands BI_RLE8 or BI_RLE4 data into the image's rows (bottom-up, as
// stored). Runs are clipped at the end of their row; a line end or delta that
// moves past the last row ends the image; pixels the data never reaches keep
// index 0. Every step consumes input, and clipped pixels are skipped rather
// than walked, so the time is bounded by the input and the image. Data that
// runs out before the last row or an end-of-bitmap code is refused.
void ExpandRle(std::span<const std::uint8_t> data, DecodedImage& image) {
  const bool eight = image.bitsPerPixel == 8;
  const auto width = static_cast<std::size_t>(image.width);
  const auto height = static_cast<std::size_t>(image.height);
  const std::size_t stride = image.Stride();
  std::uint8_t* const pixels = image.dib.data() + image.PixelOffset();
  std::size_t x = 0;
  std::size_t y = 0;
  std::size_t at = 0;
  auto need = [&](std::size_t count) {
    if (count > data.size() - at) throw ImageError("BMP RLE data is cut short");
  };
  // Writes `count` pixels from column x on, clipped at the row's end; pixel i
  // is index(i).
  auto write = [&](std::size_t count, auto index) {
    std::uint8_t* row = pixels + y * stride;
    const std::size_t n = x < width ? std::min(count, width - x) : 0;
    for (std::size_t i = 0; i < n; ++i) {
      const std::size_t col = x + i;
      const auto v = static_cast<std::uint8_t>(index(i));
      if (eight) {
        row[col] = v;
      } else {
        row[col / 2] =
            static_cast<std::uint8_t>(col % 2 ? (row[col / 2] & 0xF0) | (v & 0x0F) : (row[col / 2] & 0x0F) | (v << 4));
      }
    }
    x += count;
  };
  while (y < height) {
    need(2);
    const std::uint8_t count = data[at];
    const std::uint8_t value = data[at + 1];
    at += 2;
    if (count > 0) {  // a run of one index (RLE8) or two alternating ones (RLE4)
      write(count, [&](std::size_t i) { return eight ? value : (i % 2 ? value & 0x0F : value >> 4); });
      continue;
    }
    switch (value) {
      case 0:  // end of line
        x = 0;
        ++y;
        break;
      case 1:  // end of bitmap
        return;
      case 2:  // delta: right and up
        need(2);
        x += data[at];
        y += data[at + 1];
        at += 2;
        break;
      default: {  // absolute: `value` indexes as they are, padded to an even byte count
        const std::size_t bytes = eight ? value : (value + 1u) / 2;
        need(bytes);
        const std::uint8_t* literal = data.data() + at;
        write(value, [&](std::size_t i) {
          return eight ? literal[i] : (i % 2 ? literal[i / 2] & 0x0F : literal[i / 2] >> 4);
        });
        at += std::min(bytes + bytes % 2, data.size() - at);
        break;
      }
    }
  }
}

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

  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
    throw ImageError("unsupported BMP depth of " + std::to_string(bits) + " bits per pixel");
  }
  const bool rle = (compression == kBiRle8 && bits == 8) || (compression == kBiRle4 && bits == 4);
  if (compression != kBiRgb && !rle && !(compression == kBiBitfields && (bits == 16 || bits == 32))) {
    throw ImageError("unsupported BMP compression " + std::to_string(compression) + " at " + std::to_string(bits) +
                     " bits per pixel");
  }
  if (bits == 16 && compression == kBiRgb) {  // five bits a channel, the top bit unused
    masks[0] = 0x7C00;
    masks[1] = 0x03E0;
    masks[2] = 0x001F;
    masks[3] = 0;
  }
  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (width <= 0 || height <= 0) throw ImageError("BMP image has no pixels");
  if (width > kMaxBmpDimension || height > kMaxBmpDimension) throw ImageError("BMP image is too large");
  if (topDown && rle) throw ImageError("a top-down BMP cannot be RLE-compressed");

  DecodedImage image;
  image.width = static_cast<std::int32_t>(width);
  image.height = static_cast<std::int32_t>(height);
  image.bitsPerPixel = bits != 16 ? bits : masks[3] != 0 ? 32 : 24;

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
  if (pixelOffset > file.size()) throw ImageError("BMP pixel data is cut short");

  const std::size_t rows = static_cast<std::size_t>(image.height);
  const std::size_t inStride = ((static_cast<std::size_t>(image.width) * bits + 31) / 32) * 4;
  const std::size_t available = file.size() - pixelOffset;
  if (rle) {
    const std::size_t allowed = std::max(kRleAllowance, kMaxRleExpansion * available);
    if (image.Stride() > allowed / rows) throw ImageError("BMP RLE data is too short for the image's size");
  } else if (inStride > available / rows) {
    throw ImageError("BMP pixel data is cut short");
  }

  AllocateDib(image, xppm, yppm);
  std::uint8_t* out = image.dib.data();
  for (std::size_t i = 0; i < image.paletteSize; ++i) {
    const std::uint8_t* e = file.data() + tableStart + i * entrySize;
    std::memcpy(out + kDibHeaderSize + 4 * i, e, 3);
  }
  if (rle) {
    ExpandRle(file.subspan(pixelOffset), image);
    return image;
  }

  const bool rewrite = bits == 16 || (compression == kBiBitfields &&
                                      !(masks[0] == 0x00FF0000 && masks[1] == 0x0000FF00 && masks[2] == 0x000000FF));
  const Masks channels{Channel(masks[0]), Channel(masks[1]), Channel(masks[2]), Channel(masks[3])};
  const std::size_t inBytes = bits / 8u;
  const std::size_t outBytes = image.bitsPerPixel / 8u;
  const std::size_t outStride = image.Stride();
  std::uint8_t* pixels = out + image.PixelOffset();
  for (std::size_t r = 0; r < rows; ++r) {
    const std::uint8_t* src = file.data() + pixelOffset + r * inStride;
    std::uint8_t* dst = pixels + (topDown ? rows - 1 - r : r) * outStride;
    if (!rewrite) {
      std::memcpy(dst, src, outStride);
      continue;
    }
    for (std::size_t x = 0; x < static_cast<std::size_t>(image.width); ++x) {
      const std::uint8_t* s = src + inBytes * x;
      std::uint32_t px = static_cast<std::uint32_t>(s[0]) | static_cast<std::uint32_t>(s[1]) << 8;
      if (inBytes == 4) px |= static_cast<std::uint32_t>(s[2]) << 16 | static_cast<std::uint32_t>(s[3]) << 24;
      channels.Put(px, dst + outBytes * x, outBytes);
    }
  }
  return image;
}

std::vector<std::uint8_t> EncodeBmp(const DecodedImage& image) {
  const std::size_t total = kFileHeaderSize + image.dib.size();
  std::vector<std::uint8_t> file(total, 0);
  const std::size_t pixels = image.dib.empty() ? kFileHeaderSize : kFileHeaderSize + image.PixelOffset();
  file[0] = 'B';
  file[1] = 'M';
  for (int i = 0; i < 4; ++i) {
    file[2 + i] = static_cast<std::uint8_t>(total >> (8 * i));
    file[10 + i] = static_cast<std::uint8_t>(pixels >> (8 * i));
  }
  std::copy(image.dib.begin(), image.dib.end(), file.begin() + kFileHeaderSize);
  return file;
}

}  // namespace tembric::paste
