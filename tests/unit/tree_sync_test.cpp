// The agreement of tree focus, current record and details pane: each
// direction of the link, the ranges per level, context items, quiet mode and
// "Collapse tree".
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FakeHotkeys.h"
#include "fakes/FakeSyncView.h"
#include "fakes/TreeRecords.h"
#include "platform/Collation.h"
#include "store/DataTable.h"
#include "store/Tables.h"
#include "tree/BuildTree.h"
#include "tree/CollapseTree.h"
#include "tree/SelectionSync.h"
#include "tree/SystemFolders.h"
#include "tree/TreeModel.h"

namespace tembric::tree {
namespace {

using fakes::AddFolder;
using fakes::AddRecord;
using fakes::AddText;
using store::RecordType;
using store::Value;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// ---- The details pane's text ------------------------------------------------------------

TEST(TreeInfoText, JoinsKindWordHotkeyAndKeystrokeEachWhenPresent) {
  const std::string hotkey = "Ctrl+Alt+T", keys = "abc", none;
  EXPECT_EQ(InfoText(0, &hotkey, &keys), "Text [Ctrl+Alt+T] [abc]");
  EXPECT_EQ(InfoText(1, nullptr, nullptr), "Folder ");
  EXPECT_EQ(InfoText(0, nullptr, &keys), "Text  [abc]");
  EXPECT_EQ(InfoText(2, &none, &none), "Image ");
  EXPECT_EQ(InfoText(10, &hotkey, nullptr), "[Ctrl+Alt+T]");
  EXPECT_EQ(InfoText(10, nullptr, nullptr), "");
  EXPECT_EQ(InfoText(20, nullptr, nullptr), "Clipboard data ");
  EXPECT_EQ(InfoText(3, nullptr, nullptr), "Plugin ");
  EXPECT_EQ(InfoText(4, nullptr, nullptr), "Text file link ");
  EXPECT_EQ(InfoText(5, nullptr, nullptr), "Image file link ");
  EXPECT_EQ(InfoText(-1, nullptr, nullptr), "");
  EXPECT_EQ(InfoText(7, nullptr, nullptr), "");
}

// ---- A library as the main window has it after its creation ------------------------------

class TreeSyncTest : public ::testing::Test {
 protected:
  TreeSyncTest() {
    fakes::OpenEmptyRecords(records);
    AddRecord(records, "", "Alpha", RecordType::Text,
              {{"Memo", Value("alpha text")}, {"ShortCut", Value("Ctrl+Alt+T")}, {"KeyDisplay", Value("abc")}});
    AddFolder(records, "", "Mail");
    AddFolder(records, "\\Mail", "Deep");
    AddText(records, "\\Mail\\Deep", "Leaf", "leaf text");
    AddText(records, "\\Mail", "Sign", "Regards");
    AddText(records, "\\Mail", "Zeta", "zeta text");
    AddText(records, "", "Zulu", "zulu text");
    AddFolder(records, "", "Case");
    AddText(records, "\\Case", "b");
    AddText(records, "\\Case", "C");
    AddFolder(records, "", "Types");
    AddRecord(records, "\\Types", "Image", RecordType::Image, {{"Memo", Value("not shown")}});
    AddRecord(records, "\\Types", "Plugin", RecordType::Plugin, {{"Memo", Value("describes the item")}});
    AddRecord(records, "\\Types", "TextLink", RecordType::TextFileLink, {{"FileName", Value("C:\\a.txt")}});
    AddRecord(records, "\\Types", "ImageLink", RecordType::ImageFileLink, {{"FileName", Value("C:\\b.jpg")}});
    AddRecord(records, "\\Types", "InRow", RecordType::ClipboardInRow, {{"Memo", Value("x")}});
    AddRecord(records, "\\Types", "InBlob", RecordType::ClipboardInBlob);
    AddRecord(records, "\\Types", "KeyOnly", RecordType::Text,
              {{"Memo", Value("keyed")}, {"ShortCut", Value("")}, {"KeyDisplay", Value("xyz")}});
    system = InitSystemFolders(tree, records);
    BuildTree(tree, records, hotkeys);
    records.AddObserver([this](store::DataEvent e) { rangeOrDataChanges += e == store::DataEvent::DataChanged; });
    sync.AlignAtStart();
  }

