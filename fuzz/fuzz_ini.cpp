// Arbitrary bytes as a settings file. Reads must stay within bounds and
// return at most 2,047 characters; a write must read back as written, leave
// every other key as it read before, and a second identical write must not
// touch the file.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "../tests/fakes/ScriptedFileSystem.h"
#include "app/SettingsFile.h"

namespace {

using tembric::app::SettingsFile;

constexpr char kPath[] = "C:\\Tembric\\Tembric.ini";
constexpr char kDefault[] =
    "\x01"
    "default";

void Require(bool ok) {
  if (!ok) std::abort();
}

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1a'; }

// A name as a lookup sees it: up to a NUL, trimmed, in lower case.
std::string Normal(std::string_view s) {
  s = s.substr(0, s.find('\0'));
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// Names worth asking for: fixed ones, and the first section and key names
// that appear in the input.
void CollectNames(std::string_view text, std::vector<std::string>& sections, std::vector<std::string>& keys) {
  sections = {"Basic", "GUI", "", "Plugin\\Clock", "s"};
  keys = {"DBVersion", "TranspValue", "ShortCut", "", "a"};
  if (const auto open = text.find('['); open != std::string_view::npos) {
    const auto close = text.find(']', open);
    if (close != std::string_view::npos && close - open < 64)
      sections.emplace_back(text.substr(open + 1, close - open - 1));
  }
  if (const auto eq = text.find('='); eq != std::string_view::npos) {
    const auto start = text.find_last_of("\r\n", eq);
    const std::size_t from = start == std::string_view::npos ? 0 : start + 1;
    if (eq - from < 64) keys.emplace_back(text.substr(from, eq - from));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  tembric::fakes::ScriptedFileSystem fs;
  fs.Put(kPath, text);
  SettingsFile settings(fs, kPath);

  std::vector<std::string> sections, keys;
  CollectNames(text, sections, keys);
  std::vector<std::string> before;
  for (const auto& s : sections) {
    for (const auto& k : keys) {
      before.push_back(settings.ReadString(s, k, kDefault));
      Require(before.back().size() <= 2047 || before.back() == kDefault);
      settings.ReadInteger(s, k, 0);
    }
  }
  if (size < 2) return 0;

  // The write: a fixed section and key chosen by the first two bytes, and the
  // input's last bytes as the value.
  const std::string& section = sections[data[0] % 5];
  const std::string& key = keys[data[1] % 5];
  const std::string value = text.substr(size > 40 ? size - 40 : 0);
  settings.WriteString(section, key, value);

  // The value as it can come back: up to its first line break or NUL.
  const std::string written = value.substr(0, value.find_first_of(std::string_view("\r\n\0", 3)));
  const bool plain = written.empty() || (!IsBlank(written.front()) && !IsBlank(written.back()) &&
                                         !(written.size() >= 2 && (written.front() == '"' || written.front() == '\'') &&
                                           written.back() == written.front()));
  if (plain) Require(settings.ReadString(section, key, kDefault) == written);

  std::size_t i = 0;
  for (const auto& s : sections) {
    for (const auto& k : keys) {
      const bool same = Normal(s) == Normal(section) && Normal(k) == Normal(key);
      if (!same) Require(settings.ReadString(s, k, kDefault) == before[i]);
      ++i;
    }
  }

  const int replacements = fs.Replacements();
  settings.WriteString(section, key, value);
  Require(fs.Replacements() == replacements);
  return 0;
}
