// The tree's editing commands: "Delete" of each kind with its enabling, the
// acceptance rules of drag and drop and the drop itself, and "Collapse tree"
// with a deep focus.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FakeHotkeys.h"
#include "fakes/FakeSyncView.h"
#include "fakes/MemoryFileSystem.h"
#include "fakes/TreeRecords.h"
#include "platform/Collation.h"
#include "store/DataTable.h"
#include "store/Tables.h"
#include "tree/BuildTree.h"
#include "tree/SelectionSync.h"
#include "tree/SystemFolders.h"
#include "tree/TreeEditing.h"
#include "tree/TreeModel.h"

namespace tembric::tree {
namespace {

using fakes::AddFolder;
using fakes::AddRecord;
using fakes::AddText;
using store::RecordType;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kFile = "C:\\Tembric\\tembric.db";

TEST(TreeEditingText, AsksInTheProgramsOwnSpelling) {
  EXPECT_EQ(DeleteConfirmationText("Letters"), "Are you shure you want to remove 'Letters'?");
}

class TreeEditingTest : public ::testing::Test {
 protected:
  TreeEditingTest() {
    fakes::OpenEmptyRecords(records);
    records.SetFileName(kFile);
    AddFolder(records, "", "A");
    AddText(records, "\\A", "x", "x text");
    AddFolder(records, "\\A", "y");
    AddText(records, "\\A\\y", "z", "z text");
    AddFolder(records, "", "AB");
    AddText(records, "\\AB", "q");
    AddText(records, "\\Ab", "x");  // an orphan: no row "\Ab"
    AddFolder(records, "", "B");
    AddText(records, "\\B", "X");  // "x" but for letter case
    AddFolder(records, "\\B", "sub");
    AddRecord(records, "\\B", "picture", RecordType::Image);
    AddText(records, "", "Top");
    AddText(records, "", "Zulu");
    system = InitSystemFolders(tree, records, [this](NodeHandle plugins) {
      AddRecord(records, store::kPluginsFolder, "Clock", RecordType::Plugin);
      TNodeData item;
      item.Subject = "Clock";
      item.Category = store::kPluginsFolder;
      item.FullName = store::MakeFullName(store::kPluginsFolder, "Clock");
      item.Type = static_cast<int>(RecordType::Plugin);
      records.Edit();
      records.Set("Node", tree.AddChild(plugins, item));
      records.Post();
    });
    BuildTree(tree, records, hotkeys);
    sync.AlignAtStart();
    view.treeFocus = true;  // the user works in the tree
    view.showing = true;
  }

  NodeHandle Node(const std::string& fullName) {
    const NodeHandle n = fakes::FindNode(tree, fullName);
    EXPECT_NE(n, kNoNode) << fullName;
    return n;
  }
  void Focus(const std::string& fullName) {
    tree.SetFocused(Node(fullName));
    ASSERT_EQ(records.AsString("FullName"), fullName);
  }
  NodeHandle AddContextItem(const std::string& fullName) {
    TNodeData data = *tree.Data(Node(fullName));
    data.Subject += " (mirrored)";
    data.IsContextItem = true;
    return tree.AddChild(system.contextRoot, data);
  }
  std::string FocusedName() {
    const TNodeData* d = tree.Data(tree.Focused());
    return d != nullptr ? d->FullName : "(none)";
  }
  // Every row's FullName in path order, whatever the range.
  std::vector<std::string> Rows() {
    sync.DetachAfterScroll();
    const bool ranged = records.HasRange();
    const std::string current = records.AsString("FullName");
    records.CancelRange();
    std::vector<std::string> rows;
    for (records.First(); !records.Eof(); records.Next()) rows.push_back(records.AsString("FullName"));
    const store::Value key[] = {store::Value(current)};
    records.FindKey(key);
    if (ranged) sync.RangeToLevelOf(tree.Focused());
    records.FindKey(key);
    sync.AttachAfterScroll();
    return rows;
  }
  std::vector<std::string> SavedRows() {
    std::vector<std::string> rows;
    const auto bytes = disk.Get(kFile);
    if (!bytes) return rows;
    store::DataTable saved(store::RecordsSchema());
    saved.Load(*bytes);
    saved.SetIndexName(store::kRecordsIndex);
    for (saved.First(); !saved.Eof(); saved.Next()) rows.push_back(saved.AsString("FullName"));
    return rows;
  }

