// The filter box: the search of the focused node's level as the user types,
// the search among context items, the keys that drive the tree from the
// box, keys handed on from the tree, Enter as a character and the double
// click on the tree.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "fakes/FakeFilterView.h"
#include "fakes/FakeHotkeys.h"
#include "fakes/TreeRecords.h"
#include "platform/Collation.h"
#include "store/DataTable.h"
#include "store/Tables.h"
#include "tree/BuildTree.h"
#include "tree/FilterBox.h"
#include "tree/SelectionSync.h"
#include "tree/SystemFolders.h"
#include "tree/TreeModel.h"

namespace tembric::tree {
namespace {

using fakes::AddFolder;
using fakes::AddText;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
namespace vk = platform::vk;

constexpr ShiftState kNoShift{};
constexpr ShiftState kCtrl{.ctrl = true};
constexpr ShiftState kAlt{.alt = true};
constexpr ShiftState kShift{.shift = true};

// A library as the main window has it after its creation, with the window
// showing and the input focus in the filter box. Top level, in tree order:
// *Plugins, *WinContext, Alpha, Empty (a folder without records),
// Mail[Deep[Leaf], Sign, Zeta], Zulu.
class FilterBoxTest : public ::testing::Test {
 protected:
  FilterBoxTest() {
    fakes::OpenEmptyRecords(records);
    AddText(records, "", "Alpha", "alpha text");
    AddFolder(records, "", "Mail");
    AddFolder(records, "\\Mail", "Deep");
    AddText(records, "\\Mail\\Deep", "Leaf", "leaf text");
    AddText(records, "\\Mail", "Sign", "Regards");
    AddText(records, "\\Mail", "Zeta", "zeta text");
    AddFolder(records, "", "Empty");
    AddText(records, "", "Zulu", "zulu text");
    system = InitSystemFolders(tree, records);
    BuildTree(tree, records, hotkeys);
    sync.AlignAtStart();
    view.showing = true;
    view.filterFocus = true;
    view.onFilterText = [this](const std::string&) { box.TextChanged(); };
    view.currentRow = [this] { return Current(); };
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
  // Focuses a node as a click would, then empties the box.
  void Focus(const std::string& fullName) {
    tree.SetFocused(Node(fullName));
    view.filterText.clear();
  }
  // The key after KeyDown: 0 when swallowed.
  int Press(int key, ShiftState shift = kNoShift) {
    box.KeyDown(key, shift);
    return key;
  }
  // A context item mirroring the record `fullName`, shown as `subject`.
  NodeHandle AddContextItem(const std::string& fullName, const std::string& subject) {
    TNodeData data = *tree.Data(Node(fullName));
    data.Subject = subject;
    data.IsContextItem = true;
    return tree.AddChild(system.contextRoot, data);
  }

  store::DataTable records{store::RecordsSchema()};
  TreeModel tree{platform::UserCollation()};
  fakes::FakeHotkeys hotkeys;
  fakes::FakeFilterView view;
  SelectionSync sync{tree, records, view};
  FilterBox box{tree, sync, view, view};
  SystemFolderNodes system;
};

// ---- Search as the user types -------------------------------------------------------------------

TEST_F(FilterBoxTest, TypingTheFirstLettersOfATopLevelRecordFocusesIt) {
  Focus("\\Alpha");
  view.Type("Zu");
  EXPECT_EQ(FocusedName(), "\\Zulu");
  EXPECT_EQ(Current(), "\\Zulu");
  EXPECT_EQ(view.preview, "zulu text");
  EXPECT_EQ(view.filterText, "Zu");  // the box keeps what was typed

  view.filterText.clear();
  view.Type("M");
  EXPECT_EQ(FocusedName(), "\\Mail");
  EXPECT_EQ(view.info, "Folder ");
  EXPECT_FALSE(tree.Expanded(Node("\\Mail")));
}

TEST_F(FilterBoxTest, LettersAfterEveryNameOfTheLevelFocusTheLevelsLastRow) {
  Focus("\\Alpha");
  view.Type("Zz");
  EXPECT_EQ(FocusedName(), "\\Zulu");
  Focus("\\Mail\\Sign");
  view.Type("Zz");
  EXPECT_EQ(FocusedName(),
            "\\Mail\\Zeta");  // the range keeps the search in the folder
  EXPECT_EQ(Current(), "\\Mail\\Zeta");
}

TEST_F(FilterBoxTest, SearchesTheFocusedNodesLevelAndMayLandInsideAFolderOfIt) {
  Focus("\\Mail\\Zeta");
  view.Type("S");
  EXPECT_EQ(FocusedName(), "\\Mail\\Sign");
  view.filterText.clear();
  view.Type("Deep\\");
  EXPECT_EQ(FocusedName(), "\\Mail\\Deep\\Leaf");
  EXPECT_TRUE(tree.Expanded(Node("\\Mail\\Deep")));
  EXPECT_EQ(view.preview, "leaf text");

  Focus("\\Zulu");
  view.Type("Mail\\");
  EXPECT_EQ(FocusedName(), "\\Mail\\Deep");  // the first row below the folder
  EXPECT_TRUE(tree.Expanded(Node("\\Mail")));
}

TEST_F(FilterBoxTest, AnEmptyBoxSearchesFromTheStartOfTheLevel) {
  Focus("\\Mail\\Zeta");
  box.TextChanged();
  EXPECT_EQ(FocusedName(), "\\Mail\\Deep");
}

// ---- Context items ------------------------------------------------------------------------------

TEST_F(FilterBoxTest, WithAContextItemFocusedTypingInSmallLettersFocusesTheFirstItemContainingIt) {
  const NodeHandle sign = AddContextItem("\\Mail\\Sign", "Sign (Mail)");
  const NodeHandle zulu = AddContextItem("\\Zulu", "Zulu (mirrored)");
  tree.SetFocused(sign);
  view.Type("ul");
  EXPECT_EQ(tree.Focused(), zulu);
  EXPECT_EQ(Current(), "\\Zulu");  // the mirrored record's row

  view.filterText.clear();
  view.Type("i");  // both contain an I; the first in order wins
  EXPECT_EQ(tree.Focused(), sign);
}

TEST_F(FilterBoxTest, WhenNoContextItemContainsTheTextTheTableMovesAndTheFocusStays) {
  const NodeHandle zulu = AddContextItem("\\Zulu", "Zulu (mirrored)");
  tree.SetFocused(zulu);
  view.Type("Al");
  EXPECT_EQ(tree.Focused(), zulu);
  EXPECT_EQ(Current(), "\\Alpha");
  EXPECT_EQ(view.preview, "alpha text");

  view.showing = false;  // hidden, the focus follows the row
  view.filterText.clear();
  view.Type("Zz");
  EXPECT_EQ(FocusedName(), "\\Zulu");
  EXPECT_FALSE(tree.Data(tree.Focused())->IsContextItem);
}

TNodeData Named(const std::string& subject) {
  TNodeData data;
  data.Subject = subject;
  return data;
}

TEST(FilterContextSearch, ComparesOnlyTheLettersAToZCaseBlind) {
  EXPECT_EQ(UpperAsciiLetters("abz AZ{\xe4\xfc`"), "ABZ AZ{\xe4\xfc`");
  TreeModel tree(platform::UserCollation());
  const NodeHandle root = tree.AddChild(kNoNode, Named("*WinContext"));
  const NodeHandle umlaut = tree.AddChild(root, Named("Gr\xfc\xdf"));
  const NodeHandle bracket = tree.AddChild(root, Named("x[1]"));
  EXPECT_EQ(FindContextItem(tree, root, "gr\xfc"), umlaut);
  EXPECT_EQ(FindContextItem(tree, root, "GR\xdc"),
            kNoNode);  // no case folding beyond a to z
  EXPECT_EQ(FindContextItem(tree, root, "X[1"), bracket);
  EXPECT_EQ(FindContextItem(tree, root, ""),
            kNoNode);  // an empty text is in no name
  EXPECT_EQ(FindContextItem(tree, kNoNode + 9999, "x"), kNoNode);
}

// ---- Keys in the box ----------------------------------------------------------------------------

TEST_F(FilterBoxTest, RightAndLeftOpenAndCloseAFolderAndMoveTheCaretOtherwise) {
  Focus("\\Mail");
  EXPECT_EQ(Press(vk::kRight), 0);
  EXPECT_TRUE(tree.Expanded(Node("\\Mail")));
  EXPECT_EQ(Press(vk::kLeft), 0);
  EXPECT_FALSE(tree.Expanded(Node("\\Mail")));

  Focus("\\Alpha");
  EXPECT_EQ(Press(vk::kRight), vk::kRight);
  EXPECT_EQ(Press(vk::kLeft), vk::kLeft);
  Focus("\\Empty");
  EXPECT_EQ(Press(vk::kRight),
            vk::kRight);  // a folder without records has nothing to open
  EXPECT_EQ(FocusedName(), "\\Empty");
}

TEST_F(FilterBoxTest, DownAndUpFollowTheVisibleNodesAndShowTheNameWhollySelected) {
  Focus("\\Alpha");
  EXPECT_EQ(Press(vk::kDown), 0);
  EXPECT_EQ(FocusedName(), "\\Empty");
  EXPECT_EQ(Current(), "\\Empty");
  EXPECT_EQ(view.filterText, "Empty");
  EXPECT_TRUE(view.wholeTextSelected);

  EXPECT_EQ(Press(vk::kDown, kShift), 0);  // Shift does not matter
  EXPECT_EQ(FocusedName(), "\\Mail");
  Press(vk::kRight);
  Press(vk::kDown);
  EXPECT_EQ(FocusedName(), "\\Mail\\Deep");
  EXPECT_EQ(view.filterText, "Deep");
  EXPECT_EQ(Current(), "\\Mail\\Deep");  // the search run by the new text lands
                                         // on the node's own row
  Press(vk::kUp);
  EXPECT_EQ(FocusedName(), "\\Mail");
  EXPECT_EQ(Current(), "\\Mail");
  EXPECT_EQ(view.filterText, "Mail");
}

TEST_F(FilterBoxTest, DownOnTheLastAndUpOnTheFirstNodeKeepTheFocusAndReplaceTheText) {
  Focus("\\Zulu");
  view.Type("Zul");
  EXPECT_EQ(Press(vk::kDown), 0);
  EXPECT_EQ(FocusedName(), "\\Zulu");
  EXPECT_EQ(view.filterText, "Zulu");
  EXPECT_TRUE(view.wholeTextSelected);

  Focus("\\*Plugins");
  view.filterText = "*P";
  EXPECT_EQ(Press(vk::kUp), 0);
  EXPECT_EQ(FocusedName(), "\\*Plugins");
  EXPECT_EQ(view.filterText, "*Plugins");
}

TEST_F(FilterBoxTest, CtrlOrAltLeaveTheKeyToTheBoxAndTheTreeAlone) {
  Focus("\\Mail");
  const std::size_t texts = view.filterTexts.size();
  for (ShiftState held : {kCtrl, kAlt}) {
    for (int key : {vk::kLeft, vk::kRight, vk::kDown, vk::kUp, vk::kReturn, vk::kInsert}) {
      EXPECT_EQ(Press(key, held), key);
    }
  }
  EXPECT_EQ(FocusedName(), "\\Mail");
  EXPECT_FALSE(tree.Expanded(Node("\\Mail")));
  EXPECT_EQ(view.filterTexts.size(), texts);
  EXPECT_THAT(view.pastes, IsEmpty());
  EXPECT_EQ(view.newRecords, 0);
}

TEST_F(FilterBoxTest, InsertRunsNewAndOtherKeysEditTheBox) {
  Focus("\\Zulu");
  EXPECT_EQ(Press(vk::kInsert), 0);
  EXPECT_EQ(view.newRecords, 1);
  for (int key : {vk::kA, vk::kBack, vk::kDelete, vk::kHome, vk::kEnd}) {
    EXPECT_EQ(Press(key), key);
  }
  EXPECT_EQ(FocusedName(), "\\Zulu");
  EXPECT_THAT(view.pastes, IsEmpty());
}

TEST_F(FilterBoxTest, EnterPastesARecordTogglesAFolderAndIgnoresAnEmptyFolder) {
  Focus("\\Zulu");
  EXPECT_EQ(Press(vk::kReturn), 0);
  EXPECT_THAT(view.pastes, ElementsAre("\\Zulu"));

  Focus("\\Mail");
  EXPECT_EQ(Press(vk::kReturn), 0);
  EXPECT_TRUE(tree.Expanded(Node("\\Mail")));
  EXPECT_EQ(Press(vk::kReturn), 0);
  EXPECT_FALSE(tree.Expanded(Node("\\Mail")));

  Focus("\\Empty");
  EXPECT_EQ(Press(vk::kReturn), 0);
  Focus("\\*Plugins");
  EXPECT_EQ(Press(vk::kReturn), 0);
  EXPECT_THAT(view.pastes, ElementsAre("\\Zulu"));
  EXPECT_FALSE(tree.Expanded(Node("\\Empty")));
}

TEST_F(FilterBoxTest, EnterNeverReachesTheBoxAsACharacter) {
  char enter = '\r';
  box.KeyPress(enter);
  EXPECT_EQ(enter, 0);
  for (char c : {'a', '\n', '\t', ' ', '\\'}) {
    char kept = c;
    box.KeyPress(kept);
    EXPECT_EQ(kept, c);
  }
}

// ---- Keys typed in the tree ---------------------------------------------------------------------

TEST_F(FilterBoxTest, TheTreeKeepsItsNavigationKeysAndTheBoxTakesTheInputFocus) {
  for (int key = vk::kPageUp; key <= vk::kDown; ++key) {
    view.treeFocus = true;
    view.filterFocus = false;
    EXPECT_EQ(Press(key), key);
    EXPECT_TRUE(view.filterFocus);
    EXPECT_FALSE(view.treeFocus);
  }
  EXPECT_THAT(view.redelivered, IsEmpty());
}

TEST_F(FilterBoxTest, ALetterTypedInTheTreeEndsUpInTheBoxAndSearches) {
  // The box receives the key as if typed there: its key handling, then the
  // character when the key was not swallowed.
  view.onRedeliver = [this](int key) {
    ASSERT_TRUE(view.filterFocus);
    box.KeyDown(key, kNoShift);
    if (key != 0 && std::isalpha(key)) view.Type(std::string(1, static_cast<char>(key)));
  };
  Focus("\\Alpha");
  view.treeFocus = true;
  view.filterFocus = false;
  EXPECT_EQ(Press(vk::kZ), 0);  // the tree does not act on it
  EXPECT_THAT(view.redelivered, ElementsAre(vk::kZ));
  EXPECT_EQ(view.filterText, "Z");
  EXPECT_EQ(FocusedName(), "\\Zulu");

  view.treeFocus = true;
  view.filterFocus = false;
  EXPECT_EQ(Press(vk::kReturn), 0);
  EXPECT_THAT(view.pastes, ElementsAre("\\Zulu"));
  view.treeFocus = true;
  view.filterFocus = false;
  EXPECT_EQ(Press(vk::kInsert), 0);
  EXPECT_THAT(view.redelivered, ElementsAre(vk::kZ, vk::kReturn, vk::kInsert));
  EXPECT_EQ(view.newRecords, 1);
  view.treeFocus = true;
  view.filterFocus = false;
  EXPECT_EQ(Press(vk::kA, kCtrl), 0);  // handed on whatever the shift state
  EXPECT_THAT(view.redelivered, ElementsAre(vk::kZ, vk::kReturn, vk::kInsert, vk::kA));
}

// ---- Double click -------------------------------------------------------------------------------

TEST_F(FilterBoxTest, ADoubleClickTogglesAFolderOncePastesARecordAndIgnoresAnEmptyFolder) {
  view.filterFocus = false;
  view.treeFocus = true;
  tree.SetFocused(Node("\\Mail"));
  EXPECT_TRUE(box.TreeDblClick());
  EXPECT_TRUE(tree.Expanded(Node("\\Mail")));
  EXPECT_TRUE(box.TreeDblClick());
  EXPECT_FALSE(tree.Expanded(Node("\\Mail")));

  tree.SetFocused(Node("\\Empty"));
  box.TreeDblClick();
  EXPECT_THAT(view.pastes, IsEmpty());
  tree.SetFocused(Node("\\Alpha"));
  box.TreeDblClick();
  EXPECT_THAT(view.pastes, ElementsAre("\\Alpha"));
}

// ---- Without a focused node ---------------------------------------------------------------------

TEST(FilterBoxBare, WithoutFocusTheFirstTopLevelNodeIsInQuestionAndWithoutNodesNothingHappens) {
  store::DataTable records{store::RecordsSchema()};
  fakes::OpenEmptyRecords(records);
  TreeModel tree{platform::UserCollation()};
  fakes::FakeFilterView view;
  view.filterFocus = true;
  view.currentRow = [&] { return records.IsEmpty() ? std::string("(no row)") : records.AsString("FullName"); };
  SelectionSync sync{tree, records, view};
  FilterBox box{tree, sync, view, view};

  int key = vk::kReturn;
  box.KeyDown(key, kNoShift);
  EXPECT_EQ(key, vk::kReturn);
  EXPECT_FALSE(box.TreeDblClick());
  box.TextChanged();  // an empty table: nothing to position on
  EXPECT_THAT(view.pastes, IsEmpty());

  AddText(records, "", "Only", "only text");
  AddText(records, "", "Second", "second text");
  fakes::FakeHotkeys hotkeys;
  BuildTree(tree, records, hotkeys);
  sync.AlignAtStart();
  tree.SetFocused(kNoNode);
  EXPECT_TRUE(box.TreeDblClick());
  EXPECT_THAT(view.pastes, ElementsAre("\\Only"));
  view.onFilterText = [&](const std::string&) { box.TextChanged(); };
  key = vk::kDown;
  box.KeyDown(key, kNoShift);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(tree.Data(tree.Focused())->FullName, "\\Second");
  EXPECT_EQ(view.filterText, "Second");
}

}  // namespace
}  // namespace tembric::tree