  NodeHandle Node(const std::string& fullName) {
    const NodeHandle n = fakes::FindNode(tree, fullName);
    EXPECT_NE(n, kNoNode) << fullName;
    return n;
  }
  std::string Current() { return records.AsString("FullName"); }
  std::string FocusedName() {
    const TNodeData* d = tree.Data(tree.Focused());
    return d != nullptr ? d->FullName : "(none)";
  }
  // The rows the table shows now, in order.
  std::vector<std::string> Visible() {
    const Value key[] = {Value(Current())};
    std::vector<std::string> rows;
    sync.DetachAfterScroll();
    for (records.First(); !records.Eof(); records.Next()) rows.push_back(Current());
    records.FindKey(key);
    sync.AttachAfterScroll();
    return rows;
  }
  // A context item mirroring the record `fullName` under ContextRoot.
  NodeHandle AddContextItem(const std::string& fullName) {
    TNodeData data = *tree.Data(Node(fullName));
    data.Subject += " (mirrored)";
    data.IsContextItem = true;
    data.HotkeySlot = 0;
    return tree.AddChild(system.contextRoot, data);
  }

  store::DataTable records{store::RecordsSchema()};
  TreeModel tree{platform::UserCollation()};
  fakes::FakeHotkeys hotkeys;
  fakes::FakeSyncView view;
  SelectionSync sync{tree, records, view};
  SystemFolderNodes system;
  int rangeOrDataChanges = 0;
};

TEST_F(TreeSyncTest, StartsOnTheFirstTopLevelNodeWithTheTableRangedToTheTopLevel) {
  EXPECT_EQ(tree.Focused(), system.plugins);
  EXPECT_TRUE(tree.Selected(system.plugins));
  EXPECT_EQ(Current(), "\\*Plugins");
  EXPECT_EQ(view.info, "Folder ");
  EXPECT_EQ(view.preview, "");
  EXPECT_TRUE(sync.AfterScrollAttached());
  EXPECT_TRUE(records.HasRange());
  EXPECT_EQ(records.IndexName(), store::kRecordsIndex);
  const std::vector<std::string> rows = Visible();
  EXPECT_EQ(rows.front(), "\\*Plugins");
  EXPECT_EQ(rows.back(), "\\Zulu");
}

TEST_F(TreeSyncTest, ATableMoveFocusesTheRowsNodeAndRangesToItsLevel) {
  ASSERT_TRUE(sync.PositionOnKey("\\Mail\\Deep\\Leaf"));  // as a hotkey firing the record would
  EXPECT_EQ(FocusedName(), "\\Mail\\Deep\\Leaf");
  EXPECT_TRUE(tree.Selected(tree.Focused()));
  EXPECT_FALSE(tree.Selected(system.plugins));
  EXPECT_TRUE(tree.Expanded(Node("\\Mail")));
  EXPECT_TRUE(tree.Expanded(Node("\\Mail\\Deep")));
  EXPECT_GT(view.repaints, 0);
  EXPECT_EQ(view.info, "Text ");
  EXPECT_EQ(view.preview, "leaf text");
  EXPECT_EQ(Current(), "\\Mail\\Deep\\Leaf");
  EXPECT_THAT(Visible(), ElementsAre("\\Mail\\Deep\\Leaf"));
  EXPECT_THAT(view.filterTexts, IsEmpty());  // neither control has the input focus
}

TEST_F(TreeSyncTest, ATreeMoveWithTheTreeFocusedMovesTheTableAndTheFilterText) {
  view.treeFocus = true;
  tree.SetFocused(Node("\\Mail\\Sign"));
  EXPECT_EQ(Current(), "\\Mail\\Sign");
  EXPECT_EQ(view.info, "Text ");
  EXPECT_EQ(view.preview, "Regards");
  EXPECT_THAT(view.filterTexts, ElementsAre("Sign"));
  EXPECT_TRUE(tree.Selected(Node("\\Mail\\Sign")));
  EXPECT_THAT(Visible(), ElementsAre("\\Mail\\Deep", "\\Mail\\Deep\\Leaf", "\\Mail\\Sign", "\\Mail\\Zeta"));
}

TEST_F(TreeSyncTest, ReRangesOnlyWhenTheFocusChangesLevel) {
  view.treeFocus = true;
  tree.SetFocused(Node("\\Mail\\Sign"));
  rangeOrDataChanges = 0;
  tree.SetFocused(Node("\\Mail\\Zeta"));
  EXPECT_EQ(Current(), "\\Mail\\Zeta");
  EXPECT_EQ(rangeOrDataChanges, 0);
  EXPECT_FALSE(tree.Selected(Node("\\Mail\\Sign")));
  tree.SetFocused(Node("\\Alpha"));
  EXPECT_GT(rangeOrDataChanges, 0);
  EXPECT_EQ(Current(), "\\Alpha");
  EXPECT_EQ(view.info, "Text [Ctrl+Alt+T] [abc]");
  EXPECT_EQ(view.preview, "alpha text");
  EXPECT_EQ(Visible().back(), "\\Zulu");
}

TEST_F(TreeSyncTest, AChangeOfLevelAttachesTheAfterScrollReactionEvenWhenItWasDetached) {
  sync.DetachAfterScroll();
  tree.SetFocused(Node("\\Mail\\Sign"));
  EXPECT_TRUE(sync.AfterScrollAttached());
  ASSERT_TRUE(sync.PositionOnKey("\\Mail\\Zeta"));
  EXPECT_EQ(FocusedName(), "\\Mail\\Zeta");  // the table leads the tree again
}

TEST_F(TreeSyncTest, AFilterFocusMovesTheTableButNotTheFilterText) {
  view.filterFocus = true;
  tree.SetFocused(Node("\\Zulu"));
  EXPECT_EQ(Current(), "\\Zulu");
  EXPECT_EQ(view.preview, "zulu text");
  EXPECT_THAT(view.filterTexts, IsEmpty());
}

TEST_F(TreeSyncTest, WithoutInputFocusOnlyAChangeOfLevelMovesTheTable) {
  tree.SetFocused(Node("\\Zulu"));  // same level as "*Plugins"
  EXPECT_EQ(Current(), "\\*Plugins");
  tree.SetFocused(Node("\\Mail\\Sign"));  // another level: the re-range positions
  EXPECT_EQ(Current(), "\\Mail\\Sign");
  EXPECT_THAT(view.filterTexts, IsEmpty());
}

TEST_F(TreeSyncTest, TheFilterSearchRunByTheMirroredNameLandsOnTheSameRowOnce) {
  view.treeFocus = true;
  int searches = 0;
  view.onFilterText = [&](const std::string& text) {
    ++searches;
    sync.PositionNearest(store::MakeFullName(tree.Data(tree.Focused())->Category, text));
  };
  tree.SetFocused(Node("\\Mail\\Sign"));
  EXPECT_EQ(searches, 1);
  EXPECT_EQ(FocusedName(), "\\Mail\\Sign");
  EXPECT_EQ(Current(), "\\Mail\\Sign");
}

TEST_F(TreeSyncTest, RangesALevelWhoseTreeOrderDiffersFromThePathOrder) {
  // The tree puts "b" before "C"; the table "\Case\C" before "\Case\b".
  view.treeFocus = true;
  tree.SetFocused(Node("\\Case\\b"));
  EXPECT_EQ(Current(), "\\Case\\b");
  EXPECT_THAT(Visible(), ElementsAre("\\Case\\C", "\\Case\\b"));
  tree.SetFocused(Node("\\Case\\C"));
  EXPECT_EQ(Current(), "\\Case\\C");
}

TEST_F(TreeSyncTest, PositionsNearestWithinTheRange) {
  view.treeFocus = true;
  tree.SetFocused(Node("\\Mail\\Sign"));
  sync.PositionNearest("\\Mail\\T");
  EXPECT_EQ(Current(), "\\Mail\\Zeta");
  sync.PositionNearest("\\Mail\\zz");
  EXPECT_EQ(Current(), "\\Mail\\Zeta");
  EXPECT_EQ(FocusedName(), "\\Mail\\Zeta");
  sync.PositionNearest("\\A");
  EXPECT_EQ(Current(), "\\Mail\\Deep");
  EXPECT_FALSE(sync.PositionOnKey("\\Mail\\Nothing"));
  EXPECT_EQ(Current(), "\\Mail\\Deep");
}

TEST_F(TreeSyncTest, FillsThePaneForEveryKindOfRecord) {
  struct Expected {
    const char* fullName;
    const char* info;
    const char* preview;
  };
  const Expected cases[] = {
      {"\\Types", "Folder ", ""},
      {"\\Types\\Image", "Image ", ""},
      {"\\Types\\Plugin", "Plugin ", "describes the item"},
      {"\\Types\\TextLink", "Text file link ", "C:\\a.txt"},
      {"\\Types\\ImageLink", "Image file link ", "C:\\b.jpg"},
      {"\\Types\\InRow", "", ""},
      {"\\Types\\InBlob", "Clipboard data ", ""},
      {"\\Types\\KeyOnly", "Text  [xyz]", "keyed"},
  };
  for (const Expected& c : cases) {
    ASSERT_TRUE(sync.PositionOnKey(c.fullName)) << c.fullName;
    EXPECT_EQ(view.info, c.info) << c.fullName;
    EXPECT_EQ(view.preview, c.preview) << c.fullName;
    EXPECT_EQ(FocusedName(), c.fullName);
  }
}

TEST_F(TreeSyncTest, LeavesThePaneAloneWhileARowIsEdited) {
  const int updates = view.infoUpdates;
  records.Edit();
  sync.TembricDBAfterScroll();
  EXPECT_EQ(view.infoUpdates, updates);
  records.Cancel();
}

TEST_F(TreeSyncTest, NeverFollowsANodeFieldThatNamesNoNodeOfThisRun) {
  NodeHandle stale = 1;
  while (tree.IsValid(stale)) ++stale;
  sync.DetachAfterScroll();
  ASSERT_TRUE(sync.PositionOnKey("\\Zulu"));
  records.Edit();
  records.Set("Node", stale);
  records.Post();
  records.First();
  sync.AttachAfterScroll();
  const NodeHandle before = tree.Focused();
  ASSERT_TRUE(sync.PositionOnKey("\\Zulu"));
  EXPECT_EQ(view.preview, "zulu text");
  EXPECT_EQ(tree.Focused(), before);
}

// ---- Context items ------------------------------------------------------------------------

TEST_F(TreeSyncTest, AContextItemKeepsTheFocusWhileTheWindowShows) {
  const NodeHandle item = AddContextItem("\\Mail\\Sign");
  view.showing = true;
  view.treeFocus = true;
  tree.SetFocused(Node("\\Zulu"));
  tree.SetFocused(item);
  EXPECT_EQ(tree.Focused(), item);
  EXPECT_EQ(Current(), "\\Mail\\Sign");  // the mirrored record's row
  EXPECT_FALSE(records.HasRange());      // another level, and no range for context items
  EXPECT_EQ(view.preview, "Regards");

  ASSERT_TRUE(sync.PositionOnKey("\\Alpha"));  // typing in the filter box, say
  EXPECT_EQ(view.preview, "alpha text");
  EXPECT_EQ(tree.Focused(), item);

  view.showing = false;
  ASSERT_TRUE(sync.PositionOnKey("\\Zulu"));
  EXPECT_EQ(FocusedName(), "\\Zulu");
  EXPECT_FALSE(tree.Data(tree.Focused())->IsContextItem);
}

// ---- Quiet mode ---------------------------------------------------------------------------

TEST_F(TreeSyncTest, QuietModeStopsBothDirectionsAndReturnsToTheRememberedRow) {
  view.treeFocus = true;
  tree.SetFocused(Node("\\Mail\\Sign"));
  sync.DisableDBControls();
  EXPECT_TRUE(sync.Quiet());
  EXPECT_FALSE(records.HasRange());
  EXPECT_TRUE(records.ControlsDisabled());
  EXPECT_FALSE(records.HasAfterScroll());
  EXPECT_FALSE(tree.Selected(Node("\\Mail\\Sign")));

  tree.SetFocused(Node("\\Mail\\Zeta"));  // the table stays
  EXPECT_EQ(Current(), "\\Mail\\Sign");
  records.Last();  // the focus stays
  EXPECT_EQ(FocusedName(), "\\Mail\\Zeta");
  records.SetIndexFieldNames("ShortCut");

  sync.EnableDBControls();
  EXPECT_FALSE(sync.Quiet());
  EXPECT_EQ(records.IndexName(), store::kRecordsIndex);
  EXPECT_EQ(Current(), "\\Mail\\Sign");
  EXPECT_EQ(FocusedName(), "\\Mail\\Sign");
  EXPECT_TRUE(tree.Selected(tree.Focused()));
  EXPECT_FALSE(records.ControlsDisabled());
  EXPECT_FALSE(records.HasRange());  // not restored: the focus came back within its level

  tree.SetFocused(Node("\\Mail\\Zeta"));  // same level as before: still no range
  EXPECT_EQ(Current(), "\\Mail\\Zeta");
  EXPECT_FALSE(records.HasRange());
  tree.SetFocused(Node("\\Zulu"));
  EXPECT_TRUE(records.HasRange());
}

TEST_F(TreeSyncTest, QuietModeLandsOnAReturnPathAndDoesNotNest) {
  sync.DisableDBControls();
  sync.DisableDBControls();
  sync.SetReturnPath("\\Mail\\Deep\\Leaf");
  EXPECT_EQ(sync.ReturnPath(), "\\Mail\\Deep\\Leaf");
  sync.EnableDBControls();
  EXPECT_FALSE(records.ControlsDisabled());
  EXPECT_EQ(Current(), "\\Mail\\Deep\\Leaf");
  EXPECT_EQ(FocusedName(), "\\Mail\\Deep\\Leaf");
  EXPECT_EQ(view.preview, "leaf text");
}

// ---- Collapse tree ----------------------------------------------------------------------

TEST_F(TreeSyncTest, CollapseFocusesTheTopLevelAncestorAndShowsOnlyTheTopLevel) {
  ASSERT_TRUE(sync.PositionOnKey("\\Mail\\Deep\\Leaf"));
  tree.Expand(Node("\\Types"));
  ASSERT_TRUE(records.HasRange());
  CollapseTree(tree, sync);

  EXPECT_EQ(FocusedName(), "\\Mail");
  EXPECT_TRUE(tree.Selected(tree.Focused()));
  std::vector<NodeHandle> visible;
  for (NodeHandle n = tree.FirstChild(kNoNode); n != kNoNode; n = tree.NextVisible(n)) visible.push_back(n);
  EXPECT_EQ(visible, tree.Children(kNoNode));
  for (const char* folder : {"\\Mail", "\\Mail\\Deep", "\\Types"}) EXPECT_FALSE(tree.Expanded(Node(folder)));
  EXPECT_EQ(Current(), "\\Mail");
  EXPECT_EQ(view.info, "Folder ");
  EXPECT_FALSE(records.HasRange());
  EXPECT_FALSE(records.ControlsDisabled());
  EXPECT_TRUE(sync.AfterScrollAttached());

  view.treeFocus = true;  // the handlers are back
  tree.SetFocused(Node("\\Mail\\Sign"));
  EXPECT_EQ(Current(), "\\Mail\\Sign");
  EXPECT_TRUE(records.HasRange());
}

TEST_F(TreeSyncTest, DetachesFromTableAndTreeWhenDestroyed) {
  {
    fakes::FakeSyncView other;
    SelectionSync second(tree, records, other);
    second.AttachAll();
  }
  EXPECT_FALSE(records.HasAfterScroll());
  tree.SetFocused(Node("\\Zulu"));  // no handler left to call into the destroyed object
  EXPECT_EQ(FocusedName(), "\\Zulu");
}

}  // namespace
}  // namespace tembric::tree
