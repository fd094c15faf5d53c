// Building the tree from the records table, the system folders rebuilt at
// start, and what the tree control draws for each node.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "fakes/FakeHotkeys.h"
#include "fakes/TreeRecords.h"
#include "platform/Collation.h"
#include "platform/posix/PosixCollation.h"
#include "store/DataTable.h"
#include "store/SyntheticLibrary.h"
#include "store/Tables.h"
#include "tree/BuildTree.h"
#include "tree/SystemFolders.h"
#include "tree/TreeDisplay.h"
#include "tree/TreeModel.h"

namespace tembric::tree {
namespace {

using fakes::AddFolder;
using fakes::AddRecord;
using fakes::AddText;
using fakes::ChildSubjects;
using fakes::FindNode;
using fakes::Outline;
using store::RecordType;
using store::Value;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

class TreeBuildTest : public ::testing::Test {
 protected:
  TreeBuildTest() { fakes::OpenEmptyRecords(records); }

  // Every row's FullName and Node field, in index order.
  std::vector<std::pair<std::string, std::int64_t>> Rows() {
    std::vector<std::pair<std::string, std::int64_t>> rows;
    for (records.First(); !records.Eof(); records.Next()) {
      rows.emplace_back(records.AsString("FullName"), records.AsInteger("Node"));
    }
    return rows;
  }

  std::vector<std::string> FullNames() {
    std::vector<std::string> names;
    for (const auto& [name, node] : Rows()) names.push_back(name);
    return names;
  }

  bool LocateRow(const std::string& fullName) {
    const Value key[] = {Value(fullName)};
    return records.FindKey(key);
  }

