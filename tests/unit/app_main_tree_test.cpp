// The main window's creation with the real record tree: the system folders,
// the build from the records file, the alignment of focus and details pane,
// and "Collapse tree" run by the inactivity rule.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/MainController.h"
#include "app/MainTree.h"
#include "context/Identification.h"
#include "fakes/FakeAppFiles.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDde.h"
#include "fakes/FakeMainView.h"
#include "fakes/FakeNotices.h"
#include "fakes/FakeSyncView.h"
#include "fakes/FakeVersionInfo.h"
#include "fakes/MemoryFileSystem.h"
#include "fakes/TreeRecords.h"
#include "platform/Collation.h"
#include "platform/Dde.h"
#include "platform/VersionInfo.h"
#include "platform/WindowSystem.h"

namespace tembric::app {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kFolder = "C:\\Tembric";
constexpr const char* kIni = "C:\\Tembric\\Tembric.ini";
constexpr const char* kRecords = "C:\\Tembric\\tembric.db";

// One window of another program, in front.
class EditorInFront final : public platform::WindowSystem {
 public:
  platform::WindowHandle ForegroundWindow() override { return 0x100; }
  platform::WindowHandle ParentOrOwner(platform::WindowHandle) override { return platform::kNoWindow; }
  std::string WindowText(platform::WindowHandle, int) override { return "notes.txt - Notepad"; }
  platform::WindowHandle FindTopLevel(const std::string&, const std::string&) override { return platform::kNoWindow; }
  platform::WindowHandle FindChild(platform::WindowHandle, const std::string&,
                                   const std::optional<std::string>&) override {
    return platform::kNoWindow;
  }
  std::string ExecutablePathOf(platform::WindowHandle) override { return "C:\\Windows\\notepad.exe"; }
  std::string ClassName(platform::WindowHandle) override { return "Notepad"; }
};

// The records file of an earlier run.
void WriteLibrary(fakes::MemoryFileSystem& disk) {
  store::DataTable records(store::RecordsSchema());
  fakes::OpenEmptyRecords(records);
  fakes::AddFolder(records, "", "Letters");
  fakes::AddRecord(records, "\\Letters", "Greeting", store::RecordType::Text,
                   {{"Memo", "Hello"}, {"ShortCut", "Ctrl+Alt+G"}});
  fakes::AddRecord(records, "\\Letters", "Signature", store::RecordType::Text, {{"KeyString", "sig"}});
  fakes::AddRecord(records, "", "Address", store::RecordType::Text, {{"Memo", "1 Main Street"}});
  // A plugin row of the earlier run: the system folders are rebuilt at start.
  fakes::AddRecord(records, "\\*Plugins", "Old plugin item", store::RecordType::Plugin);
  disk.Put(kRecords, records.Serialize());
}

class MainTreeTest : public ::testing::Test {
 protected:
  MainTreeTest() {
    WriteLibrary(disk);
    disk.Put(kIni, {});
    mainTree = std::make_unique<MainTree>(model, lifecycle.Library().records, syncView, seams);
    controller = std::make_unique<MainController>(MainControllerDeps{
        .files = disk,
        .folder = kFolder,
        .settings = settings,
        .caption = "Tembric 1.2",
        .notices = notices,
        .view = view,
        .clock = clock,
        .windows = windows,
        .target = tracker,
        .lifecycle = lifecycle,
        .seams = {.hotkeys = &seams, .keystrokes = &seams, .recordTree = mainTree.get()},
    });
    view.Attach(controller.get());
  }

  std::vector<std::string> Subjects(tree::NodeHandle parent) const {
    std::vector<std::string> subjects;
    for (tree::NodeHandle node : model.Children(parent)) subjects.push_back(model.Data(node)->Subject);
    return subjects;
  }
  tree::NodeHandle Child(tree::NodeHandle parent, const std::string& subject) const {
    for (tree::NodeHandle node : model.Children(parent))
      if (model.Data(node)->Subject == subject) return node;
    return tree::kNoNode;
  }

  fakes::MemoryFileSystem disk;
  SettingsFile settings{disk, kIni};
  fakes::FakeNotices notices;
  std::vector<std::string> events;
  fakes::FakeMainView view{events};
  fakes::FakeMainSeams seams{events};
  fakes::FakeClock clock;
  fakes::FakeSyncView syncView;
  fakes::FakeVersionInfo versions;  // no resources
  fakes::FakeDde dde;               // no servers
  EditorInFront windows;
  context::Identifier identifier{windows, versions, dde, "C:\\Tembric\\Tembric.exe"};
  context::TargetTracker tracker{identifier};
  tree::TreeModel model{platform::UserCollation()};
  MainLifecycle lifecycle{disk, kFolder, notices};
  std::unique_ptr<MainTree> mainTree;
  std::unique_ptr<MainController> controller;
};

TEST_F(MainTreeTest, CreationBuildsTheTreeBelowTheSystemFoldersAndAlignsThePane) {
  controller->FormCreate("20260102-030405");

  EXPECT_THAT(notices.shown, IsEmpty());
  EXPECT_THAT(Subjects(tree::kNoNode), ElementsAre("*Plugins", "*WinContext", "Address", "Letters"));
  const tree::NodeHandle plugins = Child(tree::kNoNode, "*Plugins");
  EXPECT_THAT(Subjects(plugins), IsEmpty());  // the earlier run's plugin row is gone
  const tree::NodeHandle letters = Child(tree::kNoNode, "Letters");
  EXPECT_THAT(Subjects(letters), ElementsAre("Greeting", "Signature"));
  EXPECT_EQ(model.Data(Child(letters, "Signature"))->HasKeystroke, true);
  EXPECT_THAT(events, Contains("HotkeySlot Fake Ctrl+Alt+G"));

  // Focus, current row and details pane agree on the first node.
  EXPECT_EQ(model.Focused(), plugins);
  EXPECT_EQ(controller->Library().records.AsString("FullName"), "\\*Plugins");
  EXPECT_EQ(syncView.info, "Folder ");
}

TEST_F(MainTreeTest, InactivityCollapsesTheTreeToTheTopLevelAncestor) {
  disk.Put(kIni, fakes::Text("[Basic]\r\nInactiveMinutes=1\r\n"));
  controller->FormCreate("20260102-030405");
  const tree::NodeHandle letters = Child(tree::kNoNode, "Letters");
  model.Expand(letters);
  model.SetFocused(Child(letters, "Greeting"));
  ASSERT_TRUE(model.Expanded(letters));

  controller->AppDeactivate();
  clock.AdvanceMs(60'900);
  controller->SamplingTimerTick();
  EXPECT_TRUE(model.Expanded(letters));

  clock.AdvanceMs(200);
  controller->SamplingTimerTick();
  EXPECT_FALSE(model.Expanded(letters));
  EXPECT_EQ(model.Focused(), letters);
  EXPECT_EQ(controller->Library().records.AsString("FullName"), "\\Letters");
}

}  // namespace
}  // namespace tembric::app
