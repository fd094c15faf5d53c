#include "context/MaskMatch.h"

#include <optional>
#include <utility>
#include <vector>

namespace tembric::context {
namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

struct Token {
  enum class Kind { Literal, One, Star, Set } kind = Kind::Literal;
  char literal = 0;
  bool negated = false;
  std::vector<std::pair<char, char>> ranges;  // a single character is a range of one

  bool Accepts(char c) const {
    switch (kind) {
      case Kind::Literal:
        return c == literal;
      case Kind::One:
        return true;
      case Kind::Set: {
        bool in = false;
        for (const auto& [low, high] : ranges)
          if (static_cast<unsigned char>(c) >= static_cast<unsigned char>(low) &&
              static_cast<unsigned char>(c) <= static_cast<unsigned char>(high))
            in = true;
        return in != negated;
      }
      case Kind::Star:
        break;
    }
    return false;
  }
};

Token Of(Token::Kind kind, char literal = 0) {
  Token token;
  token.kind = kind;
  token.literal = literal;
  return token;
}

// The mask as tokens, or the 1-based position of its fault.
struct Parsed {
  std::vector<Token> tokens;
  std::size_t faultAt = 0;
};

Parsed Parse(std::string_view mask) {
  Parsed out;
  int stars = 0;
  std::size_t i = 0;
  while (i < mask.size()) {
    const char c = Upper(mask[i]);
    const bool afterStar = !out.tokens.empty() && out.tokens.back().kind == Token::Kind::Star;
    if (c == '*') {
      if (!afterStar && ++stars > kMaxMaskStars) {
        out.faultAt = i + 1;
        return out;
      }
      if (!afterStar) out.tokens.push_back(Of(Token::Kind::Star));
      ++i;
    } else if (c == '?') {
      if (!afterStar) out.tokens.push_back(Of(Token::Kind::One));
      ++i;
    } else if (c == '[') {
      Token set = Of(Token::Kind::Set);
      ++i;
      if (i < mask.size() && mask[i] == '!') {
        set.negated = true;
        ++i;
      }
      for (;;) {
        if (i >= mask.size()) {  // not closed
          out.faultAt = mask.size() + 1;
          return out;
        }
        const char first = Upper(mask[i]);
        if (first == ']') break;
        const bool lastInSet = i + 1 < mask.size() && mask[i + 1] == ']';
        if (first == '-' && !(lastInSet && !set.ranges.empty())) {  // a range cannot begin with "-"
          out.faultAt = i + 1;
          return out;
        }
        char last = first;
        if (i + 2 < mask.size() && mask[i + 1] == '-' && mask[i + 2] != ']') {
          last = Upper(mask[i + 2]);
          i += 2;
        }
        set.ranges.emplace_back(first, last);
        ++i;
      }
      if (set.ranges.empty()) {  // "[]" or "[!]"
        out.faultAt = i + 1;
        return out;
      }
      ++i;  // the "]"
      out.tokens.push_back(std::move(set));
    } else {
      out.tokens.push_back(Of(Token::Kind::Literal, c));
      ++i;
    }
  }
  return out;
}

// Every token but "*" takes exactly one character, so the last "*" seen is
// the only place to go back to: a failure after it lets it take one more.
bool Matches(const std::vector<Token>& tokens, std::string_view text) {
  std::size_t t = 0, k = 0;
  std::optional<std::size_t> starToken;
  std::size_t starText = 0;
  while (t < text.size()) {
    if (k < tokens.size() && tokens[k].kind == Token::Kind::Star) {
      starToken = k++;
      starText = t;
    } else if (k < tokens.size() && tokens[k].Accepts(Upper(text[t]))) {
      ++k;
      ++t;
    } else if (starToken) {
      k = *starToken + 1;
      t = ++starText;
    } else {
      return false;
    }
  }
  while (k < tokens.size() && tokens[k].kind == Token::Kind::Star) ++k;
  return k == tokens.size();
}

}  // namespace

MaskResult MaskMatch(std::string_view text, std::string_view mask) {
  const Parsed parsed = Parse(mask);
  if (parsed.faultAt != 0) {
    std::string error = "'";
    error.append(mask).append("' is an invalid mask at (").append(std::to_string(parsed.faultAt)).append(")");
    return {.matches = false, .error = std::move(error)};
  }
  return {.matches = Matches(parsed.tokens, text), .error = {}};
}

}  // namespace tembric::context
