// DataTable: states, navigation, field access, orderings, searches, ranges,
// notifications and bookmarks, on a small table with every field kind.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/DataTable.h"

namespace tembric::store {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

TableSchema PeopleSchema() {
  return TableSchema{
      "People",
      {
          {"Name", FieldType::Text, 8},
          {"Group", FieldType::Text, 20},
          {"Age", FieldType::Int16, 0},
          {"Score", FieldType::Int32, 0},
          {"Big", FieldType::Int64, 0},
          {"Note", FieldType::Memo, 0},
          {"Flag", FieldType::Boolean, 0},
          {"Data", FieldType::Bytes, 0},
      },
      {{"ByName", "Name"}, {"ByGroupAge", "Group;Age"}},
      "ByName",
  };
}

struct Person {
  Value name;
  Value group;
  Value age;
};

void Add(DataTable& t, const Person& p) {
  t.Append();
  t.Set("Name", p.name);
  t.Set("Group", p.group);
  t.Set("Age", p.age);
  t.Post();
}

// The names of the visible rows in the active ordering, walked from First.
std::vector<std::string> Names(DataTable& t) {
  std::vector<std::string> names;
  for (t.First(); !t.Eof(); t.Next()) names.push_back(t.IsNull("Name") ? "<null>" : t.AsString("Name"));
  return names;
}

class PeopleTable : public ::testing::Test {
 protected:
  void SetUp() override {
    table.CreateEmpty();
    Add(table, {"dora", "b", 40});
    Add(table, {"anna", "a", 30});
    Add(table, {"carl", "b", 20});
    Add(table, {"bert", "a", 50});
  }
  DataTable table{PeopleSchema()};
};

// ---- States ------------------------------------------------------------------------

TEST(DataTableStates, AnUnopenedTableRefusesWorkButAnswersQuestions) {
  DataTable t(PeopleSchema());
  EXPECT_EQ(t.State(), TableState::Inactive);
  EXPECT_THROW(t.First(), TableError);
  EXPECT_THROW(t.Append(), TableError);
  EXPECT_TRUE(t.IsEmpty());
  EXPECT_EQ(t.RecordCount(), 0u);
  EXPECT_TRUE(t.Get("Name").IsNull());
  EXPECT_THROW(t.Get("Nope"), TableError);
}

TEST(DataTableStates, WritingNeedsEditOrInsertAndPostOrCancelEndsIt) {
  DataTable t(PeopleSchema());
  t.CreateEmpty();
  EXPECT_EQ(t.State(), TableState::Browse);
  EXPECT_THROW(t.Set("Name", "x"), TableError);
  EXPECT_THROW(t.Edit(), TableError);  // no row yet

  t.Append();
  EXPECT_EQ(t.State(), TableState::Insert);
  t.Set("Name", "anna");
  EXPECT_EQ(t.AsString("Name"), "anna");  // reads see the row being written
  t.Post();
  EXPECT_EQ(t.State(), TableState::Browse);
  EXPECT_EQ(t.AsString("Name"), "anna");
  EXPECT_EQ(t.RecordCount(), 1u);

  t.Edit();
  EXPECT_EQ(t.State(), TableState::Edit);
  t.Set("Name", "berta");
  t.Cancel();
  EXPECT_EQ(t.State(), TableState::Browse);
  EXPECT_EQ(t.AsString("Name"), "anna");

  t.Post();  // nothing to post: no change
  t.Cancel();
  EXPECT_EQ(t.AsString("Name"), "anna");
}

TEST_F(PeopleTable, CancelledAppendReturnsToTheRowThatWasCurrent) {
  ASSERT_TRUE(table.FindKey(std::vector<Value>{"carl"}));
  table.Append();
  table.Set("Name", "zed");
  table.Cancel();
  EXPECT_EQ(table.AsString("Name"), "carl");
  EXPECT_EQ(table.RecordCount(), 4u);
}

TEST_F(PeopleTable, NavigationAndSearchesPostAPendingEditFirst) {
  table.First();
  table.Edit();
  table.Set("Age", 31);
  table.Next();
  EXPECT_EQ(table.State(), TableState::Browse);
  ASSERT_TRUE(table.FindKey(std::vector<Value>{"anna"}));
  EXPECT_EQ(table.AsInteger("Age"), 31);

  table.Append();
  table.Set("Name", "emil");
  ASSERT_TRUE(table.FindKey(std::vector<Value>{"bert"}));
  EXPECT_EQ(table.State(), TableState::Browse);
  EXPECT_THAT(Names(table), ElementsAre("anna", "bert", "carl", "dora", "emil"));
}

// ---- Navigation --------------------------------------------------------------------

TEST_F(PeopleTable, WalksForwardAndBackWithBofEofAndPositions) {
  EXPECT_THAT(Names(table), ElementsAre("anna", "bert", "carl", "dora"));
  EXPECT_EQ(table.RecordCount(), 4u);

  table.First();
  EXPECT_TRUE(table.Bof());
  EXPECT_FALSE(table.Eof());
  EXPECT_EQ(table.RecNo(), 1u);
  table.Prior();  // already first: stays
  EXPECT_TRUE(table.Bof());
  EXPECT_EQ(table.AsString("Name"), "anna");

  table.Last();
  EXPECT_TRUE(table.Eof());
  EXPECT_EQ(table.RecNo(), 4u);
  table.Next();  // already last: stays
  EXPECT_EQ(table.AsString("Name"), "dora");

  std::vector<std::string> back;
  for (table.Last(); !table.Bof(); table.Prior()) back.push_back(table.AsString("Name"));
  EXPECT_THAT(back, ElementsAre("dora", "carl", "bert", "anna"));
}

TEST(DataTableNavigation, AnEmptyTableIsAtBothEnds) {
  DataTable t(PeopleSchema());
  t.CreateEmpty();
  t.First();
  EXPECT_TRUE(t.Bof());
  EXPECT_TRUE(t.Eof());
  EXPECT_EQ(t.RecNo(), 0u);
  EXPECT_EQ(t.GetBookmark(), 0u);
  EXPECT_THROW(t.Delete(), TableError);
}

// ---- Delete ------------------------------------------------------------------------

TEST_F(PeopleTable, DeleteMakesTheNextRowCurrentOrThePreviousAtTheEnd) {
  ASSERT_TRUE(table.FindKey(std::vector<Value>{"bert"}));
  table.Delete();
  EXPECT_EQ(table.AsString("Name"), "carl");
  EXPECT_FALSE(table.Eof());

  table.Last();
  table.Delete();
  EXPECT_EQ(table.AsString("Name"), "carl");
  EXPECT_TRUE(table.Eof());  // a walk that deleted the last row is over
  EXPECT_THAT(Names(table), ElementsAre("anna", "carl"));

  table.First();
  table.Delete();
  table.Delete();
  EXPECT_TRUE(table.IsEmpty());
  EXPECT_TRUE(table.Get("Name").IsNull());
}

TEST_F(PeopleTable, DeleteWhileAppendingDropsOnlyTheNewRowAndWhileEditingDropsTheRow) {
  table.First();
  table.Append();
  table.Set("Name", "new");
  table.Delete();
  EXPECT_EQ(table.State(), TableState::Browse);
  EXPECT_EQ(table.RecordCount(), 4u);
  EXPECT_EQ(table.AsString("Name"), "anna");

  table.Edit();
  table.Set("Name", "zzz");
  table.Delete();
  EXPECT_THAT(Names(table), ElementsAre("bert", "carl", "dora"));
}

TEST_F(PeopleTable, DeletingWhileWalkingVisitsEveryRowOnce) {
  Add(table, {Value(), "c", 1});
  Add(table, {"erik", "c", 2});
  std::vector<std::string> kept;
  for (table.First(); !table.Eof();) {
    if (table.AsString("Group") != "b") {
      kept.push_back(table.AsString("Name"));
      table.Delete();
    } else {
      table.Next();
    }
  }
  EXPECT_THAT(kept, ElementsAre("", "anna", "bert", "erik"));
  EXPECT_THAT(Names(table), ElementsAre("carl", "dora"));
}

// ---- Field access ------------------------------------------------------------------

TEST(DataTableFields, NullAndEmptyAreDifferentValuesAndConversionsHaveDefaults) {
  DataTable t(PeopleSchema());
  t.CreateEmpty();
  t.Append();
  t.Set("Group", "");
  t.Post();
  EXPECT_TRUE(t.IsNull("Name"));
  EXPECT_FALSE(t.IsNull("Group"));
  EXPECT_EQ(t.Get("Group"), Value(""));
  EXPECT_NE(t.Get("Group"), Value());
  EXPECT_EQ(t.AsString("Name"), "");
  EXPECT_EQ(t.AsInteger("Age"), 0);
  EXPECT_FALSE(t.AsBoolean("Flag"));
  EXPECT_TRUE(t.AsBytes("Data").empty());

  t.Edit();
  t.Set("Age", -7);
  t.Set("Big", std::int64_t{1} << 40);
  t.Set("Flag", Value::Boolean(true));
  t.Set("Data", Value::Blob({0, 255, 7}));
  t.Set("Note", "12");
  t.Post();
  EXPECT_EQ(t.AsString("Age"), "-7");
  EXPECT_EQ(t.AsInteger("Big"), std::int64_t{1} << 40);
  EXPECT_EQ(t.AsString("Flag"), "True");
  EXPECT_EQ(t.AsInteger("Flag"), 1);
  EXPECT_EQ(t.AsBytes("Data"), (Bytes{0, 255, 7}));
  EXPECT_EQ(t.AsInteger("Note"), 12);
  EXPECT_TRUE(t.AsBoolean("Age"));

  t.Edit();
  t.SetNull("Flag");
  t.Set("Note", "twelve");
  t.Post();
  EXPECT_TRUE(t.IsNull("Flag"));
  EXPECT_THROW(t.AsInteger("Note"), TableError);
  EXPECT_THROW(t.AsInteger("Data"), TableError);
}

TEST(DataTableFields, TextsAreCutToWidthAndIntegersRangeChecked) {
  DataTable t(PeopleSchema());
  t.CreateEmpty();
  t.Append();
  t.Set("Name", "abcdefghijk");
  EXPECT_EQ(t.AsString("Name"), "abcdefgh");
  t.Set("Note", std::string(100000, 'm'));  // a memo has no width
  EXPECT_EQ(t.AsString("Note").size(), 100000u);

  t.Set("Age", 32767);
  t.Set("Age", -32768);
  EXPECT_THROW(t.Set("Age", 32768), TableError);
  EXPECT_THROW(t.Set("Age", -32769), TableError);
  t.Set("Score", 2147483647);
  EXPECT_THROW(t.Set("Score", std::int64_t{2147483648}), TableError);
  EXPECT_THROW(t.Set("Score", std::int64_t{-2147483649}), TableError);
  EXPECT_EQ(t.AsInteger("Age"), -32768);  // a refused value leaves the field as it was

  EXPECT_THROW(t.Set("Age", "12"), TableError);
  EXPECT_THROW(t.Set("Name", 5), TableError);
  EXPECT_THROW(t.Set("Flag", 1), TableError);
  EXPECT_THROW(t.Set("Data", "x"), TableError);
  EXPECT_THROW(t.Set("Nope", 1), TableError);
  t.Post();
  EXPECT_EQ(t.AsString("Name"), "abcdefgh");
}

TEST(DataTableSchema, RejectsBrokenSchemas) {
  TableSchema twice = PeopleSchema();
  twice.fields.push_back({"Name", FieldType::Text, 4});
  EXPECT_THROW(DataTable{twice}, TableError);
  TableSchema badIndex = PeopleSchema();
  badIndex.indexes.push_back({"ByNothing", "Nothing"});
  EXPECT_THROW(DataTable{badIndex}, TableError);
  TableSchema badDefault = PeopleSchema();
  badDefault.defaultOrdering = "Nothing;Name";
  EXPECT_THROW(DataTable{badDefault}, TableError);
  TableSchema noWidth = PeopleSchema();
  noWidth.fields[0].width = 0;
  EXPECT_THROW(DataTable{noWidth}, TableError);
}

// ---- Orderings ---------------------------------------------------------------------

TEST(DataTableOrdering, NullFirstThenUnsignedBytesCaseSensitiveTiesByAddition) {
  DataTable t(PeopleSchema());
  t.CreateEmpty();
  for (const char* name : {"b", "\\Mail\\Si", "a", "\xE9t\xE9", "\\Mail", "B", ""}) Add(t, {name, "g", 1});
  Add(t, {"a", "later", 2});
  Add(t, {Value(), "g", 3});
  EXPECT_THAT(Names(t), ElementsAre("<null>", "", "B", "\\Mail", "\\Mail\\Si", "a", "a", "b", "\xE9t\xE9"));
  ASSERT_TRUE(t.FindKey(std::vector<Value>{"a"}));
  EXPECT_EQ(t.AsString("Group"), "g");
  t.Next();
  EXPECT_EQ(t.AsString("Group"), "later");

  // "b" was added before both rows named "a": renamed, it goes before them.
  ASSERT_TRUE(t.FindKey(std::vector<Value>{"b"}));
  t.Edit();
  t.Set("Name", "a");
  t.Set("Group", "first");
  t.Post();
  EXPECT_EQ(t.RecNo(), 6u);
  std::vector<std::string> groups;
  for (t.FindKey(std::vector<Value>{"a"}); !t.Eof() && t.AsString("Name") == "a"; t.Next()) {
    groups.push_back(t.AsString("Group"));
  }
  EXPECT_THAT(groups, ElementsAre("first", "g", "later"));
}

TEST_F(PeopleTable, ChangingTheOrderingKeepsTheCurrentRowAndReportsIt) {
  ASSERT_TRUE(table.FindKey(std::vector<Value>{"carl"}));
  table.SetIndexName("ByGroupAge");
  EXPECT_EQ(table.AsString("Name"), "carl");
  EXPECT_EQ(table.IndexName(), "ByGroupAge");
  EXPECT_EQ(table.IndexFieldNames(), "Group;Age");
  EXPECT_THAT(Names(table), ElementsAre("anna", "bert", "carl", "dora"));

  ASSERT_TRUE(table.FindKey(std::vector<Value>{"b", 40}));
  table.SetIndexFieldNames("Age");
  EXPECT_EQ(table.AsString("Name"), "dora");
  EXPECT_EQ(table.IndexName(), "");
  EXPECT_EQ(table.IndexFieldNames(), "Age");
  EXPECT_THAT(Names(table), ElementsAre("carl", "anna", "dora", "bert"));

  table.SetIndexFieldNames("");  // order of addition
  EXPECT_THAT(Names(table), ElementsAre("dora", "anna", "carl", "bert"));
  table.SetIndexFieldNames(" Name ");  // same fields as an index
  EXPECT_EQ(table.IndexName(), "");
  EXPECT_THAT(Names(table), ElementsAre("anna", "bert", "carl", "dora"));

  EXPECT_THROW(table.SetIndexName("NoSuchIndex"), TableError);
  EXPECT_THROW(table.SetIndexFieldNames("Age;Nope"), TableError);
}

TEST_F(PeopleTable, AnAdHocOrderingIsMaintainedWhileActive) {
  table.SetIndexFieldNames("Age");
  Add(table, {"emil", "c", 25});
  EXPECT_EQ(table.AsString("Name"), "emil");
  EXPECT_EQ(table.RecNo(), 2u);
  ASSERT_TRUE(table.FindKey(std::vector<Value>{50}));
  table.Edit();
  table.Set("Age", 10);
  table.Post();
  EXPECT_EQ(table.AsString("Name"), "bert");  // the edited row stays current at its new place
  EXPECT_EQ(table.RecNo(), 1u);
  ASSERT_TRUE(table.FindKey(std::vector<Value>{30}));
  table.Delete();
  EXPECT_THAT(Names(table), ElementsAre("bert", "carl", "emil", "dora"));

  // The named index was kept up to date all along.
  table.SetIndexName("ByName");
  EXPECT_THAT(Names(table), ElementsAre("bert", "carl", "dora", "emil"));
}

TEST_F(PeopleTable, DeleteRowsTakesManyRowsInOnePassAndLandsWhereTheFirstStood) {
  std::vector<DataTable::Bookmark> rows;
  for (const char* name : {"carl", "bert"}) {
    ASSERT_TRUE(table.FindKey(std::vector<Value>{name}));
    rows.push_back(table.GetBookmark());
  }
  rows.push_back(rows.front());  // twice, and one gone already, are passed over
  rows.push_back(987654);
  int scrolls = 0;
  table.SetAfterScroll([&](DataTable&) { ++scrolls; });
  EXPECT_EQ(table.DeleteRows(rows), 2u);
  EXPECT_EQ(scrolls, 1);
  EXPECT_EQ(table.AsString("Name"), "dora");  // in the place of "bert"
  EXPECT_THAT(Names(table), ElementsAre("anna", "dora"));
  table.SetIndexFieldNames("Age");
  EXPECT_THAT(Names(table), ElementsAre("anna", "dora"));
  table.SetIndexName("ByGroupAge");
  EXPECT_THAT(Names(table), ElementsAre("anna", "dora"));
  ASSERT_TRUE(table.FindKey(std::vector<Value>{"b"}));
  EXPECT_EQ(table.DeleteRows(std::vector<DataTable::Bookmark>{table.GetBookmark()}), 1u);
  EXPECT_TRUE(table.Eof());  // the last row went
  EXPECT_EQ(table.AsString("Name"), "anna");
}

TEST_F(PeopleTable, EditRowsChangesManyRowsAndPutsEveryOrderingInOrderOnce) {
  table.SetIndexFieldNames("Age");  // an ad-hoc ordering, kept too
  ASSERT_TRUE(table.FindKey(std::vector<Value>{30}));
  const DataTable::Bookmark anna = table.GetBookmark();
  table.SetIndexName("ByName");
  std::vector<DataTable::Bookmark> rows;
  for (const char* name : {"bert", "dora", "carl"}) {
    ASSERT_TRUE(table.FindKey(std::vector<Value>{name}));
    rows.push_back(table.GetBookmark());
  }
  ASSERT_TRUE(table.GotoBookmark(anna));
  std::vector<std::string> seen;
  table.EditRows(rows, [&](DataTable& row) {
    EXPECT_EQ(row.State(), TableState::Edit);
    seen.push_back(row.AsString("Name"));
    row.Set("Name", "x" + row.AsString("Name"));
    row.Set("Age", 100 - row.AsInteger("Age"));
  });
  EXPECT_THAT(seen, ElementsAre("bert", "dora", "carl"));
  EXPECT_EQ(table.State(), TableState::Browse);
  EXPECT_EQ(table.AsString("Name"), "anna");  // still current
  EXPECT_THAT(Names(table), ElementsAre("anna", "xbert", "xcarl", "xdora"));
  table.SetIndexName("ByGroupAge");
  EXPECT_THAT(Names(table), ElementsAre("anna", "xbert", "xdora", "xcarl"));
  table.SetIndexFieldNames("Age");
  EXPECT_THAT(Names(table), ElementsAre("anna", "xbert", "xdora", "xcarl"));
  EXPECT_TRUE(table.FindKey(std::vector<Value>{80}));
  EXPECT_EQ(table.AsString("Name"), "xcarl");
}

TEST_F(PeopleTable, EditRowsKeepsTheRowsDoneBeforeAFailure) {
  std::vector<DataTable::Bookmark> rows;
  for (const char* name : {"anna", "bert"}) {
    ASSERT_TRUE(table.FindKey(std::vector<Value>{name}));
    rows.push_back(table.GetBookmark());
  }
  int calls = 0;
  EXPECT_THROW(table.EditRows(rows,
                              [&](DataTable& row) {
                                row.Set("Name", "z" + row.AsString("Name"));
                                if (++calls == 2) throw TableError("stop");
                              }),
               TableError);
  EXPECT_EQ(table.State(), TableState::Browse);
  EXPECT_THAT(Names(table), ElementsAre("bert", "carl", "dora", "zanna"));
}

TEST_F(PeopleTable, PostingAChangedKeyMovesTheRowAndKeepsItCurrent) {
  ASSERT_TRUE(table.FindKey(std::vector<Value>{"anna"}));
  table.Edit();
  table.Set("Name", "zora");
  table.Post();
  EXPECT_EQ(table.AsString("Name"), "zora");
  EXPECT_EQ(table.RecNo(), 4u);
  table.Prior();
  EXPECT_EQ(table.AsString("Name"), "dora");
}

// ---- Searches ----------------------------------------------------------------------

TEST_F(PeopleTable, FindKeyMatchesExactlyOnLeadingFieldsAndKeepsTheRowOnFailure) {
  table.SetIndexName("ByGroupAge");
  ASSERT_TRUE(table.FindKey(std::vector<Value>{"b"}));  // partial key: the first of group b
  EXPECT_EQ(table.AsString("Name"), "carl");
  ASSERT_TRUE(table.FindKey(std::vector<Value>{"a", 50}));
  EXPECT_EQ(table.AsString("Name"), "bert");
  EXPECT_FALSE(table.FindKey(std::vector<Value>{"a", 51}));
  EXPECT_FALSE(table.FindKey(std::vector<Value>{"B"}));  // case matters
  EXPECT_EQ(table.AsString("Name"), "bert");
  EXPECT_THROW(table.FindKey(std::vector<Value>{"a", 1, 2}), TableError);
  EXPECT_THROW(table.FindKey(std::vector<Value>{1}), TableError);  // wrong kind for Group
}

TEST_F(PeopleTable, FindKeyCutsATextKeyToTheFieldWidthLikeAWrite) {
  Add(table, {"verylongname", "z", 1});
  ASSERT_TRUE(table.FindKey(std::vector<Value>{"verylongname"}));
  EXPECT_EQ(table.AsString("Name"), "verylong");
}

TEST_F(PeopleTable, FindNearestTakesTheFirstRowAtOrAboveTheKeyElseTheLast) {
  table.FindNearest(std::vector<Value>{"b"});
  EXPECT_EQ(table.AsString("Name"), "bert");
  table.FindNearest(std::vector<Value>{"bert"});
  EXPECT_EQ(table.AsString("Name"), "bert");
  table.FindNearest(std::vector<Value>{"berta"});
  EXPECT_EQ(table.AsString("Name"), "carl");
  table.FindNearest(std::vector<Value>{"zz"});
  EXPECT_EQ(table.AsString("Name"), "dora");
  table.FindNearest(std::vector<Value>{Value()});  // null is below every value
  EXPECT_EQ(table.AsString("Name"), "anna");
}

TEST_F(PeopleTable, LocateMatchesAllFieldsInTheActiveOrderingWhateverItIs) {
  table.SetIndexFieldNames("Age");
  const std::vector<std::string> fields{"Group", "Age"};
  ASSERT_TRUE(table.Locate(fields, std::vector<Value>{"b", 40}));
  EXPECT_EQ(table.AsString("Name"), "dora");
  ASSERT_TRUE(table.Locate(std::vector<std::string>{"Group"}, std::vector<Value>{"a"}));
  EXPECT_EQ(table.AsString("Name"), "anna");  // age 30 comes before age 50
  EXPECT_FALSE(table.Locate(fields, std::vector<Value>{"b", 41}));
  EXPECT_EQ(table.AsString("Name"), "anna");
  EXPECT_FALSE(table.Locate(std::vector<std::string>{"Note"}, std::vector<Value>{""}));
  EXPECT_TRUE(table.Locate(std::vector<std::string>{"Note"}, std::vector<Value>{Value()}));
  EXPECT_THROW(table.Locate(fields, std::vector<Value>{"b"}), TableError);
}

TEST_F(PeopleTable, ContainsValueSeesTheWholeTableAndLeavesTheCursor) {
  table.SetRange(std::vector<Value>{"a"}, std::vector<Value>{"bz"});
  table.Last();
  EXPECT_TRUE(table.ContainsValue("Name", "dora"));
  EXPECT_TRUE(table.ContainsValue("Age", 20));
  EXPECT_FALSE(table.ContainsValue("Age", 21));
  EXPECT_FALSE(table.ContainsValue("Note", ""));
  EXPECT_TRUE(table.ContainsValue("Note", Value()));
  EXPECT_EQ(table.AsString("Name"), "bert");
}

// ---- Ranges ------------------------------------------------------------------------

TEST_F(PeopleTable, ARangeIsInclusiveOnBothEndsAndLimitsEveryOperation) {
  Add(table, {"bob", "a", 1});
  table.SetRange(std::vector<Value>{"bert"}, std::vector<Value>{"carl"});
  EXPECT_TRUE(table.HasRange());
  EXPECT_EQ(table.AsString("Name"), "bert");  // the first row of the range
  EXPECT_EQ(table.RecordCount(), 3u);
  EXPECT_THAT(Names(table), ElementsAre("bert", "bob", "carl"));
  EXPECT_FALSE(table.FindKey(std::vector<Value>{"anna"}));
  table.FindNearest(std::vector<Value>{"d"});
  EXPECT_EQ(table.AsString("Name"), "carl");  // the last row of the range
  table.FindNearest(std::vector<Value>{"a"});
  EXPECT_EQ(table.AsString("Name"), "bert");

  table.CancelRange();
  EXPECT_FALSE(table.HasRange());
  EXPECT_EQ(table.AsString("Name"), "bert");
  EXPECT_EQ(table.RecordCount(), 5u);
}

TEST_F(PeopleTable, ARangeOnLeadingFieldsAndAnEmptyRange) {
  table.SetIndexName("ByGroupAge");
  table.SetRange(std::vector<Value>{"a", 40}, std::vector<Value>{"b"});
  EXPECT_THAT(Names(table), ElementsAre("bert", "carl", "dora"));
  table.SetRange(std::vector<Value>{"x"}, std::vector<Value>{"y"});
  EXPECT_TRUE(table.IsEmpty());
  EXPECT_TRUE(table.Eof());
  EXPECT_TRUE(table.Get("Name").IsNull());
  table.CancelRange();
  EXPECT_EQ(table.RecordCount(), 4u);
  EXPECT_FALSE(table.Get("Name").IsNull());
}

TEST_F(PeopleTable, ChangingTheOrderingCancelsTheRange) {
  table.SetRange(std::vector<Value>{"c"}, std::vector<Value>{"d"});
  table.SetIndexFieldNames("Age");
  EXPECT_FALSE(table.HasRange());
  EXPECT_EQ(table.RecordCount(), 4u);
}

TEST_F(PeopleTable, ARowPostedOutsideTheRangeLeavesTheNearestVisibleRowCurrent) {
  table.SetRange(std::vector<Value>{"b"}, std::vector<Value>{"cz"});
  Add(table, {"zack", "z", 1});
  EXPECT_EQ(table.AsString("Name"), "carl");
  EXPECT_EQ(table.RecordCount(), 2u);
  table.CancelRange();
  EXPECT_EQ(table.RecordCount(), 5u);
}

// ---- Notifications -----------------------------------------------------------------

TEST_F(PeopleTable, AfterScrollFollowsNavigationAndSearchesOnly) {
  std::vector<std::string> seen;
  table.SetAfterScroll([&](DataTable& t) { seen.push_back(t.AsString("Name")); });
  EXPECT_TRUE(table.HasAfterScroll());

  table.First();
  table.Next();
  table.Last();
  table.Next();  // does not move: no call
  table.Prior();
  table.FindKey(std::vector<Value>{"anna"});
  table.FindKey(std::vector<Value>{"nobody"});  // fails: no call
  table.FindNearest(std::vector<Value>{"c"});
  table.Locate(std::vector<std::string>{"Age"}, std::vector<Value>{40});
  table.SetRange(std::vector<Value>{"b"}, std::vector<Value>{"c"});
  table.CancelRange();  // the row stays: no call
  table.Delete();
  EXPECT_THAT(seen, ElementsAre("anna", "bert", "dora", "carl", "anna", "carl", "dora", "bert", "carl"));

  seen.clear();
  table.Edit();
  table.Set("Age", 1);
  table.Post();
  table.Append();
  table.Cancel();
  table.SetIndexName("ByGroupAge");
  EXPECT_TRUE(seen.empty());

  table.SetAfterScroll(nullptr);
  EXPECT_FALSE(table.HasAfterScroll());
  table.First();
  EXPECT_TRUE(seen.empty());
}

TEST(DataTableNotifications, CreatingLoadingAndBookmarksScrollToTheirRow) {
  DataTable t(PeopleSchema());
  std::vector<std::string> seen;
  t.SetAfterScroll([&](DataTable& table) { seen.push_back(table.AsString("Name")); });
  t.CreateEmpty();
  Add(t, {"bert", "a", 1});
  Add(t, {"anna", "a", 2});
  const DataTable::Bookmark bert = (t.FindKey(std::vector<Value>{"bert"}), t.GetBookmark());
  t.Load(t.Serialize());
  EXPECT_TRUE(t.GotoBookmark(bert));  // the rows were loaded in the same order: bookmarks match
  EXPECT_FALSE(t.GotoBookmark(bert + 100));
  EXPECT_THAT(seen, ElementsAre("", "bert", "anna", "bert"));
}

TEST_F(PeopleTable, AHandlerMayDetachItselfWhileItRuns) {
  int calls = 0;
  table.SetAfterScroll([&](DataTable& t) {
    ++calls;
    t.SetAfterScroll(nullptr);
  });
  table.First();
  table.Next();
  EXPECT_EQ(calls, 1);
}

TEST_F(PeopleTable, ObserversAreQuietWhileControlsAreDisabledAndHearOneChangeAfter) {
  std::vector<DataEvent> events;
  const int id = table.AddObserver([&](DataEvent e) { events.push_back(e); });
  table.First();
  table.Edit();
  table.Set("Group", "q");
  table.Post();
  table.Append();
  table.Set("Name", "aaron");
  table.Post();
  EXPECT_THAT(events,
              ElementsAre(DataEvent::Scrolled, DataEvent::RowChanged, DataEvent::DataChanged, DataEvent::DataChanged));

  events.clear();
  table.DisableControls();
  table.DisableControls();
  EXPECT_TRUE(table.ControlsDisabled());
  for (table.First(); !table.Eof(); table.Next()) {
  }
  table.Delete();
  table.EnableControls();
  EXPECT_TRUE(events.empty());
  table.EnableControls();
  EXPECT_FALSE(table.ControlsDisabled());
  EXPECT_THAT(events, ElementsAre(DataEvent::DataChanged));

  table.RemoveObserver(id);
  table.First();
  EXPECT_EQ(events.size(), 1u);
}

TEST_F(PeopleTable, QuietModeStillCallsTheAfterScrollHandler) {
  int calls = 0;
  table.SetAfterScroll([&](DataTable&) { ++calls; });
  table.DisableControls();
  table.First();
  table.EnableControls();
  EXPECT_EQ(calls, 1);
}

// ---- Bookmarks ---------------------------------------------------------------------

TEST_F(PeopleTable, InPlaceIntegerWritesOnlyTouchNonNullCellsOutsideEveryOrdering) {
  table.First();  // "anna", Score null
  const std::string name = table.AsString("Name");
  EXPECT_FALSE(table.WriteIntegerInPlace("Score", 5));  // null: the row's layout would change
  table.Edit();
  table.Set("Score", 1);
  table.Post();
  EXPECT_TRUE(table.WriteIntegerInPlace("Score", -7));
  EXPECT_EQ(table.AsInteger("Score"), -7);
  EXPECT_EQ(table.AsString("Name"), name);  // neighbouring cells untouched

  EXPECT_FALSE(table.WriteIntegerInPlace("Age", 3));   // part of ByGroupAge
  EXPECT_FALSE(table.WriteIntegerInPlace("Name", 3));  // not an integer field
  table.SetIndexFieldNames("Score");
  EXPECT_FALSE(table.WriteIntegerInPlace("Score", 2));  // the active ad-hoc ordering sorts by it
  table.SetIndexName("ByName");
  table.Edit();
  EXPECT_FALSE(table.WriteIntegerInPlace("Score", 2));  // only while browsing
  table.Cancel();
  EXPECT_THROW(table.WriteIntegerInPlace("Score", 1LL << 40), TableError);
  EXPECT_EQ(table.AsInteger("Score"), -7);

  DataTable copy(PeopleSchema());
  copy.Load(table.Serialize());
  ASSERT_TRUE(copy.FindKey(std::vector<Value>{Value(name)}));
  EXPECT_EQ(copy.AsInteger("Score"), -7);
}

TEST_F(PeopleTable, BookmarksSurviveEditsAndReorderingButNotDeletionOrARange) {
  ASSERT_TRUE(table.FindKey(std::vector<Value>{"carl"}));
  const DataTable::Bookmark carl = table.GetBookmark();
  ASSERT_NE(carl, 0u);
  table.Edit();
  table.Set("Name", "karl");
  table.Post();
  table.SetIndexFieldNames("Age");
  table.First();
  ASSERT_TRUE(table.GotoBookmark(carl));
  EXPECT_EQ(table.AsString("Name"), "karl");

  table.SetRange(std::vector<Value>{40}, std::vector<Value>{50});
  EXPECT_FALSE(table.GotoBookmark(carl));
  table.CancelRange();

  ASSERT_TRUE(table.GotoBookmark(carl));
  table.Delete();
  EXPECT_FALSE(table.GotoBookmark(carl));
  EXPECT_FALSE(table.GotoBookmark(0));
  EXPECT_FALSE(table.GotoBookmark(999));
}

}  // namespace
}  // namespace tembric::store
