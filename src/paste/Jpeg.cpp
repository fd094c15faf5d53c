#include "paste/Jpeg.h"

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
  (*cinfo->err->format_message)(cinfo, err->message);
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

void Progress(j_common_ptr cinfo) {
  auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (d->input_scan_number > kMaxJpegScans) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::snprintf(err->message, sizeof err->message, "JPEG file has more than %d scans", kMaxJpegScans);
    std::longjmp(err->jump, 1);
  }
}

// Adobe CMYK and YCCK files store inverted ink values.
std::uint8_t Ink(unsigned value, unsigned black) { return static_cast<std::uint8_t>((value * black + 127) / 255); }

// Everything that lives across the setjmp is set up by the caller, so that a
// jump back skips no destructor. Returns an empty text on success.
std::string Run(jpeg_decompress_struct& cinfo, ErrorManager& err, jpeg_progress_mgr& progress,
                std::span<const std::uint8_t> file, DecodedImage& image, std::vector<std::uint8_t>& row) {
  if (setjmp(err.jump) != 0) return err.message[0] != '\0' ? std::string(err.message) : "JPEG decoding failed";

  jpeg_create_decompress(&cinfo);  // clears every field but the error manager
  cinfo.progress = &progress;
  jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
  jpeg_read_header(&cinfo, TRUE);
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  if (cinfo.image_width == 0 || cinfo.image_height == 0) return "JPEG image has no pixels";
  if (cinfo.image_width > static_cast<JDIMENSION>(kMaxJpegDimension) ||
      cinfo.image_height > static_cast<JDIMENSION>(kMaxJpegDimension) ||
      std::uint64_t{cinfo.image_width} * cinfo.image_height > kMaxJpegPixels) {
    return "JPEG image of " + std::to_string(cinfo.image_width) + " by " + std::to_string(cinfo.image_height) +
           " pixels is too large";
  }
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
  jpeg_progress_mgr progress{};
  progress.progress_monitor = Progress;

  DecodedImage image;
  std::vector<std::uint8_t> row;
  const std::string failure = Run(cinfo, err, progress, file, image, row);
  jpeg_destroy_decompress(&cinfo);
  if (!failure.empty()) throw ImageError(failure);
  return image;
}

}  // namespace tembric::paste
