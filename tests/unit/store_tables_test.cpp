// The three tables of a library: their schemas, record paths, ID draws,
// opening a library (order, purge, unreadable files), saving through faults
// and crashes, and the synthetic library generator.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fakes/FaultInjectingFileSystem.h"
#include "fakes/MemoryFileSystem.h"
#include "platform/FileSystem.h"
#include "store/SyntheticLibrary.h"
#include "store/Tables.h"

namespace tembric::store {
namespace {

using fakes::FaultInjectingFileSystem;
using fakes::MemoryFileSystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// ---- Schemas and paths ---------------------------------------------------------------

std::vector<std::string> Describe(const TableSchema& schema) {
  std::vector<std::string> out;
  for (const FieldDef& f : schema.fields) {
    out.push_back(f.name + ":" + std::to_string(static_cast<int>(f.type)) + ":" + std::to_string(f.width));
  }
  return out;
}

TEST(LibrarySchemas, HaveTheirFieldsInOrderAndTheirDefaultOrderings) {
  EXPECT_THAT(Describe(RecordsSchema()),
              ElementsAre("Subject:1:128", "Category:1:256", "Memo:2:0", "Node:4:0", "Type:3:0", "FullName:1:300",
                          "Blob:7:0", "FilePosition:5:0", "Size:5:0", "KeyString:1:32", "KeyDisplay:1:32",
                          "FileName:1:256", "ShortCut:1:16", "ID:4:0", "ContextEnabled:6:0"));
  EXPECT_THAT(Describe(WindowsSchema()), ElementsAre("WinTitle:1:100", "VersionName:1:100", "FilePath:1:256",
                                                     "FileName:1:100", "ID:4:0", "WinType:4:0"));
  EXPECT_THAT(Describe(RelationsSchema()), ElementsAre("ID:4:0", "WinID:4:0"));

  Library library;
  EXPECT_EQ(library.records.IndexName(), "TembricByFullName");
  EXPECT_EQ(library.records.IndexFieldNames(), "FullName");
  EXPECT_EQ(library.windows.IndexName(), "");
  EXPECT_EQ(library.windows.IndexFieldNames(), "FileName;WinType");
  EXPECT_EQ(library.relations.IndexFieldNames(), "");
}

TEST(RecordPaths, AreTheCategoryABackslashAndTheSubject) {
  EXPECT_EQ(MakeFullName("", "Mail"), "\\Mail");
  EXPECT_EQ(MakeFullName("\\Mail", "Sign"), "\\Mail\\Sign");
  EXPECT_EQ(MakeFullName("\\*Plugins", "Clock"), "\\*Plugins\\Clock");
}

TEST(RecordPaths, APathIsAtOrBelowAFolderOnlyAtABackslash) {
  struct Case {
    const char* path;
    const char* folder;
    bool atOrBelow;
  };
  const Case cases[] = {
      {"\\A", "\\A", true},   {"\\A\\x", "\\A", true},        {"\\A\\y\\z", "\\A", true},
      {"\\Ab", "\\A", false}, {"\\Ab\\x", "\\A", false},      {"\\a\\x", "\\A", false},  // letter case counts
      {"\\", "\\A", false},   {"\\A\\x", "\\A\\x\\y", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsAtOrBelow(c.path, c.folder), c.atOrBelow) << c.path << " in " << c.folder;
}

TEST(RecordPaths, AFolderSortsBeforeEverythingInsideIt) {
  DataTable records(RecordsSchema());
  records.CreateEmpty();
  for (const char* path : {"\\Mail\\Sign", "\\Mail2", "\\Mail", "\\Mail\\Sign\\Long", "\\Mail\\A", "\\MAIL"}) {
    records.Append();
    records.Set("FullName", path);
    records.Post();
  }
  std::vector<std::string> order;
  for (records.First(); !records.Eof(); records.Next()) order.push_back(records.AsString("FullName"));
  EXPECT_THAT(order, ElementsAre("\\MAIL", "\\Mail", "\\Mail2", "\\Mail\\A", "\\Mail\\Sign", "\\Mail\\Sign\\Long"));
}

// ---- IDs --------------------------------------------------------------------------------

// Returns the scripted values in turn and notes the ranges asked for.
struct ScriptedRandom {
  explicit ScriptedRandom(std::vector<std::int64_t> script) : values(std::move(script)) {}
  std::vector<std::int64_t> values;
  std::vector<std::pair<std::int64_t, std::int64_t>> asked;
  std::size_t next = 0;
  RandomInt Function() {
    return [this](std::int64_t low, std::int64_t high) {
      asked.emplace_back(low, high);
      return values.at(next++);
    };
  }
};

void AddRow(DataTable& table, std::map<std::string, Value> values) {
  table.Append();
  for (const auto& [field, value] : values) table.Set(field, value);
  table.Post();
}

TEST(IdDraws, SkipValuesAlreadyUsedAndAskForTheRightRange) {
  DataTable records(RecordsSchema());
  records.CreateEmpty();
  AddRow(records, {{"FullName", "\\a"}, {"ID", 17}});
  AddRow(records, {{"FullName", "\\b"}, {"ID", 0}});
  ScriptedRandom random({17, 0, 17, 99'999'999});
  EXPECT_EQ(DrawRecordId(records, random.Function()), 99'999'999);
  EXPECT_EQ(random.asked.size(), 4u);
  EXPECT_EQ(random.asked[0], std::make_pair(std::int64_t{0}, std::int64_t{99'999'999}));

  DataTable windows(WindowsSchema());
  windows.CreateEmpty();
  AddRow(windows, {{"FileName", "a.exe"}, {"ID", 5}});
  windows.SetRange(std::vector<Value>{"zzz"}, std::vector<Value>{"zzz"});  // used values count even when hidden
  ScriptedRandom windowRandom({5, 6});
  EXPECT_EQ(DrawWindowId(windows, windowRandom.Function()), 6);
  EXPECT_EQ(windowRandom.asked[0], std::make_pair(std::int64_t{1}, std::int64_t{9'999'999}));
}

TEST(IdDraws, RefuseAGeneratorOutOfRangeAndAFullRange) {
  DataTable relations(RelationsSchema());
  relations.CreateEmpty();
  ScriptedRandom wild({10});
  EXPECT_THROW(DrawUnusedId(relations, "ID", 1, 3, wild.Function()), TableError);
  for (int id = 1; id <= 3; ++id) AddRow(relations, {{"ID", id}});
  ScriptedRandom looping(std::vector<std::int64_t>(64, 2));
  EXPECT_THROW(DrawUnusedId(relations, "ID", 1, 3, looping.Function()), TableError);
  EXPECT_THROW(DrawUnusedId(relations, "Nope", 1, 3, looping.Function()), TableError);
}

TEST(IdDraws, TheClockSeededGeneratorStaysInRange) {
  const RandomInt random = ClockSeededRandom();
  std::set<std::int64_t> seen;
  for (int i = 0; i < 2000; ++i) {
    const std::int64_t v = random(1, 9);
    ASSERT_GE(v, 1);
    ASSERT_LE(v, 9);
    seen.insert(v);
  }
  EXPECT_EQ(seen.size(), 9u);
  DataTable windows(WindowsSchema());
  windows.CreateEmpty();
  for (int i = 0; i < 50; ++i) {
    const std::int32_t id = DrawWindowId(windows, random);
    ASSERT_GE(id, 1);
    ASSERT_LE(id, kMaxWindowId);
    AddRow(windows, {{"ID", id}});
  }
}

TEST(Timestamp, IsDateDashTime) {
  const std::string stamp = TimestampNow();
  ASSERT_EQ(stamp.size(), 15u);
  EXPECT_EQ(stamp[8], '-');
  for (std::size_t i = 0; i < stamp.size(); ++i) {
    if (i != 8) {
      EXPECT_TRUE(stamp[i] >= '0' && stamp[i] <= '9') << stamp;
    }
  }
}

// ---- Opening a library -------------------------------------------------------------------

Bytes TableImage(const TableSchema& schema, const std::vector<std::map<std::string, Value>>& rows) {
  DataTable t(schema);
  t.CreateEmpty();
  for (const auto& row : rows) AddRow(t, row);
  return t.Serialize();
}

std::map<std::string, Value> Record(Value subject, Value category, Value fullName) {
  return {{"Subject", subject}, {"Category", category}, {"FullName", fullName}, {"Type", 0}};
}

std::vector<std::string> FullNames(DataTable& records) {
  std::vector<std::string> names;
  for (records.First(); !records.Eof(); records.Next()) names.push_back(records.AsString("FullName"));
  return names;
}

TEST(OpenLibrary, AFirstStartHasEmptyTablesAndWritesNothing) {
  MemoryFileSystem memory;
  FaultInjectingFileSystem fs(memory);
  Library library;
  int scrolls = 0;
  library.records.SetAfterScroll([&](DataTable&) { ++scrolls; });
  EXPECT_TRUE(OpenLibrary(library, fs, "C:\\Tembric", "20260101-000000").empty());

  for (const std::string& call : fs.Calls()) EXPECT_THAT(call, ::testing::StartsWith("Exists C:\\Tembric\\"));
  EXPECT_FALSE(library.records.HasAfterScroll());
  EXPECT_EQ(scrolls, 0);
  for (DataTable* t : {&library.records, &library.windows, &library.relations}) {
    EXPECT_EQ(t->State(), TableState::Browse);
    EXPECT_TRUE(t->IsEmpty());
  }
  EXPECT_TRUE(memory.Paths().empty());

  library.records.Save(fs);
  EXPECT_THAT(memory.Paths(), ElementsAre("C:\\Tembric\\tembric.db"));
}

TEST(OpenLibrary, JoinsFileNamesWithTheFolderSeparator) {
  MemoryFileSystem fs;
  const std::map<std::string, std::string> expected{
      {"/srv/lib", "/srv/lib/tembric.db"},  {"C:\\x\\", "C:\\x\\tembric.db"},
      {"/srv/lib/", "/srv/lib/tembric.db"}, {"D:\\My Files\\Tembric", "D:\\My Files\\Tembric\\tembric.db"},
#ifdef _WIN32
      {"lib", "lib\\tembric.db"},
#else
      {"lib", "lib/tembric.db"},
#endif
  };
  for (const auto& [folder, path] : expected) {
    Library library;
    OpenLibrary(library, fs, folder, "x");
    EXPECT_EQ(library.records.FileName(), path);
  }
}

TEST(OpenLibrary, ReadsTheTablesAndPurgesRecordsLackingANameButKeepsEmptyTexts) {
  MemoryFileSystem fs;
  fs.Put("/lib/win.db", TableImage(WindowsSchema(), {{{"FileName", "b.exe"}, {"WinType", 1}, {"ID", 7}},
                                                     {{"FileName", "a.exe"}, {"WinType", 2}, {"ID", 8}}}));
  fs.Put("/lib/rel.db", TableImage(RelationsSchema(), {{{"ID", 1}, {"WinID", 7}}}));
  fs.Put("/lib/tembric.db", TableImage(RecordsSchema(), {
                                                            Record("Mail", "", "\\Mail"),
                                                            Record(Value(), "", "\\NoSubject"),
                                                            Record("NoCategory", Value(), "\\NoCategory"),
                                                            Record("NoFullName", "", Value()),
                                                            Record("", "", "\\"),
                                                            Record("Sign", "\\Mail", "\\Mail\\Sign"),
                                                            Record(Value(), Value(), Value()),
                                                        }));
  Library library;
  EXPECT_TRUE(OpenLibrary(library, fs, "/lib", "x").empty());
  EXPECT_THAT(FullNames(library.records), ElementsAre("\\", "\\Mail", "\\Mail\\Sign"));
  library.windows.First();
  EXPECT_EQ(library.windows.AsString("FileName"), "a.exe");
  EXPECT_EQ(library.relations.RecordCount(), 1u);
  EXPECT_EQ(library.records.State(), TableState::Browse);
}

TEST(PurgeIncompleteRecords, ReportsHowManyAndIgnoresARange) {
  DataTable records(RecordsSchema());
  records.CreateEmpty();
  for (const auto& row : {Record("a", "", "\\a"), Record("b", Value(), "\\b"), Record("c", "", Value())}) {
    AddRow(records, row);
  }
  records.SetRange(std::vector<Value>{"\\a"}, std::vector<Value>{"\\a"});
  EXPECT_EQ(PurgeIncompleteRecords(records), 2u);
  EXPECT_FALSE(records.HasRange());
  EXPECT_EQ(records.RecordCount(), 1u);
  EXPECT_FALSE(records.ControlsDisabled());
}

class UnreadableFile : public ::testing::Test {
 protected:
  void SetUp() override {
    good_ = TableImage(RecordsSchema(), {Record("Mail", "", "\\Mail")});
    broken_ = good_;
    broken_[broken_.size() / 2] ^= 0x40;
    memory_.Put(kPath, broken_);
    memory_.Put("C:\\x\\rel.db", TableImage(RelationsSchema(), {{{"ID", 1}, {"WinID", 2}}}));
  }
  static constexpr const char* kPath = "C:\\x\\tembric.db";
  static constexpr const char* kKept = "C:\\x\\tembric.db.unreadable-20261209-101500";
  MemoryFileSystem memory_;
  FaultInjectingFileSystem fs_{memory_};
  Library library_;
  Bytes good_, broken_;
};

TEST_F(UnreadableFile, IsKeptAsideReportedAndTheTableStartsEmpty) {
  const std::vector<TableNotice> reports = OpenLibrary(library_, fs_, "C:\\x", "20261209-101500");
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].file, kPath);
  EXPECT_EQ(reports[0].reason, "bad checksum");
  EXPECT_EQ(reports[0].keptAs, kKept);
  EXPECT_EQ(reports[0].Message(),
            "Cannot read the table file \"C:\\x\\tembric.db\": bad checksum. It was kept as "
            "\"C:\\x\\tembric.db.unreadable-20261209-101500\"; the table starts empty.");
  EXPECT_EQ(memory_.Get(kKept), broken_);
  EXPECT_FALSE(memory_.Get(kPath).has_value());
  EXPECT_TRUE(library_.records.IsEmpty());
  EXPECT_EQ(library_.records.State(), TableState::Browse);
  EXPECT_EQ(library_.relations.RecordCount(), 1u);  // the other tables open normally

