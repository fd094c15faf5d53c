// The new, add-child and edit commands around the record dialog, driven as
// the user would through the dialog's logic over a recorded window: where a
// new record goes, the Parent and used lists, Cancel, renames and moves with
// the rows and nodes below, content kinds, hotkeys, plugin keys, context
// items, the snapshot kept in a row, and failures.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ImageFixtures.h"
#include "app/SettingsFile.h"
#include "context/ContextStore.h"
#include "context/Identification.h"
#include "editing/RecordDialog.h"
#include "editing/RecordWorkflow.h"
#include "editing/WindowPicker.h"
#include "fakes/FakeAppFiles.h"
#include "fakes/FakeClipboard.h"
#include "fakes/FakeDde.h"
#include "fakes/FakeHotkeyPlatform.h"
#include "fakes/FakeHotkeys.h"
#include "fakes/FakeInput.h"
#include "fakes/FakeKeyboard.h"
#include "fakes/FakeLibraries.h"
#include "fakes/FakeRecordDialogView.h"
#include "fakes/FakeSyncView.h"
#include "fakes/FakeVersionInfo.h"
#include "fakes/FakeWindowSystem.h"
#include "fakes/TreeRecords.h"
#include "paste/Bmp.h"
#include "platform/Collation.h"
#include "plugins/PluginScan.h"
#include "plugins/TembricPlugin.h"
#include "store/BlobFile.h"
#include "tree/BuildTree.h"
#include "tree/CollapseTree.h"
#include "tree/SelectionSync.h"
#include "tree/SystemFolders.h"
#include "tree/TreeModel.h"

namespace tembric::editing {
namespace {

using fakes::AddFolder;
using fakes::AddRecord;
using fakes::AddText;
using fakes::ChildSubjects;
using fakes::FindNode;
using store::RecordType;
using store::Value;
using testing::ElementsAre;
using testing::IsEmpty;

constexpr const char* kFolder = "C:\\Tembric";
constexpr const char* kIni = "C:\\Tembric\\Tembric.ini";
constexpr const char* kBlob = "C:\\Tembric\\data.tmd";
constexpr const char* kPluginPath = "C:\\Tembric\\Plugins\\clock.dll";
constexpr triggers::KeyValue kCtrlAltK = triggers::kCtrlBit | triggers::kAltBit | 'K';

void TEMBRIC_PLUGIN_CALL ClockInfo(TembricPluginInfo* info, std::int32_t index) {
  info->Count = 1;
  if (index != 0) return;
  TembricSetCountedString(&info->Subject, "Clock");
  TembricSetCountedString(&info->Category, "");
  TembricSetCountedString(&info->Memo, "The time");
}

class RecordWorkflowTest : public testing::Test {
 protected:
  RecordWorkflowTest() {
    disk.Put(kIni, fakes::Text("[Basic]\r\nNewContent=Text\r\n"));
    disk.Put(kBlob, {});
    libraries.AddLibrary(kPluginPath);
    libraries.AddEntry(kPluginPath, "GetPluginInfo", &ClockInfo);
    store::OpenLibrary(library, files, kFolder, "20260101-000000");
    store::DataTable& records = library.records;
    fakes::OpenEmptyRecords(records);
    AddFolder(records, "", "A");
    AddText(records, "\\A", "x", "hello");
    AddFolder(records, "\\A", "y");
    AddRecord(records, "\\A\\y", "z", RecordType::Text, {{"ID", 7}, {"KeyString", "ZZ"}, {"ShortCut", "Ctrl+Alt+Z"}});
    AddText(records, "\\Ab", "x");  // an orphan: no row of its folder, right after \A's rows in path order
    AddFolder(records, "", "Abc");
    AddFolder(records, "", "B");
    AddText(records, "\\B", "a");
    AddText(records, "\\B", "c");
    AddText(records, "", "Top", "top text");
    roots = Build(records, model, settings);
    sync.AlignAtStart();
    view.treeFocus = true;
  }

