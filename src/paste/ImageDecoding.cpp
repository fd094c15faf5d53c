#include "paste/ImageDecoding.h"

#include "paste/Bmp.h"
#include "paste/Jpeg.h"

namespace tembric::paste {

std::vector<std::uint8_t> FileImageDecoder::DecodeToDib(ImageFormat format, std::span<const std::uint8_t> bytes) {
  DecodedImage image = format == ImageFormat::Jpeg ? DecodeJpeg(bytes) : DecodeBmp(bytes);
  return std::move(image.dib);
}

}  // namespace tembric::paste
