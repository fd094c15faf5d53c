#pragma once
// Comparison of texts as the user's locale orders them (case-sensitive,
// symbols before digits before letters, "b" before "B" before "c").

#include <string>
#include <string_view>

namespace tembric::platform {

class Collation {
 public:
  virtual ~Collation() = default;
  // Negative, zero or positive as `a` sorts before, with or after `b`.
  virtual int Compare(std::string_view a, std::string_view b) const = 0;
  // Writes `text` with its letters in small case, as the system's ANSI code
  // page pairs them, into `folded`: texts equal but for letter case fold
  // alike. Bytes of no letter pair stay.
  virtual void FoldCase(std::string_view text, std::string& folded) const = 0;
};

// The running system's user locale (CompareStringA on Windows; a portable
// approximation of the Windows word sort elsewhere) and the system's ANSI
// code page (Windows-1252 elsewhere).
const Collation& UserCollation();

}  // namespace tembric::platform
