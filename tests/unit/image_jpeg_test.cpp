// The JPEG decoder: sizes and colours of files written by ImageMagick
// (baseline, progressive, greyscale, Adobe CMYK), the 24-bit DIB it produces,
// and truncated, corrupted or oversized files, which must come back as an
// ImageError instead of libjpeg ending the process. Files that would cost
// much time or memory (endless scans, a size the data cannot back) are made
// from the fixtures and must be refused before libjpeg decodes them.
#include <gtest/gtest.h>

#include <algorithm>
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

Bytes WithSize(Bytes file, unsigned width, unsigned height) {
  const std::size_t at = FrameSizeAt(file);
  file[at] = static_cast<std::uint8_t>(height >> 8);
  file[at + 1] = static_cast<std::uint8_t>(height);
  file[at + 2] = static_cast<std::uint8_t>(width >> 8);
  file[at + 3] = static_cast<std::uint8_t>(width);
  return file;
}

// A scan of progressive.jpg: the first AC band of its first component, one
// byte of data. Decoding it again only adds a warning libjpeg keeps to itself.
const Bytes kScan = {0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x01, 0x05, 0x02, 0x5F};
constexpr int kProgressiveScans = 10;

// progressive.jpg with copies of kScan before its end, `scans` scans in all.
Bytes ProgressiveWithScans(int scans, unsigned width = 17, unsigned height = 9) {
  Bytes file = WithSize(Fixture("progressive.jpg"), width, height);
  for (int i = kProgressiveScans; i < scans; ++i) file.insert(file.end() - 2, kScan.begin(), kScan.end());
  return file;
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

TEST(JpegDecoder, ScansAreLimitedForTheImageSize) {
  const DecodedImage most = DecodeJpeg(ProgressiveWithScans(100));
  EXPECT_EQ(most.width, 17);
  EXPECT_EQ(most.height, 9);
  EXPECT_NE(Failure(ProgressiveWithScans(101)).find("more than 100 scans"), std::string::npos);
  EXPECT_NE(Failure(ProgressiveWithScans(990)).find("more than 100 scans"), std::string::npos);

  // At the pixel cap 32 scans pass the scan check (and fail the next one,
  // for the data is a few bytes); a 33rd is refused.
  EXPECT_NE(Failure(ProgressiveWithScans(32, 8192, 8192)).find("too little data"), std::string::npos);
  EXPECT_NE(Failure(ProgressiveWithScans(33, 8192, 8192)).find("more than 32 scans"), std::string::npos);

  // Markers inside a segment are not scans: an application segment that holds
  // scan markers (as an Exif thumbnail does) costs nothing.
  Bytes app = {0xFF, 0xE1, 0, 0};
  for (int i = 0; i < 200; ++i) app.insert(app.end(), kScan.begin(), kScan.end());
  app[2] = static_cast<std::uint8_t>((app.size() - 2) >> 8);
  app[3] = static_cast<std::uint8_t>(app.size() - 2);
  Bytes thumbnail = Fixture("progressive.jpg");
  thumbnail.insert(thumbnail.begin() + 2, app.begin(), app.end());
  EXPECT_EQ(DecodeJpeg(thumbnail).width, 17);
}

TEST(JpegDecoder, DeclaredSizeMustBeBackedByData) {
  // quads.jpg holds 426 bytes of data for its three components. At 256 by
  // 256 (3,072 blocks) that is over a bit per block: the decode runs, and
  // libjpeg fills what the data leaves out. At 512 by 512 it is not, and
  // nothing is decoded.
  EXPECT_EQ(DecodeJpeg(WithSize(Fixture("quads.jpg"), 256, 256)).height, 256);
  for (const unsigned side : {512u, 8192u}) {
    EXPECT_NE(Failure(WithSize(Fixture("quads.jpg"), side, side)).find("too little data"), std::string::npos) << side;
  }

  // Four components of two bytes per sample, kept for the whole image while
  // the scans are read: 512 MB at 8192 by 8192, over libjpeg's cap. The first
  // scan is padded with zero bytes, so that the data is enough for the size.
  Bytes cmyk = WithSize(Fixture("progressive.jpg"), 8192, 8192);
  const std::size_t frame = FrameSizeAt(cmyk) - 3;  // the segment's length field
  cmyk[frame + 1] += 3;
  cmyk[frame + 7] = 4;
  const std::uint8_t fourth[] = {0x04, 0x11, 0x00};
  cmyk.insert(cmyk.begin() + static_cast<std::ptrdiff_t>(frame) + 17, std::begin(fourth), std::end(fourth));
  const auto scan = std::search(cmyk.begin(), cmyk.end(), kScan.begin(), kScan.begin() + 2);
  cmyk.insert(scan + 14, std::size_t{600} << 10, std::uint8_t{0});
  EXPECT_NE(Failure(cmyk).find("needs more than 400 MB"), std::string::npos) << Failure(cmyk);
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
