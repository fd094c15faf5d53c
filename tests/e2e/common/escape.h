// One-line text as the end-to-end programs print it: backslash, line feed,
// carriage return and tab written as \\, \n, \r and \t. The probe and the
// paste target share it, so that the scenarios can compare what each prints.
#pragma once

#include <string>

namespace e2e {

inline std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace e2e
