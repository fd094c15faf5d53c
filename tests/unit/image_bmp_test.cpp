// The BMP reader: files of every supported depth and header kind written by
// ImageMagick, checked pixel by pixel; top-down rows; BI_BITFIELDS masks; the
// packed DIB it produces; and truncated or hostile files, which must be
// refused with an ImageError and never read out of bounds.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "ImageFixtures.h"
#include "paste/Bmp.h"
#include "paste/Image.h"

namespace tembric::paste {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t Get32(const Bytes& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}
void Put16(Bytes& b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

// The message DecodeBmp raised, or "" when it decoded.
std::string Failure(const Bytes& file) {
  try {
    DecodeBmp(file);
  } catch (const ImageError& e) {
    return e.what();
  }
  return "";
}

constexpr Rgb kRed{255, 0, 0}, kLime{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255}, kBlack{0, 0, 0},
    kYellow{255, 255, 0}, kCyan{0, 255, 255}, kMagenta{255, 0, 255}, kGrey{128, 128, 128};

// The 5 by 3 picture every colour fixture starts with, top row first.
const Rgb kPicture[3][5] = {
    {kRed, kLime, kBlue, kWhite, kBlack},
    {kYellow, kCyan, kMagenta, kGrey, kRed},
    {kBlack, kWhite, kBlack, kWhite, kBlue},
};

void ExpectPicture(const DecodedImage& image) {
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      const Rgb c = ColourAt(image, x, y);
      const Rgb want = kPicture[y][x];
      EXPECT_EQ(c, want) << "at " << x << "," << y << ": got " << int{c.r} << " " << int{c.g} << " " << int{c.b};
    }
  }
}

// Rewrites a bottom-up file as top-down: rows reversed, height negated.
Bytes TopDown(const Bytes& file) {
  Bytes out = file;
  const auto height = static_cast<std::int32_t>(Get32(file, 22));
  const std::size_t offset = Get32(file, 10);
  const std::size_t stride = (file.size() - offset) / static_cast<std::size_t>(height);
  for (std::size_t r = 0; r < static_cast<std::size_t>(height); ++r) {
    std::copy_n(
        file.begin() + static_cast<std::ptrdiff_t>(offset + r * stride), stride,
        out.begin() + static_cast<std::ptrdiff_t>(offset + (static_cast<std::size_t>(height) - 1 - r) * stride));
  }
  Put32(out, 22, static_cast<std::uint32_t>(-height));
  return out;
}

// A 32-bit BI_BITFIELDS file with a 40-byte header, the three masks after it
// and the given pixels (one row per entry, top row last as stored).
Bytes Bitfields(std::uint32_t red, std::uint32_t green, std::uint32_t blue, const std::vector<std::uint32_t>& pixels,
                std::int32_t width) {
  const std::uint32_t offset = 14 + 40 + 12;
  Bytes b(offset + 4 * pixels.size(), 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<std::uint32_t>(b.size()));
  Put32(b, 10, offset);
  Put32(b, 14, 40);
  Put32(b, 18, static_cast<std::uint32_t>(width));
  Put32(b, 22, static_cast<std::uint32_t>(static_cast<std::int32_t>(pixels.size()) / width));
  Put16(b, 26, 1);
  Put16(b, 28, 32);
  Put32(b, 30, 3);
  Put32(b, 54, red);
  Put32(b, 58, green);
  Put32(b, 62, blue);
  for (std::size_t i = 0; i < pixels.size(); ++i) Put32(b, offset + 4 * i, pixels[i]);
  return b;
}

struct DepthCase {
  const char* file;
  std::uint16_t bits;
  bool palette;
};

class BmpDepths : public ::testing::TestWithParam<DepthCase> {};

TEST_P(BmpDepths, PixelsMatchThePictureBottomUpAndTopDown) {
  const Bytes file = Fixture(GetParam().file);
  const DecodedImage image = DecodeBmp(file);
  EXPECT_EQ(image.width, 5 + (std::string(GetParam().file) == "pal8.bmp" ? 15 : 0));
  EXPECT_EQ(image.height, 3);
  EXPECT_EQ(image.bitsPerPixel, GetParam().bits);
  EXPECT_EQ(image.HasPalette(), GetParam().palette);
  ExpectPicture(image);
  if (Get32(file, 14) != 12) {  // core headers hold unsigned sizes and cannot be top-down
    const DecodedImage flipped = DecodeBmp(TopDown(file));
    EXPECT_EQ(flipped.height, 3);
    EXPECT_EQ(flipped.dib, image.dib);
  }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, BmpDepths,
                         ::testing::Values(DepthCase{"rgb24.bmp", 24, false}, DepthCase{"pal8.bmp", 8, true},
                                           DepthCase{"pal4.bmp", 4, true}, DepthCase{"pal4v5.bmp", 4, true},
                                           DepthCase{"core4.bmp", 4, true}, DepthCase{"argb32.bmp", 32, false}),
                         [](const auto& info) {
                           std::string name = info.param.file;
                           return name.substr(0, name.find('.'));
                         });

