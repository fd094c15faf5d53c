// The record dialog's logic against a recorded window: set-up on show and
// the layouts by record type, the Save checks, content kind and source,
// Paste, Load from file, the plugin's properties, the hotkey warning line,
// the Context tab and hiding.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ImageFixtures.h"
#include "app/SettingsFile.h"
#include "context/Identification.h"
#include "editing/RecordDialog.h"
#include "editing/WindowPicker.h"
#include "fakes/FakeAppFiles.h"
#include "fakes/FakeClipboard.h"
#include "fakes/FakeDde.h"
#include "fakes/FakeHotkeyPlatform.h"
#include "fakes/FakeInput.h"
#include "fakes/FakeKeyboard.h"
#include "fakes/FakeLibraries.h"
#include "fakes/FakeRecordDialogView.h"
#include "fakes/FakeVersionInfo.h"
#include "fakes/FakeWindowSystem.h"
#include "paste/Bmp.h"
#include "plugins/TembricPlugin.h"
#include "store/DataTable.h"
#include "store/Tables.h"

namespace tembric::editing {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;
using Part = DialogPart;

constexpr const char* kIni = "C:\\Tembric\\tembric.ini";
constexpr const char* kPlugin = "C:\\Tembric\\Plugins\\dates.dll";
constexpr triggers::KeyValue kCtrlAltG = triggers::kCtrlBit | triggers::kAltBit | 'G';

struct Row {
  explicit Row(std::int64_t t) : type(t) {}
  Row& Named(std::string s, std::string c) {
    subject = std::move(s);
    category = std::move(c);
    return *this;
  }
  Row& Keys(std::string keystroke, std::string hotkey) {
    keyDisplay = std::move(keystroke);
    shortCut = std::move(hotkey);
    return *this;
  }
  std::int64_t type;
  std::string subject = "Greeting";
  std::string category = "\\Letters";
  std::string keyDisplay;
  std::string shortCut;  // "" for null
  bool contextEnabled = false;
};

class RecordDialogTest : public testing::Test {
 protected:
  RecordDialogTest() {
    records.CreateEmpty();
    disk.Put(kIni, fakes::Text("[Basic]\r\nNewContent=Text\r\n"));
  }

  // Puts a row in edit state (insert state for a new record) and shows the dialog on it.
  void ShowOn(const Row& row) {
    if (records.State() != store::TableState::Browse) records.Cancel();
    records.Append();
    records.Set("Type", row.type);
    records.Set("Subject", row.subject);
    records.Set("Category", row.category);
    records.Set("FullName", store::MakeFullName(row.category, row.subject));
    records.Set("Memo", "memo of " + row.subject);
    records.Set("KeyDisplay", row.keyDisplay);
    if (!row.shortCut.empty()) records.Set("ShortCut", row.shortCut);
    records.Set("ContextEnabled", store::Value::Boolean(row.contextEnabled));
    if (row.type != -1) {
      records.Post();
      records.Edit();
    }
    dialog.Shown();
  }
  void Settings(const std::string& basic) { disk.Put(kIni, fakes::Text("[Basic]\r\n" + basic)); }
  static paste::DecodedImage Bitmap(const char* name) { return paste::DecodeBmp(paste::Fixture(name)); }

