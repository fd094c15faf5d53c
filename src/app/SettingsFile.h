#pragma once
// The settings file: an ini file beside the executable, read and written
// with the conventions of the Windows profile-file functions, so that the
// program and the options dialog of the companion library read the same
// values. Reads keep the parsed file and parse it again only when its size or
// time stamp has changed; writes always start from the file as it is now.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tembric::platform {
class FileSystem;
}

namespace tembric::app {

// "Unable to write to <path>": the system refused to write the settings file.
class SettingsWriteError : public std::runtime_error {
 public:
  explicit SettingsWriteError(const std::string& path) : std::runtime_error("Unable to write to " + path) {}
  SettingsWriteError(const std::string& path, const std::string& reason)
      : std::runtime_error("Unable to write to " + path + ": " + reason) {}
};

// A settings file holds a few dozen lines. A larger file than this is not one
// (or not one this program should spend memory on): it reads like a file that
// cannot be read, every key giving its default, and is never written over.
inline constexpr std::uint64_t kMaxSettingsFileSize = 1u << 20;

class SettingsFile {
 public:
  SettingsFile(platform::FileSystem& fs, std::string path);

  const std::string& Path() const { return path_; }

  // Sections and keys match without regard to case. A value is the text
  // after the first "=", trimmed, without one pair of enclosing quotes, and
  // at most 2,047 characters long. A missing file, section or key gives the
  // default, and so does every key of a file that cannot be read or is over
  // kMaxSettingsFileSize.
  std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
  // Decimal with an optional sign, "$" hexadecimal, or "0x"/"0X" hexadecimal
  // when longer than two characters; anything else (or a number outside the
  // 32-bit range) gives the default.
  std::int32_t ReadInteger(std::string_view section, std::string_view key, std::int32_t defaultValue) const;
  // An integer; non-zero is true.
  bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

  // Each write replaces the file in one step, creating the file, the section
  // or the key as needed and keeping every other line as it was. Names are
  // trimmed; names and values end at their first line break or NUL, so that
  // a write never adds lines of its own. Throws SettingsWriteError, also
  // when the file is there but cannot be read or is over kMaxSettingsFileSize.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
  void WriteBool(std::string_view section, std::string_view key, bool value);  // "1" or "0"

 private:
  class Parsed;  // the file's lines and sections, with the stamp it had
  // The parsed file as it is now; null when there is none to read.
  std::shared_ptr<const Parsed> Load() const;

  platform::FileSystem& fs_;
  std::string path_;
  // The last parse and the stamp the file had before it was read. Reads are
  // made from one thread, like every other use of this object.
  mutable std::shared_ptr<const Parsed> cache_;
};

// The integer conventions above, for a value already read.
bool ParseProfileInteger(std::string_view text, std::int32_t& out);

// The settings path of an executable: its extension replaced by ".ini".
std::string SettingsPathFor(std::string_view executablePath);

}  // namespace tembric::app