TEST(BmpReader, MonochromeRowsKeepTheirBitsAcrossPadding) {
  const DecodedImage image = DecodeBmp(Fixture("mono1.bmp"));
  ASSERT_EQ(image.width, 9);
  ASSERT_EQ(image.height, 2);
  EXPECT_EQ(image.bitsPerPixel, 1);
  EXPECT_EQ(image.paletteSize, 2u);
  const int rows[2][9] = {{0, 1, 1, 0, 0, 1, 0, 1, 1}, {1, 0, 0, 0, 1, 1, 1, 0, 0}};
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 9; ++x) EXPECT_EQ(ColourAt(image, x, y), rows[y][x] ? kWhite : kBlack) << x << "," << y;
  }
}

TEST(BmpReader, ThePackedDibIsAPlainBottomUpInfoHeaderImage) {
  for (const char* name : {"rgb24.bmp", "pal4.bmp", "pal4v5.bmp", "core4.bmp", "argb32.bmp", "pal8.bmp"}) {
    SCOPED_TRACE(name);
    const DecodedImage image = DecodeBmp(Fixture(name));
    const Bytes& dib = image.dib;
    ASSERT_GE(dib.size(), kDibHeaderSize);
    EXPECT_EQ(Get32(dib, 0), 40u);
    EXPECT_EQ(static_cast<std::int32_t>(Get32(dib, 4)), image.width);
    EXPECT_EQ(static_cast<std::int32_t>(Get32(dib, 8)), image.height);
    EXPECT_EQ(dib[14] | dib[15] << 8, image.bitsPerPixel);
    EXPECT_EQ(Get32(dib, 16), 0u) << "BI_RGB";
    EXPECT_EQ(Get32(dib, 20), image.Stride() * 3);
    EXPECT_EQ(Get32(dib, 32), image.paletteSize);
    EXPECT_EQ(dib.size(), kDibHeaderSize + 4 * image.paletteSize + image.Stride() * 3);
  }
}

TEST(BmpReader, ThirtyTwoBitAlphaIsKept) {
  const DecodedImage image = DecodeBmp(Fixture("argb32.bmp"));
  // Top-left pixel has alpha one half, the rest are opaque.
  const std::size_t topRow = image.PixelOffset() + 2 * image.Stride();
  EXPECT_NEAR(image.dib[topRow + 3], 128, 1);
  EXPECT_EQ(image.dib[topRow + 4 + 3], 255);
}

TEST(BmpReader, BitfieldMasksAreAppliedAndScaledToEightBits) {
  // Blue in the low byte, red in the high byte: the reverse of the usual order.
  const DecodedImage swapped = DecodeBmp(Bitfields(0xFF000000, 0x00FF0000, 0x0000FF00, {0x11223300, 0xFF000000}, 2));
  EXPECT_EQ(ColourAt(swapped, 0, 0), (Rgb{0x11, 0x22, 0x33}));
  EXPECT_EQ(ColourAt(swapped, 1, 0), kRed);
  EXPECT_EQ(swapped.bitsPerPixel, 32);

  // Ten bits a channel: full, half and zero.
  const DecodedImage ten =
      DecodeBmp(Bitfields(0x3FF00000, 0x000FFC00, 0x000003FF, {0x3FF00000 | (0x200u << 10), 0}, 2));
  EXPECT_EQ(ColourAt(ten, 0, 0), (Rgb{255, 128, 0}));
  EXPECT_EQ(ColourAt(ten, 1, 0), kBlack);

  // An all-zero mask gives a zero channel rather than a division by zero.
  const DecodedImage empty = DecodeBmp(Bitfields(0, 0x0000FF00, 0x000000FF, {0xFFFFFFFF}, 1));
  EXPECT_EQ(ColourAt(empty, 0, 0), (Rgb{0, 255, 255}));
}