  store::DataTable records{store::RecordsSchema()};
  fakes::FakeKeyboard keyboard;
  fakes::FakeHotkeyPlatform hotkeys;
  fakes::FakeClipboard clipboard;
  fakes::MemoryFileSystem disk;
  fakes::FakeLibraries libraries;
  fakes::FakeInput input;
  fakes::FakeWindowSystem windows;
  fakes::FakeVersionInfo versions;
  fakes::FakeDde dde;
  context::Identifier identifier{windows, versions, dde, "C:\\Tembric\\Tembric.exe"};
  context::TargetTracker tracker{identifier};
  app::SettingsFile settings{disk, kIni};
  WindowPicker picker{windows, identifier};
  fakes::FakeRecordDialogView view;
  RecordDialog dialog{{records, keyboard, hotkeys, clipboard, disk, libraries, input, tracker, settings, picker, view},
                      view};
};

// ---- Layouts by type ---------------------------------------------------------

struct LayoutCase {
  std::int64_t type;
  bool page, kindBar, folder, pluginInfo, storedNote, filePanel, memo, picture, viewer;
  ContentKind kind;
  ContentSource source;
  int height;
  FocusTarget focus;
};

TEST_F(RecordDialogTest, EachTypeShowsItsLayout) {
  using K = ContentKind;
  using S = ContentSource;
  using F = FocusTarget;
  const LayoutCase cases[] = {
      // type page bar folder info note file memo pic viewer kind source height focus
      {-1, true, true, false, false, false, false, true, false, false, K::Text, S::Database, 480, F::Name},
      {0, true, true, false, false, false, false, true, false, false, K::Text, S::Database, 480, F::Name},
      {1, false, false, true, false, false, false, true, false, false, K::Text, S::Database, 160, F::Name},
      {3, false, false, false, true, false, false, true, false, false, K::Text, S::Database, 480,
       F::Keystroke},  // the kind left as before
      {2, true, true, false, false, false, false, false, true, false, K::Image, S::Database, 480, F::Name},
      {4, true, true, false, false, false, true, true, false, false, K::Text, S::ExternalFile, 480, F::Name},
      {5, true, true, false, false, false, true, false, true, false, K::Image, S::ExternalFile, 480, F::Name},
      {10, true, true, false, false, true, false, false, false, false, K::RawClipboard, S::Database, 480, F::Name},
      {20, true, true, false, false, true, false, false, false, false, K::RawClipboard, S::Database, 480, F::Name},
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE("Type " + std::to_string(c.type));
    view.active = false;  // the focus stays where the set-up put it
    ShowOn(Row(c.type));
    EXPECT_EQ(view.Visible(Part::PageArea), c.page);
    EXPECT_EQ(view.Visible(Part::ContentKindBar), c.kindBar);
    EXPECT_EQ(view.folderChecked, c.folder);
    EXPECT_EQ(dialog.Folder(), c.folder);
    EXPECT_EQ(view.Visible(Part::KeystrokeBox), !c.folder);
    EXPECT_EQ(view.Visible(Part::HotkeyBox), !c.folder);
    EXPECT_EQ(view.Visible(Part::HotkeyWarning), !c.folder);  // with its box
    EXPECT_EQ(view.Visible(Part::PluginInfo), c.pluginInfo);
    EXPECT_EQ(view.Visible(Part::StoredContentNote), c.storedNote);
    EXPECT_EQ(dialog.StoredContentNoteVisible(), c.storedNote);
    EXPECT_EQ(view.Visible(Part::FilePanel), c.filePanel);
    EXPECT_EQ(view.Visible(Part::Memo), c.memo);
    EXPECT_EQ(view.Visible(Part::Picture), c.picture);
    EXPECT_EQ(view.Visible(Part::ClipboardViewer), c.viewer);
    EXPECT_EQ(view.kind, c.kind);
    EXPECT_EQ(dialog.Kind(), c.kind);
    EXPECT_EQ(view.source, c.source);
    EXPECT_EQ(dialog.Source(), c.source);
    EXPECT_EQ(view.Enabled(Part::SourceList), c.kind != K::RawClipboard);
    EXPECT_EQ(view.height, c.height);
    EXPECT_EQ(view.minWidth, c.folder ? 0 : kRecordMinWidth);
    EXPECT_EQ(view.minHeight, c.folder ? 0 : kRecordMinHeight);
    EXPECT_EQ(view.focus, c.focus);
    EXPECT_EQ(view.Enabled(Part::FolderBox), c.type == -1);
    EXPECT_EQ(view.caption, c.type == -1 ? "New record" : "Greeting - Properites");
  }
}

TEST_F(RecordDialogTest, SetUpOnShowPreparesTheDialogAndTheBoundBoxes) {
  view.height = 320;  // shorter than 400
  dialog.Inputs().parentItems = {"[Root]", "\\Letters"};
  view.collapseTreeEnabled = true;
  Row row(0);
  row.Keys("sig", "Ctrl+Alt+G").contextEnabled = true;
  ShowOn(row);

  EXPECT_FALSE(view.collapseTreeEnabled);
  EXPECT_EQ(view.contentTabShown, 1);
  EXPECT_FALSE(view.Visible(Part::PluginInfo));
  EXPECT_EQ(view.hotkey, kCtrlAltG);
  EXPECT_EQ(dialog.HotkeyText(), "Ctrl+Alt+G");
  EXPECT_EQ(view.clientWidth, 400 + 2 * 8);
  EXPECT_EQ(view.height, kRecordHeight);
  EXPECT_EQ(view.Text(TextBox::Name), "Greeting");
  EXPECT_EQ(view.Text(TextBox::Parent), "\\Letters");
  EXPECT_EQ(view.Text(TextBox::Keystroke), "sig");
  EXPECT_EQ(view.Text(TextBox::Memo), "memo of Greeting");
  EXPECT_EQ(view.limits[TextBox::Name], 128u);
  EXPECT_EQ(view.limits[TextBox::Parent], 256u);
  EXPECT_EQ(view.limits[TextBox::Keystroke], 32u);
  EXPECT_EQ(view.limits[TextBox::Memo], 0u);
  EXPECT_EQ(view.limits[TextBox::FilePath], 256u);
  EXPECT_THAT(view.parentItems, ElementsAre("[Root]", "\\Letters"));
  EXPECT_TRUE(view.contextChecked);
  EXPECT_TRUE(view.Enabled(Part::ContextList));
  EXPECT_TRUE(view.Enabled(Part::NewItemButton));
  EXPECT_EQ(view.clipboardExplanation, kClipboardExplanation);
  EXPECT_EQ(view.broughtToFront, 1);

  // A folder, then a record again: the short dialog grows back, the hotkey box clears.
  ShowOn(Row(1));
  EXPECT_EQ(view.height, kFolderHeight);
  ShowOn(Row(0));
  EXPECT_EQ(view.height, kRecordHeight);
  EXPECT_EQ(view.hotkey, 0);
  EXPECT_FALSE(view.Enabled(Part::ContextList));
  EXPECT_FALSE(view.Enabled(Part::DeleteButton));
}

TEST_F(RecordDialogTest, TheFolderBoxSwitchesBetweenFolderAndRecordLayouts) {
  ShowOn(Row(-1));
  dialog.FolderToggled(true);
  EXPECT_FALSE(view.Visible(Part::PageArea));
  EXPECT_FALSE(view.Visible(Part::KeystrokeLabel));
  EXPECT_EQ(view.height, kFolderHeight);
  EXPECT_EQ(view.minWidth, 0);
  EXPECT_TRUE(dialog.Folder());

  dialog.ContentKindChanged(ContentKind::Image);
  dialog.FolderToggled(false);
  EXPECT_TRUE(view.Visible(Part::PageArea));
  EXPECT_TRUE(view.Visible(Part::HotkeyLabel));
  EXPECT_EQ(view.height, kRecordHeight);
  EXPECT_EQ(view.minHeight, kRecordMinHeight);
  EXPECT_TRUE(view.Visible(Part::Picture));  // the kind change ran
}

TEST_F(RecordDialogTest, FoldersBelowThePluginFolderCannotBeRenamedOrMoved) {
  const struct {
    std::string category, subject;
    bool readOnly;
  } cases[] = {
      {"", "*Plugins", true},     {"\\*Plugins", "Dates", true}, {"\\*Plugins\\Dates", "Formats", true},
      {"", "*PluginsOld", false}, {"", "Letters", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.category + "\\" + c.subject);
    ShowOn(Row(1).Named(c.subject, c.category));
    EXPECT_EQ(view.ReadOnly(TextBox::Name), c.readOnly);
    EXPECT_EQ(view.ReadOnly(TextBox::Parent), c.readOnly);
    EXPECT_EQ(view.Text(TextBox::Parent), c.category.empty() ? "[Root]" : c.category);
    dialog.Hidden();
    EXPECT_FALSE(view.ReadOnly(TextBox::Name));
    EXPECT_FALSE(view.ReadOnly(TextBox::Parent));
  }
}

TEST_F(RecordDialogTest, APluginItemShowsItsDescriptionAndProperties) {
  for (const bool hasProperties : {true, false}) {
    dialog.Inputs().node.PluginHasProperties = hasProperties;
    ShowOn(Row(3));
    EXPECT_EQ(view.pluginDescription, "memo of Greeting");
    EXPECT_EQ(view.Enabled(Part::PropertiesButton), hasProperties);
    EXPECT_TRUE(view.ReadOnly(TextBox::Name));
    EXPECT_TRUE(view.ReadOnly(TextBox::Parent));
  }
}

// ---- New content ---------------------------------------------------------------

TEST_F(RecordDialogTest, NewContentAndAutoPasteChooseTheKindOfANewRecord) {
  const paste::DecodedImage bitmap = Bitmap("rgb24.bmp");
  const struct {
    std::string settings;
    bool text, bitmap;
    ContentKind kind;
    std::string memo;
    bool picture;
  } cases[] = {
      {"", true, false, ContentKind::Text, "clip text", false},  // defaults: Auto, AutoPaste on
      {"NewContent=Auto\r\n", false, true, ContentKind::Image, "memo of Greeting", true},
      {"NewContent=Auto\r\n", true, true, ContentKind::Text, "clip text", false},
      {"NewContent=Auto\r\n", false, false, ContentKind::Text, "", false},
      {"NewContent=Auto\r\nAutoPaste=0\r\n", false, true, ContentKind::Image, "memo of Greeting", false},
      {"NewContent=Clip\r\n", true, true, ContentKind::RawClipboard, "memo of Greeting", false},
      {"NewContent=Image\r\n", true, false, ContentKind::Image, "memo of Greeting", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.settings + (c.text ? " text" : "") + (c.bitmap ? " bitmap" : ""));
    dialog.SetPicture({});  // the workflow clears the picture of a new record
    Settings(c.settings);
    clipboard.Clear();
    if (c.text) clipboard.Put(platform::clip::kText, fakes::Text(std::string("clip text") + '\0'));
    if (c.bitmap) clipboard.PutBitmap(bitmap.dib);
    ShowOn(Row(-1));
    EXPECT_EQ(dialog.Kind(), c.kind);
    EXPECT_EQ(dialog.Source(), ContentSource::Database);
    EXPECT_EQ(view.Text(TextBox::Memo), c.memo);
    EXPECT_EQ(records.AsString("Memo"), c.memo);
    EXPECT_EQ(dialog.Picture().dib, c.picture ? bitmap.dib : std::vector<std::uint8_t>{});
    EXPECT_EQ(view.picture.width, c.picture ? bitmap.width : 0);
    EXPECT_EQ(view.Visible(Part::ClipboardViewer), c.kind == ContentKind::RawClipboard);
  }
  // Any other value leaves the kind the dialog showed last.
  Settings("NewContent=Anything\r\n");
  ShowOn(Row(2));
  ShowOn(Row(-1));
  EXPECT_EQ(dialog.Kind(), ContentKind::Image);
}

TEST_F(RecordDialogTest, ClipboardDibsReadAsTheirBitmaps) {
  for (const char* name : {"rgb24.bmp", "pal8.bmp", "pal4.bmp", "mono1.bmp", "argb32.bmp"}) {
    SCOPED_TRACE(name);
    const paste::DecodedImage image = Bitmap(name);
    EXPECT_EQ(DecodeClipboardDib(image.dib).dib, image.dib);
  }
  EXPECT_THROW(DecodeClipboardDib({40, 0, 0}), paste::ImageError);
}

// ---- Kind, source and Paste ----------------------------------------------------------

TEST_F(RecordDialogTest, KindAndSourceChangesShowTheirContentArea) {
  ShowOn(Row(0));
  dialog.ContentSourceChanged(ContentSource::ExternalFile);
  EXPECT_TRUE(view.Visible(Part::FilePanel));
  EXPECT_EQ(view.focus, FocusTarget::FilePath);
  EXPECT_FALSE(view.Enabled(Part::LoadFromFile));

  dialog.ContentKindChanged(ContentKind::Image);  // the source goes back to the database
  EXPECT_EQ(view.source, ContentSource::Database);
  EXPECT_FALSE(view.Visible(Part::FilePanel));
  EXPECT_TRUE(view.Visible(Part::Picture));
  EXPECT_FALSE(view.Visible(Part::Memo));
  EXPECT_TRUE(view.Enabled(Part::LoadFromFile));
  EXPECT_EQ(view.focus, FocusTarget::ContentArea);

  dialog.ContentKindChanged(ContentKind::RawClipboard);
  EXPECT_FALSE(view.Enabled(Part::SourceList));
  EXPECT_FALSE(view.Enabled(Part::LoadFromFile));
  EXPECT_TRUE(view.Visible(Part::ClipboardViewer));
  EXPECT_FALSE(dialog.StoredContentNoteVisible());

  dialog.ContentKindChanged(ContentKind::Text);
  EXPECT_TRUE(view.Visible(Part::Memo));
  EXPECT_EQ(view.focus, FocusTarget::Memo);
}

TEST_F(RecordDialogTest, PasteTakesTheClipboardByKindAndSource) {
  clipboard.Put(platform::clip::kText, fakes::Text(std::string("C:\\notes.txt") + '\0'));
  ShowOn(Row(4));  // a linked text file: the path box takes the text
  dialog.Paste();
  EXPECT_EQ(view.Text(TextBox::FilePath), "C:\\notes.txt");
  EXPECT_EQ(records.AsString("FileName"), "C:\\notes.txt");
  EXPECT_EQ(records.AsString("Memo"), "memo of Greeting");

  ShowOn(Row(0));
  dialog.Paste();
  EXPECT_EQ(records.AsString("Memo"), "C:\\notes.txt");

  // An image from the database keeps its picture while the clipboard holds none.
  const paste::DecodedImage bitmap = Bitmap("pal8.bmp");
  ShowOn(Row(2));
  clipboard.PutBitmap(bitmap.dib);
  dialog.Paste();
  EXPECT_EQ(dialog.Picture().dib, bitmap.dib);
  clipboard.Clear();
  dialog.Paste();
  EXPECT_EQ(dialog.Picture().dib, bitmap.dib);

  // A stored clipboard snapshot gives way to the current clipboard.
  ShowOn(Row(20));
  EXPECT_TRUE(view.Visible(Part::StoredContentNote));
  dialog.Paste();
  EXPECT_FALSE(view.Visible(Part::StoredContentNote));
  EXPECT_TRUE(view.Visible(Part::ClipboardViewer));
  EXPECT_FALSE(dialog.StoredContentNoteVisible());
  EXPECT_EQ(records.AsInteger("Type"), -1);
}

TEST_F(RecordDialogTest, ThePictureIsCentredInItsScrollBox) {
  const struct {
    int viewport, content, offset;
  } cases[] = {{300, 100, 100}, {301, 100, 101}, {300, 101, 100}, {100, 100, 0}, {100, 300, 0}};
  for (const auto& c : cases) EXPECT_EQ(CentredOffset(c.viewport, c.content), c.offset);

  disk.Put("C:\\p.bmp", paste::Fixture("rgb24.bmp"));
  view.chosenFile = "C:\\p.bmp";
  ShowOn(Row(2));
  dialog.LoadFromFile();
  const paste::DecodedImage& picture = dialog.Picture();
  ASSERT_GT(picture.width, 0);
  view.viewport = {picture.width + 7, picture.height - 1};
  dialog.Resized();
  EXPECT_EQ(view.pictureX, 4);
  EXPECT_EQ(view.pictureY, 0);
}

// ---- Load from file and browse --------------------------------------------------------

TEST_F(RecordDialogTest, LoadFromFileDecodesByExtensionAndKeepsThePictureOnFailure) {
  disk.Put("C:\\pics\\Photo.JPEG", paste::Fixture("quads.jpg"));
  disk.Put("C:\\pics\\anim.gif", fakes::Text("GIF89a"));
  disk.Put("C:\\pics\\broken.bmp", fakes::Text("BM??"));
  ShowOn(Row(2));

  view.chosenFile = "C:\\pics\\Photo.JPEG";
  dialog.LoadFromFile();
  EXPECT_THAT(view.filters, ElementsAre(kImageFilter));
  EXPECT_EQ(records.AsString("FileName"), "C:\\pics\\Photo.JPEG");
  const std::vector<std::uint8_t> jpeg = dialog.Picture().dib;
  EXPECT_EQ(dialog.Picture().bitsPerPixel, 24);
  EXPECT_EQ(view.picture.dib, jpeg);

  for (const char* other : {"C:\\pics\\anim.gif", "C:\\pics\\broken.bmp", "C:\\pics\\missing.jpg"}) {
    view.chosenFile = other;
    dialog.LoadFromFile();
    EXPECT_EQ(records.AsString("FileName"), other);
    EXPECT_EQ(dialog.Picture().dib, jpeg);
  }
  EXPECT_EQ(view.messages.size(), 2u);  // the broken and the missing file

  view.chosenFile.reset();  // cancelled: nothing changes
  dialog.LoadFromFile();
  EXPECT_EQ(records.AsString("FileName"), "C:\\pics\\missing.jpg");
}

TEST_F(RecordDialogTest, LoadFromFileReadsTextLinesAndBrowseOnlySetsThePath) {
  disk.Put("C:\\a.txt", fakes::Text("one\ntwo\r\nthree\r\n"));
  view.chosenFile = "C:\\a.txt";
  ShowOn(Row(0));
  dialog.LoadFromFile();
  EXPECT_EQ(view.Text(TextBox::Memo), "one\r\ntwo\r\nthree");
  EXPECT_EQ(records.AsString("Memo"), "one\r\ntwo\r\nthree");

  ShowOn(Row(5));
  dialog.BrowseFile();
  EXPECT_THAT(view.filters, ElementsAre(kTextFilter, kImageFilter));
  EXPECT_EQ(records.AsString("FileName"), "C:\\a.txt");
  EXPECT_EQ(dialog.Picture().width, 0);
}

// ---- Plugin properties -------------------------------------------------------------------

std::int32_t propertiesAsked = -1;
void TEMBRIC_PLUGIN_CALL AskProperties(std::int32_t index) { propertiesAsked = index; }

TEST_F(RecordDialogTest, PluginPropertiesCallTheLibraryAndAlwaysUnloadIt) {
  tree::TNodeData& node = dialog.Inputs().node;
  node.PluginLibrary = kPlugin;
  node.PluginHasProperties = true;
  node.PluginIndex = 7;
  ShowOn(Row(3));

  dialog.PluginProperties();  // not loadable
  EXPECT_THAT(view.messages, ElementsAre(std::string("Can not load library ") + kPlugin));

  libraries.AddLibrary(kPlugin);
  dialog.PluginProperties();  // no entry
  EXPECT_EQ(view.messages.back(), "Method with name SetPluginProperties was not found");
  EXPECT_EQ(libraries.LoadedNow(), 0);

  libraries.AddEntry(kPlugin, "SetPluginProperties", &AskProperties);
  dialog.PluginProperties();
  EXPECT_EQ(propertiesAsked, 7);
  EXPECT_EQ(libraries.LoadedNow(), 0);
  EXPECT_EQ(libraries.Log().back(), std::string("unload ") + kPlugin);
  EXPECT_EQ(view.messages.size(), 2u);

  dialog.Inputs().node.PluginHasProperties = false;
  const std::size_t calls = libraries.Log().size();
  dialog.PluginProperties();
  EXPECT_EQ(libraries.Log().size(), calls);
}

// ---- Save ------------------------------------------------------------------------------------

TEST_F(RecordDialogTest, SaveRunsItsChecksInOrder) {
  const std::string kName = "Record with same Name already exists, please change it";
  const std::string kKeystroke = "Record with same Keystroke already exists, please change it";
  const std::string kHotKey = "Record with same HotKey already exists, please change it";
  const struct {
    const char* what;
    std::string name, parent, keystroke;
    triggers::KeyValue hotkey;
    std::string message;
    FocusTarget focus;
  } cases[] = {
      {"empty name", "", "\\Letters", "", 0, "Field Name must be filled", FocusTarget::Name},
      {"equals sign", "Old=Greeting", "\\Letters", "sig", 0, "Please do not use '=' in Name", FocusTarget::Name},
      {"equals sign first", "=", "[Root]", "", 0, "Please do not use '=' in Name", FocusTarget::Name},
      {"root name in other case", "ADDRESS", "[Root]", "", 0, kName, FocusTarget::Name},
      {"used name", "welcome", "\\letters", "", 0, kName, FocusTarget::Name},
      {"unchanged edit", "Greeting", "\\Letters", "hi", kCtrlAltG, "", FocusTarget::Name},
      {"used keystroke", "New", "\\Letters", "SIG", 0, kKeystroke, FocusTarget::Keystroke},
      {"keystroke hides used hotkey", "New", "\\Letters", "new", 'K' | triggers::kCtrlBit, "", FocusTarget::Name},
      {"used hotkey", "New", "\\Letters", "", 'K' | triggers::kCtrlBit, kHotKey, FocusTarget::Hotkey},
      {"free hotkey", "New", "\\Letters", "", 'J' | triggers::kCtrlBit, "", FocusTarget::Name},
  };
  dialog.Inputs().usedNames = {"\\Address", "\\Letters\\Welcome"};  // the edited record's own left out
  dialog.Inputs().usedKeystrokes = {"SIG"};
  dialog.Inputs().usedHotKeys = {"ctrl+k", "Ctrl+Alt+G"};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ShowOn(Row(0).Keys("hi", "Ctrl+Alt+G"));
    view.texts[TextBox::Name] = c.name;
    view.texts[TextBox::Parent] = c.parent;
    view.texts[TextBox::Keystroke] = c.keystroke;
    view.hotkey = c.hotkey;
    view.warnings.clear();
    view.focus.reset();

    const bool saved = dialog.Save();
    EXPECT_EQ(saved, c.message.empty());
    if (c.message.empty()) {
      EXPECT_THAT(view.warnings, IsEmpty());
    } else {
      EXPECT_THAT(view.warnings, ElementsAre(c.message));
      EXPECT_EQ(view.focus, c.focus);
    }
  }
}

