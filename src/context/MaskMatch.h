#pragma once
// Window-title and web-address masks: "*" any run of characters, "?" one
// character ("?" right after "*" adds nothing), "[...]" one character of a
// set of characters and ranges ("a-z"), "[!...]" one character outside it.
// The mask must match the whole text; letters A to Z match in either case.

#include <cstddef>
#include <string>
#include <string_view>

namespace tembric::context {

// A set that is not closed, empty, or begins a range with "-", and more than
// this many "*" (adjacent ones counting as one), make a mask ill-formed.
inline constexpr int kMaxMaskStars = 30;

struct MaskResult {
  bool matches = false;
  // Empty for a well-formed mask; else "'<mask>' is an invalid mask at (<n>)",
  // n the 1-based position in the mask where the fault was found.
  std::string error;
};

MaskResult MaskMatch(std::string_view text, std::string_view mask);

}  // namespace tembric::context