  AddRow(library_.records, Record("New", "", "\\New"));
  EXPECT_FALSE(library_.records.SaveBlocked());
  library_.records.Save(fs_);
  EXPECT_EQ(memory_.Get(kKept), broken_);
  DataTable reread(RecordsSchema());
  reread.Load(*memory_.Get(kPath));
  EXPECT_EQ(reread.AsString("FullName"), "\\New");
}

TEST_F(UnreadableFile, AnExistingCopyIsNotWrittenOver) {
  memory_.Put(kKept, good_);
  const auto reports = OpenLibrary(library_, fs_, "C:\\x", "20261209-101500");
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].keptAs, std::string(kKept) + "-2");
  EXPECT_EQ(memory_.Get(kKept), good_);
  EXPECT_EQ(memory_.Get(std::string(kKept) + "-2"), broken_);
}

TEST_F(UnreadableFile, WhenItCannotBeMovedSaveRefusesToWriteOverIt) {
  fs_.Fail(FaultInjectingFileSystem::Op::Rename, "Access is denied");
  const auto reports = OpenLibrary(library_, fs_, "C:\\x", "20261209-101500");
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].keptAs, "");
  EXPECT_THAT(reports[0].Message(), HasSubstr("\"C:\\x\\tembric.db\": bad checksum."));
  EXPECT_THAT(reports[0].Message(), HasSubstr("could not be moved aside"));
  EXPECT_TRUE(library_.records.SaveBlocked());

  AddRow(library_.records, Record("New", "", "\\New"));
  EXPECT_THROW(library_.records.Save(fs_), TableError);
  EXPECT_EQ(memory_.Get(kPath), broken_);

  library_.records.AllowSaveOverUnreadableFile();
  library_.records.Save(fs_);
  EXPECT_NE(memory_.Get(kPath), broken_);
}