TEST_F(RecordDialogTest, SaveWritesTheKeystrokeButNotTheHotkey) {
  ShowOn(Row(0).Keys("", "Ctrl+Alt+G"));
  dialog.TextChanged(TextBox::Name, "Renamed");
  view.texts[TextBox::Name] = "Renamed";
  view.texts[TextBox::Keystroke] = "brb";
  view.hotkey = 'J' | triggers::kCtrlBit;
  ASSERT_TRUE(dialog.Save());
  EXPECT_EQ(records.AsString("Subject"), "Renamed");
  EXPECT_EQ(records.AsString("KeyDisplay"), "brb");
  EXPECT_EQ(records.AsString("KeyString"), "BRB");
  EXPECT_EQ(records.AsString("ShortCut"), "Ctrl+Alt+G");
  EXPECT_EQ(dialog.HotkeyText(), "Ctrl+J");
  EXPECT_EQ(records.State(), store::TableState::Edit);  // never posted
}

// ---- Keystroke and hotkey entry ------------------------------------------------------------

TEST_F(RecordDialogTest, TypedKeysAreTakenAsTheBoxesRulesSay) {
  const std::string typed = "Ab Z@9zÄ";
  std::string taken;
  for (const char c : typed) taken += dialog.KeystrokeChar(c);
  EXPECT_EQ(taken, "ab z@9zÄ");

  using triggers::kAltBit, triggers::kCtrlBit, triggers::kShiftBit;
  const struct {
    triggers::KeyValue typed, taken;
  } combos[] = {
      {0, 0},
      {'F', kCtrlBit | 'F'},
      {kShiftBit | 'F', kCtrlBit | 'F'},
      {kAltBit | 'F', kCtrlBit | 'F'},
      {kShiftBit | kAltBit | 'F', kShiftBit | kAltBit | 'F'},
      {kCtrlBit | 'F', kCtrlBit | 'F'},
  };
  for (const auto& c : combos) EXPECT_EQ(ApplyHotkeyEntryRule(c.typed), c.taken) << c.typed;
}

