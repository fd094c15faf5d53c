// The record dialog opened on the focused record before the new/edit
// workflow exists: what it hands the dialog, and that nothing it or the
// dialog changed stays in the row.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "app/InterimRecordEdit.h"
#include "fakes/FakeHotkeys.h"
#include "fakes/FakeSyncView.h"
#include "fakes/TreeRecords.h"
#include "platform/Collation.h"
#include "store/Tables.h"
#include "tree/BuildTree.h"
#include "tree/SelectionSync.h"
#include "tree/SystemFolders.h"
#include "tree/TreeModel.h"

namespace tembric::app {
namespace {

using fakes::AddFolder;
using fakes::AddRecord;
using store::RecordType;
using store::Value;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

class InterimRecordEditTest : public ::testing::Test {
 protected:
  InterimRecordEditTest() {
    fakes::OpenEmptyRecords(records);
    AddFolder(records, "", "mail");
    AddRecord(records, "\\mail", "Sign", RecordType::Text,
              {{"Memo", Value("Regards")}, {"KeyString", Value("SG")}, {"ShortCut", Value("Ctrl+Alt+S")}});
    AddRecord(records, "\\mail", "Other", RecordType::Text,
              {{"KeyString", Value("OT")}, {"ShortCut", Value("Ctrl+Alt+O")}});
    AddFolder(records, "\\mail", "Old");
    AddFolder(records, "", "Archive");
    AddRecord(records, "", "Top", RecordType::Text, {{"KeyString", Value("")}, {"ShortCut", Value("")}});
    tree::InitSystemFolders(model, records);
    tree::BuildTree(model, records, hotkeys);
    sync.AlignAtStart();
    view.treeFocus = true;  // the user moves the focus in the tree
  }

  void Focus(const std::string& fullName) {
    const tree::NodeHandle node = fakes::FindNode(model, fullName);
    ASSERT_NE(node, tree::kNoNode) << fullName;
    model.SetFocused(node);
    ASSERT_EQ(records.AsString("FullName"), fullName);
  }

  // The rows the table shows now.
  std::vector<std::string> Visible() {
    const Value key[] = {Value(records.AsString("FullName"))};
    std::vector<std::string> rows;
    sync.DetachAfterScroll();
    for (records.First(); !records.Eof(); records.Next()) rows.push_back(records.AsString("FullName"));
    records.FindKey(key);
    sync.AttachAfterScroll();
    return rows;
  }

  store::DataTable records{store::RecordsSchema()};
  tree::TreeModel model{platform::UserCollation()};
  fakes::FakeHotkeys hotkeys;
  fakes::FakeSyncView view;
  tree::SelectionSync sync{model, records, view};
  std::vector<editing::RecordDialogInputs> shown;
  // What the dialog does to the row while it is shown.
  std::function<void()> dialogEdits = [this] { records.Set("Subject", "Changed"); };
  InterimRecordEdit edit{records, model, sync, [this](editing::RecordDialogInputs inputs) {
                           EXPECT_EQ(records.State(), store::TableState::Edit);
                           shown.push_back(std::move(inputs));
                           dialogEdits();
                         }};
};

TEST_F(InterimRecordEditTest, HandsTheDialogTheListsWithoutTheRecordsOwnNameAndKeystrokeThenDropsItsChanges) {
  Focus("\\mail\\Sign");
  const std::vector<std::string> level = Visible();
  ASSERT_TRUE(edit.Edit());

  ASSERT_EQ(shown.size(), 1u);
  const editing::RecordDialogInputs& inputs = shown[0];
  EXPECT_THAT(inputs.usedNames, UnorderedElementsAre("\\mail", "\\mail\\Other", "\\mail\\Old", "\\Archive", "\\Top",
                                                     store::kPluginsFolder, store::kContextFolder));
  EXPECT_THAT(inputs.usedKeystrokes, ElementsAre("OT"));
  EXPECT_THAT(inputs.usedHotKeys, UnorderedElementsAre("Ctrl+Alt+S", "Ctrl+Alt+O"));
  // "[Root]", then the folders a record can go to, letter case ignored.
  EXPECT_THAT(inputs.parentItems, ElementsAre("[Root]", "\\Archive", "\\mail", "\\mail\\Old"));
  EXPECT_EQ(inputs.node.FullName, "\\mail\\Sign");

  EXPECT_EQ(records.State(), store::TableState::Browse);
  EXPECT_EQ(records.AsString("Subject"), "Sign");
  EXPECT_EQ(records.AsString("FullName"), "\\mail\\Sign");
  EXPECT_EQ(Visible(), level);
}

TEST_F(InterimRecordEditTest, AFolderIsNeitherItsOwnParentNorBelowItself) {
  Focus("\\mail");
  ASSERT_TRUE(edit.Edit());
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_THAT(shown[0].parentItems, ElementsAre("[Root]", "\\Archive"));
}

TEST_F(InterimRecordEditTest, SystemFoldersAreNotOpened) {
  for (const char* folder : {store::kPluginsFolder, store::kContextFolder}) {
    Focus(folder);
    EXPECT_FALSE(edit.CanEdit()) << folder;
    EXPECT_FALSE(edit.Edit()) << folder;
  }
  EXPECT_TRUE(shown.empty());
  Focus("\\Top");
  EXPECT_TRUE(edit.CanEdit());
}

TEST_F(InterimRecordEditTest, AFailingDialogStillLeavesTheRowUnchanged) {
  Focus("\\Top");
  dialogEdits = [this] {
    records.Set("Subject", "Changed");
    throw std::runtime_error("dialog failed");
  };
  EXPECT_THROW(edit.Edit(), std::runtime_error);
  EXPECT_EQ(records.State(), store::TableState::Browse);
  EXPECT_EQ(records.AsString("Subject"), "Top");
}

}  // namespace
}  // namespace tembric::app
