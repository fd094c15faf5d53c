// The user locale's word sort on Windows.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "platform/Collation.h"

namespace tembric::platform {
namespace {

class Win32Collation final : public Collation {
 public:
  int Compare(std::string_view a, std::string_view b) const override {
    const int lengthA = static_cast<int>(std::min<std::size_t>(a.size(), INT_MAX));
    const int lengthB = static_cast<int>(std::min<std::size_t>(b.size(), INT_MAX));
    const int result = CompareStringA(LOCALE_USER_DEFAULT, 0, a.data(), lengthA, b.data(), lengthB);
    if (result != 0) return result - CSTR_EQUAL;
    // The system refused (it should not for these arguments): byte order.
    const std::size_t common = std::min(a.size(), b.size());
    const int bytes = common == 0 ? 0 : std::memcmp(a.data(), b.data(), common);
    if (bytes != 0) return bytes;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
  }

  void FoldCase(std::string_view text, std::string& folded) const override {
    // The system locale's ANSI code page is the one the texts are written
    // in; a small letter there takes one byte as its capital does.
    folded.assign(text.size(), '\0');
    const bool mapped = !text.empty() && text.size() <= INT_MAX &&
                        LCMapStringA(LOCALE_SYSTEM_DEFAULT, LCMAP_LOWERCASE, text.data(), static_cast<int>(text.size()),
                                     folded.data(), static_cast<int>(text.size())) == static_cast<int>(text.size());
    if (!mapped) folded.assign(text);  // empty, or refused: the text as it is
  }
};

}  // namespace

const Collation& UserCollation() {
  static const Win32Collation collation;
  return collation;
}

}  // namespace tembric::platform