TEST_F(RecordDialogTest, AHotkeyHeldByAnotherProgramIsToldOnALine) {
  const std::uint32_t ctrlAlt = platform::hotkey_mod::kCtrl | platform::hotkey_mod::kAlt;
  hotkeys.heldElsewhere.insert({ctrlAlt, 'H'});
  hotkeys.heldElsewhere.insert({ctrlAlt, 'G'});  // the record's own, which we hold
  ShowOn(Row(0).Keys("", "Ctrl+Alt+G"));

  dialog.HotkeyChanged(triggers::kCtrlBit | triggers::kAltBit | 'H');
  EXPECT_EQ(view.hotkeyWarning, kHotkeyHeldWarning);
  view.hotkey = triggers::kCtrlBit | triggers::kAltBit | 'H';
  EXPECT_TRUE(dialog.Save());  // still allowed

  // Tembric's own Show combination (the default, Ctrl+Alt+Z) is named as such.
  dialog.HotkeyChanged(triggers::kCtrlBit | triggers::kAltBit | 'Z');
  EXPECT_EQ(view.hotkeyWarning, kHotkeyProgramWarning);

  dialog.HotkeyChanged(triggers::kCtrlBit | triggers::kAltBit | 'J');
  EXPECT_EQ(view.hotkeyWarning, "");
  EXPECT_TRUE(hotkeys.registered.empty());  // the test registration was given back

  dialog.HotkeyChanged(triggers::kCtrlBit | triggers::kAltBit | 'H');
  dialog.HotkeyChanged(kCtrlAltG);
  EXPECT_EQ(view.hotkeyWarning, "");

  dialog.HotkeyChanged(triggers::kCtrlBit | triggers::kAltBit | 'H');
  ShowOn(Row(0));
  EXPECT_EQ(view.hotkeyWarning, "");
}

