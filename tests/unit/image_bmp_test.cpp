// The BMP reader: files of every supported depth and header kind written by
// ImageMagick, checked pixel by pixel; top-down rows; BI_BITFIELDS masks;
// 16-bit and RLE files built by hand; the packed DIB it produces; and
// truncated or hostile files, which must be refused with an ImageError (or,
// for RLE runs and moves past the image, clipped) and never read out of
// bounds.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
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

// A hand-built file: the masks go inside a V4/V5 header or after a 40-byte
// one; the colour table has `colours` entries, entry i being red i.
struct BmpFile {
  std::uint32_t header = 40;
  std::int32_t width = 1;
  std::int32_t height = 1;
  std::uint16_t bits = 32;
  std::uint32_t compression = 0;
  std::vector<std::uint32_t> masks = {};
  std::uint32_t colours = 0;
  Bytes data = {};  // the pixel data as stored
};

Bytes Build(const BmpFile& f) {
  const std::size_t masks = f.header == 40 ? 4 * f.masks.size() : 0;
  const auto offset = static_cast<std::uint32_t>(14 + f.header + masks + 4 * f.colours);
  Bytes b(offset, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<std::uint32_t>(offset + f.data.size()));
  Put32(b, 10, offset);
  Put32(b, 14, f.header);
  Put32(b, 18, static_cast<std::uint32_t>(f.width));
  Put32(b, 22, static_cast<std::uint32_t>(f.height));
  Put16(b, 26, 1);
  Put16(b, 28, f.bits);
  Put32(b, 30, f.compression);
  Put32(b, 46, f.colours);
  for (std::size_t i = 0; i < f.masks.size(); ++i) Put32(b, 54 + 4 * i, f.masks[i]);
  for (std::uint32_t i = 0; i < f.colours; ++i) b[offset - 4 * f.colours + 4 * i + 2] = static_cast<std::uint8_t>(i);
  b.insert(b.end(), f.data.begin(), f.data.end());
  return b;
}

// Little-endian values of `size` bytes each.
Bytes Le(std::initializer_list<std::uint32_t> values, std::size_t size) {
  Bytes out;
  for (const std::uint32_t v : values) {
    for (std::size_t i = 0; i < size; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  return out;
}

// A 32-bit BI_BITFIELDS file with a 40-byte header, the three masks after it
// and the given pixels (one row per entry, top row last as stored).
Bytes Bitfields(std::uint32_t red, std::uint32_t green, std::uint32_t blue, std::initializer_list<std::uint32_t> pixels,
                std::int32_t width) {
  return Build({.width = width,
                .height = static_cast<std::int32_t>(pixels.size()) / width,
                .compression = 3,
                .masks = {red, green, blue},
                .data = Le(pixels, 4)});
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

TEST(BmpReader, ThePackedDibIsAPlainBottomUpInfoHeaderImageAndWritesBackAsAFile) {
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
    // Written as a file (an image record's bytes), it reads back as the same image.
    const DecodedImage again = DecodeBmp(EncodeBmp(image));
    EXPECT_EQ(again.dib, image.dib);
    EXPECT_EQ(again.bitsPerPixel, image.bitsPerPixel);
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
      {"0 bits", 28, 0, 2, "depth of 0"},
      {"7 bits", 28, 7, 2, "depth of 7"},
      {"RLE8 at 24 bits", 30, 1, 4, "compression 1 at 24"},
      {"RLE4 at 24 bits", 30, 2, 4, "compression 2 at 24"},
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

// Every masked case stores red, lime (bottom row) and blue, white (top row).
struct MaskedCase {
  const char* name;
  BmpFile file;           // two by two pixels, bottom row first as stored
  std::uint16_t bits;     // of the decoded image
  std::uint8_t alpha[2];  // of the bottom row, when the image keeps alpha
};
const Rgb kSquare[2][2] = {{kBlue, kWhite}, {kRed, kLime}};

TEST(BmpReader, SixteenBitAndMaskedPixelsBecomeBiRgb) {
  const MaskedCase cases[] = {
      {"16-bit BI_RGB is 5-5-5", {.bits = 16, .data = Le({0x7C00, 0x03E0, 0x001F, 0x7FFF}, 2)}, 24, {}},
      {"16-bit 5-6-5 masks after the header",
       {.bits = 16,
        .compression = 3,
        .masks = {0xF800, 0x07E0, 0x001F},
        .data = Le({0xF800, 0x07E0, 0x001F, 0xFFFF}, 2)},
       24,
       {}},
      {"16-bit 4-4-4-4 masks with alpha in a V4 header",
       {.header = 108,
        .bits = 16,
        .compression = 3,
        .masks = {0x0F00, 0x00F0, 0x000F, 0xF000},
        .data = Le({0xFF00, 0x80F0, 0x000F, 0xFFFF}, 2)},
       32,
       {255, 136}},
      {"32-bit masks in a V5 header, red in the low byte",
       {.header = 124,
        .compression = 3,
        .masks = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000},
        .data = Le({0xFF0000FF, 0x8000FF00, 0x00FF0000, 0x00FFFFFF}, 4)},
       32,
       {255, 128}},
  };
  for (const MaskedCase& c : cases) {
    SCOPED_TRACE(c.name);
    BmpFile f = c.file;
    f.width = 2;
    f.height = 2;
    const Bytes file = Build(f);
    const DecodedImage image = DecodeBmp(file);
    EXPECT_EQ(image.bitsPerPixel, c.bits);
    EXPECT_FALSE(image.HasPalette());
    EXPECT_EQ(Get32(image.dib, 16), 0u) << "BI_RGB";
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 2; ++x) EXPECT_EQ(ColourAt(image, x, y), kSquare[y][x]) << x << "," << y;
    }
    if (c.bits == 32) {
      EXPECT_EQ(image.dib[image.PixelOffset() + 3], c.alpha[0]);
      EXPECT_EQ(image.dib[image.PixelOffset() + 7], c.alpha[1]);
    }
    EXPECT_EQ(DecodeBmp(TopDown(file)).dib, image.dib);
    for (std::size_t n = 0; n < file.size(); ++n) {
      EXPECT_NE(Failure(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n))), "") << "cut to " << n;
    }
  }
}

