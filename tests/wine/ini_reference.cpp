// Holds the settings file reader and writer against the platform's own
// profile functions on the same files: tricky files are written byte for
// byte, then many section and key queries (found in the files, in other
// case, padded with blanks, or missing) go to both GetPrivateProfileStringA
// and SettingsFile; writes made by either side are read back by the other.
// Prints every mismatch and exits with 1 when there is one.
//
// The few places where the platform departs from the conventions this
// program keeps are listed as known differences, each with its reason; they
// are printed but do not fail the run.

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/SettingsFile.h"
#include "platform/FileSystem.h"

namespace {

using namespace std::string_literals;
using tembric::app::ParseProfileInteger;
using tembric::app::SettingsFile;
using tembric::app::SettingsWriteError;

constexpr char kDefault[] = "<default>";
constexpr std::int32_t kIntDefault = -777;
constexpr UINT kBufferSize = 2048;  // a read returns at most 2,047 characters

std::string g_folder;  // the run's own folder, ending with a backslash
int g_checks = 0;
int g_mismatches = 0;
int g_known = 0;
std::size_t g_showLimit = 48;

tembric::platform::FileSystem& Fs() { return tembric::platform::RealFileSystem(); }

std::string Show(std::string_view s) {
  std::string out = "\"";
  for (std::size_t i = 0; i < s.size() && i < g_showLimit; ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  out += "\"";
  if (s.size() > g_showLimit) out += "...(" + std::to_string(s.size()) + " bytes)";
  return out;
}

void Check(bool ok, const std::string& what) {
  ++g_checks;
  if (!ok) {
    ++g_mismatches;
    std::printf("MISMATCH %s\n", what.c_str());
  }
}

std::string AsciiLower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

std::string AsciiUpper(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

std::string Trimmed(std::string s) {
  const char* blanks = " \t\r\n\v\f\x1a";
  const auto b = s.find_first_not_of(blanks);
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(blanks) - b + 1);
}

void WriteBytes(const std::string& path, std::string_view bytes) {
  Fs().WriteAndFlush(path, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

std::string ReadBytes(const std::string& path) {
  const auto bytes = Fs().ReadAll(path);
  return std::string(bytes.begin(), bytes.end());
}

std::string PlatformString(const std::string& path, const std::string& section, const std::string& key,
                           const char* def = kDefault) {
  std::vector<char> buffer(kBufferSize + 1, '\0');
  GetPrivateProfileStringA(section.c_str(), key.c_str(), def, buffer.data(), kBufferSize, path.c_str());
  return std::string(buffer.data());
}

std::int32_t PlatformInt(const std::string& path, const std::string& section, const std::string& key) {
  return static_cast<std::int32_t>(GetPrivateProfileIntA(section.c_str(), key.c_str(), kIntDefault, path.c_str()));
}

std::string OursString(const std::string& path, const std::string& section, const std::string& key) {
  return SettingsFile(Fs(), path).ReadString(section, key, kDefault);
}

// A query the platform answers differently from this program, on purpose.
struct Known {
  std::string section;  // compared trimmed and without regard to ASCII case
  std::string key;
  std::string reason;
};

struct Case {
  std::string name;
  std::string bytes;
  std::vector<Known> known;
  std::vector<std::pair<std::string, std::string>> extraQueries;
};

const Known* FindKnown(const Case& c, const std::string& section, const std::string& key) {
  for (const Known& k : c.known) {
    if (AsciiLower(Trimmed(section)) == AsciiLower(k.section) && AsciiLower(Trimmed(key)) == AsciiLower(k.key))
      return &k;
  }
  return nullptr;
}

// Section and key names worth asking for: those in the file (as they stand
// and trimmed), in other case, padded with blanks, and some that are missing.
// After a write, fewer variants do: the reads were compared in full before.
void AddVariants(std::set<std::string>& out, const std::string& name, bool all = true) {
  out.insert(name);
  out.insert(Trimmed(name));
  out.insert(AsciiUpper(name));
  if (!all) return;
  out.insert(AsciiLower(name));
  out.insert(" \t" + name + "  ");
}

std::pair<std::set<std::string>, std::set<std::string>> QueryNames(std::string_view bytes, bool all = true) {
  std::set<std::string> sections{"", "Missing", "S"};
  std::set<std::string> keys{"", "Missing", "A"};
  std::size_t pos = 0;
  while (pos <= bytes.size()) {
    const std::size_t end = std::min(bytes.find_first_of("\r\n", pos), bytes.size());
    std::string line(bytes.substr(pos, end - pos));
    line = line.substr(0, line.find('\0'));  // queries are C strings
    if (const auto open = line.find('['); open != std::string::npos) {
      const auto close = line.find(']', open);
      AddVariants(sections, line.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1),
                  all);
    }
    AddVariants(keys, line.substr(0, line.find('=')), all);
    pos = end + 1;
  }
  return {sections, keys};
}

bool IsPlainDecimalOrLowerHex(const std::string& s) {
  // Texts that both conventions read the same way: decimal with an optional
  // sign within 32 bits, and "0x" hexadecimal up to 0x7FFFFFFF.
  if (s.size() > 2 && s[0] == '0' && s[1] == 'x') {
    if (s.size() > 10) return false;
    if (s.find_first_not_of("0123456789abcdefABCDEF", 2) != std::string::npos) return false;
    return std::stoull(s.substr(2), nullptr, 16) <= 0x7FFFFFFFull;
  }
  const std::size_t digits = (!s.empty() && (s[0] == '-' || s[0] == '+')) ? 1 : 0;
  if (s.size() == digits || s.size() > digits + 10) return false;
  if (s.find_first_not_of("0123456789", digits) != std::string::npos) return false;
  const long long v = std::stoll(s);
  return v >= INT32_MIN && v <= INT32_MAX;
}

void CompareQuery(const Case& c, const std::string& path, const std::string& section, const std::string& key) {
  const std::string platform = PlatformString(path, section, key);
  const std::string ours = OursString(path, section, key);
  const std::string where = c.name + " [" + Show(section) + "] " + Show(key);
  if (const Known* known = FindKnown(c, section, key)) {
    if (platform != ours) {
      ++g_known;
      std::printf("known difference %s: platform %s, ours %s (%s)\n", where.c_str(), Show(platform).c_str(),
                  Show(ours).c_str(), known->reason.c_str());
    }
    return;
  }
  Check(platform == ours, "read " + where + ": platform " + Show(platform) + ", ours " + Show(ours));

  // Integers: GetPrivateProfileInt reads any text that begins with digits
  // and gives 0 for other texts; it does not know "$" or "0X". Where the two
  // conventions agree, the platform's number is the reference; elsewhere the
  // number is derived from the platform's text.
  const std::int32_t oursInt = SettingsFile(Fs(), path).ReadInteger(section, key, kIntDefault);
  std::int32_t expected = kIntDefault;
  if (platform == kDefault) {
    Check(PlatformInt(path, section, key) == kIntDefault, "integer default " + where);
  } else if (IsPlainDecimalOrLowerHex(platform)) {
    expected = PlatformInt(path, section, key);
  } else if (!ParseProfileInteger(platform, expected)) {
    expected = kIntDefault;
  }
  Check(oursInt == expected, "integer " + where + ": text " + Show(platform) + ", expected " +
                                 std::to_string(expected) + ", ours " + std::to_string(oursInt));
}

void CompareGrid(const Case& c, const std::string& path, const std::set<std::string>& sections,
                 const std::set<std::string>& keys) {
  for (const std::string& s : sections) {
    for (const std::string& k : keys) CompareQuery(c, path, s, k);
  }
  for (const auto& [s, k] : c.extraQueries) CompareQuery(c, path, s, k);
}

std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

std::vector<Case> Cases() {
  std::vector<Case> cases;
  const std::string basic =
      "[Basic]\r\nDBVersion=11\r\nTranspValue=0x80\r\nTranspEnabled=1\r\nShowIcon=false\r\n"
      "InactiveMinutes=abc\r\nBig=300\r\n[GUI]\r\nMainWidth=640\r\n\r\n[Plugin\\Clock]\r\nShortCut=Ctrl+Alt+T\r\n";
  cases.push_back({"basic", basic, {}, {{"plugin\\clock", "Shortcut"}, {"Plugin\\Clock ", " SHORTCUT"}}});
  {
    std::string lf = basic, cr = basic;
    for (std::size_t p; (p = lf.find("\r\n")) != std::string::npos;) lf.erase(p, 1);
    for (std::size_t p; (p = cr.find("\r\n")) != std::string::npos;) cr.erase(p + 1, 1);
    cases.push_back({"lf", lf, {}, {}});
    cases.push_back({"cr", cr, {}, {}});
  }
  cases.push_back({"mixed_breaks", "[S]\n\rA=1\r\r\nB=2\n\n\nC=3\r\n\r\n\r[T]\rD=4", {}, {}});
  cases.push_back({"bom", "\xEF\xBB\xBF[Basic]\r\nKey=Value\r\n", {}, {}});
  cases.push_back({"bom_keys_first", "\xEF\xBB\xBFTop=1\r\n[S]\r\nA=2\r\n", {}, {}});
  cases.push_back({"bom_non_ascii",
                   "\xEF\xBB\xBF[S]\r\nA=caf\xC3\xA9\r\nB=plain\r\n",
                   {{"S", "A",
                     "the platform turns a UTF-8 file's text into the ANSI code page; the program reads texts as they "
                     "stand, and a platform-free reader cannot know the code page"}},
                   {}});
  cases.push_back({"blanks",
                   "  [ Spaced ]  \r\n\t Key \t=\t value with  inner  \t \r\n Other= x\r\n[Tight]\r\n  A  =  1  \r\n"
                   "B\t=\t2\t\r\n",
                   {},
                   {}});
  cases.push_back(
      {"quotes",
       "[S]\r\nQ1=\"quoted\"\r\nQ2='single'\r\nQ3=\"mismatch'\r\nQ4=\"\r\nQ5=\"\"\r\nQ6= \"  padded  \" \r\n"
       "Q7=\"a\"b\"\r\nQ8=\"\"x\"\"\r\nQ9=''\r\nQ10=\"unterminated\r\nQ11=x\"\r\nQ12='\r\nQ13=\"'\"\r\n",
       {},
       {}});
  cases.push_back({"comments",
                   ";comment\r\n# hash\r\n[S]\r\n;Key=commented\r\nKey=real\r\n; another = thing\r\n//x=y\r\n",
                   {},
                   {}});
  cases.push_back({"no_equals", "[S]\r\nJustAName\r\nKey\r\nKey=after\r\nOther=1\r\n  Spaced Name  \r\n", {}, {}});
  cases.push_back({"duplicate_sections", "[S]\r\nA=1\r\n[T]\r\nX=1\r\n[s]\r\nA=2\r\nB=3\r\n[ S]\r\nC=4\r\n", {}, {}});
  cases.push_back({"duplicate_keys", "[S]\r\nA=1\r\na=2\r\n A =3\r\nB=\r\nB=4\r\n", {}, {}});
  cases.push_back({"no_final_newline", "[S]\r\nA=last", {}, {}});
  cases.push_back({"headers",
                   "[S]\r\nA=1\r\n[Broken\r\nB=2\r\n[Broken=3\r\n[ok] trailing\r\nC=4\r\n[]\r\nD=5\r\n[x]y]\r\nE=6\r\n"
                   "[a=b]\r\nF=7\r\n[[n]]\r\nG=8\r\n   [in]dented\r\nH=9\r\n[ L]\r\nI=10\r\n[R ]\r\nJ=11\r\n"
                   "[\tT\t]\r\nK=12\r\n[ y ] z ]\r\nL=13\r\n",
                   {},
                   {{"[n", "G"}, {"a=b", "F"}}});
  cases.push_back({"nul",
                   "[S]\r\nA=va\0lue\r\nKe\0y=1\r\nB=x \0 y\r\nK \0=2\r\n[T\0junk]\r\nC=2\r\n\0=z\r\n"
                   "D=\"q\0\"\r\n[U]\r\n\0\r\n=after\r\n"s,
                   {},
                   {{"T", "C"}, {"U", ""}}});
  {
    std::string longs = "[S]\r\n";
    longs += "L2046=" + Repeat('a', 2046) + "\r\n";
    longs += "L2047=" + Repeat('b', 2047) + "\r\n";
    longs += "L2048=" + Repeat('c', 2048) + "\r\n";
    longs += "L5000=" + Repeat('d', 5000) + "\r\n";
    longs += "Q2046=\"" + Repeat('e', 2046) + "\"\r\n";
    longs += "Q2047=\"" + Repeat('f', 2047) + "\"\r\n";
    longs += "Q2048=\"" + Repeat('g', 2048) + "\"\r\n";
    longs += Repeat('k', 3000) + "=longkey\r\n";
    longs += "[" + Repeat('s', 3000) + "]\r\nA=long section\r\n";
    cases.push_back({"long_lines",
                     longs,
                     {{"S", "Q2047",
                       "a quoted value of exactly 2,047 characters: the platform cuts before it drops the closing "
                       "quote and loses one more character; the program drops the quotes first and then keeps "
                       "2,047"}},
                     {}});
  }
  cases.push_back({"keys_before_sections", "A=top\r\n\r\n[S]\r\nA=in\r\n", {}, {}});
  cases.push_back({"empty", "", {}, {}});
  cases.push_back({"blank_only", "\r\n  \r\n\t\r\n", {}, {}});
  cases.push_back({"equals", "[S]\r\n=novalue\r\nK==v\r\nL=a=b\r\n = spaced\r\nM= =\r\n", {}, {}});
  cases.push_back({"control_chars",
                   "[S]\r\nA=v\x1a\r\n\x1a\r\nB=\x1a w\r\nC=\x0bv\x0c\r\nD=v\x7f\r\nE=\xA0v\xA0\r\nF=\x85v\r\n"
                   "G=\x01v\x01\r\n\x1aH=1\r\nI\x1a=2\r\n",
                   {},
                   {}});
  // Names that differ only in the case of non-ASCII letters are different
  // names: which bytes are letters depends on the code page.
  cases.push_back({"non_ascii",
                   "[S\xEB"
                   "ction]\r\nK\xEBy=v\xE4lue\r\n[\xC4"
                   "BC]\r\nx=1\r\n",
                   {},
                   {{"S\xCB"
                     "CTION",
                     "K\xCBY"},
                    {"\xE4"
                     "bc",
                     "x"},
                    {"S\xEB"
                     "CTION",
                     "K\xEBY"}}});
  cases.push_back({"integers",
                   "[I]\r\nD1=12\r\nD2=-12\r\nD3=+7\r\nD4=2147483647\r\nD5=-2147483648\r\nD6=2147483648\r\n"
                   "D7=-2147483649\r\nD8=007\r\nD9=-0\r\nH1=0x10\r\nH2=0X10\r\nH3=$1F\r\nH4=0x\r\nH5=0xFFFFFFFF\r\n"
                   "H6=0x7fffffff\r\nH7=$\r\nH8=-0x10\r\nH9=0x123456789\r\nH10=$ffffffff\r\nN1=12abc\r\nN2=1 2\r\n"
                   "N3=true\r\nN4=\r\nN5=\"5\"\r\nN6=0x1G\r\nN7=false\r\nN8= 42 \r\nN9=+\r\nN10=-\r\nN11=1e3\r\n",
                   {},
                   {}});
  cases.push_back({"section_comment", "[S];comment\r\nA=1\r\n[T] ; note\r\nB=2\r\n", {}, {}});
  return cases;
}

void CompareReads(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    const std::string path = g_folder + "read-" + c.name + ".ini";
    WriteBytes(path, c.bytes);
    const auto [sections, keys] = QueryNames(c.bytes);
    CompareGrid(c, path, sections, keys);
  }
  // No file at all: every key reads as its default.
  const Case missing{"missing_file", "", {}, {}};
  CompareGrid(missing, g_folder + "no-such-file.ini", {"Basic", ""}, {"DBVersion", ""});
}

struct Write {
  std::string section;
  std::string key;
  std::string value;
};

// Applies `w` to two copies of `base` (or to no file when `base` is null),
// one written by SettingsFile and one by WritePrivateProfileStringA, and
// checks that both sides read the same from both files.
void CompareWrite(const Case* base, const Write& w, int index) {
  const std::string stem =
      g_folder + "write-" + (base ? base->name : std::string("none")) + "-" + std::to_string(index);
  const std::string oursPath = stem + "-ours.ini";
  const std::string platformPath = stem + "-platform.ini";
  if (base) {
    WriteBytes(oursPath, base->bytes);
    WriteBytes(platformPath, base->bytes);
  }
  const std::string where = (base ? base->name : std::string("no file")) + " write [" + Show(w.section) + "] " +
                            Show(w.key) + "=" + Show(w.value);
  try {
    SettingsFile(Fs(), oursPath).WriteString(w.section, w.key, w.value);
  } catch (const std::exception& e) {
    Check(false, where + ": SettingsFile threw " + e.what());
    return;
  }
  Check(WritePrivateProfileStringA(w.section.c_str(), w.key.c_str(), w.value.c_str(), platformPath.c_str()) != 0,
        where + ": WritePrivateProfileStringA failed");

  // The written key, read back across. A value without surrounding blanks,
  // quotes or line breaks reads back as it was written.
  const std::string platformOnOurs = PlatformString(oursPath, w.section, w.key);
  const std::string platformOnOwn = PlatformString(platformPath, w.section, w.key);
  Check(platformOnOurs == platformOnOwn,
        where + ": platform reads back " + Show(platformOnOurs) + ", from its own write " + Show(platformOnOwn));
  const bool plain = w.value == Trimmed(w.value) && w.value.find_first_of("\"'\r\n") == std::string::npos;
  if (plain) Check(platformOnOurs == w.value, where + ": platform reads back " + Show(platformOnOurs));
  Check(OursString(platformPath, w.section, w.key) == platformOnOwn,
        where + ": SettingsFile reads the platform's write as " + Show(OursString(platformPath, w.section, w.key)));

  // Every other key: the platform reads the file SettingsFile wrote as it
  // read the file before (the platform's own write is no reference here: it
  // rewrites the whole file and so changes what some odd lines mean). And
  // SettingsFile reads the platform's file as the platform does.
  auto [sections, keys] = QueryNames(base ? base->bytes : std::string(), false);
  AddVariants(sections, w.section);
  AddVariants(keys, w.key);
  const Case empty{};
  const Case& known = base ? *base : empty;
  const std::string before = base ? g_folder + "read-" + base->name + ".ini" : g_folder + "no-such-file.ini";
  const int mismatchesBefore = g_mismatches;
  for (const std::string& s : sections) {
    for (const std::string& k : keys) {
      if (FindKnown(known, s, k)) continue;
      const std::string query = where + ", then [" + Show(s) + "] " + Show(k);
      const bool written = AsciiLower(Trimmed(s)) == AsciiLower(Trimmed(w.section)) &&
                           AsciiLower(Trimmed(k)) == AsciiLower(Trimmed(w.key));
      const std::string fromOurs = PlatformString(oursPath, s, k);
      if (!written) {
        const std::string original = PlatformString(before, s, k);
        Check(fromOurs == original,
              query + ": platform reads " + Show(fromOurs) + " after the write, " + Show(original) + " before");
      }
      const std::string fromPlatform = PlatformString(platformPath, s, k);
      const std::string oursOnPlatform = OursString(platformPath, s, k);
      Check(oursOnPlatform == fromPlatform, query + ": SettingsFile reads the platform's file as " +
                                                Show(oursOnPlatform) + ", the platform " + Show(fromPlatform));
    }
  }
  if (g_mismatches != mismatchesBefore) {
    g_showLimit = 600;
    std::printf("  file written by SettingsFile: %s\n", Show(ReadBytes(oursPath)).c_str());
    std::printf("  file written by the platform: %s\n", Show(ReadBytes(platformPath)).c_str());
    g_showLimit = 48;
  }
}

void CompareWrites(const std::vector<Case>& cases) {
  const std::vector<Write> writes = {
      {"Basic", "DBVERSION", "12"},                // existing key, other case
      {"Basic", "NewKey", "new value"},            // new key in the first section
      {"Plugin\\Item", "ShortCut", "Ctrl+Alt+Q"},  // new section
      {"s", "A", "9"},                             // first of duplicate sections / keys
      {"S", "Key", "now"},                         // a key written without "=" so far
      {"S", "B", ""},                              // empty value
      {"", "Top", "1"},                            // the section before the first header
      {"GUI", "MainWidth", Repeat('w', 2047)},
      {" S ", " Padded ", "x"},    // names are trimmed
      {"T", "C", "v"},             // the last section of a file without a final line break
      {"S", "A", "  padded  "},    // blanks around a value are not part of it
      {"S", "Q", "\"quoted\""},    // nor are enclosing quotes
      {"S", "A", "one\r\ntwo=2"},  // a line break ends the value
  };
  const char* bases[] = {"basic",
                         "lf",
                         "cr",
                         "mixed_breaks",
                         "bom",
                         "bom_keys_first",
                         "blanks",
                         "comments",
                         "no_equals",
                         "duplicate_sections",
                         "duplicate_keys",
                         "no_final_newline",
                         "headers",
                         "nul",
                         "keys_before_sections",
                         "empty",
                         "blank_only",
                         "equals",
                         "control_chars"};
  for (const char* name : bases) {
    const Case* base = nullptr;
    for (const Case& c : cases) {
      if (c.name == name) base = &c;
    }
    int index = 0;
    for (const Write& w : writes) CompareWrite(base, w, index++);
  }
  int index = 0;
  for (const Write& w : writes) CompareWrite(nullptr, w, index++);
}

void CompareTypedWrites() {
  const std::string path = g_folder + "typed.ini";
  SettingsFile settings(Fs(), path);
  const std::int32_t numbers[] = {0, 1, -1, 255, 300, INT32_MAX, INT32_MIN};
  for (const std::int32_t n : numbers) {
    settings.WriteInteger("GUI", "MainWidth", n);
    Check(PlatformInt(path, "GUI", "MainWidth") == n, "WriteInteger " + std::to_string(n) +
                                                          " read by the platform as " +
                                                          std::to_string(PlatformInt(path, "GUI", "MainWidth")));
  }
  for (const bool b : {true, false}) {
    settings.WriteBool("Basic", "ShowIcon", b);
    Check(PlatformString(path, "Basic", "ShowIcon") == (b ? "1" : "0") && PlatformInt(path, "Basic", "ShowIcon") == b,
          std::string("WriteBool ") + (b ? "true" : "false"));
  }
  // The platform's integer writes, as texts, read by this program.
  WritePrivateProfileStringA("Basic", "TranspValue", "0x80", path.c_str());
  Check(settings.ReadInteger("Basic", "TranspValue", 255) == 128, "TranspValue 0x80 written by the platform");
}

// Refusals. Whenever the platform cannot write a file, SettingsFile must fail
// too, with "Unable to write to <path>", and leave the file as it was.
void CompareRefusedWrites() {
  const std::string original = "[S]\r\nA=1\r\n";
  struct Refusal {
    std::string name;
    bool mustRefuse;  // false: root may write a read-only file under Wine
  };
  const Refusal refusals[] = {{"read-only", false}, {"locked", true}, {"no-folder", true}, {"is-folder", true}};
  for (const Refusal& r : refusals) {
    bool platformRefused = false;
    bool oursRefused = false;
    std::string message;
    std::string path;
    for (const bool ours : {false, true}) {
      path = g_folder + "refuse-" + r.name + (ours ? "-ours" : "-platform");
      HANDLE lock = INVALID_HANDLE_VALUE;
      if (r.name == "no-folder") {
        path += "\\settings.ini";
      } else if (r.name == "is-folder") {
        CreateDirectoryA(path.c_str(), nullptr);
      } else {
        WriteBytes(path, original);
      }
      if (r.name == "read-only") SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
      // Another program holds the file open without sharing it.
      if (r.name == "locked")
        lock = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      if (ours) {
        try {
          SettingsFile(Fs(), path).WriteString("S", "A", "2");
        } catch (const SettingsWriteError& e) {
          oursRefused = true;
          message = e.what();
        }
      } else {
        platformRefused = !WritePrivateProfileStringA("S", "A", "2", path.c_str());
      }
      if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    std::printf("refusal %s: platform %s, SettingsFile %s\n", r.name.c_str(), platformRefused ? "refused" : "wrote",
                oursRefused ? "refused" : "wrote");
    Check(platformRefused == oursRefused, r.name + ": platform refused " + std::to_string(platformRefused) +
                                              ", SettingsFile refused " + std::to_string(oursRefused));
    Check(platformRefused || !r.mustRefuse, r.name + ": the platform was expected to refuse");
    if (oursRefused) {
      Check(message == "Unable to write to " + path, r.name + ": reported as " + Show(message));
      Check(!Fs().Exists(tembric::platform::TemporaryPathFor(path)), r.name + ": temporary file left beside " + path);
      if (r.name == "read-only" || r.name == "locked")
        Check(ReadBytes(path) == original, r.name + ": the refused write changed the file");
    }
  }
}

// The platform strips trailing blanks from a default and removes quotes
// around it; the program returns a default as the caller gave it.
void ShowDefaultDifference() {
  const std::string path = g_folder + "read-empty.ini";
  const std::string platform = PlatformString(path, "S", "Missing", "dflt  ");
  const std::string ours = SettingsFile(Fs(), path).ReadString("S", "Missing", "dflt  ");
  Check(ours == "dflt  ", "a default comes back as given");
  if (platform != ours) {
    ++g_known;
    std::printf(
        "known difference: default \"dflt  \": platform %s, ours %s (a missing key gives the default as "
        "the caller gave it)\n",
        Show(platform).c_str(), Show(ours).c_str());
  }
}

void RemoveFolder(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((folder + "*").c_str(), &found);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string full = folder + name;
      SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveFolder(full + "\\");
      } else {
        DeleteFileA(full.c_str());
      }
    } while (FindNextFileA(h, &found));
    FindClose(h);
  }
  RemoveDirectoryA(folder.c_str());
}

}  // namespace

int main() {
  char temp[MAX_PATH];
  if (!GetTempPathA(MAX_PATH, temp)) return 2;
  g_folder = std::string(temp) + "tembric-ini-" + std::to_string(GetCurrentProcessId()) + "\\";
  if (!CreateDirectoryA(g_folder.c_str(), nullptr)) {
    std::printf("cannot create %s\n", g_folder.c_str());
    return 2;
  }
  try {
    const std::vector<Case> cases = Cases();
    CompareReads(cases);
    CompareWrites(cases);
    CompareTypedWrites();
    CompareRefusedWrites();
    ShowDefaultDifference();
  } catch (const std::exception& e) {
    std::printf("MISMATCH unexpected exception: %s\n", e.what());
    ++g_mismatches;
  }
  RemoveFolder(g_folder);
  std::printf("%d checks, %d mismatches, %d known differences\n", g_checks, g_mismatches, g_known);
  return g_mismatches == 0 ? 0 : 1;
}