  store::DataTable records{store::RecordsSchema()};
  TreeModel tree{platform::UserCollation()};
  fakes::FakeHotkeys hotkeys;
  fakes::FakeSyncView view;
  SelectionSync sync{tree, records, view};
  SystemFolderNodes system;
  fakes::MemoryFileSystem disk;
  std::vector<std::string> asked;
  bool answer = true;
  TreeEditing editing{{
      .model = tree,
      .sync = sync,
      .records = records,
      .files = disk,
      .confirm =
          [this](const std::string& text) {
            asked.push_back(text);
            return answer;
          },
  }};
};

// ---- Delete ---------------------------------------------------------------------------------

TEST_F(TreeEditingTest, DeletingAFolderTakesEveryRowAndNodeBelowItAndSaves) {
  Focus("\\A");
  editing.aDeleteExecute();
  EXPECT_THAT(asked, ElementsAre("Are you shure you want to remove 'A'?"));
  for (const char* gone : {"\\A", "\\A\\x", "\\A\\y", "\\A\\y\\z"}) {
    EXPECT_EQ(fakes::FindNode(tree, gone), kNoNode) << gone;
  }
  // The sibling "\AB" and the orphan "\Ab\x" stay.
  const std::vector<std::string> left = {"\\*Plugins",   "\\*Plugins\\Clock", "\\*WinContext", "\\AB",
                                         "\\AB\\q",      "\\Ab\\x",           "\\B",           "\\B\\X",
                                         "\\B\\picture", "\\B\\sub",          "\\Top",         "\\Zulu"};
  EXPECT_EQ(Rows(), left);
  EXPECT_EQ(SavedRows(), left);
  EXPECT_NE(fakes::FindNode(tree, "\\AB\\q"), kNoNode);
  EXPECT_NE(fakes::FindNode(tree, "\\Ab\\x"), kNoNode);
  // The focus is on the row that follows them in path order.
  EXPECT_EQ(records.AsString("FullName"), "\\Ab\\x");
  EXPECT_EQ(FocusedName(), "\\Ab\\x");
  EXPECT_TRUE(records.HasAfterScroll());
  EXPECT_FALSE(sync.Quiet());
}

TEST_F(TreeEditingTest, DeletingARecordOfAnotherKindSavesToo) {
  Focus("\\B\\picture");
  editing.aDeleteExecute();
  EXPECT_EQ(fakes::FindNode(tree, "\\B\\picture"), kNoNode);
  EXPECT_THAT(SavedRows(), ::testing::Not(::testing::Contains("\\B\\picture")));
  EXPECT_EQ(SavedRows().size(), Rows().size());
  EXPECT_EQ(FocusedName(), records.AsString("FullName"));
}

TEST_F(TreeEditingTest, DeletingATextRecordTakesItsRowAndNodeWithoutWritingTheFile) {
  Focus("\\A\\x");
  editing.aDeleteExecute();
  EXPECT_EQ(fakes::FindNode(tree, "\\A\\x"), kNoNode);
  EXPECT_THAT(Rows(), ::testing::Not(::testing::Contains("\\A\\x")));
  EXPECT_FALSE(disk.Get(kFile).has_value());
  // The row that took its place, and its node.
  EXPECT_EQ(records.AsString("FullName"), "\\A\\y");
  EXPECT_EQ(FocusedName(), "\\A\\y");
}

TEST_F(TreeEditingTest, DeletingAFoldersLastTextRecordFocusesTheFolder) {
  Focus("\\A\\y\\z");
  editing.aDeleteExecute();
  EXPECT_EQ(fakes::FindNode(tree, "\\A\\y\\z"), kNoNode);
  EXPECT_EQ(FocusedName(), "\\A\\y");
  EXPECT_EQ(records.AsString("FullName"), "\\A\\y");
}

TEST_F(TreeEditingTest, DeletingATextRecordTakesTheContextItemsThatMirrorIt) {
  const NodeHandle item = AddContextItem("\\Top");
  Focus("\\Top");
  editing.aDeleteExecute();
  EXPECT_FALSE(tree.IsValid(item));
  EXPECT_EQ(tree.ChildCount(system.contextRoot), 0u);
}

TEST_F(TreeEditingTest, AnsweringNoChangesNothing) {
  answer = false;
  const std::vector<std::string> before = Rows();
  const std::string outline = fakes::Outline(tree);
  Focus("\\A");
  editing.aDeleteExecute();
  EXPECT_EQ(asked.size(), 1u);
  EXPECT_EQ(Rows(), before);
  EXPECT_EQ(fakes::Outline(tree), outline);
  EXPECT_FALSE(disk.Get(kFile).has_value());
  EXPECT_EQ(FocusedName(), "\\A");
}

TEST_F(TreeEditingTest, DeleteIsDisabledOnTheSystemFoldersAndTheirItems) {
  struct Case {
    std::string fullName;
    bool contextItem;
    bool enabled;
  };
  AddContextItem("\\Top");
  const Case cases[] = {
      {"\\*Plugins", false, false},    {"\\*Plugins\\Clock", false, false},
      {"\\*WinContext", false, false}, {"\\Top", true, false},
      {"\\Top", false, true},          {"\\A", false, true},
      {"\\A\\y\\z", false, true},
  };
  for (const Case& c : cases) {
    tree.SetFocused(fakes::FindNode(tree, c.fullName, c.contextItem));
    EXPECT_EQ(editing.aDeleteUpdate(), std::optional<bool>(c.enabled)) << c.fullName << " " << c.contextItem;
  }
  tree.SetFocused(kNoNode);
  EXPECT_EQ(editing.aDeleteUpdate(), std::nullopt);
}

TEST_F(TreeEditingTest, ADisabledOrFocuslessDeleteAsksNothing) {
  const std::vector<std::string> before = Rows();
  tree.SetFocused(system.plugins);
  editing.aDeleteExecute();
  tree.SetFocused(kNoNode);
  editing.aDeleteExecute();
  EXPECT_THAT(asked, IsEmpty());
  EXPECT_EQ(Rows(), before);
}

// ---- Drag and drop -----------------------------------------------------------------------------

TEST_F(TreeEditingTest, DragsStartAnywhereButOnTheSystemFolders) {
  const NodeHandle item = AddContextItem("\\Top");
  EXPECT_TRUE(editing.TreeDragAllowed(Node("\\A")));
  EXPECT_TRUE(editing.TreeDragAllowed(Node("\\A\\y\\z")));
  EXPECT_FALSE(editing.TreeDragAllowed(system.plugins));
  EXPECT_FALSE(editing.TreeDragAllowed(Node("\\*Plugins\\Clock")));
  EXPECT_FALSE(editing.TreeDragAllowed(system.contextRoot));
  EXPECT_FALSE(editing.TreeDragAllowed(item));
  EXPECT_FALSE(editing.TreeDragAllowed(kNoNode));
}

TEST_F(TreeEditingTest, AcceptsADropOnlyWhereTheRulesAllow) {
  const NodeHandle item = AddContextItem("\\A");
  struct Case {
    const char* dragged;
    NodeHandle target;
    bool accepted;
    const char* why;
  };
  const Case cases[] = {
      {"\\A\\y\\z", Node("\\B"), true, "a record into another folder"},
      {"\\A", Node("\\B"), true, "a folder into another folder"},
      {"\\A", Node("\\B\\sub"), true, "a folder deeper into another folder"},
      {"\\A\\y", Node("\\AB"), true, "a folder into a sibling of its parent"},
      {"\\A", kNoNode, false, "1: empty space"},
      {"\\A", Node("\\Top"), false, "2: a text record"},
      {"\\A", Node("\\B\\picture"), false, "2: an image"},
      {"\\A", Node("\\A"), false, "3: itself"},
      {"\\A\\x", Node("\\A"), false, "4: its own folder"},
      {"\\A", Node("\\A\\y"), false, "5: its own subtree"},
      {"\\A\\y", Node("\\A\\y"), false, "3: itself, inside a folder"},
      {"\\Top", system.plugins, false, "6: the plugins folder"},
      {"\\*Plugins\\Clock", Node("\\B"), false, "a plugin item is not dragged"},
      {"\\*Plugins", Node("\\B"), false, "the plugins folder is not dragged"},
      {"\\Top", system.contextRoot, false, "the context folder"},
      {"\\Top", item, false, "a context item"},
      {"\\*WinContext", Node("\\B"), false, "the context folder is not dragged"},
      {"\\A\\x", Node("\\B"), false, "\\B holds \"X\": the same name but for letter case"},
      {"\\AB\\q", Node("\\A"), true, "no \"q\" in \\A"},
  };
  for (const Case& c : cases) {
    tree.SetFocused(Node(c.dragged));
    EXPECT_EQ(editing.TreeDragOver(c.target), c.accepted) << c.dragged << ": " << c.why;
  }
  tree.SetFocused(item);
  EXPECT_FALSE(editing.TreeDragOver(Node("\\B"))) << "a context item is not dragged";
}

TEST_F(TreeEditingTest, DroppingARecordMakesItAChildOfTheTarget) {
  Focus("\\A\\y\\z");
  const NodeHandle z = Node("\\A\\y\\z");
  editing.TreeDragDrop(Node("\\B"));
  EXPECT_EQ(tree.Parent(z), Node("\\B"));
  EXPECT_EQ(tree.LastChild(Node("\\B")), z) << "last, without a sort";
  EXPECT_EQ(tree.Data(z)->FullName, "\\B\\z");
  EXPECT_EQ(tree.Data(z)->Category, "\\B");
  EXPECT_THAT(Rows(), ::testing::Contains("\\B\\z"));
  EXPECT_THAT(Rows(), ::testing::Not(::testing::Contains("\\A\\y\\z")));
  EXPECT_THAT(SavedRows(), ::testing::Contains("\\B\\z"));
  EXPECT_EQ(records.AsString("FullName"), "\\B\\z");
  EXPECT_EQ(records.AsString("Category"), "\\B");
  EXPECT_EQ(FocusedName(), "\\B\\z");
  EXPECT_FALSE(sync.Quiet());
  EXPECT_TRUE(records.HasAfterScroll());
}

TEST_F(TreeEditingTest, DroppingAFolderRewritesTheRowsAndNodesBelowIt) {
  const NodeHandle deep = Node("\\A\\y\\z");
  const NodeHandle y = Node("\\A\\y");
  Focus("\\A");
  editing.TreeDragDrop(Node("\\B"));
  const std::vector<std::string> rows = Rows();
  for (const char* moved : {"\\B\\A", "\\B\\A\\x", "\\B\\A\\y", "\\B\\A\\y\\z"}) {
    EXPECT_THAT(rows, ::testing::Contains(moved));
    EXPECT_THAT(SavedRows(), ::testing::Contains(moved));
  }
  for (const char* old : {"\\A", "\\A\\x", "\\A\\y", "\\A\\y\\z"})
    EXPECT_THAT(rows, ::testing::Not(::testing::Contains(old)));
  // The sibling and the orphan are not below "\A".
  EXPECT_THAT(rows, ::testing::Contains("\\AB\\q"));
  EXPECT_THAT(rows, ::testing::Contains("\\Ab\\x"));
  EXPECT_EQ(tree.Data(deep)->FullName, "\\B\\A\\y\\z");
  EXPECT_EQ(tree.Data(deep)->Category, "\\B\\A\\y");
  EXPECT_EQ(tree.Data(y)->FullName, "\\B\\A\\y");
  EXPECT_EQ(tree.Parent(deep), y);
  EXPECT_EQ(fakes::Outline(tree, Node("\\B")), "picture,sub,X,A[x,y[z]]");
  EXPECT_EQ(records.AsString("FullName"), "\\B\\A");
  EXPECT_EQ(FocusedName(), "\\B\\A");
  // Each row's Node still names its node.
  sync.PositionOnKey("\\B\\A\\y\\z");
  EXPECT_EQ(sync.CurrentRowNode(), deep);
}

TEST_F(TreeEditingTest, ARefusedDropChangesNothing) {
  const std::vector<std::string> before = Rows();
  Focus("\\A");
  editing.TreeDragDrop(Node("\\A\\y"));
  Focus("\\A\\x");
  editing.TreeDragDrop(Node("\\B"));  // "X" is there
  EXPECT_EQ(Rows(), before);
  EXPECT_FALSE(disk.Get(kFile).has_value());
}

// ---- Collapse ---------------------------------------------------------------------------------

TEST_F(TreeEditingTest, CollapseFromADeepFocusLeavesTheTopLevelAncestorFocused) {
  Focus("\\A\\y\\z");
  tree.Expand(Node("\\B"));
  editing.aCollapseTreeExecute();
  EXPECT_EQ(FocusedName(), "\\A");
  EXPECT_EQ(records.AsString("FullName"), "\\A");
  for (const NodeHandle top : tree.Children(kNoNode)) EXPECT_FALSE(tree.Expanded(top));
  EXPECT_EQ(tree.NextVisible(Node("\\A")), Node("\\AB"));
}

}  // namespace
}  // namespace tembric::tree