  // The system folders with the plugin's item, then the tree, as at start.
  tree::SystemFolderNodes Build(store::DataTable& records, tree::TreeModel& tree, const app::SettingsFile& ini) {
    plugins::PluginScanner scanner({
        .tree = tree,
        .records = records,
        .hotkeys = hotkeys,
        .files = files,
        .libraries = libraries,
        .settingsText = [&ini](std::string_view section,
                               std::string_view key) { return ini.ReadString(section, key, ""); },
        .show = [](const std::string&) {},
        .handlePendingMessages = [] {},
    });
    const tree::SystemFolderNodes made =
        tree::InitSystemFolders(tree, records, [&](tree::NodeHandle) { scanner.LoadPluginLibrary(kPluginPath); });
    tree::BuildTree(tree, records, hotkeys);
    return made;
  }

  void Focus(const std::string& fullName, bool contextItem = false) {
    const tree::NodeHandle node = FindNode(model, fullName, contextItem);
    ASSERT_NE(node, tree::kNoNode) << fullName;
    model.SetFocused(node);
    ASSERT_EQ(library.records.AsString("FullName"), fullName);
  }
  // The user's edit of a box, as the window reports it.
  void Type(TextBox box, const std::string& text) {
    form.texts[box] = text;
    dialog.TextChanged(box, text);
  }
  // The record's row made current without the tree following.
  bool Row(const std::string& fullName) {
    sync.DetachAfterScroll();
    const bool found = sync.PositionOnKey(fullName);
    sync.AttachAfterScroll();
    return found;
  }
  std::string Field(const std::string& fullName, const char* field) {
    return Row(fullName) ? library.records.AsString(field) : "<no row " + fullName + ">";
  }
  std::string NodePath(const std::string& fullName) {
    const tree::NodeHandle node = FindNode(model, fullName);
    if (node == tree::kNoNode) return "<no node>";
    const tree::NodeHandle parent = model.Parent(node);
    return parent == tree::kNoNode ? "" : model.Data(parent)->FullName;
  }

  fakes::MemoryFileSystem disk;
  fakes::FaultInjectingFileSystem files{disk};
  store::Library library;
  tree::TreeModel model{platform::UserCollation()};
  fakes::FakeSyncView view;
  tree::SelectionSync sync{model, library.records, view};
  fakes::FakeHotkeys hotkeys;
  app::SettingsFile settings{files, kIni};
  tree::SystemFolderNodes roots;

  fakes::FakeKeyboard keyboard;
  fakes::FakeHotkeyPlatform hotkeyPlatform;
  fakes::FakeClipboard clipboard;
  fakes::FakeLibraries libraries;
  fakes::FakeInput input;
  fakes::FakeWindowSystem windows;
  fakes::FakeVersionInfo versions;
  fakes::FakeDde dde;
  context::Identifier identifier{windows, versions, dde, "C:\\Tembric\\Tembric.exe"};
  context::TargetTracker tracker{identifier};
  WindowPicker picker{windows, identifier};
  fakes::FakeRecordDialogView form;
  RecordDialog dialog{
      {library.records, keyboard, hotkeyPlatform, clipboard, files, libraries, input, tracker, settings, picker, form},
      form};