// A file the system will not read says nothing about its bytes: it stays
// where it is, and nothing is saved over it.
TEST_F(UnreadableFile, AFileTheSystemRefusesToReadIsLeftInPlaceAndNeverWrittenOver) {
  memory_.Put(kPath, good_);
  for (const auto& [op, kind] : {std::pair{FaultInjectingFileSystem::Op::ReadAll, platform::FileErrorKind::Other},
                                 std::pair{FaultInjectingFileSystem::Op::ReadAll, platform::FileErrorKind::Transient},
                                 std::pair{FaultInjectingFileSystem::Op::Exists, platform::FileErrorKind::Other}}) {
    fs_.Heal();
    fs_.Fail(op, "Access is denied", kind);
    Library library;
    const auto reports = OpenLibrary(library, fs_, "C:\\x", "s");
    ASSERT_EQ(reports.size(), 3u - (op == FaultInjectingFileSystem::Op::ReadAll));  // win.db is missing
    EXPECT_EQ(reports.back().file, kPath);
    EXPECT_EQ(reports.back().keptAs, "");
    EXPECT_THAT(reports.back().Message(), HasSubstr(": Access is denied. It was left as it is"));
    EXPECT_TRUE(library.records.SaveBlocked());
    fs_.Heal();
    EXPECT_THROW(library.records.Save(fs_), TableError);
    EXPECT_EQ(memory_.Get(kPath), good_);
    EXPECT_FALSE(memory_.Get(std::string(kPath) + ".unreadable-s").has_value());
  }
}

