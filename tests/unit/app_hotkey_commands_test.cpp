// The program's hotkeys over a main window with the real record tree, slot
// table and paste: what the creation registers, and what a press of each
// kind of hotkey does in each state of the program.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "MainControllerFixture.h"
#include "app/HotkeyCommands.h"
#include "app/MainTree.h"
#include "app/Paster.h"
#include "fakes/FakeClipboard.h"
#include "fakes/FakeHotkeyPlatform.h"
#include "fakes/FakeInput.h"
#include "fakes/FakeLibraries.h"
#include "fakes/FakeSyncView.h"
#include "fakes/FakeTarget.h"
#include "fakes/TreeRecords.h"
#include "platform/Collation.h"
#include "store/Tables.h"
#include "tree/TreeModel.h"

namespace tembric::app {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Bytes = std::vector<std::uint8_t>;
using Combination = fakes::FakeHotkeyPlatform::Combination;
constexpr std::uint32_t kCtrlAlt = platform::hotkey_mod::kCtrl | platform::hotkey_mod::kAlt;

// Text records only: nothing is decoded.
class NoImages final : public paste::ImageDecoder {
 public:
  Bytes DecodeToDib(paste::ImageFormat, std::span<const std::uint8_t>) override {
    throw std::runtime_error("no image expected");
  }
};

class ProgramState final : public HotkeyContext {
 public:
  bool active = false;
  bool recordDialog = false;
  bool ProgramActive() const override { return active; }
  bool RecordDialogShowing() const override { return recordDialog; }
};

class NewRecordCount final : public NewRecordSeam {
 public:
  int count = 0;
  void NewRecord() override { ++count; }
};

class HotkeyFixture : public MainControllerFixture {
 public:
  // The states a press meets.
  static void Background(HotkeyFixture&) {}
  static void MainWindowActive(HotkeyFixture& f) {
    f.Controller().ShowMainWindow();
    f.state.active = true;
  }
  static void RecordDialogShowing(HotkeyFixture& f) { f.state.recordDialog = true; }
  static void PluginWorking(HotkeyFixture& f) { f.pluginWorking.emplace(f.Controller().Hotkeys()); }
  static void RecordDeleted(HotkeyFixture& f) {
    // Deleted with the tree's reactions off, as a command would.
    f.mainTree.Sync().DisableDBControls();
    const store::Value key[] = {store::Value("\\Mail\\Sign")};
    ASSERT_TRUE(f.Records().FindKey(key));
    f.Records().Delete();
    f.mainTree.Sync().SetReturnPath("\\Welcome");
    f.mainTree.Sync().EnableDBControls();
  }
  static void AdHocOrdering(HotkeyFixture& f) { f.Records().SetIndexFieldNames("Subject"); }

 protected:
  MainSeams Seams() override {
    MainSeams all = seams.All();
    all.hotkeys = &registry;
    all.recordTree = &mainTree;
    all.newRecord = &newRecord;
    return all;
  }

  // A library of an earlier run, created as the program starts, with the
  // editor sampled as the target and a text on the user's clipboard.
  void Start() {
    store::DataTable records(store::RecordsSchema());
    fakes::OpenEmptyRecords(records);
    fakes::AddFolder(records, "", "Mail");
    fakes::AddRecord(records, "\\Mail", "Sign", store::RecordType::Text,
                     {{"Memo", "Kind regards"}, {"ShortCut", "Ctrl+Alt+Q"}});
    // Not the canonical text: "Ctrl+Alt+W" is what the slot writes.
    fakes::AddRecord(records, "", "Odd", store::RecordType::Text, {{"Memo", "odd case"}, {"ShortCut", "alt+ctrl+w"}});
    fakes::AddText(records, "", "Welcome", "Hello");
    disk.Put(kRecords, records.Serialize());

    Created();
    Controller().SamplingTimerTick();  // the editor in front
    paster.SetOwner(kOwnWindow);
    clipboard.Put(platform::clip::kText, Z("user text"));
    clipboard.onRender = [this](platform::ClipFormat f) { paster.RenderFormat(f); };
    target.onPaste = [this](const fakes::FakeTarget::Paste& p) { pasted.push_back(Text(p.text)); };
  }
  static Bytes Z(const std::string& s) {
    Bytes b(s.begin(), s.end());
    b.push_back(0);
    return b;
  }
  static std::string Text(const std::optional<Bytes>& b) {
    return b && !b->empty() ? std::string(b->begin(), b->end() - 1) : std::string();
  }
  tree::NodeHandle Node(const std::string& fullName) const { return fakes::FindNode(model, fullName); }
  int SlotOf(const std::string& fullName) const { return model.Data(Node(fullName))->HotkeySlot; }
  bool Traced(const std::string& line) const {
    return std::find(trace.lines.begin(), trace.lines.end(), line) != trace.lines.end();
  }
  store::DataTable& Records() { return Controller().Library().records; }

