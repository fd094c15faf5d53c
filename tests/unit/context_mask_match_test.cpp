// Title and web-address masks.

#include <gtest/gtest.h>

#include <string>

#include "context/MaskMatch.h"

namespace tembric::context {
namespace {

TEST(MaskMatch, MatchesTheWholeTextWithWildcardsSetsAndEitherLetterCase) {
  struct Case {
    const char* text;
    const char* mask;
    bool matches;
  };
  const Case cases[] = {
      {"Inbox - Outlook", "*Outlook", true},
      {"Inbox - Outlook", "Inbox*", true},
      {"Inbox - Outlook", "Inbox", false},  // the whole text
      {"", "*", true},
      {"", "", true},
      {"a", "", false},
      {"abc", "a?c", true},
      {"ac", "a?c", false},
      {"ac", "a*?c", true},   // "?" right after "*" adds nothing
      {"ac", "a*??c", true},  // nor any after it
      {"axyc", "a*?c", true},
      {"report 2026.doc", "report [0-9][0-9][0-9][0-9].doc", true},
      {"report 20x6.doc", "report [0-9][0-9][0-9][0-9].doc", false},
      {"B", "[abc]", true},  // upper-cased on both sides
      {"d", "[ABC]", false},
      {"d", "[!abc]", true},
      {"b", "[!abc]", false},
      {"-", "[a-]", true},  // a "-" before "]" is itself
      {"HELLO world", "hello*WORLD", true},
      {"\xC4rger", "\xE4rger", false},  // only A to Z fold
      {"a*b", "a[*]b", true},
      {"aXbXc", "*x*x*", true},
      {"aXbXc", "*x*x*x*", false},
      {"mississippi", "m*iss*ppi", true},
      {"mississippi", "m*iss*ppx", false},
  };
  for (const Case& c : cases) {
    const MaskResult result = MaskMatch(c.text, c.mask);
    EXPECT_EQ(result.matches, c.matches) << c.text << " / " << c.mask;
    EXPECT_EQ(result.error, "") << c.mask;
  }
}

TEST(MaskMatch, IllFormedMasksNameTheMaskAndThePositionAndNeverMatch) {
  const std::string thirtyStars = [] {
    std::string m;
    for (int i = 0; i < kMaxMaskStars; ++i) m += "a*";
    return m;
  }();
  struct Case {
    std::string mask;
    int position;  // 0: well-formed
  };
  const Case cases[] = {
      {"ab[cd", 6},              // not closed
      {"ab[!", 5},               // not closed
      {"x[]", 3},                // empty
      {"x[!]y", 4},              // empty
      {"[-z]", 2},               // a range beginning with "-"
      {"[a-c-z]", 5},            // so is the "-" after a range
      {thirtyStars, 0},          // 30 are allowed
      {thirtyStars + "b*", 62},  // the 31st
      {thirtyStars + "**", 0},   // adjacent ones count once
  };
  for (const Case& c : cases) {
    const MaskResult result = MaskMatch("anything", c.mask);
    if (c.position == 0) {
      EXPECT_EQ(result.error, "") << c.mask;
      continue;
    }
    EXPECT_FALSE(result.matches) << c.mask;
    EXPECT_EQ(result.error, "'" + c.mask + "' is an invalid mask at (" + std::to_string(c.position) + ")");
  }
}

}  // namespace
}  // namespace tembric::context
