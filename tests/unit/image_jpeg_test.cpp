// The JPEG decoder: sizes and colours of files written by ImageMagick
// (baseline, progressive, greyscale, Adobe CMYK), the 24-bit DIB it produces,
// and truncated, corrupted or oversized files, which must come back as an
// ImageError instead of libjpeg ending the process.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ImageFixtures.h"
#include "paste/Image.h"
#include "paste/Jpeg.h"

namespace tembric::paste {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string Failure(const Bytes& file) {
  try {
    DecodeJpeg(file);
  } catch (const ImageError& e) {
    return e.what();
  }
  return "";
}

void ExpectNear(const Rgb& got, const Rgb& want, int tolerance, const std::string& where) {
  EXPECT_LE(std::abs(got.r - want.r), tolerance) << where << " red " << int{got.r};
  EXPECT_LE(std::abs(got.g - want.g), tolerance) << where << " green " << int{got.g};
  EXPECT_LE(std::abs(got.b - want.b), tolerance) << where << " blue " << int{got.b};
}

// The offset of the first start-of-frame marker's height field.
std::size_t FrameSizeAt(const Bytes& file) {
  for (std::size_t i = 0; i + 9 < file.size(); ++i) {
    if (file[i] == 0xFF && (file[i + 1] == 0xC0 || file[i + 1] == 0xC2)) return i + 5;
  }
  throw std::runtime_error("no frame header");
}

// quads.jpg: 34 by 34, red top left, blue top right, lime bottom left, white bottom right.
void ExpectQuadrants(const DecodedImage& image, int tolerance) {
  ASSERT_EQ(image.width, 34);
  ASSERT_EQ(image.height, 34);
  const struct {
    int x, y;
    Rgb colour;
  } probes[] = {{2, 2, {255, 0, 0}}, {31, 2, {0, 0, 255}}, {2, 31, {0, 255, 0}}, {31, 31, {255, 255, 255}},
                {8, 8, {255, 0, 0}}, {25, 8, {0, 0, 255}}, {8, 25, {0, 255, 0}}, {25, 25, {255, 255, 255}},
                {0, 0, {255, 0, 0}}, {33, 0, {0, 0, 255}}, {0, 33, {0, 255, 0}}, {33, 33, {255, 255, 255}}};
  for (const auto& p : probes) {
    ExpectNear(ColourAt(image, p.x, p.y), p.colour, tolerance, std::to_string(p.x) + "," + std::to_string(p.y));
  }
}

TEST(JpegDecoder, BaselineFileGivesItsSizeAndColoursAsA24BitDib) {
  const DecodedImage image = DecodeJpeg(Fixture("quads.jpg"));
  EXPECT_EQ(image.bitsPerPixel, 24);
  EXPECT_FALSE(image.HasPalette());
  EXPECT_EQ(image.Stride(), 104u);  // 34 * 3 padded to four
  ASSERT_EQ(image.dib.size(), kDibHeaderSize + 104u * 34);
  EXPECT_EQ(image.dib[0], 40);
  EXPECT_EQ(image.dib[8], 34);  // positive height: bottom-up
  EXPECT_EQ(image.dib[14], 24);
  ExpectQuadrants(image, 24);
}

TEST(JpegDecoder, OtherColourModelsComeOutAsRgb) {
  ExpectQuadrants(DecodeJpeg(Fixture("cmyk.jpg")), 40);

  const DecodedImage grey = DecodeJpeg(Fixture("gray.jpg"));
  ASSERT_EQ(grey.width, 6);
  ASSERT_EQ(grey.height, 4);
  ExpectNear(ColourAt(grey, 0, 0), {0x40, 0x40, 0x40}, 3, "grey");
  ExpectNear(ColourAt(grey, 5, 3), {0x40, 0x40, 0x40}, 3, "grey");

  const DecodedImage progressive = DecodeJpeg(Fixture("progressive.jpg"));
  ASSERT_EQ(progressive.width, 17);
  ASSERT_EQ(progressive.height, 9);
  ExpectNear(ColourAt(progressive, 16, 8), {255, 0, 0}, 24, "progressive");
}

TEST(JpegDecoder, EveryTruncationIsRefused) {
  for (const char* name : {"quads.jpg", "progressive.jpg", "gray.jpg"}) {
    const Bytes file = Fixture(name);
    for (std::size_t n = 0; n < file.size(); ++n) {
      const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
      EXPECT_NE(Failure(cut), "") << name << " cut to " << n << " bytes";
    }
  }
}

TEST(JpegDecoder, HostileFilesAreRefusedWithLibjpegsReason) {
  EXPECT_NE(Failure(Bytes{}), "");
  EXPECT_NE(Failure(Fixture("rgb24.bmp")).find("Not a JPEG"), std::string::npos) << Failure(Fixture("rgb24.bmp"));

  Bytes huge = Fixture("quads.jpg");
  const std::size_t at = FrameSizeAt(huge);
  huge[at] = 0xFF;  // height 65,314
  huge[at + 1] = 0x22;
  EXPECT_NE(Failure(huge).find("too large"), std::string::npos) << Failure(huge);

  Bytes wide = Fixture("quads.jpg");
  wide[at] = 0x30;  // 12,322 by 12,322: each side within bounds, the area over the cap
  wide[at + 1] = 0x22;
  wide[at + 2] = 0x30;
  wide[at + 3] = 0x22;
  EXPECT_NE(Failure(wide).find("too large"), std::string::npos) << Failure(wide);

  Bytes empty = Fixture("quads.jpg");
  empty[at + 2] = 0;
  empty[at + 3] = 0;
  EXPECT_NE(Failure(empty), "");
}

TEST(JpegDecoder, CorruptedBytesEitherDecodeToTheDeclaredSizeOrFail) {
  const Bytes good = Fixture("quads.jpg");
  int failed = 0;
  for (std::size_t i = 2; i < good.size(); i += 7) {
    Bytes bad = good;
    bad[i] ^= 0x5A;
    try {
      const DecodedImage image = DecodeJpeg(bad);
      EXPECT_EQ(image.dib.size(), kDibHeaderSize + image.Stride() * static_cast<std::size_t>(image.height));
    } catch (const ImageError& e) {
      EXPECT_STRNE(e.what(), "");
      ++failed;
    }
  }
  EXPECT_GT(failed, 0);
}

}  // namespace
}  // namespace tembric::paste
