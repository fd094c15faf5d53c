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

// One line of the file that carries something: blank lines are not kept, so
// that a line costs the same few bytes however short it is. Offsets are into
// the whole file's bytes, which kMaxSettingsFileSize keeps within 32 bits.
struct Line {
  std::uint32_t contentEnd = 0;  // where the line break starts
  std::uint32_t end = 0;         // after the line break (== contentEnd on the last line without one)
  std::uint32_t nameBegin = 0;   // section name (header) or key name (entry), cut at a NUL
  std::uint32_t nameSize = 0;
  std::uint32_t nameEnd = 0;      // entries: end of the trimmed name
  std::uint32_t afterEquals = 0;  // entries: just after the "=", or 0 when the line has none
  std::uint32_t valueBegin = 0;   // entries with "=": after the blanks that follow the "="
  std::uint32_t valueSize = 0;    // the value up to the end of the trimmed line, cut at a NUL
  bool header = false;

  bool HasValue() const { return afterEquals != 0; }
};

struct Section {
  std::string_view name;
  std::size_t firstLine = 0;  // the header line, or 0 for the unnamed section before the first header
  std::size_t endLine = 0;    // one past the section's last line
};

std::uint32_t Offset(std::size_t at) { return static_cast<std::uint32_t>(at); }

// The file's bytes, split into lines and sections. Views point into `text`,
// which must not be longer than kMaxSettingsFileSize.
class Document {
 public:
  explicit Document(std::string text) : text_(std::move(text)) {
    bodyBegin_ = text_.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0;
    SplitLines();
    GroupSections();
  }
  // The sections hold views into text_.
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  const std::string& Text() const { return text_; }
  std::size_t BodyBegin() const { return bodyBegin_; }
  const std::vector<Line>& Lines() const { return lines_; }

  std::string_view Name(const Line& line) const {
    return std::string_view(text_).substr(line.nameBegin, line.nameSize);
  }
  std::string_view Value(const Line& line) const {
    return std::string_view(text_).substr(line.valueBegin, line.valueSize);
  }

  const Section* FindSection(std::string_view name) const {
    for (const Section& s : sections_) {
      if (EqualNoCase(s.name, name)) return &s;
    }
    return nullptr;
  }

  const Line* FindEntry(const Section& section, std::string_view key) const {
    for (std::size_t i = section.firstLine; i < section.endLine; ++i) {
      const Line& line = lines_[i];
      if (!line.header && EqualNoCase(Name(line), key)) return &line;
    }
    return nullptr;
  }

 private:
  void SplitLines() {
    std::size_t pos = bodyBegin_;
    while (pos < text_.size()) {
      const std::size_t brk = text_.find_first_of("\r\n", pos);
      const std::size_t contentEnd = brk == std::string::npos ? text_.size() : brk;
      std::size_t end = contentEnd;
      if (end < text_.size()) {
        // One line break: CR LF, a lone CR or a lone LF.
        end += text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n' ? 2 : 1;
      }
      Classify(pos, contentEnd, end);
      pos = end;
    }
  }

  void Classify(std::size_t begin, std::size_t contentEnd, std::size_t end) {
    const std::string_view all(text_);
    const std::string_view trimmed = Trim(all.substr(begin, contentEnd - begin));
    if (trimmed.empty()) return;  // a blank line carries nothing
    const std::size_t trimmedBegin = static_cast<std::size_t>(trimmed.data() - all.data());
    Line line;
    line.contentEnd = Offset(contentEnd);
    line.end = Offset(end);
    auto setName = [&](std::string_view name) {
      name = CutAtNul(name);
      line.nameBegin = Offset(static_cast<std::size_t>(name.data() - all.data()));
      line.nameSize = Offset(name.size());
    };

    if (trimmed.front() == '[') {
      const std::size_t close = trimmed.rfind(']');
      if (close != 0 && close != std::string_view::npos) {
        line.header = true;
        setName(Trim(trimmed.substr(1, close - 1)));
        lines_.push_back(line);
        return;
      }
    }

    const std::size_t eq = trimmed.find('=');
    if (eq == std::string_view::npos) {
      setName(trimmed);
      line.nameEnd = Offset(trimmedBegin + trimmed.size());
      lines_.push_back(line);
      return;
    }
    const std::string_view name = TrimRight(trimmed.substr(0, eq));
    setName(name);
    line.nameEnd = Offset(trimmedBegin + name.size());
    line.afterEquals = Offset(trimmedBegin + eq + 1);
    std::size_t valueBegin = line.afterEquals;
    while (valueBegin < contentEnd && IsBlank(all[valueBegin])) ++valueBegin;
    line.valueBegin = Offset(valueBegin);
    // Where the value is not empty it starts at valueBegin.
    line.valueSize = Offset(CutAtNul(TrimLeft(trimmed.substr(eq + 1))).size());
    lines_.push_back(line);
  }