  store::DataTable records{store::RecordsSchema()};
  TreeModel tree{platform::UserCollation()};
  fakes::FakeHotkeys hotkeys;
};

// ---- The build ----------------------------------------------------------------------------

TEST_F(TreeBuildTest, PlacesRowsBelowTheirFoldersAndTheRestAtTheTopLevel) {
  // Added out of path order: the build walks the index, folders first.
  AddText(records, "\\Mail\\Old", "Deep");
  AddText(records, "\\Mail", "Sign");
  AddFolder(records, "\\Mail", "Old");
  AddFolder(records, "", "Mail");
  AddText(records, "\\Gone", "Orphan");  // no folder of that path
  AddText(records, "", "Note");
  AddText(records, "\\Note", "UnderText");  // below a text record, not a folder
  AddText(records, "", "!bang");
  AddText(records, "", "(paren");
  BuildTree(tree, records, hotkeys);

  EXPECT_EQ(Outline(tree), "!bang,(paren,Mail[Old[Deep],Sign],Note,Orphan,UnderText");
  const NodeHandle deep = FindNode(tree, "\\Mail\\Old\\Deep");
  ASSERT_NE(deep, kNoNode);
  EXPECT_EQ(tree.Data(deep)->Category, "\\Mail\\Old");
  EXPECT_EQ(tree.Data(deep)->Type, 0);
  EXPECT_EQ(tree.Data(FindNode(tree, "\\Mail\\Old"))->Type, 1);
  EXPECT_EQ(tree.Data(FindNode(tree, "\\Gone\\Orphan"))->Category, "\\Gone");  // unchanged, just shown on top
  EXPECT_FALSE(records.HasAfterScroll());
}

TEST_F(TreeBuildTest, WritesEveryRowsNodeOverTheValueOfAnEarlierRun) {
  AddFolder(records, "", "Mail");
  AddText(records, "\\Mail", "Sign", "Regards");
  AddText(records, "", "Top");
  records.Edit();
  records.Set("Node", 123456);  // left from an earlier run
  records.Post();
  BuildTree(tree, records, hotkeys);

  for (const auto& [fullName, node] : Rows()) {
    const auto handle = static_cast<NodeHandle>(node);
    ASSERT_TRUE(tree.IsValid(handle)) << fullName;
    EXPECT_EQ(tree.Data(handle)->FullName, fullName);
    EXPECT_EQ(FindNode(tree, fullName), handle);
  }
  EXPECT_EQ(tree.NodeCount(), 3u);
}

TEST_F(TreeBuildTest, MapsFoldersWithoutRegardToCaseAndTheFirstFolderWins) {
  AddFolder(records, "", "Work");
  AddFolder(records, "", "WORK");  // "\WORK" comes first in the index
  AddText(records, "\\Work", "a");
  AddText(records, "\\work", "b");
  AddText(records, "\\WORK", "c");
  BuildTree(tree, records, hotkeys);

  EXPECT_EQ(Outline(tree), "Work,WORK[a,b,c]");
  EXPECT_EQ(tree.ChildCount(FindNode(tree, "\\Work")), 0u);
}

TEST_F(TreeBuildTest, MapsFoldersWithTheLetterCaseOfTheSystemCodePage) {
  // Windows-1251: folders "ПИСЬМА" and "ЁЛКА" with rows below them spelt in
  // small letters.
  const std::string letters = "\xCF\xC8\xD1\xDC\xCC\xC0", fir = "\xA8\xCB\xCA\xC0";
  AddFolder(records, "", letters);
  AddText(records, "\\\xCF\xE8\xF1\xFC\xEC\xE0", "a");
  AddFolder(records, "", fir);
  AddText(records, "\\\xB8\xEB\xEA\xE0", "b");
  TreeModel cyrillic(platform::CodePageCollation(1251));
  BuildTree(cyrillic, records, hotkeys);

  EXPECT_THAT(ChildSubjects(cyrillic, FindNode(cyrillic, "\\" + letters)), ElementsAre("a"));
  EXPECT_THAT(ChildSubjects(cyrillic, FindNode(cyrillic, "\\" + fir)), ElementsAre("b"));
}

TEST_F(TreeBuildTest, SkipsTheSystemPathsButNotTheirLookAlikes) {
  AddFolder(records, "", "*Plugins");
  AddRecord(records, "\\*Plugins", "Tool", RecordType::Plugin, {{"Node", 77}});
  AddFolder(records, "", "*WinContext");
  AddText(records, "\\*WinContext", "Stray");
  AddText(records, "", "*WinContexts");
  AddText(records, "", "*Plugins Other");
  BuildTree(tree, records, hotkeys);

  EXPECT_THAT(ChildSubjects(tree), ElementsAre("*Plugins Other", "*WinContexts"));
  ASSERT_TRUE(LocateRow("\\*Plugins\\Tool"));
  EXPECT_EQ(records.AsInteger("Node"), 77);  // the plugin set-up's value stays
}

TEST_F(TreeBuildTest, RegistersHotkeysAndMarksKeystrokes) {
  AddRecord(records, "", "Both", RecordType::Text,
            {{"ShortCut", Value("Ctrl+Alt+T")}, {"KeyString", Value("ABC")}, {"KeyDisplay", Value("abc")}});
  AddRecord(records, "", "EmptyKeys", RecordType::Text, {{"ShortCut", Value("")}, {"KeyString", Value("")}});
  AddRecord(records, "", "NullKeys", RecordType::Text);
  AddRecord(records, "", "Folder", RecordType::Folder, {{"ShortCut", Value("Ctrl+Shift+F")}});
  AddRecord(records, "", "Refused", RecordType::Text, {{"ShortCut", Value("Alt+F4")}});
  hotkeys.refused.insert("Alt+F4");
  BuildTree(tree, records, hotkeys);

  using Call = fakes::FakeHotkeys::Call;
  EXPECT_THAT(hotkeys.calls, ElementsAre(Call{"Fake", "Ctrl+Alt+T", 0, true}, Call{"Fake", "Ctrl+Shift+F", 0, true},
                                         Call{"Fake", "Alt+F4", 0, true}));
  const TNodeData* both = tree.Data(FindNode(tree, "\\Both"));
  EXPECT_EQ(both->HotkeySlot, 1);
  EXPECT_TRUE(both->HasKeystroke);
  EXPECT_EQ(tree.Data(FindNode(tree, "\\Folder"))->HotkeySlot, 2);
  EXPECT_FALSE(tree.Data(FindNode(tree, "\\Folder"))->HasKeystroke);
  for (const char* name : {"\\EmptyKeys", "\\NullKeys", "\\Refused"}) {
    EXPECT_EQ(tree.Data(FindNode(tree, name))->HotkeySlot, 0) << name;
    EXPECT_FALSE(tree.Data(FindNode(tree, name))->HasKeystroke) << name;
  }
}

TEST_F(TreeBuildTest, GoesOnAfterARowThatFails) {
  AddRecord(records, "", "Broken", RecordType::Text, {{"ShortCut", Value("Ctrl+X")}, {"Node", 5}});
  AddFolder(records, "", "Later");
  AddText(records, "\\Later", "Child");
  hotkeys.failing.insert("Ctrl+X");
  BuildTree(tree, records, hotkeys);

  // The failing row keeps its node but its Node field was not written.
  const NodeHandle broken = FindNode(tree, "\\Broken");
  ASSERT_NE(broken, kNoNode);
  EXPECT_EQ(tree.Data(broken)->HotkeySlot, 0);
  ASSERT_TRUE(LocateRow("\\Broken"));
  EXPECT_EQ(records.AsInteger("Node"), 5);
  EXPECT_EQ(records.State(), store::TableState::Browse);
  EXPECT_EQ(Outline(tree), "Broken,Later[Child]");
  ASSERT_TRUE(LocateRow("\\Later\\Child"));
  EXPECT_EQ(records.AsInteger("Node"), FindNode(tree, "\\Later\\Child"));
}

TEST_F(TreeBuildTest, CutsNodeTextsToShortStrings) {
  const std::string folder(200, 'f');
  const std::string subject(120, 's');
  AddFolder(records, "", folder);
  AddText(records, "\\" + folder, subject);
  BuildTree(tree, records, hotkeys);

  const NodeHandle node = tree.FirstChild(tree.FirstChild(kNoNode));
  ASSERT_NE(node, kNoNode);
  EXPECT_EQ(tree.Data(node)->Subject, subject);
  EXPECT_EQ(tree.Data(node)->Category, "\\" + folder);
  EXPECT_EQ(tree.Data(node)->FullName, ("\\" + folder + "\\" + subject).substr(0, 255));
}

// ---- System folders -------------------------------------------------------------------------

TEST_F(TreeBuildTest, SystemFoldersReplaceEveryStaleRowBelowThemAndKeepLookAlikes) {
  AddText(records, "", "!first");
  AddFolder(records, "", "*Plugins");
  AddRecord(records, "\\*Plugins", "old", RecordType::Plugin);
  AddRecord(records, "\\*Plugins\\old", "deep", RecordType::Plugin);
  AddText(records, "", "*Plugins Other");  // sorts between "\*Plugins" and "\*Plugins\..."
  AddText(records, "", "*PluginsX");
  AddFolder(records, "", "*WinContext");
  AddText(records, "", "*WinContext Other");
  AddText(records, "\\*WinContext", "a");
  AddText(records, "\\*WinContext\\b", "c");
  AddText(records, "", "*WinContexts");
  AddText(records, "", "Mail");
  records.SetAfterScroll([](store::DataTable&) {});
  int scans = 0;
  NodeHandle scannedUnder = kNoNode;
  const SystemFolderNodes nodes = InitSystemFolders(tree, records, [&](NodeHandle plugins) {
    ++scans;
    scannedUnder = plugins;
    AddRecord(records, "\\*Plugins", "Fresh", RecordType::Plugin);
  });

  EXPECT_THAT(FullNames(), ElementsAre("\\!first", "\\*Plugins", "\\*Plugins Other", "\\*PluginsX", "\\*Plugins\\Fresh",
                                       "\\*WinContext", "\\*WinContext Other", "\\*WinContexts", "\\Mail"));
  EXPECT_EQ(scans, 1);
  EXPECT_EQ(scannedUnder, nodes.plugins);
  EXPECT_FALSE(records.HasAfterScroll());
  EXPECT_EQ(records.IndexName(), store::kRecordsIndex);

  ASSERT_TRUE(LocateRow("\\*Plugins"));
  EXPECT_EQ(records.AsInteger("Node"), nodes.plugins);
  EXPECT_EQ(records.AsInteger("Type"), 1);
  EXPECT_EQ(records.AsString("Category"), "");
  EXPECT_FALSE(records.IsNull("Category"));
  ASSERT_TRUE(LocateRow("\\*WinContext"));
  EXPECT_EQ(records.AsInteger("Node"), nodes.contextRoot);
  const TNodeData* root = tree.Data(nodes.contextRoot);
  EXPECT_EQ(root->Subject, "*WinContext");
  EXPECT_EQ(root->Caption, "*WinContext");
  EXPECT_EQ(root->FullName, "\\*WinContext");
  EXPECT_EQ(root->Type, 1);
  EXPECT_FALSE(root->HasKeystroke);
  EXPECT_EQ(tree.Parent(nodes.plugins), kNoNode);
  EXPECT_EQ(tree.Parent(nodes.contextRoot), kNoNode);
}

TEST_F(TreeBuildTest, SystemFoldersRemoveContextRowsThatLostTheirFolderRow) {
  AddText(records, "\\*WinContext", "orphan");
  AddText(records, "\\*WinContext\\x", "deeper");
  InitSystemFolders(tree, records);
  EXPECT_THAT(FullNames(), ElementsAre("\\*Plugins", "\\*WinContext"));
  EXPECT_EQ(tree.NodeCount(), 2u);
}

TEST_F(TreeBuildTest, AnEmptyTableGivesJustTheTwoSystemFoldersInOrder) {
  const SystemFolderNodes nodes = InitSystemFolders(tree, records);
  BuildTree(tree, records, hotkeys);
  tree.SortChildren(kNoNode);
  EXPECT_THAT(tree.Children(kNoNode), ElementsAre(nodes.plugins, nodes.contextRoot));
  EXPECT_EQ(TreeGetText(tree, nodes.contextRoot), "*WinContext (0)");
  EXPECT_EQ(TreeGetText(tree, nodes.plugins), "*Plugins");
  EXPECT_TRUE(hotkeys.calls.empty());
}

TEST_F(TreeBuildTest, RunsOnAGeneratedLibraryWithOneNodePerRow) {
  store::AddSyntheticRecords(records, 3000, 5);
  InitSystemFolders(tree, records);
  BuildTree(tree, records, hotkeys);
  EXPECT_EQ(tree.NodeCount(), records.RecordCount());
  std::set<std::int64_t> nodes;
  for (const auto& [fullName, node] : Rows()) {
    const TNodeData* data = tree.Data(static_cast<NodeHandle>(node));
    ASSERT_NE(data, nullptr) << fullName;
    ASSERT_EQ(data->FullName, fullName);
    const NodeHandle parent = tree.Parent(static_cast<NodeHandle>(node));
    ASSERT_EQ(parent == kNoNode ? std::string() : tree.Data(parent)->FullName, data->Category) << fullName;
    nodes.insert(node);
  }
  EXPECT_EQ(nodes.size(), records.RecordCount());
}

// ---- What the control draws ---------------------------------------------------------------

class TreeDisplayTest : public ::testing::Test {
 protected:
  NodeHandle Add(NodeHandle parent, std::string subject, int type, std::string fullName = "") {
    TNodeData data;
    data.Subject = std::move(subject);
    data.Type = type;
    data.FullName = fullName.empty() ? "\\" + data.Subject : std::move(fullName);
    return tree.AddChild(parent, std::move(data));
  }
  int State(NodeHandle n) { return TreeGetImageIndex(tree, n, ImageKind::State); }
  int Normal(NodeHandle n) { return TreeGetImageIndex(tree, n, ImageKind::Normal); }

