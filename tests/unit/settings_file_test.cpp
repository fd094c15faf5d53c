// The settings file accessor: the profile-file conventions on reading, the
// byte-for-byte preservation on writing, and refused writes.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "app/SettingsFile.h"
#include "fakes/ScriptedFileSystem.h"
#include "platform/FileSystem.h"

namespace tembric::app {
namespace {

using namespace std::string_literals;
using fakes::ScriptedFileSystem;
using Op = ScriptedFileSystem::Op;

const std::string kPath = "C:\\Program Files\\Tembric\\Tembric.ini";

class SettingsFileTest : public ::testing::Test {
 protected:
  void Given(std::string_view text) { fs_.Put(kPath, text); }
  std::string File() const { return fs_.Text(kPath).value_or("<no file>"); }
  std::string Read(std::string_view section, std::string_view key) const {
    return settings_.ReadString(section, key, "<default>");
  }

  ScriptedFileSystem fs_;
  SettingsFile settings_{fs_, kPath};
};

// --- Reading ---------------------------------------------------------------

TEST_F(SettingsFileTest, IntegersFollowTheDocumentedForms) {
  Given(
      "[Basic]\r\nTranspValue=0x80\r\nHexUpper=0X1f\r\nDollar=$FF\r\nTooShort=0x\r\nWord=abc\r\nBig=300\r\n"
      "Signed=-12\r\nPlus=+7\r\nEmpty=\r\nPadded=  42  \r\nQuoted=\"5\"\r\nTail=12abc\r\n");
  EXPECT_EQ(settings_.ReadInteger("Basic", "TranspValue", 255), 128);
  EXPECT_EQ(settings_.ReadInteger("Basic", "HexUpper", 0), 31);
  EXPECT_EQ(settings_.ReadInteger("Basic", "Dollar", 0), 255);
  EXPECT_EQ(settings_.ReadInteger("Basic", "TooShort", 9), 9);
  EXPECT_EQ(settings_.ReadInteger("Basic", "Word", 255), 255);
  EXPECT_EQ(settings_.ReadInteger("Basic", "Big", 255), 300);  // out of range for an opacity, used as read
  EXPECT_EQ(settings_.ReadInteger("Basic", "Signed", 0), -12);
  EXPECT_EQ(settings_.ReadInteger("Basic", "Plus", 0), 7);
  EXPECT_EQ(settings_.ReadInteger("Basic", "Empty", 5), 5);
  EXPECT_EQ(settings_.ReadInteger("Basic", "Padded", 0), 42);
  EXPECT_EQ(settings_.ReadInteger("Basic", "Quoted", 0), 5);
  EXPECT_EQ(settings_.ReadInteger("Basic", "Tail", 3), 3);
  EXPECT_EQ(settings_.ReadInteger("Basic", "Missing", 77), 77);
}

TEST(ParseProfileIntegerTest, AcceptsExactlyThe32BitForms) {
  struct Row {
    const char* text;
    bool ok;
    std::int32_t value;
  };
  const Row rows[] = {
      {"2147483647", true, INT32_MAX},
      {"-2147483648", true, INT32_MIN},
      {"2147483648", false, 0},
      {"-2147483649", false, 0},
      {"99999999999999999999", false, 0},
      {"007", true, 7},
      {"-0", true, 0},
      {"$ffffffff", true, -1},
      {"0xFFFFFFFF", true, -1},
      {"0x100000000", false, 0},
      {"$000000010", true, 16},
      {"$", false, 0},
      {"0x", false, 0},
      {"0", true, 0},
      {"+", false, 0},
      {"-", false, 0},
      {"", false, 0},
      {" 1", false, 0},
      {"1 ", false, 0},
      {"-$10", false, 0},
      {"-0x10", false, 0},
      {"0x-1", false, 0},
      {"0x1G", false, 0},
      {"1e3", false, 0},
  };
  for (const Row& row : rows) {
    std::int32_t value = 12345;
    EXPECT_EQ(ParseProfileInteger(row.text, value), row.ok) << '"' << row.text << '"';
    if (row.ok) {
      EXPECT_EQ(value, row.value) << '"' << row.text << '"';
    }
  }
}

TEST_F(SettingsFileTest, BooleansAreIntegersAndWordsGiveTheDefault) {
  Given("[Basic]\r\nShowIcon=false\r\nTranspEnabled=true\r\nZero=0\r\nTwo=2\r\nMinus=-1\r\n");
  EXPECT_TRUE(settings_.ReadBool("Basic", "ShowIcon", true));
  EXPECT_FALSE(settings_.ReadBool("Basic", "TranspEnabled", false));
  EXPECT_FALSE(settings_.ReadBool("Basic", "Zero", true));
  EXPECT_TRUE(settings_.ReadBool("Basic", "Two", false));
  EXPECT_TRUE(settings_.ReadBool("Basic", "Minus", false));
  EXPECT_TRUE(settings_.ReadBool("Basic", "Missing", true));
  EXPECT_FALSE(settings_.ReadBool("Basic", "Missing", false));
}

TEST_F(SettingsFileTest, NamesMatchWithoutRegardToCaseOrSurroundingBlanks) {
  Given("[Plugin\\Clock]\r\nShortCut=Ctrl+Alt+T\r\n  [ GUI ]  \r\n\t MainWidth \t=\t 640 \t\r\n");
  EXPECT_EQ(Read("plugin\\clock", "Shortcut"), "Ctrl+Alt+T");
  EXPECT_EQ(Read("PLUGIN\\CLOCK", "SHORTCUT"), "Ctrl+Alt+T");
  EXPECT_EQ(Read(" GUI\t", "  mainwidth "), "640");
  EXPECT_EQ(Read("Plugin", "ShortCut"), "<default>");
  // Only ASCII letters have a case: other bytes depend on the code page.
  Given("[S\xEB]\r\nK=1\r\n");
  EXPECT_EQ(Read("s\xEB", "k"), "1");
  EXPECT_EQ(Read("S\xCB", "K"), "<default>");
}

TEST_F(SettingsFileTest, ValuesAreTrimmedUnquotedAndCut) {
  Given(
      "[S]\r\nInner=  a  b  \r\nDouble=\"quoted\"\r\nSingle='single'\r\nPadded= \"  kept  \" \r\n"
      "Mixed=\"a'\r\nLone=\"\r\nEmptyQuotes=\"\"\r\nInside=a\"b\"\r\nTwoPairs=\"a\" \"b\"\r\n"
      "Eq=a=b\r\nBlankEnds=\x0b v\x1a\r\nNbsp=\xA0v\xA0\r\n");
  EXPECT_EQ(Read("S", "Inner"), "a  b");
  EXPECT_EQ(Read("S", "Double"), "quoted");
  EXPECT_EQ(Read("S", "Single"), "single");
  EXPECT_EQ(Read("S", "Padded"), "  kept  ");
  EXPECT_EQ(Read("S", "Mixed"), "\"a'");
  EXPECT_EQ(Read("S", "Lone"), "\"");
  EXPECT_EQ(Read("S", "EmptyQuotes"), "");
  EXPECT_EQ(Read("S", "Inside"), "a\"b\"");
  EXPECT_EQ(Read("S", "TwoPairs"), "a\" \"b");  // one pair only
  EXPECT_EQ(Read("S", "Eq"), "a=b");
  EXPECT_EQ(Read("S", "BlankEnds"), "v");     // vertical tab and Ctrl+Z are blanks
  EXPECT_EQ(Read("S", "Nbsp"), "\xA0v\xA0");  // a no-break space is not

  const std::string longValue(3000, 'x');
  Given("[S]\r\nLong=" + longValue + "\r\nExact=" + std::string(2047, 'e') + "\r\nQuoted=\"" + std::string(2047, 'q') +
        "\"\r\n");
  EXPECT_EQ(Read("S", "Long"), longValue.substr(0, 2047));
  EXPECT_EQ(Read("S", "Exact"), std::string(2047, 'e'));
  // Quotes go first, then the value is cut: all 2,047 characters remain.
  EXPECT_EQ(Read("S", "Quoted"), std::string(2047, 'q'));
}

TEST_F(SettingsFileTest, MissingOrUnreadableFileGivesEveryDefault) {
  EXPECT_EQ(Read("Basic", "NewContent"), "<default>");
  EXPECT_EQ(settings_.ReadInteger("Basic", "DBVersion", 0), 0);
  EXPECT_TRUE(settings_.ReadBool("Basic", "ShowIcon", true));
  // The default comes back as given, blanks and quotes included.
  EXPECT_EQ(settings_.ReadString("Basic", "Missing", " \"x\"  "), " \"x\"  ");

  Given("[Basic]\r\nDBVersion=11\r\n");
  fs_.Refuse(Op::kReadAll, kPath);
  EXPECT_EQ(settings_.ReadInteger("Basic", "DBVersion", 0), 0);
}

TEST_F(SettingsFileTest, OddLinesReadAsTheProfileFunctionsReadThem) {
  struct Row {
    const char* what;
    std::string file;
    const char* section;
    const char* key;
    const char* value;
  };
  const Row rows[] = {
      {"LF line breaks", "[S]\nA=1\nB=2\n", "S", "B", "2"},
      {"CR line breaks", "[S]\rA=1\rB=2", "S", "B", "2"},
      {"mixed line breaks", "[S]\n\rA=1\r\r\nB=2\n\n", "S", "B", "2"},
      {"no final line break", "[S]\r\nA=last", "S", "A", "last"},
      {"UTF-8 byte order mark", "\xEF\xBB\xBF[S]\r\nA=1\r\n", "S", "A", "1"},
      {"byte order mark before a key",
       "\xEF\xBB\xBF"
       "A=top\r\n",
       "", "A", "top"},
      {"keys before the first section", "A=top\r\n[S]\r\nA=in\r\n", "", "A", "top"},
      {"comment lines are keys nobody asks for", ";A=no\r\n[S]\r\n;A=no\r\nA=yes\r\n", "S", "A", "yes"},
      {"a comment can be asked for", "[S]\r\n;A=no\r\n", "S", ";A", "no"},
      {"a line without = hides later lines of its name", "[S]\r\nA\r\nA=1\r\n", "S", "A", "<default>"},
      {"first of duplicate keys", "[S]\r\nA=1\r\na=2\r\n", "S", "A", "1"},
      {"only the first of duplicate sections", "[S]\r\nA=1\r\n[T]\r\n[s]\r\nA=2\r\nB=3\r\n", "S", "B", "<default>"},
      {"section without ]", "[S]\r\n[Broken\r\nA=1\r\n", "S", "A", "1"},
      {"section without ] is a key", "[S]\r\n[Broken=2\r\n", "S", "[Broken", "2"},
      {"text after ]", "[S] ; note\r\nA=1\r\n", "S", "A", "1"},
      {"the last ] ends the name", "[x]y]\r\nA=1\r\n", "x]y", "A", "1"},
      {"empty name", "[S]\r\n=v\r\n", "S", "", "v"},
      {"NUL ends a value", "[S]\r\nA=va\0lue\r\n"s, "S", "A", "va"},
      {"blanks before a NUL stay", "[S]\r\nA=x \0 y\r\n"s, "S", "A", "x "},
      {"NUL ends a key name", "[S]\r\nKe\0y=1\r\n"s, "S", "Ke", "1"},
      {"NUL ends a section name", "[T\0junk]\r\nA=1\r\n"s, "T", "A", "1"},
      {"Ctrl+Z line", "[S]\r\n\x1a\r\nA=1\x1a\r\n", "S", "A", "1"},
  };
  for (const Row& row : rows) {
    Given(row.file);
    EXPECT_EQ(Read(row.section, row.key), row.value) << row.what;
  }

  std::string longLines = "[S]\r\n" + std::string(100000, 'k') + "=long key\r\nA=" + std::string(100000, 'v') + "\r\n";
  Given(longLines);
  EXPECT_EQ(Read("S", std::string(100000, 'K')), "long key");
  EXPECT_EQ(Read("S", "A").size(), 2047u);
}

TEST_F(SettingsFileTest, EveryReadSeesTheFileAsItIsNow) {
  Given("[Basic]\r\nTranspValue=1\r\n");
  EXPECT_EQ(settings_.ReadInteger("Basic", "TranspValue", 255), 1);
  Given("[Basic]\r\nTranspValue=2\r\n");  // the options dialog wrote the file
  EXPECT_EQ(settings_.ReadInteger("Basic", "TranspValue", 255), 2);
  SettingsFile other(fs_, kPath);
  other.WriteInteger("Basic", "TranspValue", 3);
  EXPECT_EQ(settings_.ReadInteger("Basic", "TranspValue", 255), 3);
}

// A file system whose clock ticks too coarsely to tell two writes apart (as
// FAT's two seconds do): a rewrite of the same length keeps the stamp.
class CoarseClockFileSystem : public ScriptedFileSystem {
 public:
  std::optional<platform::FileStamp> Stamp(const std::string& path) override {
    auto stamp = ScriptedFileSystem::Stamp(path);
    if (stamp) stamp->modified = 0;
    return stamp;
  }
};

TEST_F(SettingsFileTest, AnUnchangedFileIsParsedOnce) {
  Given("[Basic]\r\nRestoreText=0\r\n");
  EXPECT_FALSE(settings_.ReadBool("Basic", "RestoreText", true));
  fs_.Refuse(Op::kReadAll, kPath);  // from here on only the kept parse can answer
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(settings_.ReadBool("Basic", "RestoreText", true));
  Given("[Basic]\r\nRestoreText=00\r\n");  // rewritten: parsed again, and now unreadable
  EXPECT_TRUE(settings_.ReadBool("Basic", "RestoreText", true));
}

TEST(SettingsFileCacheTest, WritesStartFromTheFileAndDropTheKeptParse) {
  CoarseClockFileSystem fs;
  SettingsFile settings(fs, kPath);
  fs.Put(kPath, "[A]\r\nX=1\r\n");
  EXPECT_EQ(settings.ReadString("A", "X", ""), "1");
  fs.Put(kPath, "[A]\r\nX=2\r\n");  // another program's write, with the same stamp
  settings.WriteString("A", "Y", "3");
  EXPECT_EQ(fs.Text(kPath), "[A]\r\nX=2\r\nY=3\r\n");
  EXPECT_EQ(settings.ReadString("A", "X", ""), "2");
  settings.WriteString("A", "Y", "4");  // our own write, with the same stamp again
  EXPECT_EQ(settings.ReadString("A", "Y", ""), "4");
}

TEST_F(SettingsFileTest, AFileOverTheSizeCapReadsAsUnreadableAndIsNeverWritten) {
  const std::string head = "[Basic]\r\nDBVersion=11\r\n;";
  const std::string atCap = head + std::string(kMaxSettingsFileSize - head.size(), 'x');
  Given(atCap);
  EXPECT_EQ(settings_.ReadInteger("Basic", "DBVersion", 0), 11);

  Given(atCap + "x");
  EXPECT_EQ(settings_.ReadInteger("Basic", "DBVersion", 0), 0);
  try {
    settings_.WriteInteger("Basic", "DBVersion", 12);
    ADD_FAILURE() << "the write went through";
  } catch (const SettingsWriteError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Unable to write to " + kPath + ": the file is over 1 MB, too large for a settings file");
  }
  EXPECT_TRUE(File() == atCap + "x") << "the file changed";
  EXPECT_EQ(fs_.Replacements(), 0);
}

// --- Writing ---------------------------------------------------------------

TEST_F(SettingsFileTest, WritingCreatesTheFileAndTheSection) {
  settings_.WriteString("Plugin\\Clock", "ShortCut", "Ctrl+Alt+T");
  EXPECT_EQ(File(), "[Plugin\\Clock]\r\nShortCut=Ctrl+Alt+T\r\n");
  settings_.WriteBool("GUI", "ShowToolBar", false);
  settings_.WriteInteger("GUI", "PropHeight", 28);
  EXPECT_EQ(File(), "[Plugin\\Clock]\r\nShortCut=Ctrl+Alt+T\r\n[GUI]\r\nShowToolBar=0\r\nPropHeight=28\r\n");
  EXPECT_EQ(Read("plugin\\clock", "Shortcut"), "Ctrl+Alt+T");
  EXPECT_FALSE(settings_.ReadBool("GUI", "ShowToolBar", true));
  EXPECT_EQ(settings_.ReadInteger("GUI", "PropHeight", 77), 28);
}

TEST_F(SettingsFileTest, ReplacingAValueKeepsEveryOtherByte) {
  Given(
      "; options\n[GUI]\n  MainWidth = 199   \n\nmainwidth=1\n[Basic]\tjunk\nx\r\n\xEB\x1a=\"q\"\n[gui]\nMainWidth=2");
  settings_.WriteString("gui", "MAINWIDTH", "640");
  EXPECT_EQ(
      File(),
      "; options\n[GUI]\n  MainWidth = 640\n\nmainwidth=1\n[Basic]\tjunk\nx\r\n\xEB\x1a=\"q\"\n[gui]\nMainWidth=2");
  settings_.WriteInteger("Basic", "x", -5);  // a key without "=" gets one
  EXPECT_EQ(
      File(),
      "; options\n[GUI]\n  MainWidth = 640\n\nmainwidth=1\n[Basic]\tjunk\nx=-5\r\n\xEB\x1a=\"q\"\n[gui]\nMainWidth=2");
  EXPECT_EQ(settings_.ReadInteger("GUI", "MainWidth", 0), 640);
  EXPECT_EQ(settings_.ReadInteger("Basic", "X", 0), -5);
}

TEST_F(SettingsFileTest, NewKeysGoAtTheEndOfTheirSection) {
  Given("\xEF\xBB\xBF\r\n[A]\r\nX=1\r\n\r\n  \r\n[B]\nY=2\n[a]\r\nZ=3");
  settings_.WriteString("a", "New", "v");
  settings_.WriteString("B", "Last", "w");
  settings_.WriteString("", "Top", "t");
  EXPECT_EQ(File(), "\xEF\xBB\xBFTop=t\r\n\r\n[A]\r\nX=1\r\nNew=v\r\n\r\n  \r\n[B]\nY=2\nLast=w\r\n[a]\r\nZ=3");

  Given("[A]\r\nX=1");  // the last line has no line break
  settings_.WriteString("A", "Y", "2");
  settings_.WriteString("B", "Z", "3");
  EXPECT_EQ(File(), "[A]\r\nX=1\r\nY=2\r\n[B]\r\nZ=3\r\n");
}

TEST_F(SettingsFileTest, WrittenValuesReadBackAsWritten) {
  settings_.WriteString(" Basic ", " NewContent\t", "Text");
  settings_.WriteString("Basic", "Empty", "");
  settings_.WriteString("Basic", "Lines", "one\r\ntwo=2");
  settings_.WriteString("Basic", "Nul", "a\0b"s);
  settings_.WriteInteger("Basic", "Min", INT32_MIN);
  settings_.WriteBool("Basic", "On", true);
  EXPECT_EQ(File(), "[Basic]\r\nNewContent=Text\r\nEmpty=\r\nLines=one\r\nNul=a\r\nMin=-2147483648\r\nOn=1\r\n");
  EXPECT_EQ(Read("Basic", "Empty"), "");
  EXPECT_EQ(settings_.ReadInteger("Basic", "Min", 0), INT32_MIN);
  EXPECT_EQ(Read("Basic", "two"), "<default>");  // a line break cannot smuggle in a key
}

TEST_F(SettingsFileTest, WritingTheSameValueLeavesTheFileAlone) {
  Given("[GUI]\r\nMainWidth=640\r\n");
  settings_.WriteInteger("GUI", "MainWidth", 640);
  EXPECT_EQ(fs_.Replacements(), 0);
  settings_.WriteInteger("GUI", "MainWidth", 641);
  EXPECT_EQ(fs_.Replacements(), 1);
}

TEST_F(SettingsFileTest, RefusedWriteRaisesTheMessageAndKeepsTheFile) {
  const std::string original = "[GUI]\r\nMainWidth=199\r\n";
  for (const Op op : {Op::kWriteAndFlush, Op::kReplace, Op::kReadAll}) {
    ScriptedFileSystem fs;
    fs.Put(kPath, original);
    fs.Refuse(op);
    SettingsFile settings(fs, kPath);
    try {
      settings.WriteInteger("GUI", "MainWidth", 640);
      ADD_FAILURE() << "no error for refused op " << static_cast<int>(op);
    } catch (const SettingsWriteError& e) {
      EXPECT_STREQ(e.what(), "Unable to write to C:\\Program Files\\Tembric\\Tembric.ini");
    }
    EXPECT_EQ(fs.Text(kPath), original);
    EXPECT_EQ(fs.Paths(), std::vector<std::string>{kPath}) << "a temporary file was left behind";
  }
}

TEST(SettingsFileOnDiskTest, WritesThroughTheRealFileSystem) {
  const auto folder = std::filesystem::temp_directory_path() / ("tembric-settings-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "Tembric.ini").string();
  SettingsFile settings(platform::RealFileSystem(), path);
  settings.WriteString("Basic", "NewContent", "Clip");
  settings.WriteInteger("Basic", "TranspValue", 128);
  EXPECT_EQ(SettingsFile(platform::RealFileSystem(), path).ReadString("basic", "newcontent", ""), "Clip");
  EXPECT_EQ(settings.ReadInteger("Basic", "TranspValue", 255), 128);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1) << "only the settings file remains";

  const std::string unreachable = (folder / "missing" / "Tembric.ini").string();
  SettingsFile refused(platform::RealFileSystem(), unreachable);
  EXPECT_THROW(
      try { refused.WriteBool("Basic", "ShowIcon", true); } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + unreachable);
        throw;
      },
      SettingsWriteError);
  std::filesystem::remove_all(folder);
}

// --- The settings path -----------------------------------------------------

TEST(SettingsPathForTest, ReplacesTheExtensionOfTheFileNameOnly) {
  EXPECT_EQ(SettingsPathFor("C:\\Program Files\\Tembric\\Tembric.exe"), "C:\\Program Files\\Tembric\\Tembric.ini");
  EXPECT_EQ(SettingsPathFor("D:\\Tools.v2\\Tembric"), "D:\\Tools.v2\\Tembric.ini");
  EXPECT_EQ(SettingsPathFor("/opt/tembric.d/bin/tembric"), "/opt/tembric.d/bin/tembric.ini");
  EXPECT_EQ(SettingsPathFor("/opt/tembric.d\\bin/Tembric.EXE"), "/opt/tembric.d\\bin/Tembric.ini");
  EXPECT_EQ(SettingsPathFor("C:\\a.b\\my.tool.exe"), "C:\\a.b\\my.tool.ini");
  EXPECT_EQ(SettingsPathFor("C:Tembric.exe"), "C:Tembric.ini");
  EXPECT_EQ(SettingsPathFor("Tembric.exe"), "Tembric.ini");
}

}  // namespace
}  // namespace tembric::app