  void GroupSections() {
    Section current;  // the unnamed section before the first header
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      if (!lines_[i].header) continue;
      current.endLine = i;
      sections_.push_back(current);
      current = Section{Name(lines_[i]), i, i};
    }
    current.endLine = lines_.size();
    sections_.push_back(current);
  }

  std::string text_;
  std::size_t bodyBegin_ = 0;
  std::vector<Line> lines_;
  std::vector<Section> sections_;
};

std::string TooLarge() {
  return "the file is over " + std::to_string(kMaxSettingsFileSize >> 20) + " MB, too large for a settings file";
}

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

class SettingsFile::Parsed {
 public:
  Parsed(std::string text, const platform::FileStamp& stamp) : doc(std::move(text)), stamp(stamp) {}
  const Document doc;
  const platform::FileStamp stamp;  // taken before the bytes were read
};

std::shared_ptr<const SettingsFile::Parsed> SettingsFile::Load() const {
  // The stamp is taken before the read: a write that lands between the two
  // changes the stamp again, and the next read parses the file anew.
  const std::optional<platform::FileStamp> stamp = [this]() -> std::optional<platform::FileStamp> {
    try {
      return fs_.Stamp(path_);
    } catch (const platform::FileError&) {
      return std::nullopt;  // cannot tell: read like a file that cannot be read
    }
  }();
  if (cache_ && stamp && cache_->stamp == *stamp) return cache_;
  cache_.reset();  // released before the next parse is built
  if (!stamp || stamp->size > kMaxSettingsFileSize) return nullptr;
  std::vector<std::uint8_t> bytes;
  try {
    bytes = fs_.ReadAll(path_);
  } catch (const platform::FileError&) {
    return nullptr;
  }
  if (bytes.size() > kMaxSettingsFileSize) return nullptr;
  // Bytes of another length than the stamp's come from a write made after the
  // stamp was taken: they are read this once and not kept.
  const bool keep = bytes.size() == stamp->size;
  auto parsed = std::make_shared<const Parsed>(std::string(bytes.begin(), bytes.end()), *stamp);
  if (keep) cache_ = parsed;
  return parsed;
}

std::string SettingsFile::ReadString(std::string_view section, std::string_view key,
                                     std::string_view defaultValue) const {
  // A file that is missing, cannot be read or is too large reads as empty.
  const std::shared_ptr<const Parsed> parsed = Load();
  if (!parsed) return std::string(defaultValue);
  const Section* s = parsed->doc.FindSection(QueryName(section));
  if (!s) return std::string(defaultValue);
  const Line* entry = parsed->doc.FindEntry(*s, QueryName(key));
  if (!entry || !entry->HasValue()) return std::string(defaultValue);
  return std::string(ReturnedValue(parsed->doc.Value(*entry)));
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
  // Every write starts from the file as it is now, never from the parse kept
  // for reading: the options dialog may have written it since. A file that is
  // there but cannot be read (or is too large to be a settings file) must not
  // be replaced by one that holds only the new key. The parse kept for reading
  // is dropped whatever the outcome.
  cache_.reset();
  std::string text;
  try {
    if (const std::optional<platform::FileStamp> stamp = fs_.Stamp(path_)) {
      if (stamp->size > kMaxSettingsFileSize) throw SettingsWriteError(path_, TooLarge());
      const std::vector<std::uint8_t> bytes = fs_.ReadAll(path_);
      if (bytes.size() > kMaxSettingsFileSize) throw SettingsWriteError(path_, TooLarge());
      text.assign(bytes.begin(), bytes.end());
    }
  } catch (const platform::FileError&) {
    throw SettingsWriteError(path_);
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
      if (entry->HasValue()) {
        keep = newValue.empty() || IsBlank(newValue.front()) ? entry->afterEquals : entry->valueBegin;
      }
      updated.reserve(old.size() + newValue.size() + 1);
      updated.append(old, 0, keep);
      if (!entry->HasValue()) updated += '=';
      updated += newValue;
      updated.append(old, entry->contentEnd);
    } else {
      // Add the key after the section's last line that is not blank, so that
      // blank lines that separate it from the next section stay after it.
      std::size_t insertAt = doc.BodyBegin();
      bool needsBreak = false;
      if (s->endLine > s->firstLine) {  // the lines kept are never blank
        const Line& last = doc.Lines()[s->endLine - 1];
        insertAt = last.end;
        needsBreak = last.end == last.contentEnd;  // the file's last line, without a line break
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
  } catch (const platform::SaveError& e) {
    // Each write starts again from the file itself, so a copy that could not
    // take the file's place holds nothing that is not lost anyway.
    if (!e.KeptCopy().empty()) fs_.Remove(e.KeptCopy());
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
