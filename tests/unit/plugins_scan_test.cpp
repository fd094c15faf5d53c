// The plugin part of the record tree as the main tree makes it at start:
// which files of the plugins folder are loaded, where their items go, what
// they take from the settings file, and how a failure is reported.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/MainTree.h"
#include "app/SettingsFile.h"
#include "fakes/FakeHotkeys.h"
#include "fakes/FakeLibraries.h"
#include "fakes/FakeNotices.h"
#include "fakes/FakeSyncView.h"
#include "fakes/FaultInjectingFileSystem.h"
#include "fakes/MemoryFileSystem.h"
#include "fakes/TreeRecords.h"
#include "platform/Collation.h"
#include "plugins/PluginCalls.h"
#include "plugins/TembricPlugin.h"
#include "store/Tables.h"

namespace tembric::plugins {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Op = fakes::FaultInjectingFileSystem::Op;

const std::string kPlugins = "C:\\T\\Plugins";

// The items each fake plugin offers, by plugin number.
std::map<int, std::vector<PluginItem>> offered;

template <int N>
void TEMBRIC_PLUGIN_CALL GetInfo(TembricPluginInfo* info, std::int32_t index) {
  const std::vector<PluginItem>& items = offered[N];
  info->Count = static_cast<std::int32_t>(items.size());
  if (index < 0 || static_cast<std::size_t>(index) >= items.size()) return;
  const PluginItem& item = items[static_cast<std::size_t>(index)];
  TembricSetCountedString(&info->Subject, item.subject.c_str());
  TembricSetCountedString(&info->Category, item.category.c_str());
  TembricSetCountedString(&info->Memo, item.memo.c_str());
  info->HasProperties = item.hasProperties ? 1 : 0;
}

class PluginScanTest : public ::testing::Test {
 public:
  PluginScanTest() {
    offered.clear();
    fakes::OpenEmptyRecords(records);
    disk.Put("C:\\T\\Tembric.ini", {});
  }

  // A plugin library at `path` (below the plugins folder) offering `items`.
  template <int N>
  void AddPlugin(const std::string& path, std::vector<PluginItem> items) {
    offered[N] = std::move(items);
    libraries.AddLibrary(kPlugins + "\\" + path);
    libraries.AddEntry(kPlugins + "\\" + path, "GetPluginInfo", &GetInfo<N>);
    disk.Put(kPlugins + "\\" + path, {});
  }
  void Folders(std::initializer_list<const char*> folders) {
    for (const char* folder : folders) disk.PutFolder(kPlugins + folder);
  }
  void Settings(const std::string& text) { disk.Put("C:\\T\\Tembric.ini", {text.begin(), text.end()}); }

  void InitSysItems() {
    const app::SettingsFile settings(files, "C:\\T\\Tembric.ini");
    app::MainTree mainTree(model, records, view, hotkeys,
                           app::MainTreePlugins{
                               .files = files,
                               .libraries = libraries,
                               .executableFolder = "C:\\T",
                               .settings = settings,
                               .notices = notices,
                               .handlePendingMessages = [this] { ++pumps; },
                           });
    mainTree.InitSysItems();
  }

  std::vector<std::string> Loaded() const {
    std::vector<std::string> loaded;
    for (const std::string& line : libraries.Log())
      if (line.starts_with("load ")) loaded.push_back(line.substr(5 + kPlugins.size() + 1));
    return loaded;
  }
  std::vector<std::string> Notices() const {
    std::vector<std::string> texts;
    for (const auto& notice : notices.shown) {
      EXPECT_EQ(notice.kind, app::NoticeKind::Plain);
      texts.push_back(notice.text);
    }
    return texts;
  }
  // FullName of every row below the plugins folder, with the node of each
  // checked against the tree.
  std::vector<std::string> PluginRows() {
    std::vector<std::string> rows;
    for (records.First(); !records.Eof(); records.Next()) {
      const std::string fullName = records.AsString("FullName");
      if (!fullName.starts_with("\\*Plugins\\")) continue;
      rows.push_back(fullName);
      const tree::TNodeData* data = model.Data(static_cast<tree::NodeHandle>(records.AsInteger("Node")));
      EXPECT_TRUE(data && data->FullName == fullName) << fullName;
    }
    return rows;
  }
  const tree::TNodeData& Node(const std::string& fullName) const {
    static const tree::TNodeData none;
    const tree::NodeHandle node = fakes::FindNode(model, fullName);
    return node ? *model.Data(node) : none;
  }