  TreeModel tree{platform::UserCollation()};
};

TEST_F(TreeDisplayTest, CountsChildrenInTheTextAndTheContextFolderShowsItsCaption) {
  const NodeHandle mail = Add(kNoNode, "Mail", 1);
  for (const char* s : {"a", "b", "c"}) Add(mail, s, 0);
  const NodeHandle empty = Add(kNoNode, "Empty", 1);
  const NodeHandle context = Add(kNoNode, "*WinContext", 1);
  tree.Data(context)->Caption = "notepad";
  const NodeHandle lookAlike = Add(kNoNode, "*wincontext", 1);
  tree.Data(lookAlike)->Caption = "never shown";

  EXPECT_EQ(TreeGetText(tree, mail), "Mail (3)");
  EXPECT_EQ(TreeGetText(tree, empty), "Empty");
  EXPECT_EQ(TreeGetText(tree, context), "notepad (0)");
  Add(context, "item", 0);
  Add(context, "item", 0);
  EXPECT_EQ(TreeGetText(tree, context), "notepad (2)");
  EXPECT_EQ(TreeGetText(tree, lookAlike), "*wincontext");
  EXPECT_EQ(TreeGetText(tree, 12345), "");
}

TEST_F(TreeDisplayTest, ShowsTheKindOfRecordAndTheKeyMark) {
  const std::vector<std::pair<int, int>> kinds = {{0, 0}, {1, 2},  {2, 6},  {3, 3},   {4, 7},
                                                  {5, 8}, {10, 1}, {20, 1}, {-1, -1}, {6, -1}};
  for (const auto& [type, image] : kinds) {
    EXPECT_EQ(State(Add(kNoNode, "r" + std::to_string(type), type)), image) << "type " << type;
  }
  EXPECT_EQ(State(Add(kNoNode, "*Plugins", 1, "\\*Plugins")), 4);
  EXPECT_EQ(State(Add(kNoNode, "*WinContext", 1, "\\*WinContext")), 11);
  EXPECT_EQ(State(Add(kNoNode, "*WinContext x", 1, "\\*WinContext\\x")), 2);

  const NodeHandle text = Add(kNoNode, "text", 0);
  EXPECT_EQ(Normal(text), kNoImage);
  tree.Data(text)->HasKeystroke = true;
  EXPECT_EQ(Normal(text), 9);
  EXPECT_EQ(State(text), 0);
  const NodeHandle folder = Add(kNoNode, "folder", 1);
  tree.Data(folder)->HotkeySlot = 3;
  EXPECT_EQ(Normal(folder), 9);
  EXPECT_EQ(State(folder), 2);
  tree.Data(folder)->HotkeySlot = -1;
  EXPECT_EQ(Normal(folder), kNoImage);
  EXPECT_EQ(State(kNoNode), kNoImage);
}

}  // namespace
}  // namespace tembric::tree
