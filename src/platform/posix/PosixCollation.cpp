// A portable approximation of the Windows user-locale word sort, so that the
// native build orders texts the way the Windows build does for the texts
// records usually carry. Texts are read as Windows-1252 for the order; the
// letter case is folded as one of the Windows ANSI code pages 1250 (Central
// European), 1251 (Cyrillic), 1252 (Western, the default) or 1253 (Greek)
// pairs capitals and small letters.
//
// The comparison has four levels; a later level decides only when the
// earlier ones found the texts equal:
//   1. Alphabetic: characters by their sort weight, accents and letter case
//      ignored. The hyphen, the apostrophe and control characters carry no
//      weight here (word sort: "co-op" sorts next to "coop"). Weights rise
//      in this order: space and punctuation, in the order
//      !"#$%&()*,./:;?@[\]^_`{|}~ followed by +<=>; then the digits; then
//      the letters a..z, accented ones with their base letter ("é" with
//      "e"); then the remaining bytes above 127, in byte order.
//   2. Accents: at the first letter that differs only in its accent, the
//      plain letter sorts first, then acute, grave, circumflex, caron, ring,
//      diaeresis, tilde, cedilla and stroke.
//   3. Case: at the first letter that differs only in case, the small letter
//      sorts first ("b" before "B" before "c").
//   4. The weightless characters: fewer of them first, then the bytes.
// Only texts with the same bytes compare equal.
//
// Limits, against the real word sort:
// - The ligatures "Æ", "Œ" and "ß" are not expanded into two letters, and
//   "Ð", "Þ" and the symbols above 127 sort after "z" by their byte.
// - French accent order (deciding by the last accent) is not used.
// - Only the common Latin order is followed: locales with other tables
//   (Scandinavian letters after "z", Turkish dotted and dotless i, Spanish
//   "ñ" as a letter of its own, ...) are not.
// - Digits compare one by one, as the word sort does without its option for
//   numeric order ("10" before "9").
#include "platform/posix/PosixCollation.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tembric::platform {
namespace {

constexpr std::uint16_t kIgnored = 0;

struct Weights {
  std::array<std::uint16_t, 256> primary{};
  std::array<std::uint8_t, 256> accent{};  // 0: none
  std::array<bool, 256> upper{};
};

// Accents in the order the word sort weighs them.
enum : std::uint8_t { kAcute = 1, kGrave, kCircumflex, kCaron, kRing, kDiaeresis, kTilde, kCedilla, kStroke };

// The accented letters of Windows-1252: byte, base letter (its case gives
// the letter's case) and accent.
struct Accented {
  unsigned char byte;
  char base;
  std::uint8_t accent;
};
constexpr Accented kAccented[] = {
    {0x8A, 'S', kCaron},      {0x8E, 'Z', kCaron},      {0x9A, 's', kCaron},      {0x9E, 'z', kCaron},
    {0x9F, 'Y', kDiaeresis},  {0xC0, 'A', kGrave},      {0xC1, 'A', kAcute},      {0xC2, 'A', kCircumflex},
    {0xC3, 'A', kTilde},      {0xC4, 'A', kDiaeresis},  {0xC5, 'A', kRing},       {0xC7, 'C', kCedilla},
    {0xC8, 'E', kGrave},      {0xC9, 'E', kAcute},      {0xCA, 'E', kCircumflex}, {0xCB, 'E', kDiaeresis},
    {0xCC, 'I', kGrave},      {0xCD, 'I', kAcute},      {0xCE, 'I', kCircumflex}, {0xCF, 'I', kDiaeresis},
    {0xD1, 'N', kTilde},      {0xD2, 'O', kGrave},      {0xD3, 'O', kAcute},      {0xD4, 'O', kCircumflex},
    {0xD5, 'O', kTilde},      {0xD6, 'O', kDiaeresis},  {0xD8, 'O', kStroke},     {0xD9, 'U', kGrave},
    {0xDA, 'U', kAcute},      {0xDB, 'U', kCircumflex}, {0xDC, 'U', kDiaeresis},  {0xDD, 'Y', kAcute},
    {0xE0, 'a', kGrave},      {0xE1, 'a', kAcute},      {0xE2, 'a', kCircumflex}, {0xE3, 'a', kTilde},
    {0xE4, 'a', kDiaeresis},  {0xE5, 'a', kRing},       {0xE7, 'c', kCedilla},    {0xE8, 'e', kGrave},
    {0xE9, 'e', kAcute},      {0xEA, 'e', kCircumflex}, {0xEB, 'e', kDiaeresis},  {0xEC, 'i', kGrave},
    {0xED, 'i', kAcute},      {0xEE, 'i', kCircumflex}, {0xEF, 'i', kDiaeresis},  {0xF1, 'n', kTilde},
    {0xF2, 'o', kGrave},      {0xF3, 'o', kAcute},      {0xF4, 'o', kCircumflex}, {0xF5, 'o', kTilde},
    {0xF6, 'o', kDiaeresis},  {0xF8, 'o', kStroke},     {0xF9, 'u', kGrave},      {0xFA, 'u', kAcute},
    {0xFB, 'u', kCircumflex}, {0xFC, 'u', kDiaeresis},  {0xFD, 'y', kAcute},      {0xFF, 'y', kDiaeresis},
};

constexpr Weights MakeWeights() {
  Weights w;
  std::uint16_t next = 1;
  // Control characters, the hyphen and the apostrophe stay at kIgnored.
  constexpr std::string_view kPunctuation = " !\"#$%&()*,./:;?@[\\]^_`{|}~+<=>";
  for (char c : kPunctuation) w.primary[static_cast<unsigned char>(c)] = next++;
  for (int c = '0'; c <= '9'; ++c) w.primary[static_cast<std::size_t>(c)] = next++;
  for (int c = 'a'; c <= 'z'; ++c) {
    w.primary[static_cast<std::size_t>(c)] = next;
    w.primary[static_cast<std::size_t>(c - 'a' + 'A')] = next;
    w.upper[static_cast<std::size_t>(c - 'a' + 'A')] = true;
    ++next;
  }
  for (int c = 128; c < 256; ++c) w.primary[static_cast<std::size_t>(c)] = next++;
  for (const Accented& a : kAccented) {
    const bool upper = a.base >= 'A' && a.base <= 'Z';
    w.primary[a.byte] = w.primary[static_cast<unsigned char>(a.base)];
    w.accent[a.byte] = a.accent;
    w.upper[a.byte] = upper;
  }
  return w;
}

constexpr Weights kWeights = MakeWeights();

std::uint16_t Primary(char c) { return kWeights.primary[static_cast<unsigned char>(c)]; }
std::uint8_t Accent(char c) { return kWeights.accent[static_cast<unsigned char>(c)]; }
bool Upper(char c) { return kWeights.upper[static_cast<unsigned char>(c)]; }

// Index of the next weighted character at or after `i`.
std::size_t SkipIgnored(std::string_view s, std::size_t i) {
  while (i < s.size() && Primary(s[i]) == kIgnored) ++i;
  return i;
}

int Sign(int n) { return n < 0 ? -1 : n > 0 ? 1 : 0; }

// Compares `level` of the weighted characters, which pair up one to one once
// the alphabetic weights are equal.
template <typename Level>
int CompareLevel(std::string_view a, std::string_view b, Level level) {
  std::size_t i = SkipIgnored(a, 0), j = SkipIgnored(b, 0);
  while (i < a.size() && j < b.size()) {
    const int d = static_cast<int>(level(a[i])) - static_cast<int>(level(b[j]));
    if (d != 0) return Sign(d);
    i = SkipIgnored(a, i + 1);
    j = SkipIgnored(b, j + 1);
  }
  return i < a.size() ? 1 : j < b.size() ? -1 : 0;
}

// Capitals first to last become small letters from `small` on.
struct CasePairs {
  unsigned char first, last, small;
};

using SmallLetters = std::array<unsigned char, 256>;

constexpr SmallLetters MakeSmallLetters(std::initializer_list<CasePairs> pairs) {
  SmallLetters table{};
  for (int c = 0; c < 256; ++c) table[static_cast<std::size_t>(c)] = static_cast<unsigned char>(c);
  for (int c = 'A'; c <= 'Z'; ++c) table[static_cast<std::size_t>(c)] = static_cast<unsigned char>(c - 'A' + 'a');
  for (const CasePairs& p : pairs) {
    for (int c = p.first; c <= p.last; ++c)
      table[static_cast<std::size_t>(c)] = static_cast<unsigned char>(p.small + c - p.first);
  }
  return table;
}

// The letter pairs above 127 of each code page, as Windows lower-cases them.
constexpr SmallLetters kSmall1250 = MakeSmallLetters({{0x8A, 0x8A, 0x9A},
                                                      {0x8C, 0x8F, 0x9C},
                                                      {0xA3, 0xA3, 0xB3},
                                                      {0xA5, 0xA5, 0xB9},
                                                      {0xAA, 0xAA, 0xBA},
                                                      {0xAF, 0xAF, 0xBF},
                                                      {0xBC, 0xBC, 0xBE},
                                                      {0xC0, 0xD6, 0xE0},
                                                      {0xD8, 0xDE, 0xF8}});
constexpr SmallLetters kSmall1251 = MakeSmallLetters({{0x80, 0x80, 0x90},
                                                      {0x81, 0x81, 0x83},
                                                      {0x8A, 0x8A, 0x9A},
                                                      {0x8C, 0x8F, 0x9C},
                                                      {0xA1, 0xA1, 0xA2},
                                                      {0xA3, 0xA3, 0xBC},
                                                      {0xA5, 0xA5, 0xB4},
                                                      {0xA8, 0xA8, 0xB8},
                                                      {0xAA, 0xAA, 0xBA},
                                                      {0xAF, 0xAF, 0xBF},
                                                      {0xB2, 0xB2, 0xB3},
                                                      {0xBD, 0xBD, 0xBE},
                                                      {0xC0, 0xDF, 0xE0}});
constexpr SmallLetters kSmall1252 = MakeSmallLetters({{0x8A, 0x8A, 0x9A},
                                                      {0x8C, 0x8C, 0x9C},
                                                      {0x8E, 0x8E, 0x9E},
                                                      {0x9F, 0x9F, 0xFF},
                                                      {0xC0, 0xD6, 0xE0},
                                                      {0xD8, 0xDE, 0xF8}});
constexpr SmallLetters kSmall1253 = MakeSmallLetters({{0xA2, 0xA2, 0xDC},
                                                      {0xB8, 0xBA, 0xDD},
                                                      {0xBC, 0xBC, 0xFC},
                                                      {0xBE, 0xBF, 0xFD},
                                                      {0xC1, 0xD1, 0xE1},
                                                      {0xD3, 0xDB, 0xF3}});

class PosixCollation final : public Collation {
 public:
  explicit constexpr PosixCollation(const SmallLetters& small) : small_(small) {}