TEST_F(UnreadableFile, APassingReadErrorIsRetriedAndTheFileOpensNormally) {
  memory_.Put(kPath, good_);
  fs_.Fail(FaultInjectingFileSystem::Op::ReadAll, "sharing violation", platform::FileErrorKind::Transient, 3);
  EXPECT_TRUE(OpenLibrary(library_, fs_, "C:\\x", "s").empty());
  EXPECT_EQ(memory_.Pauses(), 3);
  EXPECT_EQ(library_.records.RecordCount(), 1u);
  EXPECT_FALSE(library_.records.SaveBlocked());
}

// ---- The copy an unfinished save left -----------------------------------------------------

class UnfinishedSave : public ::testing::Test {
 protected:
  static constexpr const char* kPath = "/lib/tembric.db";
  static constexpr const char* kCopy = "/lib/tembric.db.saving";
  static Bytes Image(const char* name) {
    return TableImage(RecordsSchema(), {Record(name, "", std::string("\\") + name)});
  }
  static Bytes Damaged(const char* name) {
    Bytes bytes = Image(name);
    bytes[bytes.size() / 2] ^= 0x40;
    return bytes;
  }
  MemoryFileSystem memory_;
  Library library_;
};

TEST_F(UnfinishedSave, AWholeCopyIsTakenWhenTheTableFileIsMissingDamagedOrOlder) {
  struct Case {
    const char* what;
    std::optional<Bytes> table;  // written before the copy, so older
    const char* aside;           // where the table file goes; "" when nowhere
    const char* message;
  };
  const Case cases[] = {
      {"missing", std::nullopt, "", "The table file \"/lib/tembric.db\" was missing; the table was taken from"},
      {"damaged", Damaged("Old"), "/lib/tembric.db.unreadable-s", "bad checksum. It was kept as"},
      {"older", Image("Old"), "", "The last save of \"/lib/tembric.db\" did not finish; the table was taken"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MemoryFileSystem memory;
    if (c.table) memory.Put(kPath, *c.table);
    memory.Put(kCopy, Image("New"));
    Library library;
    const auto reports = OpenLibrary(library, memory, "/lib", "s");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_THAT(reports[0].Message(), HasSubstr(c.message));
    EXPECT_EQ(reports[0].restoredFrom, kCopy);
    EXPECT_THAT(FullNames(library.records), ElementsAre("\\New"));
    EXPECT_EQ(memory.Get(kPath), Image("New"));  // the copy took the table file's place
    EXPECT_FALSE(memory.Get(kCopy).has_value());
    if (*c.aside) {
      EXPECT_EQ(memory.Get(c.aside), c.table);
    }
    EXPECT_FALSE(library.records.SaveBlocked());
  }
}

TEST_F(UnfinishedSave, ACopyThatIsNotTheNewestWholeDataIsNeverDeletedUnlessTheTableFileIsWhole) {
  // Older than the table file: kept aside, the table file wins.
  memory_.Put(kCopy, Image("Copy"));
  memory_.Put(kPath, Image("Table"));
  auto reports = OpenLibrary(library_, memory_, "/lib", "s");
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].keptAs, "/lib/tembric.db.saving-s");
  EXPECT_EQ(memory_.Get("/lib/tembric.db.saving-s"), Image("Copy"));
  EXPECT_THAT(FullNames(library_.records), ElementsAre("\\Table"));

  // Cut short beside a whole table file: removed, nothing to report.
  memory_.Put(kCopy, Damaged("Copy"));
  Library again;
  EXPECT_TRUE(OpenLibrary(again, memory_, "/lib", "t").empty());
  EXPECT_FALSE(memory_.Get(kCopy).has_value());

  // Cut short with no table file: the only bytes there are, kept aside.
  memory_.Remove(kPath);
  memory_.Put(kCopy, Damaged("Copy"));
  Library third;
  reports = OpenLibrary(third, memory_, "/lib", "u");
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(memory_.Get("/lib/tembric.db.saving.unreadable-u"), Damaged("Copy"));
  EXPECT_FALSE(third.records.SaveBlocked());
}