TEST(BmpReader, EveryTruncationIsRefused) {
  for (const char* name : {"rgb24.bmp", "pal4.bmp", "pal4v5.bmp", "pal8.bmp", "core4.bmp", "argb32.bmp", "mono1.bmp"}) {
    const Bytes file = Fixture(name);
    for (std::size_t n = 0; n < file.size(); ++n) {
      const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
      EXPECT_NE(Failure(cut), "") << name << " cut to " << n << " bytes";
    }
  }
}

TEST(BmpReader, HostileHeadersAreRefusedWithAReason) {
  const Bytes good = Fixture("rgb24.bmp");
  struct Case {
    const char* what;
    std::size_t at;
    std::uint32_t value;
    int width;  // bytes written
    const char* reason;
  };
  const Case cases[] = {
      {"signature", 0, 'P' | 'K' << 8, 2, "not a BMP"},
      {"header size 0", 14, 0, 4, "header size"},
      {"header size huge", 14, 0xFFFFFFFF, 4, "header size"},
      {"header size 64", 14, 64, 4, "header size"},
      {"width 0", 18, 0, 4, "no pixels"},
      {"negative width", 18, static_cast<std::uint32_t>(-5), 4, "no pixels"},
      {"height 0", 22, 0, 4, "no pixels"},
      {"most negative height", 22, 0x80000000u, 4, "too large"},
      {"huge width", 18, 0x7FFFFFFF, 4, "too large"},
      {"width past the data", 18, 6000, 4, "cut short"},
      {"height past the data", 22, 4, 4, "cut short"},
      {"16 bits", 28, 16, 2, "depth of 16"},
      {"0 bits", 28, 0, 2, "depth of 0"},
      {"7 bits", 28, 7, 2, "depth of 7"},
      {"RLE8", 30, 1, 4, "compression 1"},
      {"bitfields at 24 bits", 30, 3, 4, "compression 3"},
      {"JPEG inside", 30, 4, 4, "compression 4"},
      {"pixels past the end", 10, 0xFFFFFF00, 4, "cut short"},
      {"pixels inside the header", 10, 20, 4, "overlaps"},
  };
  for (const Case& c : cases) {
    Bytes file = good;
    for (int i = 0; i < c.width; ++i)
      file[c.at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(c.value >> (8 * i));
    EXPECT_NE(Failure(file).find(c.reason), std::string::npos) << c.what << ": \"" << Failure(file) << "\"";
  }
}

TEST(BmpReader, HostileColourTablesAreRefused) {
  Bytes file = Fixture("pal4.bmp");
  Put32(file, 46, 17);  // more entries than four bits allow
  EXPECT_NE(Failure(file).find("more entries"), std::string::npos);

  file = Fixture("pal8.bmp");
  Put32(file, 10, 14 + 40 + 4 * 100);  // pixels claimed to start inside the table
  EXPECT_NE(Failure(file).find("overlaps"), std::string::npos);

  file = Fixture("core4.bmp");
  Put32(file, 10, 14 + 12);  // a core file with no room for any colour
  EXPECT_NE(Failure(file).find("no colour table"), std::string::npos);
}

TEST(BmpReader, OutOfRangePaletteIndexReadsAsBlack) {
  Bytes file = Fixture("pal4.bmp");
  Put32(file, 46, 2);  // two colours declared, the pixels use up to eight
  const std::size_t pixels = Get32(file, 10);
  // The table shrinks by fourteen entries; move the pixels' start so the file stays consistent.
  Bytes shrunk(file.begin(), file.begin() + 14 + 40 + 8);
  shrunk.insert(shrunk.end(), file.begin() + static_cast<std::ptrdiff_t>(pixels), file.end());
  Put32(shrunk, 10, 14 + 40 + 8);
  const DecodedImage image = DecodeBmp(shrunk);
  const DecodedImage original = DecodeBmp(Fixture("pal4.bmp"));
  EXPECT_EQ(image.paletteSize, 2u);
  int blackened = 0;
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      const Rgb now = ColourAt(image, x, y);
      const Rgb was = ColourAt(original, x, y);
      EXPECT_TRUE(now == was || now == kBlack) << x << "," << y;
      blackened += now != was;
    }
  }
  EXPECT_GE(blackened, 6);  // nine colours in the picture, at most two keep their entry
  EXPECT_THROW(ColourAt(image, 5, 0), ImageError);
}

}  // namespace
}  // namespace tembric::paste
