// The settings file reader and writer. It reproduces how the Windows
// profile-file functions see a file, so that this program and the companion
// library's options dialog (which uses those functions) always agree on a
// value:
//
//  - The text is split into lines at CR, LF or CR LF. Each line is trimmed of
//    blanks (see IsBlank); a line that is empty then carries nothing.
//  - A trimmed line that begins with "[" and holds a "]" starts a section
//    named by the text between the "[" and the line's last "]", trimmed; text
//    after that "]" is ignored. A "[" line without "]" is an ordinary line.
//  - Every other line is an entry of the current section: its name is the
//    text before the first "=" (trimmed), its value the text after it up to
//    the end of the trimmed line. A line without "=" is an entry whose whole
//    text is the name and that has no value; it still hides later entries of
//    the same name. Comment lines (";...") are entries like any other, which
//    nobody asks for.
//  - Lines before the first section header form a section with an empty name.
//  - Names and values end at a NUL byte, as the C strings they become do.
//    Trimming happens before that cut, so blanks just before a NUL stay.
//  - A value loses one pair of enclosing quotes (double or single) and is then
//    cut to 2,047 characters. A missing key gives the caller's default as it
//    was given.
//  - A lookup takes the first section of the name and, inside it only, the
//    first entry of the name; a later section of the same name is never
//    searched.
//  - A UTF-8 byte order mark at the very start is skipped. The text is
//    otherwise handled as bytes: names match without regard to the case of
//    ASCII letters, and values come back byte for byte.

#include "app/SettingsFile.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"

namespace tembric::app {
namespace {

constexpr std::size_t kMaxValueLength = 2047;
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kNewLine = "\r\n";

// The characters trimmed around lines, names and values: tab, line feed,
// vertical tab, form feed, carriage return, space, and Ctrl+Z (the old DOS
// end-of-file mark, found in files copied from old media).
bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1a'; }

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

std::string_view CutAtNul(std::string_view s) { return s.substr(0, s.find('\0')); }

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

// A section or key name as a caller gives it: a C string, trimmed.
std::string_view QueryName(std::string_view name) { return Trim(CutAtNul(name)); }

// One line of the file. Offsets are into the whole file's bytes.
struct Line {
  std::size_t begin = 0;
  std::size_t contentEnd = 0;  // where the line break starts
  std::size_t end = 0;         // after the line break (== contentEnd on the last line without one)
  enum class Kind { kBlank, kHeader, kEntry } kind = Kind::kBlank;
  std::string_view name;                  // section name (header) or key name (entry)
  std::optional<std::string_view> value;  // entries only; none when the line has no "="
  std::size_t afterEquals = 0;            // entries with "=": just after the "="
  std::size_t valueBegin = 0;             // entries with "=": after the blanks that follow the "="
  std::size_t nameEnd = 0;                // entries: end of the trimmed name
};

struct Section {
  std::string_view name;
  std::size_t firstLine = 0;  // the header line, or 0 for the unnamed section before the first header
  std::size_t endLine = 0;    // one past the section's last line
};

// The file's bytes, split into lines and sections. Views point into `text`.
class Document {
 public:
  explicit Document(std::string text) : text_(std::move(text)) {
    bodyBegin_ = text_.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0;
    SplitLines();
    GroupSections();
  }
  // The lines hold views into text_.
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  const std::string& Text() const { return text_; }
  std::size_t BodyBegin() const { return bodyBegin_; }
  const std::vector<Line>& Lines() const { return lines_; }

  const Section* FindSection(std::string_view name) const {
    for (const Section& s : sections_) {
      if (EqualNoCase(s.name, name)) return &s;
    }
    return nullptr;
  }

  const Line* FindEntry(const Section& section, std::string_view key) const {
    for (std::size_t i = section.firstLine; i < section.endLine; ++i) {
      const Line& line = lines_[i];
      if (line.kind == Line::Kind::kEntry && EqualNoCase(line.name, key)) return &line;
    }
    return nullptr;
  }