TEST_F(UnfinishedSave, ACopyThatCannotBeReadBlocksSavesOverIt) {
  memory_.Put(kPath, Image("Table"));
  memory_.Put(kCopy, Image("Copy"));
  FaultInjectingFileSystem fs(memory_);
  fs.Fail(FaultInjectingFileSystem::Op::Stamp, "Access is denied");
  const auto reports = OpenLibrary(library_, fs, "/lib", "s");
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].file, kCopy);
  EXPECT_TRUE(library_.records.SaveBlocked());
  fs.Heal();
  EXPECT_THROW(library_.records.Save(fs), TableError);
  EXPECT_EQ(memory_.Get(kCopy), Image("Copy"));
}

TEST_F(UnfinishedSave, AFailedReplaceKeepsTheWrittenCopyAndTheNextStartTakesIt) {
  OpenLibrary(library_, memory_, "/lib", "s");
  AddRow(library_.records, Record("Kept", "", "\\Kept"));
  library_.records.Save(memory_);
  AddRow(library_.records, Record("Newer", "", "\\Newer"));
  memory_.SetReadOnly(kPath);
  try {
    library_.records.Save(memory_);
    FAIL() << "saved over a read-only file";
  } catch (const TableFileError& e) {
    EXPECT_THAT(e.what(), HasSubstr("access denied. The saved table was kept as \"/lib/tembric.db.saving\""));
  }
  EXPECT_EQ(memory_.Pauses(), 7);  // retried for a while first
  memory_.Remove(kPath);           // say the user deleted the read-only file by hand
  Library next;
  const auto reports = OpenLibrary(next, memory_, "/lib", "s");
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_THAT(FullNames(next.records), ElementsAre("\\Kept", "\\Newer"));
}