// An RLE file's data and what it decodes to: the palette index of every
// pixel as a hex digit, top row first, or the start of the refusal.
struct RleCase {
  const char* name;
  std::uint16_t bits;
  std::int32_t width;
  Bytes data;
  std::vector<std::string> rows;
  const char* error;
};

TEST(BmpReader, RleDataIsExpandedClippedAtTheImageAndRefusedWhenCut) {
  const RleCase cases[] = {
      {"runs and line ends", 8, 4, {3, 1, 1, 2, 0, 0, 2, 5, 0, 0, 0, 1}, {"5500", "1112"}, nullptr},
      {"absolute run padded to even", 8, 4, {0, 3, 7, 8, 9, 0, 1, 10, 0, 1}, {"0000", "789A"}, nullptr},
      {"delta moves right and up", 8, 4, {0, 2, 1, 1, 2, 3, 0, 1}, {"0330", "0000"}, nullptr},
      {"run past the row end is clipped", 8, 4, {6, 4, 0, 0, 1, 5, 0, 1}, {"5000", "4444"}, nullptr},
      {"absolute past the row end is clipped", 8, 4, {0, 5, 1, 2, 3, 4, 5, 0, 0, 1}, {"0000", "1234"}, nullptr},
      {"delta past the row end clips what follows",
       8,
       4,
       {0, 2, 9, 0, 3, 7, 0, 0, 1, 8, 0, 1},
       {"8000", "0000"},
       nullptr},
      {"delta past the last row ends the image", 8, 4, {1, 6, 0, 2, 0, 5, 9, 9}, {"0000", "6000"}, nullptr},
      {"the last line end finishes without an end code", 8, 4, {4, 1, 0, 0, 4, 2, 0, 0}, {"2222", "1111"}, nullptr},
      {"RLE4 runs alternate two indexes", 4, 5, {5, 0x12, 0, 0, 7, 0x9A, 0, 1}, {"9A9A9", "12121"}, nullptr},
      {"RLE4 absolute runs are nibbles, padded to even bytes",
       4,
       5,
       {0, 5, 0x12, 0x34, 0x50, 0, 0, 0, 0, 3, 0xAB, 0xC0, 2, 0x0D, 0, 1},
       {"ABC0D", "12345"},
       nullptr},
      {"no end and rows left", 8, 4, {4, 1}, {}, "BMP RLE data is cut short"},
      {"a lone byte", 8, 4, {4, 1, 0}, {}, "BMP RLE data is cut short"},
      {"delta cut", 8, 4, {0, 2, 1}, {}, "BMP RLE data is cut short"},
      {"absolute run cut", 8, 4, {0, 4, 1, 2}, {}, "BMP RLE data is cut short"},
      {"RLE4 absolute run cut", 4, 5, {0, 5, 0x12, 0x34}, {}, "BMP RLE data is cut short"},
  };
  for (const RleCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes file = Build({.width = c.width,
                              .height = 2,
                              .bits = c.bits,
                              .compression = c.bits == 8 ? 1u : 2u,
                              .colours = 16,
                              .data = c.data});
    if (c.error) {
      EXPECT_EQ(Failure(file), c.error);
      continue;
    }
    const DecodedImage image = DecodeBmp(file);
    EXPECT_EQ(image.bitsPerPixel, c.bits);
    EXPECT_EQ(Get32(image.dib, 16), 0u) << "BI_RGB";
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < c.width; ++x) {
        const int want =
            std::stoi(std::string(1, c.rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]), nullptr, 16);
        EXPECT_EQ(ColourAt(image, x, y), (Rgb{static_cast<std::uint8_t>(want), 0, 0})) << x << "," << y;
      }
    }
  }
}

TEST(BmpReader, RleFilesWithImpossibleSizesOrOrderAreRefused) {
  // A few bytes may not claim more pixel memory than the allowance.
  const std::int32_t side = 4096;  // 16 MB at eight bits
  EXPECT_EQ(Failure(Build({.width = side, .height = side, .bits = 8, .compression = 1, .colours = 16, .data = {0, 1}})),
            "BMP RLE data is too short for the image's size");
  EXPECT_EQ(Failure(Build({.width = 4, .height = -2, .bits = 8, .compression = 1, .colours = 16, .data = {0, 1}})),
            "a top-down BMP cannot be RLE-compressed");
  EXPECT_NE(Failure(Build({.width = 4, .height = 2, .bits = 4, .compression = 1, .colours = 16, .data = {0, 1}}))
                .find("compression 1 at 4"),
            std::string::npos);
}

}  // namespace
}  // namespace tembric::paste