  void FoldCase(std::string_view text, std::string& folded) const override {
    folded.assign(text);
    for (char& c : folded) c = static_cast<char>(small_[static_cast<unsigned char>(c)]);
  }

  int Compare(std::string_view a, std::string_view b) const override {
    if (const int d = CompareLevel(a, b, [](char c) { return Primary(c); })) return d;
    if (const int d = CompareLevel(a, b, [](char c) { return Accent(c); })) return d;
    if (const int d = CompareLevel(a, b, [](char c) { return Upper(c); })) return d;
    std::size_t ignoredA = 0, ignoredB = 0;
    for (char c : a) ignoredA += Primary(c) == kIgnored ? 1 : 0;
    for (char c : b) ignoredB += Primary(c) == kIgnored ? 1 : 0;
    if (ignoredA != ignoredB) return ignoredA < ignoredB ? -1 : 1;
    return Sign(a.compare(b));
  }

 private:
  const SmallLetters& small_;
};

}  // namespace

const Collation& CodePageCollation(unsigned codePage) {
  static const PosixCollation cp1250(kSmall1250), cp1251(kSmall1251), cp1252(kSmall1252), cp1253(kSmall1253);
  switch (codePage) {
    case 1250:
      return cp1250;
    case 1251:
      return cp1251;
    case 1252:
      return cp1252;
    case 1253:
      return cp1253;
    default:
      throw std::invalid_argument("No letter case table for code page " + std::to_string(codePage));
  }
}

const Collation& UserCollation() { return CodePageCollation(1252); }

}  // namespace tembric::platform