TEST_F(UnfinishedSave, APassingSharingViolationDelaysTheReplaceOnly) {
  FaultInjectingFileSystem fs(memory_);
  OpenLibrary(library_, fs, "/lib", "s");
  AddRow(library_.records, Record("A", "", "\\A"));
  fs.Fail(FaultInjectingFileSystem::Op::Replace, "sharing violation", platform::FileErrorKind::Transient, 2);
  library_.records.Save(fs);
  EXPECT_EQ(memory_.Pauses(), 2);
  EXPECT_THAT(memory_.Paths(), ElementsAre(kPath));
}

TEST_F(UnfinishedSave, AStaleReadOnlyCopyDoesNotStopLaterSaves) {
  OpenLibrary(library_, memory_, "/lib", "s");
  memory_.Put(kCopy, Bytes{1, 2, 3});
  memory_.SetReadOnly(kCopy);
  AddRow(library_.records, Record("A", "", "\\A"));
  library_.records.Save(memory_);
  EXPECT_EQ(memory_.Get(kPath), library_.records.Serialize());
  EXPECT_THAT(memory_.Paths(), ElementsAre(kPath));
}

TEST(OpenLibrary, ATableFileThatIsALinkIsSavedAtItsTargetAndStaysALink) {
  MemoryFileSystem memory;
  memory.Put("/sync/tembric.db", TableImage(RecordsSchema(), {Record("Old", "", "\\Old")}));
  memory.Link("/lib/tembric.db", "/sync/tembric.db");
  Library library;
  OpenLibrary(library, memory, "/lib", "s");
  EXPECT_THAT(FullNames(library.records), ElementsAre("\\Old"));
  AddRow(library.records, Record("New", "", "\\New"));
  library.records.Save(memory);
  EXPECT_EQ(memory.FinalPath("/lib/tembric.db"), "/sync/tembric.db");
  EXPECT_EQ(memory.ReadAll("/lib/tembric.db"), library.records.Serialize());
}

