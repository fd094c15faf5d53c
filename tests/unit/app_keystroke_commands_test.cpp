// Typed abbreviations on the main window's side: the hook's key messages
// reach the tracker with the real tree, records and tray; a collected
// keystroke is looked up in KeyString order and its record pasted over what
// was typed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "MainControllerFixture.h"
#include "app/KeystrokeCommands.h"
#include "app/MainTree.h"
#include "fakes/FakeHotkeys.h"
#include "fakes/FakeKeyboard.h"
#include "fakes/FakeSyncView.h"
#include "fakes/KeyScript.h"
#include "fakes/TreeRecords.h"
#include "platform/Collation.h"
#include "store/Tables.h"
#include "tree/TreeModel.h"

namespace tembric::app {
namespace {

using store::RecordType;
using store::Value;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class RecordedKeystrokeView final : public KeystrokeView {
 public:
  std::vector<std::string> shown;
  bool dialog = false;
  void ShowKeystrokeBuffer(const std::string& text) override { shown.push_back(text); }
  bool RecordDialogShowing() const override { return dialog; }
};

// What the paste was asked for, and the row it would have pasted.
struct PasteSeen {
  PasteMode mode;
  std::size_t keystrokeLength;
  std::string nodeName;  // the node's FullName; empty without a node
  std::string rowName;
  bool operator==(const PasteSeen&) const = default;
};

class KeystrokeCommandsTest : public MainControllerFixture {
 protected:
  KeystrokeCommandsTest() {
    store::DataTable records(store::RecordsSchema());
    fakes::OpenEmptyRecords(records);
    fakes::AddFolder(records, "", "Mail");
    // Two records share a keystroke: the one added first comes first in
    // KeyString order, whatever their paths.
    fakes::AddRecord(records, "\\Mail", "Sig", RecordType::Text, {{"Memo", "Anna"}, {"KeyString", "SIG"}});
    fakes::AddRecord(records, "", "Another sig", RecordType::Text, {{"KeyString", "SIG"}});
    fakes::AddRecord(records, "", "Address", RecordType::Text, {{"KeyString", "A"}});
    fakes::AddRecord(records, "", "Typeless", RecordType::Text, {{"KeyString", "NT"}, {"Type", Value::Null()}});
    fakes::AddRecord(records, "", "Cleared", RecordType::Text, {{"KeyString", ""}});
    disk.Put(kRecords, records.Serialize());
  }

  MainSeams Seams() override {
    MainSeams all = seams.All();
    all.recordTree = &mainTree;
    return all;
  }

  KeystrokeCommands& Ready() {
    Created();
    const tree::NodeHandle address = fakes::FindNode(model, "\\Address");
    model.SetFocused(address);  // as if the user had left the tree there
    mainTree.Sync().PositionOnKey("\\Address");
    return commands;
  }

  void TypeKeys(std::string_view script) {
    for (const triggers::KeyMessage& m : fakes::KeyScript(script, keyboard)) {
      clock.AdvanceMs(15);
      commands.OnKeyMessage(m.wParam, m.lParam);
    }
  }

  std::string FocusedName() const { return model.Data(model.Focused())->FullName; }

  store::DataTable& Records() { return lifecycle.Library().records; }