  // What the user does while the dialog shows, and whether it ends with Save.
  std::function<void()> user = [] {};
  bool save = true;
  int shown = 0;
  std::deque<std::int64_t> draws;  // the IDs drawn, then 1000, 1001, ...
  std::int64_t nextDraw = 1000;
  RecordWorkflow workflow{{
      .library = library,
      .files = files,
      .folder = kFolder,
      .model = model,
      .sync = sync,
      .hotkeys = hotkeys,
      .settings = settings,
      .keyboard = keyboard,
      .clipboard = clipboard,
      .dialog = dialog,
      .showDialog =
          [this] {
            ++shown;
            dialog.Shown();
            user();
            const bool ok = save && dialog.Save();
            if (!ok) dialog.Cancel();
            dialog.Hidden();
            return ok;
          },
      .contextRoot = [this] { return roots.contextRoot; },
      .random =
          [this](std::int64_t, std::int64_t) {
            if (draws.empty()) return nextDraw++;
            const std::int64_t next = draws.front();
            draws.pop_front();
            return next;
          },
  }};
};

// ---- New and Add child ------------------------------------------------------------

TEST_F(RecordWorkflowTest, ANewRecordGoesBesideTheFocusedNodeOrIntoTheFocusedFolder) {
  struct Case {
    const char* focus;
    const char* sender;
    const char* parentShown;  // the Parent box as the dialog opens
    const char* created;
  };
  const Case cases[] = {
      {"\\A\\x", kNewRecordAction, "\\A", "\\A\\n1"},
      {"\\Top", kNewRecordAction, "[Root]", "\\n2"},
      {"\\*Plugins\\Clock", kNewRecordAction, "[Root]", "\\n3"},  // never among the plugin items
      {"\\B", kNewChildAction, "\\B", "\\B\\n4"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.created);
    Focus(c.focus);
    const std::string name = "n" + std::to_string(++n);
    std::string parentShown;
    user = [&] {
      parentShown = form.Text(TextBox::Parent);
      Type(TextBox::Name, name);
      Type(TextBox::Memo, "text of " + name);
    };
    workflow.aNewRecordExecute(c.sender);
    EXPECT_EQ(parentShown, c.parentShown);
    EXPECT_EQ(Field(c.created, "Type"), "0");
    EXPECT_EQ(Field(c.created, "Memo"), "text of " + name);
    EXPECT_EQ(NodePath(c.created), std::string(c.parentShown) == "[Root]" ? "" : c.parentShown);
    // Leaving the command lands on the new record.
    EXPECT_EQ(model.Data(model.Focused())->FullName, c.created);
    EXPECT_FALSE(sync.Quiet());
  }
  // Sorted among its siblings; the table file written.
  EXPECT_THAT(ChildSubjects(model, FindNode(model, "\\B")), ElementsAre("a", "c", "n4"));
  EXPECT_THAT(ChildSubjects(model, FindNode(model, "\\A")), ElementsAre("n1", "x", "y"));
  EXPECT_TRUE(disk.Get("C:\\Tembric\\tembric.db").has_value());
}

TEST_F(RecordWorkflowTest, ANewRecordGetsAnIdNotYetTakenItsKeysAndItsContent) {
  Focus("\\Top");
  draws = {7, 4242};  // 7 is taken
  user = [&] {
    Type(TextBox::Name, "pic");
    Type(TextBox::Keystroke, "pc");
    form.hotkey = kCtrlAltK;
    dialog.HotkeyChanged(kCtrlAltK);
    dialog.ContentKindChanged(ContentKind::Image);
    dialog.SetPicture(paste::DecodeBmp(paste::Fixture("rgb24.bmp")));  // as Paste or Load from file
  };
  workflow.aNewRecordExecute(kNewRecordAction);
  ASSERT_TRUE(Row("\\pic"));
  const store::DataTable& records = library.records;
  EXPECT_EQ(records.AsInteger("ID"), 4242);
  EXPECT_EQ(records.AsInteger("Type"), 2);
  EXPECT_EQ(records.AsString("KeyString"), "PC");
  EXPECT_EQ(records.AsString("ShortCut"), "Ctrl+Alt+K");
  EXPECT_EQ(hotkeys.calls.back(), (fakes::FakeHotkeys::Call{"Fake", "Ctrl+Alt+K", 0, true}));
  const tree::TNodeData* node = model.Data(FindNode(model, "\\pic"));
  EXPECT_GT(node->HotkeySlot, 0);
  EXPECT_TRUE(node->HasKeystroke);
  EXPECT_EQ(node->Type, 2);
  const store::BlobFile blob = store::BlobFile::InFolder(files, kFolder);
  EXPECT_EQ(store::ReadBlobExtent(blob, store::CurrentExtent(records)),
            paste::EncodeBmp(paste::DecodeBmp(paste::Fixture("rgb24.bmp"))));

  // Opened again, the record shows its picture from the blob file.
  paste::DecodedImage shownPicture;
  user = [&] { shownPicture = form.picture; };
  save = false;
  workflow.aEditExecute();
  EXPECT_EQ(shownPicture.dib, paste::DecodeBmp(paste::Fixture("rgb24.bmp")).dib);
  EXPECT_EQ(form.picture.width, 0);  // put away with the dialog
}

TEST_F(RecordWorkflowTest, TheRecordsContextsAreWrittenWithItAndChangedByAnEdit) {
  const auto application = [](const char* name) {
    context::TWinDescriptor d;
    d.FileName = name;
    d.WinType = kContextApplication;
    return d;
  };
  Focus("\\Top");
  user = [&] {
    Type(TextBox::Name, "ctx");
    dialog.Contexts().Add(application("Notepad"));  // as the window picker adds it
  };
  workflow.aNewRecordExecute(kNewRecordAction);
  ASSERT_TRUE(Row("\\ctx"));
  const auto id = static_cast<std::int32_t>(library.records.AsInteger("ID"));
  context::ContextStore stored(library, files, [](std::int64_t low, std::int64_t) { return low; });
  ASSERT_EQ(stored.LoadContexts(id).size(), 1u);
  EXPECT_TRUE(disk.Get("C:\\Tembric\\rel.db").has_value());

  Focus("\\ctx");
  user = [&] {
    form.selectedContextRow = 0;
    dialog.DeleteContextItem();
    dialog.Contexts().Add(application("Viewer"));
  };
  workflow.aEditExecute();
  const std::vector<context::TWinDescriptor> now = stored.LoadContexts(id);
  ASSERT_EQ(now.size(), 1u);
  EXPECT_EQ(now[0].FileName, "Viewer");
}

TEST_F(RecordWorkflowTest, AddChildIsOnlyForTheUsersOwnFolders) {
  struct Case {
    const char* focus;
    bool enabled;
  };
  for (const Case c : {Case{"\\A", true}, Case{"\\A\\y", true}, Case{"\\A\\x", false},
                       Case{store::kPluginsFolder, false}, Case{store::kContextFolder, false}}) {
    Focus(c.focus);
    EXPECT_EQ(workflow.aNewChildUpdate(), c.enabled) << c.focus;
  }
}

TEST_F(RecordWorkflowTest, TheListsLeaveOutSystemFoldersTheFoldersInsideTheCurrentOneAndTheEditedRecordsOwnKeys) {
  Focus("\\A");
  workflow.FillCatList(true);  // New: the folder itself is offered, its subfolders are not
  EXPECT_THAT(dialog.Inputs().parentItems, ElementsAre("[Root]", "\\A", "\\Abc", "\\B"));

  Focus("\\A\\y\\z");
  std::vector<std::vector<std::string>> lists;
  user = [&] {
    const RecordDialogInputs& in = dialog.Inputs();
    lists = {in.parentItems, in.usedKeystrokes, in.usedHotKeys, in.usedNames};
  };
  save = false;
  workflow.aEditExecute();
  ASSERT_EQ(lists.size(), 4u);
  const std::vector<std::string>& names = lists[3];
  EXPECT_EQ(std::count(names.begin(), names.end(), "\\A\\y\\z"), 0);  // its own name left out
  EXPECT_EQ(std::count(names.begin(), names.end(), store::kPluginsFolder), 1);
  EXPECT_EQ(names.size(), library.records.RecordCount() - 1);
  EXPECT_THAT(lists[0], ElementsAre("[Root]", "\\A", "\\A\\y", "\\Abc", "\\B"));
  EXPECT_THAT(lists[1], IsEmpty());                  // its own keystroke left out
  EXPECT_THAT(lists[2], ElementsAre("Ctrl+Alt+Z"));  // its own hotkey stays

  Focus("\\A");  // Edit of a folder: neither the folder nor anything inside it
  workflow.aEditExecute();
  EXPECT_THAT(lists[0], ElementsAre("[Root]", "\\Abc", "\\B"));

  shown = 0;
  for (const char* system : {store::kPluginsFolder, store::kContextFolder}) {
    Focus(system);
    workflow.aEditExecute();
  }
  EXPECT_EQ(shown, 0);
}

TEST_F(RecordWorkflowTest, TheOptionsCommandCollectsEveryRecordsHotkeyInsideQuietModeAndLeavesItWhereItWas) {
  Focus("\\A\\y\\z");
  const std::string before = library.records.AsString("FullName");
  EXPECT_THAT(workflow.CollectUsedHotKeys(), ElementsAre("Ctrl+Alt+Z"));  // the current record's own too
  EXPECT_FALSE(sync.Quiet());
  EXPECT_EQ(library.records.AsString("FullName"), before);
  EXPECT_THAT(dialog.Inputs().usedHotKeys, IsEmpty());
  EXPECT_THAT(dialog.Inputs().usedNames, IsEmpty());
}

TEST_F(RecordWorkflowTest, CancelOrAFailingDialogLeavesNoRowNoNodeAndNoFileWrite) {
  const std::size_t rows = library.records.RecordCount();
  const std::size_t nodes = model.NodeCount();
  const std::vector<std::string> changes = fakes::FileChanges(files);
  save = false;
  user = [&] {
    Type(TextBox::Name, "renamed");
    Type(TextBox::Memo, "changed");
  };
  Focus("\\A\\x");
  workflow.aNewRecordExecute(kNewRecordAction);
  workflow.aNewChildExecute();
  workflow.aEditExecute();
  EXPECT_EQ(shown, 3);
  EXPECT_EQ(library.records.RecordCount(), rows);
  EXPECT_EQ(model.NodeCount(), nodes);
  EXPECT_EQ(Field("\\A\\x", "Memo"), "hello");
  EXPECT_EQ(fakes::FileChanges(files), changes);
  EXPECT_EQ(library.records.State(), store::TableState::Browse);
  EXPECT_FALSE(sync.Quiet());

  // A dialog that fails leaves the row as unchanged as Cancel does.
  user = [&] {
    Type(TextBox::Name, "renamed");
    throw std::runtime_error("dialog failed");
  };
  EXPECT_THROW(workflow.aEditExecute(), std::runtime_error);
  EXPECT_THROW(workflow.aNewRecordExecute(kNewRecordAction), std::runtime_error);
  EXPECT_EQ(library.records.RecordCount(), rows);
  EXPECT_EQ(Field("\\A\\x", "Subject"), "x");
  EXPECT_EQ(library.records.State(), store::TableState::Browse);
  EXPECT_FALSE(sync.Quiet());
}

TEST_F(RecordWorkflowTest, TheInactivityCollapseWaitsWhileTheDialogIsOpen) {
  Focus("\\A\\x");
  user = [&] {
    Type(TextBox::Name, "late");
    tree::CollapseTree(model, sync);  // the timer, with the user gone to another program
  };
  workflow.aNewRecordExecute(kNewRecordAction);
  EXPECT_EQ(NodePath("\\A\\late"), "\\A");
  EXPECT_EQ(model.Data(model.Focused())->FullName, "\\A\\late");
  EXPECT_TRUE(model.Expanded(FindNode(model, "\\A")));
}

TEST_F(RecordWorkflowTest, ContentThatCannotBeStoredLeavesNoRecord) {
  const std::size_t rows = library.records.RecordCount();
  const std::size_t nodes = model.NodeCount();
  Focus("\\Top");
  clipboard.HoldBusy(1000);  // another program holds the clipboard
  user = [&] {
    Type(TextBox::Name, "clip");
    dialog.ContentKindChanged(ContentKind::RawClipboard);
  };
  EXPECT_THROW(workflow.aNewRecordExecute(kNewRecordAction), std::exception);
  EXPECT_EQ(library.records.RecordCount(), rows);
  EXPECT_EQ(model.NodeCount(), nodes);
  EXPECT_FALSE(Row("\\clip"));
  EXPECT_FALSE(sync.Quiet());
}

// ---- Edit --------------------------------------------------------------------------------

TEST_F(RecordWorkflowTest, RenamingOrMovingAFolderRewritesWhatIsInsideItAndNothingElse) {
  const tree::NodeHandle z = FindNode(model, "\\A\\y\\z");
  Focus("\\A");
  user = [&] { Type(TextBox::Name, "Q"); };
  workflow.aEditExecute();
  EXPECT_EQ(library.records.AsString("FullName"), "\\Q");
  for (const char* moved : {"\\Q\\x", "\\Q\\y", "\\Q\\y\\z"}) EXPECT_TRUE(Row(moved)) << moved;
  EXPECT_EQ(Field("\\Q\\y\\z", "Category"), "\\Q\\y");
  EXPECT_FALSE(Row("\\A\\x"));
  EXPECT_EQ(Field("\\Ab\\x", "Category"), "\\Ab");  // the orphan stays where it was
  // The nodes show the new paths without moving.
  EXPECT_EQ(model.Data(z)->FullName, "\\Q\\y\\z");
  EXPECT_EQ(model.Data(model.Parent(z))->FullName, "\\Q\\y");
  EXPECT_EQ(model.Data(FindNode(model, "\\Ab\\x"))->Category, "\\Ab");
  EXPECT_THAT(ChildSubjects(model), ElementsAre("*Plugins", "*WinContext", "Abc", "B", "Q", "Top", "x"));

  // Moved into another folder, a folder takes what is inside it along.
  Focus("\\Q\\y");
  user = [&] { Type(TextBox::Parent, "\\B"); };
  workflow.aEditExecute();
  EXPECT_EQ(Field("\\B\\y\\z", "Category"), "\\B\\y");
  EXPECT_EQ(model.Data(z)->FullName, "\\B\\y\\z");
  EXPECT_EQ(NodePath("\\B\\y"), "\\B");
  EXPECT_THAT(ChildSubjects(model, FindNode(model, "\\B")), ElementsAre("a", "c", "y"));
  EXPECT_TRUE(disk.Get("C:\\Tembric\\tembric.db").has_value());
}

TEST_F(RecordWorkflowTest, AnotherParentMovesTheNodeAmongItsNewSiblingsInNameOrder) {
  Focus("\\Top");
  user = [&] {
    Type(TextBox::Name, "b");
    Type(TextBox::Parent, "\\B");
  };
  workflow.aEditExecute();
  EXPECT_EQ(NodePath("\\B\\b"), "\\B");
  EXPECT_THAT(ChildSubjects(model, FindNode(model, "\\B")), ElementsAre("a", "b", "c"));
  EXPECT_EQ(Field("\\B\\b", "Memo"), "top text");
  EXPECT_EQ(model.Data(model.Focused())->FullName, "\\B\\b");
}

TEST_F(RecordWorkflowTest, ATextRecordBecomesAFileLinkAndLosesItsHotkey) {
  Focus("\\A\\y\\z");
  const int slot = model.Data(model.Focused())->HotkeySlot;
  ASSERT_GT(slot, 0);
  user = [&] {
    form.hotkey = 0;
    dialog.HotkeyChanged(0);
    dialog.ContentSourceChanged(ContentSource::ExternalFile);
    Type(TextBox::FilePath, "C:\\notes.txt");
  };
  workflow.aEditExecute();
  ASSERT_TRUE(Row("\\A\\y\\z"));
  EXPECT_EQ(library.records.AsInteger("Type"), 4);
  EXPECT_EQ(library.records.AsString("Memo"), "");
  EXPECT_EQ(library.records.AsString("FileName"), "C:\\notes.txt");
  EXPECT_EQ(library.records.AsString("ShortCut"), "");
  EXPECT_EQ(hotkeys.calls.back(), (fakes::FakeHotkeys::Call{"Fake", "", slot, false}));
  EXPECT_EQ(model.Data(FindNode(model, "\\A\\y\\z"))->HotkeySlot, 0);
  EXPECT_EQ(view.info, "Text file link ");
}

TEST_F(RecordWorkflowTest, APluginItemsKeysGoToTheSettingsFileAndComeBackAtTheNextStart) {
  Focus("\\*Plugins\\Clock");
  user = [&] {
    Type(TextBox::Keystroke, "clk");
    form.hotkey = kCtrlAltK;
    dialog.HotkeyChanged(kCtrlAltK);
  };
  workflow.aEditExecute();
  EXPECT_EQ(settings.ReadString("Plugin\\Clock", "Keydisplay", "?"), "clk");
  EXPECT_EQ(settings.ReadString("Plugin\\Clock", "Keystring", "?"), "CLK");
  EXPECT_EQ(settings.ReadString("Plugin\\Clock", "ShortCut", "?"), "Ctrl+Alt+K");

  store::DataTable records(store::RecordsSchema());
  fakes::OpenEmptyRecords(records);
  tree::TreeModel restarted(platform::UserCollation());
  const app::SettingsFile reread(disk, kIni);
  Build(records, restarted, reread);
  const Value key[] = {Value("\\*Plugins\\Clock")};
  ASSERT_TRUE(records.FindKey(key));
  EXPECT_EQ(records.AsString("KeyDisplay"), "clk");
  EXPECT_EQ(records.AsString("KeyString"), "CLK");
  EXPECT_EQ(records.AsString("ShortCut"), "Ctrl+Alt+K");
}

TEST_F(RecordWorkflowTest, ARecordEditedFromItsContextItemUpdatesBothNodes) {
  tree::TNodeData item = *model.Data(FindNode(model, "\\A\\x"));
  item.Subject = "x (A)";
  item.IsContextItem = true;
  const tree::NodeHandle contextItem = model.AddChild(roots.contextRoot, item);
  view.showing = true;  // the user works in the context folder of the showing window
  Focus("\\A\\x", true);
  user = [&] { Type(TextBox::Name, "w"); };
  workflow.aEditExecute();
  const tree::TNodeData* own = model.Data(FindNode(model, "\\A\\w"));
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(own->Subject, "w");
  EXPECT_EQ(model.Data(contextItem)->Subject, "w (A)");
  EXPECT_EQ(model.Data(contextItem)->FullName, "\\A\\w");
  EXPECT_EQ(model.Focused(), contextItem);
}

TEST_F(RecordWorkflowTest, ASnapshotKeptInTheRowMovesToTheBlobFileWhenTheRecordIsSaved) {
  const store::Bytes snapshot = {1, 2, 3, 4, 5, 6, 7, 8};
  AddRecord(library.records, "", "Clip", RecordType::ClipboardInRow, {{"Blob", Value::Blob(snapshot)}});
  tree::TNodeData data;
  data.Subject = "Clip";
  data.FullName = "\\Clip";
  data.Type = 10;
  model.AddChild(tree::kNoNode, data);
  library.records.Edit();
  library.records.Set("Node", FindNode(model, "\\Clip"));
  library.records.Post();
  Focus("\\Clip");
  bool noteShown = false;
  user = [&] {
    noteShown = dialog.StoredContentNoteVisible();
    Type(TextBox::Name, "Clip2");
  };
  workflow.aEditExecute();
  EXPECT_TRUE(noteShown);
  ASSERT_TRUE(Row("\\Clip2"));
  EXPECT_EQ(library.records.AsInteger("Type"), 20);
  EXPECT_TRUE(library.records.IsNull("Blob"));
  EXPECT_EQ(store::ReadBlobExtent(store::BlobFile::InFolder(files, kFolder), store::CurrentExtent(library.records)),
            snapshot);
}

}  // namespace
}  // namespace tembric::editing