TEST(OpenTable, ThrowsAFileErrorNamingTheFileAndReason) {
  MemoryFileSystem fs;
  fs.Put("/t/rel.db", Bytes{1, 2, 3});
  DataTable t(RelationsSchema());
  t.SetFileName("/t/rel.db");
  try {
    t.Open(fs);
    FAIL() << "opened a broken file";
  } catch (const TableFileError& e) {
    EXPECT_EQ(e.Path(), "/t/rel.db");
    EXPECT_EQ(e.Reason(), "not a table file");
    EXPECT_STREQ(e.what(), "Cannot read the table file \"/t/rel.db\": not a table file");
  }
  EXPECT_TRUE(t.SaveBlocked());
  EXPECT_EQ(t.State(), TableState::Browse);
}

// ---- Saving through faults -----------------------------------------------------------

class SavingThroughFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    table_.SetFileName(kPath);
    table_.Open(fs_);
    AddRow(table_, {{"ID", 1}, {"WinID", 10}});
    table_.Save(fs_);
    saved_ = *memory_.Get(kPath);
    AddRow(table_, {{"ID", 2}, {"WinID", 20}});
  }
  static constexpr const char* kPath = "/lib/rel.db";
  MemoryFileSystem memory_;
  FaultInjectingFileSystem fs_{memory_};
  DataTable table_{RelationsSchema()};
  Bytes saved_;
};

TEST_F(SavingThroughFaults, AFailedWriteLeavesTheOldFileWhole) {
  fs_.Fail(FaultInjectingFileSystem::Op::WriteAndFlush, "no space");
  EXPECT_THROW(table_.Save(fs_), TableFileError);
  EXPECT_EQ(memory_.Get(kPath), saved_);
}

TEST_F(SavingThroughFaults, SavePostsAPendingEdit) {
  table_.Edit();
  table_.Set("WinID", 99);
  table_.Save(fs_);
  EXPECT_EQ(table_.State(), TableState::Browse);
  DataTable reread(RelationsSchema());
  reread.Load(*memory_.Get(kPath));
  reread.Last();
  EXPECT_EQ(reread.AsInteger("WinID"), 99);
}

// ---- Saving through crashes ------------------------------------------------------------

constexpr int kRowsPerSave = 25;

std::string CrashMemo(int k) {
  return std::string(static_cast<std::size_t>(200 + k % 900), static_cast<char>('a' + k % 26));
}

// Saves a table that grows by kRowsPerSave rows per save, until killed;
// writes one byte to `done` after every save that returned.
[[noreturn]] void SaveForever(const std::string& path, int done) {
  try {
    DataTable t(RecordsSchema());
    t.SetFileName(path);
    t.CreateEmpty();
    for (int k = 0;;) {
      for (int i = 0; i < kRowsPerSave; ++i, ++k) {
        AddRow(t, {{"Subject", "r" + std::to_string(k)},
                   {"Category", ""},
                   {"FullName", "\\r" + std::to_string(k)},
                   {"Memo", CrashMemo(k)},
                   {"ID", k}});
      }
      t.Save(platform::RealFileSystem());
      const char byte = 1;
      if (write(done, &byte, 1) != 1) _exit(4);
    }
  } catch (...) {
    _exit(3);
  }
}

// Reads `count` bytes from `fd`; false when they do not come within 60 s.
bool ReadAcknowledgements(int fd, int count) {
  for (int got = 0; got < count;) {
    pollfd p{.fd = fd, .events = POLLIN, .revents = 0};
    if (poll(&p, 1, 60000) <= 0) return false;
    char buffer[64];
    const ssize_t n = read(fd, buffer, std::min<std::size_t>(sizeof buffer, static_cast<std::size_t>(count - got)));
    if (n <= 0) return false;
    got += static_cast<int>(n);
  }
  return true;
}

