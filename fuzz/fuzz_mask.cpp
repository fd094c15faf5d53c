// Window-title and web-address masks as stored in the windows table: any
// bytes, split at the first zero into a text and a mask.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "context/MaskMatch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view all(reinterpret_cast<const char*>(data), size);
  const std::size_t zero = all.find('\0');
  const std::string_view mask = all.substr(0, zero);
  const std::string_view text = zero == std::string_view::npos ? all : all.substr(zero + 1);
  const tembric::context::MaskResult result = tembric::context::MaskMatch(text, mask);
  if (!result.error.empty() && result.matches) __builtin_trap();  // an ill-formed mask never matches
  return 0;
}
