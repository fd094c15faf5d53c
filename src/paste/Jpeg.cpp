#include "paste/Jpeg.h"

#include <algorithm>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jerror.h>
#include <jpeglib.h>

namespace tembric::paste {
namespace {

struct ErrorManager {
  jpeg_error_mgr base;  // first, so that the library's pointer is also ours
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void Fail(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  if (cinfo->err->msg_code == JERR_NO_BACKING_STORE) {
    // libjpeg found its whole-image buffers over kMaxJpegDecoderMemory.
    std::snprintf(err->message, sizeof err->message, "JPEG image needs more than %ld MB of memory to decode",
                  kMaxJpegDecoderMemory >> 20);
  } else {
    (*cinfo->err->format_message)(cinfo, err->message);
  }
  std::longjmp(err->jump, 1);
}

// Level -1 is a warning about corrupt data; higher levels are trace output.
void Message(j_common_ptr cinfo, int level) {
  if (level < 0) {
    cinfo->err->num_warnings++;
    if (cinfo->err->msg_code == JWRN_JPEG_EOF) Fail(cinfo);
  }
}

void SilentOutput(j_common_ptr) {}

std::string Size(const jpeg_decompress_struct& cinfo) {
  return std::to_string(cinfo.image_width) + " by " + std::to_string(cinfo.image_height);
}

struct ProgressMonitor {
  jpeg_progress_mgr base;  // first, so that the library's pointer is also ours
  int scanLimit = kMaxJpegScans;
};

// libjpeg's own count of scans, checked while it reads a multi-scan file. The
// census below refuses such files before they are decoded; this is the
// count that decides should the two ever disagree.
void Progress(j_common_ptr cinfo) {
  auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  const int limit = reinterpret_cast<ProgressMonitor*>(cinfo->progress)->scanLimit;
  if (d->input_scan_number > limit) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::snprintf(err->message, sizeof err->message, "JPEG file has more than %d scans", limit);
    std::longjmp(err->jump, 1);
  }
}

// The scans of a file and the bytes of compressed data in them, found the way
// libjpeg finds markers: after a segment (or a scan's data) any bytes up to
// an 0xFF are skipped, 0xFF bytes before a marker code are fill, and 0xFF
// 0x00 is a data byte 0xFF. Segments skip by their length, so that markers
// inside an application segment (an Exif thumbnail) are not counted. Stops
// at the end of the image or once the scans pass `stopAbove`.
struct Census {
  int scans = 0;
  std::uint64_t dataBytes = 0;
};

Census TakeCensus(std::span<const std::uint8_t> file, int stopAbove) {
  Census census;
  bool inScan = false;
  std::size_t i = 2;  // after the start-of-image marker, which libjpeg has checked
  while (i < file.size()) {
    if (file[i] != 0xFF) {
      if (inScan) ++census.dataBytes;
      ++i;
      continue;
    }
    while (i < file.size() && file[i] == 0xFF) ++i;
    if (i == file.size()) break;
    const std::uint8_t code = file[i++];
    if (code == 0x00) {
      if (inScan) ++census.dataBytes;
    } else if (code == 0xD9) {
      break;  // end of image
    } else if ((code >= 0xD0 && code <= 0xD7) || code == 0x01 || code == 0xD8) {
      // Restart markers (inside a scan's data) and the other markers without a length.
    } else {
      if (i + 2 > file.size()) break;
      const std::size_t length = std::size_t{file[i]} << 8 | file[i + 1];
      inScan = code == 0xDA;
      if (inScan && ++census.scans > stopAbove) break;
      i += std::max<std::size_t>(length, 2);
    }
  }
  return census;
}

// The 8x8 blocks the scans must cover, over all components.
std::uint64_t BlockCount(const jpeg_decompress_struct& cinfo) {
  std::uint64_t blocks = 0;
  for (int c = 0; c < cinfo.num_components; ++c) {
    blocks += std::uint64_t{cinfo.comp_info[c].width_in_blocks} * cinfo.comp_info[c].height_in_blocks;
  }
  return blocks;
}

// Adobe CMYK and YCCK files store inverted ink values.
std::uint8_t Ink(unsigned value, unsigned black) { return static_cast<std::uint8_t>((value * black + 127) / 255); }

// Everything that lives across the setjmp is set up by the caller, so that a
// jump back skips no destructor. Returns an empty text on success.
std::string Run(jpeg_decompress_struct& cinfo, ErrorManager& err, ProgressMonitor& progress,
                std::span<const std::uint8_t> file, DecodedImage& image, std::vector<std::uint8_t>& row) {
  if (setjmp(err.jump) != 0) return err.message[0] != '\0' ? std::string(err.message) : "JPEG decoding failed";

  jpeg_create_decompress(&cinfo);  // clears every field but the error manager
  cinfo.progress = &progress.base;
  cinfo.mem->max_memory_to_use = kMaxJpegDecoderMemory;  // beyond it, libjpeg fails instead of growing
  jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
  jpeg_read_header(&cinfo, TRUE);
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  if (cinfo.image_width == 0 || cinfo.image_height == 0) return "JPEG image has no pixels";
  if (cinfo.image_width > static_cast<JDIMENSION>(kMaxJpegDimension) ||
      cinfo.image_height > static_cast<JDIMENSION>(kMaxJpegDimension) ||
      std::uint64_t{cinfo.image_width} * cinfo.image_height > kMaxJpegPixels) {
    return "JPEG image of " + Size(cinfo) + " pixels is too large";
  }

  // Nothing of the pixel size is allocated yet; jpeg_start_decompress takes
  // the whole-image buffers of a multi-scan file, and the DIB follows it.
  // Both wait until the scans are few enough for the size, and the data can
  // describe it: with Huffman coding every block of every component starts
  // with a DC code of at least one bit, so a file with less than a bit of data
  // per block is cut short or claims a size it does not hold. Refusing it keeps
  // the memory taken within about 1,500 bytes of bitmap per byte of data.
  // Arithmetic coding can go below a bit per block, but only for near-flat
  // images: photographs take half a bit to several bits per pixel.
  progress.scanLimit = JpegScanLimit(std::uint64_t{cinfo.image_width} * cinfo.image_height);
  const Census census = TakeCensus(file, progress.scanLimit);
  if (census.scans > progress.scanLimit) {
    return "JPEG file has more than " + std::to_string(progress.scanLimit) + " scans for " + Size(cinfo) + " pixels";
  }
  if (census.dataBytes * 8 < BlockCount(cinfo)) return "JPEG file holds too little data for " + Size(cinfo) + " pixels";

  jpeg_start_decompress(&cinfo);
  if (cinfo.output_components != (cmyk ? 4 : 3)) return "JPEG colour conversion gave an unexpected layout";

  image.width = static_cast<std::int32_t>(cinfo.output_width);
  image.height = static_cast<std::int32_t>(cinfo.output_height);
  image.bitsPerPixel = 24;
  AllocateDib(image);
  row.resize(static_cast<std::size_t>(cinfo.output_width) * static_cast<std::size_t>(cinfo.output_components));
  const bool inverted = cmyk && cinfo.saw_Adobe_marker;
  const std::size_t stride = image.Stride();
  std::uint8_t* pixels = image.dib.data() + image.PixelOffset();
  while (cinfo.output_scanline < cinfo.output_height) {
    const std::size_t y = cinfo.output_scanline;
    JSAMPROW rows[1] = {row.data()};
    if (jpeg_read_scanlines(&cinfo, rows, 1) != 1) return "JPEG data ends early";
    std::uint8_t* dst = pixels + (static_cast<std::size_t>(image.height) - 1 - y) * stride;
    for (std::size_t x = 0; x < cinfo.output_width; ++x) {
      if (cmyk) {
        const std::uint8_t* s = row.data() + 4 * x;
        unsigned c = s[0], m = s[1], ye = s[2], k = s[3];
        if (!inverted) c = 255 - c, m = 255 - m, ye = 255 - ye, k = 255 - k;
        dst[3 * x] = Ink(ye, k);
        dst[3 * x + 1] = Ink(m, k);
        dst[3 * x + 2] = Ink(c, k);
      } else {
        const std::uint8_t* s = row.data() + 3 * x;
        dst[3 * x] = s[2];
        dst[3 * x + 1] = s[1];
        dst[3 * x + 2] = s[0];
      }
    }
  }
  jpeg_finish_decompress(&cinfo);
  return {};
}

}  // namespace

DecodedImage DecodeJpeg(std::span<const std::uint8_t> file) {
  if (file.empty()) throw ImageError("JPEG file is empty");
  if (file.size() > std::numeric_limits<unsigned long>::max()) throw ImageError("JPEG file is too large");
  jpeg_decompress_struct cinfo{};
  ErrorManager err{};
  cinfo.err = jpeg_std_error(&err.base);
  err.base.error_exit = Fail;
  err.base.emit_message = Message;
  err.base.output_message = SilentOutput;
  ProgressMonitor progress{};
  progress.base.progress_monitor = Progress;

  DecodedImage image;
  std::vector<std::uint8_t> row;
  const std::string failure = Run(cinfo, err, progress, file, image, row);
  jpeg_destroy_decompress(&cinfo);
  if (!failure.empty()) throw ImageError(failure);
  return image;
}

}  // namespace tembric::paste