TEST(TableFileCrash, AProcessKilledWhileSavingLeavesAWholeTable) {
  std::string folder = (std::filesystem::temp_directory_path() / "tembric-crash-XXXXXX").string();
  ASSERT_NE(mkdtemp(folder.data()), nullptr);
  const std::string path = folder + "/tembric.db";
  for (int run = 0; run < 12; ++run) {
    // Killed just after its n-th save returned, at a different n each run:
    // mostly in the middle of the next save.
    const int acknowledged = 1 + run * 3;
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(pipeEnds[0]);
      SaveForever(path, pipeEnds[1]);
    }
    close(pipeEnds[1]);
    const bool heard = ReadAcknowledgements(pipeEnds[0], acknowledged);
    ASSERT_EQ(kill(child, SIGKILL), 0);
    close(pipeEnds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(heard) << "run " << run << ": the saving child did not report its saves";
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child ended by itself with " << status;

    DataTable t(RecordsSchema());
    t.SetFileName(path);
    ASSERT_NO_THROW(t.Open(platform::RealFileSystem())) << "run " << run;
    // Whole saves only, and never older than the last save that returned.
    ASSERT_EQ(t.RecordCount() % kRowsPerSave, 0u) << "run " << run;
    ASSERT_GE(t.RecordCount(), static_cast<std::size_t>(acknowledged * kRowsPerSave)) << "run " << run;
    t.SetIndexFieldNames("ID");
    int k = 0;
    for (t.First(); !t.Eof(); t.Next(), ++k) {
      ASSERT_EQ(t.AsInteger("ID"), k);
      ASSERT_EQ(t.AsString("FullName"), "\\r" + std::to_string(k));
      ASSERT_EQ(t.AsString("Memo"), CrashMemo(k));
    }
  }
  std::filesystem::remove_all(folder);
}

// ---- The synthetic library ------------------------------------------------------------

TEST(SyntheticLibrary, MakesValidFoldersAndRecordsWithUniqueIds) {
  DataTable records(RecordsSchema());
  records.CreateEmpty();
  AddSyntheticRecords(records, 700, 7);
  EXPECT_EQ(records.RecordCount(), 700u);

  std::set<std::string> folders;
  std::set<std::int64_t> ids;
  std::map<std::int64_t, int> types;
  // In FullName order every folder comes before its contents.
  for (records.First(); !records.Eof(); records.Next()) {
    const std::string category = records.AsString("Category");
    ASSERT_FALSE(records.IsNull("Category"));
    ASSERT_FALSE(records.AsString("Subject").empty());
    ASSERT_EQ(records.AsString("FullName"), MakeFullName(category, records.AsString("Subject")));
    ASSERT_TRUE(category.empty() || folders.count(category) == 1) << category;
    if (records.AsInteger("Type") == 1) folders.insert(records.AsString("FullName"));
    const std::int64_t id = records.AsInteger("ID");
    ASSERT_FALSE(records.IsNull("ID"));
    ASSERT_TRUE(id >= 0 && id <= kMaxRecordId);
    ASSERT_TRUE(ids.insert(id).second) << "ID " << id << " twice";
    ++types[records.AsInteger("Type")];
  }
  EXPECT_GT(folders.size(), 20u);
  EXPECT_GT(types[0], 350);
  EXPECT_GT(types[2], 0);
  EXPECT_EQ(PurgeIncompleteRecords(records), 0u);

  DataTable again(RecordsSchema());
  again.CreateEmpty();
  AddSyntheticRecords(again, 700, 7);
  EXPECT_EQ(again.Serialize(), records.Serialize());
  DataTable other(RecordsSchema());
  other.CreateEmpty();
  AddSyntheticRecords(other, 700, 8);
  EXPECT_NE(other.Serialize(), records.Serialize());

  // Added to a table that has rows already, the IDs stay unique.
  AddSyntheticRecords(records, 300, 7);
  std::set<std::int64_t> all;
  for (records.First(); !records.Eof(); records.Next()) all.insert(records.AsInteger("ID"));
  EXPECT_EQ(all.size(), 1000u);
}

}  // namespace
}  // namespace tembric::store