 private:
  void SplitLines() {
    std::size_t pos = bodyBegin_;
    while (pos < text_.size()) {
      Line line;
      line.begin = pos;
      const std::size_t brk = text_.find_first_of("\r\n", pos);
      line.contentEnd = brk == std::string::npos ? text_.size() : brk;
      line.end = line.contentEnd;
      if (line.end < text_.size()) {
        // One line break: CR LF, a lone CR or a lone LF.
        if (text_[line.end] == '\r' && line.end + 1 < text_.size() && text_[line.end + 1] == '\n') {
          line.end += 2;
        } else {
          line.end += 1;
        }
      }
      Classify(line);
      lines_.push_back(line);
      pos = line.end;
    }
  }

  void Classify(Line& line) const {
    const std::string_view all(text_);
    const std::string_view content = all.substr(line.begin, line.contentEnd - line.begin);
    const std::string_view trimmed = Trim(content);
    if (trimmed.empty()) return;
    const std::size_t trimmedBegin = static_cast<std::size_t>(trimmed.data() - all.data());

    if (trimmed.front() == '[') {
      const std::size_t close = trimmed.rfind(']');
      if (close != 0 && close != std::string_view::npos) {
        line.kind = Line::Kind::kHeader;
        line.name = CutAtNul(Trim(trimmed.substr(1, close - 1)));
        return;
      }
    }

    line.kind = Line::Kind::kEntry;
    const std::size_t eq = trimmed.find('=');
    if (eq == std::string_view::npos) {
      line.name = CutAtNul(trimmed);
      line.nameEnd = trimmedBegin + trimmed.size();
      return;
    }
    const std::string_view name = TrimRight(trimmed.substr(0, eq));
    line.name = CutAtNul(name);
    line.nameEnd = trimmedBegin + name.size();
    line.afterEquals = trimmedBegin + eq + 1;
    line.valueBegin = line.afterEquals;
    while (line.valueBegin < line.contentEnd && IsBlank(all[line.valueBegin])) ++line.valueBegin;
    line.value = CutAtNul(TrimLeft(trimmed.substr(eq + 1)));
  }

  void GroupSections() {
    Section current;  // the unnamed section before the first header
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      if (lines_[i].kind != Line::Kind::kHeader) continue;
      current.endLine = i;
      sections_.push_back(current);
      current = Section{lines_[i].name, i, i};
    }
    current.endLine = lines_.size();
    sections_.push_back(current);
  }

  std::string text_;
  std::size_t bodyBegin_ = 0;
  std::vector<Line> lines_;
  std::vector<Section> sections_;
};

// A value as a read returns it: without one pair of enclosing quotes (double
// or single) and at most kMaxValueLength characters long.
std::string_view ReturnedValue(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value.substr(0, kMaxValueLength);
}

// A written text stops at its first line break or NUL: the rest could not be
// read back as part of it and would turn into lines of its own.
std::string_view WrittenText(std::string_view text) {
  return text.substr(0, text.find_first_of(std::string_view("\r\n\0", 3)));
}

bool ParseDigits(std::string_view digits, unsigned base, std::uint64_t limit, std::uint64_t& out) {
  if (digits.empty()) return false;
  std::uint64_t value = 0;
  for (const char c : digits) {
    unsigned digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      return false;
    }
    value = value * base + digit;
    if (value > limit) return false;
  }
  out = value;
  return true;
}

}  // namespace

SettingsFile::SettingsFile(platform::FileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}

namespace {

// The file's bytes; a file that is missing or cannot be read reads as empty,
// so that every key gives its default.
std::string LoadForReading(platform::FileSystem& fs, const std::string& path) {
  try {
    const std::vector<std::uint8_t> bytes = fs.ReadAll(path);
    return std::string(bytes.begin(), bytes.end());
  } catch (const platform::FileError&) {
    return {};
  }
}

}  // namespace

std::string SettingsFile::ReadString(std::string_view section, std::string_view key,
                                     std::string_view defaultValue) const {
  const Document doc(LoadForReading(fs_, path_));
  const Section* s = doc.FindSection(QueryName(section));
  if (!s) return std::string(defaultValue);
  const Line* entry = doc.FindEntry(*s, QueryName(key));
  if (!entry || !entry->value) return std::string(defaultValue);
  return std::string(ReturnedValue(*entry->value));
}

std::int32_t SettingsFile::ReadInteger(std::string_view section, std::string_view key,
                                       std::int32_t defaultValue) const {
  // A missing key and an empty value both fail to parse and give the default.
  std::int32_t value = 0;
  return ParseProfileInteger(ReadString(section, key, ""), value) ? value : defaultValue;
}