  fakes::FakeSyncView syncView;
  fakes::FakeHotkeys hotkeys;
  tree::TreeModel model{platform::UserCollation()};
  MainTree mainTree{model, lifecycle.Library().records, syncView, hotkeys};
  fakes::FakeKeyboard keyboard;
  RecordedKeystrokeView keystrokeView;
  std::vector<PasteSeen> pastes;
  std::function<void()> duringPaste;
  KeystrokeCommands commands{{
      .controller = Controller(),
      .view = view,
      .keystrokeView = keystrokeView,
      .keyboard = keyboard,
      .clock = clock,
      .records = lifecycle.Library().records,
      .model = model,
      .sync = mainTree.Sync(),
      .paste =
          [this](const PasteCall& call) {
            pastes.push_back({call.mode, call.keystrokeLength, call.node ? call.node->FullName : "",
                              Records().AsString("FullName")});
            if (duringPaste) duringPaste();
            return paste::PasteResult{};
          },
      .notices = notices,
  }};
};

TEST_F(KeystrokeCommandsTest, AMatchPastesTheFirstRecordInKeyStringOrderOverTheTypedText) {
  Ready();
  const std::int64_t idleSince = Controller().LastActivityTime();
  clock.AdvanceMs(700);
  commands.MessageTaken();
  EXPECT_EQ(Controller().LastActivityTime(), idleSince) << "other messages count only while collecting";
  TypeKeys("=si");
  EXPECT_EQ(view.trayImage, 1);
  EXPECT_EQ(Controller().LastActivityTime(), clock.now);
  clock.AdvanceMs(700);
  commands.MessageTaken();  // a mouse move, a paint: still typing
  EXPECT_EQ(Controller().LastActivityTime(), clock.now);
  EXPECT_THAT(pastes, IsEmpty());

  bool quietDuringPaste = false;
  duringPaste = [&] { quietDuringPaste = mainTree.Sync().Quiet(); };
  TypeKeys("g ");
  EXPECT_THAT(pastes, ElementsAre(PasteSeen{PasteMode::Keystroke, 3, "\\Mail\\Sig", "\\Mail\\Sig"}));
  EXPECT_TRUE(quietDuringPaste);
  // The tree and the pane follow the pasted record; the table is back in its order.
  EXPECT_EQ(FocusedName(), "\\Mail\\Sig");
  EXPECT_EQ(Records().AsString("FullName"), "\\Mail\\Sig");
  EXPECT_EQ(Records().IndexName(), store::kRecordsIndex);
  EXPECT_FALSE(mainTree.Sync().Quiet());
  EXPECT_EQ(view.trayImage, 0);
  EXPECT_FALSE(Controller().Keystrokes().Collecting());
  EXPECT_THAT(keystrokeView.shown, ElementsAre("", "S", "SI", "SIG", "SIG "));
  EXPECT_THAT(notices.shown, IsEmpty());
}

TEST_F(KeystrokeCommandsTest, TheKeystrokeLengthIsTheTrimmedAbbreviation) {
  Ready();
  TypeKeys("=a ");
  TypeKeys("=<Shift>SIG</Shift><Enter>");
  EXPECT_THAT(pastes, ElementsAre(PasteSeen{PasteMode::Keystroke, 1, "\\Address", "\\Address"},
                                  PasteSeen{PasteMode::Keystroke, 3, "\\Mail\\Sig", "\\Mail\\Sig"}));
  EXPECT_FALSE(commands.LookUp("\t sig\x1B ")) << "case matters: keys give capitals";
  EXPECT_TRUE(commands.LookUp("\t SIG\x1B "));
  EXPECT_EQ(pastes.back().keystrokeLength, 3u);
}

TEST_F(KeystrokeCommandsTest, NoMatchLeavesTreeTableAndTargetAlone) {
  Ready();
  const std::string before = FocusedName();
  for (const char* script : {"=xyz ", "=nt ", "=<Esc> ", "=a<Enter>", "=si<Left>g "}) {
    SCOPED_TRACE(script);
    TypeKeys(script);
    EXPECT_THAT(pastes, IsEmpty());
    EXPECT_EQ(FocusedName(), before);
    EXPECT_EQ(Records().AsString("FullName"), "\\Address");
    EXPECT_EQ(Records().IndexName(), store::kRecordsIndex);
    EXPECT_FALSE(mainTree.Sync().Quiet());
    EXPECT_EQ(view.trayImage, 0);
    EXPECT_FALSE(Controller().Keystrokes().Collecting());
  }
  // Nor while the record dialog shows: its keys are its own.
  keystrokeView.dialog = true;
  TypeKeys("=sig ");
  EXPECT_THAT(pastes, IsEmpty());
  EXPECT_EQ(view.trayImage, 0);
}

TEST_F(KeystrokeCommandsTest, AFailingPasteIsShownAndTheTreeComesBack) {
  Ready();
  duringPaste = [] { throw std::runtime_error("Cannot open clipboard"); };
  TypeKeys("=sig ");
  ASSERT_EQ(notices.shown.size(), 1u);
  EXPECT_THAT(notices.shown[0].text, ::testing::HasSubstr("Cannot open clipboard"));
  EXPECT_FALSE(mainTree.Sync().Quiet());
  EXPECT_EQ(Records().IndexName(), store::kRecordsIndex);
  EXPECT_EQ(view.trayImage, 0);
}

}  // namespace
}  // namespace tembric::app