  fakes::MemoryFileSystem disk;
  fakes::FaultInjectingFileSystem files{disk};
  fakes::FakeLibraries libraries;
  fakes::FakeNotices notices;
  fakes::FakeHotkeys hotkeys;
  fakes::FakeSyncView view;
  tree::TreeModel model{platform::UserCollation()};
  store::DataTable records{store::RecordsSchema()};
  int pumps = 0;
};

TEST_F(PluginScanTest, LibrariesBelowThePluginsFolderGiveRecordsUnderTheirOwnCategory) {
  Folders({"", "\\Sub", "\\Sub\\Deep"});
  AddPlugin<0>("a.Dll", {{"Date", "", "today", true}, {"Time", "Clock\\Now", "now", false}});
  disk.Put(kPlugins + "\\x.dll.bak", {});
  libraries.AddLibrary(kPlugins + "\\x.dll.bak");  // loadable, yet no library by its name
  disk.Put(kPlugins + "\\broken.dll", {});         // cannot be loaded
  AddPlugin<1>("dll", {{"Bare", "", "", false}});
  AddPlugin<2>("Sub\\Deep\\deep.DLL", {{"Week", "Clock\\Now", "week", false}});
  disk.Put(kPlugins + "\\readme.txt", {});

  InitSysItems();

  EXPECT_THAT(Loaded(), ElementsAre("Sub\\Deep\\deep.DLL", "a.Dll", "broken.dll", "dll"));
  EXPECT_THAT(Notices(), ElementsAre("Can not load library " + kPlugins + "\\broken.dll"));
  EXPECT_EQ(fakes::Outline(model), "*Plugins[Bare,Clock[Now[Time,Week]],Date],*WinContext");
  // Each folder of the shared path once, the second inside the first.
  EXPECT_THAT(PluginRows(),
              ElementsAre("\\*Plugins\\Bare", "\\*Plugins\\Clock", "\\*Plugins\\Clock\\Now",
                          "\\*Plugins\\Clock\\Now\\Time", "\\*Plugins\\Clock\\Now\\Week", "\\*Plugins\\Date"));
  const tree::TNodeData& week = Node("\\*Plugins\\Clock\\Now\\Week");
  EXPECT_EQ(week.PluginLibrary, kPlugins + "\\Sub\\Deep\\deep.DLL");
  EXPECT_EQ(week.Category, "\\*Plugins\\Clock\\Now");
  EXPECT_EQ(week.Type, static_cast<std::int32_t>(store::RecordType::Plugin));
  const tree::TNodeData& time = Node("\\*Plugins\\Clock\\Now\\Time");
  EXPECT_EQ(time.PluginIndex, 1);
  EXPECT_FALSE(time.PluginHasProperties);
  EXPECT_TRUE(Node("\\*Plugins\\Date").PluginHasProperties);
  EXPECT_EQ(Node("\\*Plugins\\Clock").Type, static_cast<std::int32_t>(store::RecordType::Folder));
  // After each of the six entries of the plugins folder, the one of Sub and the one of Deep.
  EXPECT_EQ(pumps, 8);
  EXPECT_EQ(libraries.LoadedNow(), 0);
}

TEST_F(PluginScanTest, AFailureSkipsTheRestOfItsFolderOnlyAndAMissingFolderHoldsNothing) {
  const struct {
    const char* name;
    std::function<void(PluginScanTest&)> arrange;
    std::vector<std::string> loaded;
    std::vector<std::string> notices;
    std::string outline;
  } cases[] = {
      {"listing of a sub-folder refused",
       [](PluginScanTest& t) { t.files.FailOn(Op::ListFolder, kPlugins + "\\A"); },
       {"z.dll"},
       {"Error in getfiles with " + kPlugins + "\\A\\"},
       "*Plugins[Z],*WinContext"},
      {"hotkey registration throws inside a folder",
       [](PluginScanTest& t) { t.hotkeys.failing.insert("Ctrl+F1"); },
       {"A\\1.dll", "z.dll"},
       {"Error in getfiles with " + kPlugins + "\\A\\1.dll"},
       "*Plugins[Z],*WinContext"},
      {"plugins folder missing",
       [](PluginScanTest& t) { t.disk = fakes::MemoryFileSystem(); },
       {},
       {},
       "*Plugins,*WinContext"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PluginScanTest& t = *this;
    offered.clear();
    t.libraries = fakes::FakeLibraries();
    t.notices.shown.clear();
    t.hotkeys.failing.clear();
    t.files.Heal();
    t.disk = fakes::MemoryFileSystem();
    t.model.Clear();
    Folders({"", "\\A"});
    AddPlugin<0>("A\\1.dll", {{"One", "", "", false}});
    AddPlugin<1>("A\\2.dll", {{"Two", "", "", false}});
    AddPlugin<2>("z.dll", {{"Z", "", "", false}});
    Settings("[Plugin\\One]\nShortcut=Ctrl+F1\n");
    c.arrange(t);

    InitSysItems();

    EXPECT_EQ(Loaded(), c.loaded);
    EXPECT_EQ(Notices(), c.notices);
    EXPECT_EQ(fakes::Outline(model), c.outline);
    EXPECT_EQ(libraries.LoadedNow(), 0);
  }
}

TEST_F(PluginScanTest, KeysComeFromThePluginSectionInAnyLetterCaseAndItsShortcutTakesAHotkeySlot) {
  Folders({""});
  AddPlugin<0>("date.dll", {{"Date", "", "", false}, {"Plain", "", "", false}});
  Settings("[plugin\\DATE]\nKEYDISPLAY=dd (date)\nkeystring=dd\nSHORTCUT=Ctrl+Alt+D\n");

  InitSysItems();

  ASSERT_TRUE(records.FindKey(std::vector<store::Value>{"\\*Plugins\\Date"}));
  EXPECT_EQ(records.AsString("KeyDisplay"), "dd (date)");
  EXPECT_EQ(records.AsString("KeyString"), "dd");
  EXPECT_EQ(records.AsString("ShortCut"), "Ctrl+Alt+D");
  EXPECT_THAT(hotkeys.calls, ElementsAre(fakes::FakeHotkeys::Call{"Fake", "Ctrl+Alt+D", 0, true}));
  EXPECT_EQ(Node("\\*Plugins\\Date").HotkeySlot, 1);
  EXPECT_TRUE(Node("\\*Plugins\\Date").HasKeystroke);
  EXPECT_EQ(Node("\\*Plugins\\Plain").HotkeySlot, 0);
  EXPECT_FALSE(Node("\\*Plugins\\Plain").HasKeystroke);
  ASSERT_TRUE(records.FindKey(std::vector<store::Value>{"\\*Plugins\\Plain"}));
  EXPECT_TRUE(records.Get("KeyString").IsNull());
}

TEST_F(PluginScanTest, EveryPluginRowOfThePreviousRunIsReplacedAndOtherRowsStay) {
  Folders({""});
  AddPlugin<0>("date.dll", {{"Date", "Clock", "", false}});
  fakes::AddFolder(records, "", "Letters");
  fakes::AddText(records, "\\Letters", "Greeting");
  fakes::AddText(records, "", "*Pluginsfolder");  // begins like the plugins folder, is none of it
  fakes::AddRecord(records, "\\*Plugins", "Gone", store::RecordType::Plugin);
  fakes::AddRecord(records, "\\*Plugins\\Clock", "Date", store::RecordType::Plugin);

  for (int run = 0; run < 2; ++run) {
    model.Clear();  // a new start: the table keeps its rows, the tree is new
    InitSysItems();
    EXPECT_THAT(PluginRows(), ElementsAre("\\*Plugins\\Clock", "\\*Plugins\\Clock\\Date"));
    EXPECT_EQ(records.RecordCount(), 7u);  // three others, the two system folders, two plugin rows
  }
  EXPECT_THAT(Notices(), IsEmpty());
}

}  // namespace
}  // namespace tembric::plugins