// ---- Context tab and hiding --------------------------------------------------------------------

TEST_F(RecordDialogTest, TheContextTabAddsFromThePickerAndRemembersDeletedStoredRows) {
  context::TWinDescriptor stored;
  stored.FileName = "Stored App";
  stored.ID = 42;
  dialog.Contexts().Add(stored);
  ShowOn(Row(0));
  EXPECT_FALSE(view.Enabled(Part::NewItemButton));
  dialog.ContextEnabledToggled(true);
  EXPECT_TRUE(view.Enabled(Part::NewItemButton));
  EXPECT_TRUE(view.Enabled(Part::DeleteButton));
  EXPECT_TRUE(records.AsBoolean("ContextEnabled"));

  const int editor = windows.AddProcess("C:\\Apps\\editor.exe");
  windows.AddTopLevel(editor, "EditorFrame", "notes.txt - editor");
  picker.Show();
  ASSERT_EQ(picker.Rows().size(), 1u);
  const std::string application = picker.Rows()[0].Application();
  picker.SetChecked(0, true);
  view.pickerAnswer = false;
  dialog.NewContextItem();
  EXPECT_EQ(dialog.Contexts().Count(), 1u);
  view.pickerAnswer = true;
  dialog.NewContextItem();
  EXPECT_EQ(view.pickerShown, 2);
  ASSERT_EQ(view.contextRows.size(), 2u);
  EXPECT_EQ(view.contextRows[0], (ContextRowText{application, "Appl", "(Whole application)"}));
  EXPECT_EQ(view.contextRows[1].application, "Stored App");

  view.selectedContextRow = 0;  // added now: nothing to remove from the table
  dialog.DeleteContextItem();
  EXPECT_THAT(dialog.DeletedWinIDs(), IsEmpty());
  dialog.DeleteContextItem();
  EXPECT_THAT(dialog.DeletedWinIDs(), ElementsAre("42"));
  EXPECT_THAT(view.contextRows, IsEmpty());

  ShowOn(Row(0));
  EXPECT_THAT(dialog.DeletedWinIDs(), IsEmpty());
}

TEST_F(RecordDialogTest, HidingReturnsToTheProgramTheUserCameFrom) {
  const int editor = windows.AddProcess("C:\\Apps\\editor.exe");
  const auto target = windows.AddTopLevel(editor, "EditorFrame", "notes.txt - editor");
  for (const bool mainShowing : {true, false}) {
    SCOPED_TRACE(mainShowing ? "main window showing" : "main window hidden");
    ShowOn(Row(-1));
    EXPECT_FALSE(view.collapseTreeEnabled);
    view.mainShowing = mainShowing;
    tracker.Sample(target);
    dialog.Hidden();
    EXPECT_TRUE(view.collapseTreeEnabled);
    EXPECT_EQ(input.foreground, mainShowing ? platform::kNoWindow : target);
  }
}

}  // namespace
}  // namespace tembric::editing
