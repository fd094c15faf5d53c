// The command-line tool, run in-process on real files in a temporary folder.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "Commands.h"
#include "platform/FileSystem.h"
#include "store/Tables.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

struct Result {
  int code;
  std::string out;
  std::string err;
};

class TembricDbTool : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "tembric-db-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { fs::remove_all(folder_); }

  Result Run(std::vector<std::string> args) {
    std::ostringstream out, err;
    const int code = tembric::tool::Run(args, out, err);
    return {code, out.str(), err.str()};
  }

  std::string ReadFile(const std::string& name) {
    std::ifstream in(folder_ + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  std::string folder_;
};

TEST_F(TembricDbTool, CreateMakesThreeEmptyTablesAndNeverReplacesExistingOnes) {
  ASSERT_EQ(Run({"create", folder_}).code, 0);
  for (const char* f : {"tembric.db", "win.db", "rel.db"}) EXPECT_TRUE(fs::exists(folder_ + "/" + f)) << f;

  ASSERT_EQ(Run({"add", folder_, "\\Keep", "--memo", "x"}).code, 0);
  const std::string before = ReadFile("tembric.db");
  const Result again = Run({"create", folder_});
  EXPECT_EQ(again.code, 0);
  EXPECT_THAT(again.out, HasSubstr("left as it is"));
  EXPECT_EQ(ReadFile("tembric.db"), before);

  const Result check = Run({"check", folder_});
  EXPECT_EQ(check.code, 0) << check.err;
  EXPECT_THAT(check.out, HasSubstr("tembric.db: 1 rows"));
  EXPECT_THAT(check.out, HasSubstr("win.db: 0 rows"));
}

TEST_F(TembricDbTool, AddCreatesMissingFoldersAndListShowsPathsInTreeOrder) {
  ASSERT_EQ(Run({"add", folder_, "\\Mail\\Work\\Sign", "--memo", "Best regards", "--keydisplay", "sig", "--keystring",
                 "SIG", "--shortcut", "Ctrl+Alt+S"})
                .code,
            0);
  ASSERT_EQ(Run({"add", folder_, "\\Address", "--memo", "1 Main St"}).code, 0);

  const Result list = Run({"list", folder_});
  ASSERT_EQ(list.code, 0) << list.err;
  EXPECT_EQ(list.out,
            "\\Address\ttext\n"
            "\\Mail\tfolder\n"
            "\\Mail\\Work\tfolder\n"
            "\\Mail\\Work\\Sign\ttext\t=sig\tCtrl+Alt+S\n");
}

TEST_F(TembricDbTool, DumpKeepsNullApartFromEmptyAndEscapesControlCharacters) {
  ASSERT_EQ(Run({"add", folder_, "\\Top", "--memo", "line 1\r\nline \"2\"\t\\"}).code, 0);
  const Result dump = Run({"dump", folder_});
  ASSERT_EQ(dump.code, 0) << dump.err;
  EXPECT_THAT(dump.out, HasSubstr("Category = \"\"\n"));  // top level: empty, not null
  EXPECT_THAT(dump.out, HasSubstr("Memo = \"line 1\\r\\nline \\\"2\\\"\\t\\\\\"\n"));
  EXPECT_THAT(dump.out, HasSubstr("Blob = null\n"));
  EXPECT_THAT(dump.out, HasSubstr("FullName = \"\\\\Top\"\n"));
  EXPECT_THAT(dump.out, HasSubstr("ContextEnabled = false\n"));
}

TEST_F(TembricDbTool, AddRefusesBadPathsDuplicatesAndUnknownOptionsWithoutWriting) {
  ASSERT_EQ(Run({"add", folder_, "\\A"}).code, 0);
  const std::string before = ReadFile("tembric.db");

  EXPECT_EQ(Run({"add", folder_, "NoBackslash"}).code, 2);
  EXPECT_EQ(Run({"add", folder_, "\\Folder\\"}).code, 2);
  EXPECT_EQ(Run({"add", folder_, "\\a=b"}).code, 2);
  const Result duplicate = Run({"add", folder_, "\\A"});
  EXPECT_EQ(duplicate.code, 2);
  EXPECT_THAT(duplicate.err, HasSubstr("already exists"));
  EXPECT_EQ(Run({"add", folder_, "\\B", "--colour", "red"}).code, 2);
  EXPECT_EQ(Run({"add", folder_, "\\C", "--type", "sideways"}).code, 2);
  EXPECT_EQ(ReadFile("tembric.db"), before);
}

TEST_F(TembricDbTool, ContentFilesGoToTheBlobFileOrTheBlobFieldByType) {
  { std::ofstream(folder_ + "/pic.bmp", std::ios::binary) << "BMpicture"; }
  { std::ofstream(folder_ + "/snap.bin", std::ios::binary) << std::string("snap\0shot", 9); }
  const std::string pic = folder_ + "/pic.bmp", snap = folder_ + "/snap.bin";
  ASSERT_EQ(Run({"add", folder_, "\\Logo", "--type", "image", "--content-file", pic}).code, 0);
  ASSERT_EQ(Run({"add", folder_, "\\Clip", "--type", "clipboard", "--content-file", snap}).code, 0);
  ASSERT_EQ(Run({"add", folder_, "\\Row", "--type", "clipboard-in-row", "--content-file", snap}).code, 0);

  // Appended one after the other, each record pointing at its own extent.
  EXPECT_EQ(ReadFile("data.tmd"), std::string("BMpicturesnap\0shot", 18));
  const std::string dump = Run({"dump", folder_}).out;
  EXPECT_THAT(dump, HasSubstr("Subject = \"Logo\"\nCategory = \"\"\nMemo = null\nNode = null\nType = 2\n"
                              "FullName = \"\\\\Logo\"\nBlob = null\nFilePosition = 0\nSize = 9\n"));
  EXPECT_THAT(dump, HasSubstr("Type = 20\nFullName = \"\\\\Clip\"\nBlob = null\nFilePosition = 9\nSize = 9\n"));
  EXPECT_THAT(dump, HasSubstr("Type = 10\nFullName = \"\\\\Row\"\nBlob = "));
  EXPECT_THAT(Run({"list", folder_}).out, HasSubstr("\\Clip\tclipboard\n"));

  // A missing content file or a capture that cannot be made adds nothing.
  const std::string before = ReadFile("tembric.db");
  EXPECT_NE(Run({"add", folder_, "\\Gone", "--type", "image", "--content-file", folder_ + "/gone.bmp"}).code, 0);
  EXPECT_EQ(Run({"add", folder_, "\\Text", "--capture-clipboard"}).code, 2);
  EXPECT_EQ(Run({"add", folder_, "\\Snap", "--type", "clipboard", "--capture-clipboard"}).code,
            2);  // no clipboard here
  EXPECT_EQ(ReadFile("tembric.db"), before);
  EXPECT_EQ(ReadFile("data.tmd").size(), 18u);
}

TEST_F(TembricDbTool, AddTiesTheRecordToContextsSharingOneWindowsRowPerContext) {
  ASSERT_EQ(Run({"add", folder_, "\\Sign", "--context-enabled", "--context-app", "Notepad", "--context-title",
                 "Notepad", "Untitled - Notepad"})
                .code,
            0);
  const Result other = Run({"add", folder_, "\\Other", "--context-app", "Notepad"});
  ASSERT_EQ(other.code, 0) << other.err;
  EXPECT_THAT(other.out, HasSubstr("with 1 context"));

  // Two windows rows, the whole application's shared by both records.
  std::istringstream windows(Run({"list", folder_, "windows"}).out);
  std::map<std::string, std::string> winIdOf;  // "type\tapplication\ttitle" -> ID
  for (std::string line; std::getline(windows, line);)
    winIdOf[line.substr(line.find('\t') + 1)] = line.substr(0, line.find('\t'));
  ASSERT_EQ(winIdOf.size(), 2u);
  const std::string app = winIdOf["0\tNotepad\t(Whole application)"];
  const std::string title = winIdOf["1\tNotepad\tUntitled - Notepad"];
  ASSERT_FALSE(app.empty());
  ASSERT_FALSE(title.empty());

  const std::string dump = Run({"dump", folder_}).out;
  const auto idOf = [&](const std::string& subject) {
    const auto at = dump.find("ID = ", dump.find("Subject = \"" + subject + "\""));
    return dump.substr(at + 5, dump.find('\n', at) - at - 5);
  };
  EXPECT_THAT(dump, HasSubstr("FullName = \"\\\\Sign\""));
  std::multiset<std::string> relations;
  std::istringstream rel(Run({"list", folder_, "relations"}).out);
  for (std::string line; std::getline(rel, line);) relations.insert(line);
  EXPECT_EQ(relations, (std::multiset<std::string>{idOf("Sign") + "\t" + app, idOf("Sign") + "\t" + title,
                                                   idOf("Other") + "\t" + app}));

  // A context option without its arguments adds nothing.
  const std::string before = ReadFile("tembric.db");
  EXPECT_EQ(Run({"add", folder_, "\\Half", "--context-title", "Notepad"}).code, 2);
  EXPECT_EQ(ReadFile("tembric.db"), before);
  EXPECT_THAT(Run({"--help"}).out, HasSubstr("--context-title APPLICATION TITLE"));
}

TEST_F(TembricDbTool, GenerateAddsTheRequestedNumberOfRecords) {
  const Result gen = Run({"generate", folder_, "250", "--seed", "7"});
  ASSERT_EQ(gen.code, 0) << gen.err;
  EXPECT_THAT(gen.out, HasSubstr("generated 250 records"));
  const Result check = Run({"check", folder_});
  EXPECT_THAT(check.out, HasSubstr("tembric.db: 250 rows"));

  // Every generated record sits in a folder that exists (or at the top level).
  const Result list = Run({"list", folder_});
  std::set<std::string> paths;
  std::istringstream lines(list.out);
  for (std::string line; std::getline(lines, line);) paths.insert(line.substr(0, line.find('\t')));
  for (const std::string& p : paths) {
    const auto cut = p.find_last_of('\\');
    if (cut != 0) {
      EXPECT_TRUE(paths.count(p.substr(0, cut))) << p << " has no folder row";
    }
  }
}

TEST_F(TembricDbTool, GenerateTiesRecordsToWindowsRowsOfApplicationsWhenAsked) {
  const Result gen =
      Run({"generate", folder_, "400", "--windows", "250", "--relations", "1000", "--application", "Notepad"});
  ASSERT_EQ(gen.code, 0) << gen.err;
  const std::string check = Run({"check", folder_}).out;
  EXPECT_THAT(check, HasSubstr("win.db: 250 rows\n"));
  EXPECT_THAT(check, HasSubstr("rel.db: 1000 rows\n"));

  // Record ID -> context dependence, from the dump.
  std::map<std::string, bool> enabled;
  std::istringstream dump(Run({"dump", folder_}).out);
  std::string id;
  for (std::string line; std::getline(dump, line);) {
    if (line.rfind("ID = ", 0) == 0) id = line.substr(5);
    if (line.rfind("ContextEnabled = ", 0) == 0) enabled[id] = line == "ContextEnabled = true";
  }
  std::map<std::string, std::string> windows;  // ID -> "type\tapplication\ttitle"
  std::istringstream win(Run({"list", folder_, "windows"}).out);
  for (std::string line; std::getline(win, line);)
    windows[line.substr(0, line.find('\t'))] = line.substr(line.find('\t') + 1);
  std::istringstream rel(Run({"list", folder_, "relations"}).out);
  std::map<std::string, int> linksOf;
  for (std::string line; std::getline(rel, line);) {
    const std::string record = line.substr(0, line.find('\t')), window = line.substr(line.find('\t') + 1);
    ASSERT_TRUE(enabled.count(record)) << line;
    ASSERT_TRUE(windows.count(window)) << line;
    ++linksOf[windows[window]];
    if (windows[window] == "0\tNotepad\t(Whole application)") {
      EXPECT_TRUE(enabled[record]) << line;
    }
  }
  EXPECT_EQ(linksOf["0\tNotepad\t(Whole application)"], 4);
  EXPECT_EQ(linksOf["1\tApplication 2\tDocument 1.txt - Editor"], 4);
  EXPECT_EQ(linksOf["3\tApplication 2\t*0*.txt - Editor"], 4);
  EXPECT_EQ(Run({"generate", folder_, "1", "--relations", "5"}).code, 2);
}

TEST_F(TembricDbTool, AnUnreadableTableIsReportedAndNeverWrittenOver) {
  {
    std::ofstream garbage(folder_ + "/tembric.db", std::ios::binary);
    garbage << "this is not a table";
  }
  const Result check = Run({"check", folder_});
  EXPECT_EQ(check.code, 1);
  EXPECT_THAT(check.err, HasSubstr("tembric.db"));

  const Result add = Run({"add", folder_, "\\X"});
  EXPECT_EQ(add.code, 1);
  EXPECT_EQ(ReadFile("tembric.db"), "this is not a table");
  EXPECT_EQ(Run({"generate", folder_, "3"}).code, 1);
  EXPECT_EQ(ReadFile("tembric.db"), "this is not a table");
}

TEST_F(TembricDbTool, WritingCommandsRefuseWhileTembricHoldsTheLibraryAndReadingOnesWork) {
  ASSERT_EQ(Run({"add", folder_, "\\Before", "--memo", "x"}).code, 0);
  const std::string before = ReadFile("tembric.db");
  {
    const auto running = tembric::store::LockLibrary(tembric::platform::RealFileSystem(), folder_);
    ASSERT_NE(running, nullptr);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"add", folder_, "\\During"}, {"generate", folder_, "3"}, {"create", folder_}}) {
      const Result r = Run(args);
      EXPECT_EQ(r.code, 1) << args[0];
      EXPECT_THAT(r.err, HasSubstr("shut Tembric down first")) << args[0];
    }
    EXPECT_EQ(ReadFile("tembric.db"), before);
    EXPECT_EQ(Run({"list", folder_}).code, 0);
    EXPECT_EQ(Run({"check", folder_}).code, 0);
  }
  EXPECT_EQ(Run({"add", folder_, "\\After"}).code, 0);  // the lock went with its holder

  // A copy left by an unfinished save may be the newest data: not written over.
  std::ofstream(folder_ + "/tembric.db.saving") << "newest";
  const Result blocked = Run({"add", folder_, "\\Later"});
  EXPECT_EQ(blocked.code, 1);
  EXPECT_THAT(blocked.err, HasSubstr("tembric.db.saving is left from a save that did not finish"));
  EXPECT_EQ(ReadFile("tembric.db.saving"), "newest");
}

TEST_F(TembricDbTool, UnknownCommandsAndTablesPrintUsage) {
  const Result unknown = Run({"frobnicate", folder_});
  EXPECT_EQ(unknown.code, 2);
  EXPECT_THAT(unknown.err, HasSubstr("usage:"));
  EXPECT_EQ(Run({"list", folder_, "chairs"}).code, 2);
  EXPECT_EQ(Run({}).code, 2);
  EXPECT_THAT(Run({"--help"}).out, Not(HasSubstr("unknown")));
}

}  // namespace