  fakes::FakeHotkeyPlatform system;
  SettingsFile settings{files, kIni};
  HotkeyRegistry registry{system, settings, notices};
  tree::TreeModel model{platform::UserCollation()};
  fakes::FakeSyncView syncView;
  MainTree mainTree{model, lifecycle.Library().records, syncView, registry};
  NewRecordCount newRecord;
  fakes::FakeClipboard clipboard;
  fakes::FakeInput input;
  fakes::FakeTarget target{input, clipboard, kEditor};
  fakes::FakeLibraries libraries;
  NoImages decoder;
  Paster paster{PasteDeps(clipboard, input, libraries, decoder)};
  ProgramState state;
  std::optional<plugins::HotkeyGate::Busy> pluginWorking;
  std::vector<std::string> pasted;
  HotkeyCommands commands{{
      .slots = registry.Slots(),
      .records = Controller().Library().records,
      .model = model,
      .sync = mainTree.Sync(),
      .paster = paster,
      .main = Controller(),
      .view = view,
      .context = state,
  }};
};

TEST_F(HotkeyFixture, CreationRegistersTheProgramsHotkeysAndEveryRecordsInTheTreeOrder) {
  Start();
  ASSERT_EQ(system.registered.size(), 4u);
  EXPECT_EQ(*system.Held(1), (Combination{kCtrlAlt, 'Z'}));
  EXPECT_EQ(*system.Held(2), (Combination{kCtrlAlt, 'N'}));
  EXPECT_EQ(SlotOf("\\Mail\\Sign"), 3);
  EXPECT_EQ(*system.Held(3), (Combination{kCtrlAlt, 'Q'}));
  EXPECT_EQ(SlotOf("\\Odd"), 4);
  EXPECT_EQ(*system.Held(4), (Combination{kCtrlAlt, 'W'}));
  EXPECT_EQ(SlotOf("\\Welcome"), 0);
  EXPECT_THAT(notices.shown, IsEmpty());
}

// One press: the slot of a record (by its path) or a fixed slot, in a state
// the arrangement sets up.
struct Press {
  const char* name;
  const char* record;  // null: `slot`
  int slot;
  void (*arrange)(HotkeyFixture&);
  const char* pasted;  // null: nothing pasted
  int windowShows;     // ShowInFront calls the press made
  int newRecords;
  bool handled;  // got past the gate: "DoHotKey" traced
};

class HotkeyPress : public HotkeyFixture, public ::testing::WithParamInterface<Press> {};

TEST_P(HotkeyPress, DoesWhatTheStateAllows) {
  const Press& p = GetParam();
  Start();
  p.arrange(*this);
  const int slot = p.record ? SlotOf(p.record) : p.slot;
  ASSERT_GT(slot, 0);
  const std::string rowBefore = Records().AsString("FullName");
  ASSERT_FALSE(rowBefore.empty());
  events.clear();

  commands.DoHotKey(slot);

  EXPECT_EQ(Traced("DoHotKey"), p.handled);
  EXPECT_EQ(std::count(events.begin(), events.end(), "ShowInFront"), p.windowShows);
  EXPECT_EQ(newRecord.count, p.newRecords);
  EXPECT_EQ(Records().IndexName(), store::kRecordsIndex);
  EXPECT_THAT(notices.shown, IsEmpty());
  if (p.windowShows > 0) {
    ASSERT_GE(events.size(), 3u);
    EXPECT_THAT(std::vector(events.begin(), events.begin() + 3),
                ElementsAre("StopSamplingTimer", "CenterOnScreen", "ShowInFront"));
    EXPECT_TRUE(view.showing);
  }
  if (!p.pasted) {
    EXPECT_THAT(pasted, IsEmpty());
    EXPECT_FALSE(Traced("DoHotKey: Found"));
    EXPECT_EQ(Records().AsString("FullName"), rowBefore);
    return;
  }
  EXPECT_THAT(pasted, ElementsAre(p.pasted));
  EXPECT_TRUE(Traced("DoHotKey: Found"));
  EXPECT_FALSE(view.showing);
  EXPECT_EQ(Text(clipboard.Peek(platform::clip::kText)), "user text");
  // The record stays current and focused.
  EXPECT_EQ(Records().AsString("FullName"), p.record);
  EXPECT_EQ(model.Focused(), Node(p.record));
}

using H = HotkeyFixture;
INSTANTIATE_TEST_SUITE_P(
    States, HotkeyPress,
    ::testing::Values(Press{"RecordInBackground", "\\Mail\\Sign", 0, H::Background, "Kind regards", 0, 0, true},
                      Press{"NonCanonicalShortCut", "\\Odd", 0, H::Background, "odd case", 0, 0, true},
                      Press{"RecordUnderAnotherOrdering", "\\Odd", 0, H::AdHocOrdering, "odd case", 0, 0, true},
                      Press{"RecordWhileMainWindowActive", "\\Mail\\Sign", 0, H::MainWindowActive, nullptr, 0, 0, true},
                      Press{"RecordWhileRecordDialogShows", "\\Mail\\Sign", 0, H::RecordDialogShowing, nullptr, 0, 0,
                            true},
                      Press{"RecordWhilePluginWorks", "\\Mail\\Sign", 0, H::PluginWorking, nullptr, 0, 0, false},
                      Press{"DeletedRecord", nullptr, 3, H::RecordDeleted, nullptr, 0, 0, true},
                      Press{"ShowInBackground", nullptr, 1, H::Background, nullptr, 1, 0, true},
                      Press{"ShowWhileMainWindowActive", nullptr, 1, H::MainWindowActive, nullptr, 0, 0, true},
                      Press{"ShowWhilePluginWorks", nullptr, 1, H::PluginWorking, nullptr, 0, 0, false},
                      Press{"NewInBackground", nullptr, 2, H::Background, nullptr, 0, 1, true},
                      Press{"NewWhileRecordDialogShows", nullptr, 2, H::RecordDialogShowing, nullptr, 0, 0, true}),
    [](const ::testing::TestParamInfo<Press>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tembric::app
