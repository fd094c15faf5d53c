#pragma once
// The image decoder the program pastes with: BMP files through our own
// reader, JPEG files through libjpeg.

#include "paste/PasteAction.h"

namespace tembric::paste {

class FileImageDecoder final : public ImageDecoder {
 public:
  std::vector<std::uint8_t> DecodeToDib(ImageFormat format, std::span<const std::uint8_t> bytes) override;
};

}  // namespace tembric::paste