bool SettingsFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void SettingsFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  std::string text;
  if (fs_.Exists(path_)) {
    // A file that is there but cannot be read must not be replaced by one
    // that holds only the new key.
    try {
      const std::vector<std::uint8_t> bytes = fs_.ReadAll(path_);
      text.assign(bytes.begin(), bytes.end());
    } catch (const platform::FileError&) {
      throw SettingsWriteError(path_);
    }
  }

  const Document doc(std::move(text));
  const std::string_view sectionName = Trim(WrittenText(section));
  const std::string_view keyName = Trim(WrittenText(key));
  const std::string_view newValue = WrittenText(value);
  const std::string& old = doc.Text();
  std::string updated;

  if (const Section* s = doc.FindSection(sectionName)) {
    if (const Line* entry = doc.FindEntry(*s, keyName)) {
      // Replace the value in place. The name as the file spells it, the
      // blanks between "=" and value, and the line break stay; a value that
      // begins with blanks of its own, or none at all, follows the "=" directly
      // (so that writing it again changes nothing).
      std::size_t keep = entry->nameEnd;
      if (entry->value) {
        keep = newValue.empty() || IsBlank(newValue.front()) ? entry->afterEquals : entry->valueBegin;
      }
      updated.reserve(old.size() + newValue.size() + 1);
      updated.append(old, 0, keep);
      if (!entry->value) updated += '=';
      updated += newValue;
      updated.append(old, entry->contentEnd);
    } else {
      // Add the key after the section's last line that is not blank, so that
      // blank lines that separate it from the next section stay after it.
      std::size_t insertAt = doc.BodyBegin();
      bool needsBreak = false;
      for (std::size_t i = s->endLine; i-- > s->firstLine;) {
        const Line& line = doc.Lines()[i];
        if (line.kind != Line::Kind::kBlank) {
          insertAt = line.end;
          needsBreak = line.end == line.contentEnd;  // the file's last line, without a line break
          break;
        }
      }
      updated.reserve(old.size() + keyName.size() + newValue.size() + 5);
      updated.append(old, 0, insertAt);
      if (needsBreak) updated += kNewLine;
      updated.append(keyName).append("=").append(newValue).append(kNewLine);
      updated.append(old, insertAt);
    }
  } else {
    updated = old;
    if (updated.size() > doc.BodyBegin() && updated.back() != '\n' && updated.back() != '\r') {
      updated += kNewLine;
    }
    updated.append("[").append(sectionName).append("]").append(kNewLine);
    updated.append(keyName).append("=").append(newValue).append(kNewLine);
  }

  if (updated == old) return;  // the value is there already: nothing to write
  try {
    platform::WriteFileAtomically(fs_, path_, std::vector<std::uint8_t>(updated.begin(), updated.end()));
  } catch (const platform::FileError&) {
    throw SettingsWriteError(path_);
  }
}

void SettingsFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void SettingsFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

bool ParseProfileInteger(std::string_view text, std::int32_t& out) {
  std::uint64_t magnitude = 0;
  // Hexadecimal texts give a 32-bit pattern: "$FFFFFFFF" is -1.
  if (text.starts_with('$') || (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))) {
    const std::string_view digits = text.substr(text[0] == '$' ? 1 : 2);
    if (!ParseDigits(digits, 16, 0xFFFFFFFFu, magnitude)) return false;
    out = static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
    return true;
  }
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  const std::uint64_t limit = negative ? 0x80000000u : 0x7FFFFFFFu;
  if (!ParseDigits(text, 10, limit, magnitude)) return false;
  out = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude))
                 : static_cast<std::int32_t>(magnitude);
  return true;
}

std::string SettingsPathFor(std::string_view executablePath) {
  // The extension starts at the last "." of the file name; a dot in a folder
  // name does not count. ":" ends a drive prefix such as "C:".
  const std::size_t nameBegin = [&] {
    const std::size_t sep = executablePath.find_last_of("\\/:");
    return sep == std::string_view::npos ? 0 : sep + 1;
  }();
  const std::size_t dot = executablePath.rfind('.');
  const std::size_t stemEnd = dot != std::string_view::npos && dot >= nameBegin ? dot : executablePath.size();
  return std::string(executablePath.substr(0, stemEnd)) + ".ini";
}

}  // namespace tembric::app
