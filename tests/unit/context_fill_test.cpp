// The context folder's fill over a small library: which contexts fit which
// target, the folder's caption, the items' data, and the tables and focus
// afterwards.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/MainTree.h"
#include "app/Trace.h"
#include "context/Identification.h"
#include "fakes/FakeDde.h"
#include "fakes/FakeHotkeys.h"
#include "fakes/FakeSyncView.h"
#include "fakes/FakeVersionInfo.h"
#include "fakes/FakeWindowSystem.h"
#include "fakes/TreeRecords.h"
#include "platform/Collation.h"
#include "store/DataTable.h"
#include "store/Tables.h"
#include "tree/BuildTree.h"
#include "tree/ContextFill.h"
#include "tree/SelectionSync.h"
#include "tree/SystemFolders.h"
#include "tree/TreeDisplay.h"
#include "tree/TreeModel.h"

namespace tembric::tree {
namespace {

using store::RecordType;
using store::Value;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

constexpr std::int32_t kGreeting = 11;  // \Letters\Greeting: context dependence on, hotkey
constexpr std::int32_t kOff = 12;       // \Letters\Off: context dependence off
constexpr std::int32_t kTop = 13;       // \Top: on, keystroke
constexpr std::int32_t kGone = 99;      // no such record
constexpr platform::WindowHandle kTargetWindow = 0x100;

class ContextFillTest : public ::testing::Test {
 protected:
  ContextFillTest() {
    fakes::OpenEmptyRecords(records);
    windows.CreateEmpty();
    relations.CreateEmpty();
    fakes::AddFolder(records, "", "Letters");
    fakes::AddRecord(records, "\\Letters", "Greeting", RecordType::Text,
                     {{"ID", kGreeting}, {"ContextEnabled", Value::Boolean(true)}, {"ShortCut", "Ctrl+Alt+G"}});
    fakes::AddRecord(records, "\\Letters", "Off", RecordType::Text, {{"ID", kOff}});
    fakes::AddRecord(records, "", "Top", RecordType::Image,
                     {{"ID", kTop}, {"ContextEnabled", Value::Boolean(true)}, {"KeyString", "tp"}});
    root = InitSystemFolders(model, records).contextRoot;
    BuildTree(model, records, hotkeys);
    sync.AlignAtStart();
    view.filterFocus = true;  // as when the main window is shown
    view.showing = true;
  }

  std::int32_t AddWindow(const std::string& fileName, int winType, const std::string& title) {
    const std::int32_t id = nextWindowId++;
    windows.Append();
    windows.Set("FileName", fileName);
    windows.Set("WinTitle", title);
    windows.Set("WinType", winType);
    windows.Set("ID", id);
    windows.Post();
    return id;
  }
  void Link(std::int32_t recordId, std::int32_t winId) {
    relations.Append();
    relations.Set("ID", recordId);
    relations.Set("WinID", winId);
    relations.Post();
  }
  void Fill(const std::string& application, const std::string& title, platform::WindowHandle window = kTargetWindow) {
    context::TWinDescriptor target;
    target.FileName = application;
    target.WinTitle = title;
    target.Wnd = window;
    FillContextTree(deps, root, target);
  }
  std::vector<std::string> Items() const { return fakes::ChildSubjects(model, root); }

  fakes::FakeWindowSystem desktop;  // no browser windows: addresses cannot be read
  fakes::FakeVersionInfo versions;
  fakes::FakeDde dde;  // Firefox not answering
  context::Identifier identifier{desktop, versions, dde, "C:\\Tembric\\Tembric.exe"};
  int addressReads = 0;

  TreeModel model{platform::UserCollation()};
  store::DataTable records{store::RecordsSchema()};
  store::DataTable windows{store::WindowsSchema()};
  store::DataTable relations{store::RelationsSchema()};
  fakes::FakeHotkeys hotkeys;
  fakes::FakeSyncView view;
  SelectionSync sync{model, records, view};
  NodeHandle root = kNoNode;
  std::int32_t nextWindowId = 1;
  std::vector<std::string> log;
  ContextFillDeps deps{
      .tree = model,
      .sync = sync,
      .records = records,
      .windows = windows,
      .relations = relations,
      .addresses = {.internetExplorer =
                        [this](platform::WindowHandle window) {
                          ++addressReads;
                          return identifier.GetIEAddress(window);
                        },
                    .firefox =
                        [this] {
                          ++addressReads;
                          return identifier.GetFirefoxAddress();
                        }},
      .log = [this](const std::string& line) { log.push_back(line); },
  };
};

struct Context {
  std::string fileName;
  int winType;
  std::string title;
  std::vector<std::int32_t> records;
};

struct MatchCase {
  const char* name;
  std::string application;
  std::string title;
  std::vector<Context> contexts;
  std::vector<std::string> items;  // in the folder's order
  int addressReads = 0;
  std::vector<std::string> log = {};
};

const std::string kLongTitle = std::string(100, 'L') + " and more than the row keeps";

TEST_F(ContextFillTest, ListsTheRecordsOfEveryFittingContext) {
  const std::vector<MatchCase> cases = {
      {"application and title fit: listed twice",
       "Notepad",
       "notes.txt - Notepad",
       {{"Notepad", 0, "(Whole application)", {kGreeting}}, {"Notepad", 1, "notes.txt - Notepad", {kGreeting}}},
       {"Greeting (Letters)", "Greeting (Letters)"}},
      {"context dependence off, deleted record: never listed",
       "Notepad",
       "x",
       {{"Notepad", 0, "(Whole application)", {kOff, kGone, kTop}}},
       {"Top"}},
      {"another application or title fits nothing",
       "Notepad",
       "notes.txt - Notepad",
       {{"Wordpad", 0, "(Whole application)", {kTop}}, {"Notepad", 1, "other.txt - Notepad", {kTop}}},
       {}},
      {"\"*\" fits Internet Explorer with an unreadable address",
       "Internet Explorer",
       "Start",
       {{"Internet Explorer", 2, "*", {kTop}}, {"Internet Explorer", 2, "http://*", {kGreeting}}},
       {"Top"},
       1},
      {"\"*\" fits Firefox with an unreadable address",
       "Firefox",
       "Start",
       {{"Internet Explorer", 2, "*", {kTop}}},
       {"Top"},
       1},
      {"web addresses only for the two browsers",
       "Internet Explorer 11",
       "Start",
       {{"Internet Explorer", 2, "*", {kTop}}, {"Internet Explorer 11", 2, "*", {kTop}}},
       {}},
      {"title masks ignore letter case, exact titles do not",
       "Notepad",
       "notes.txt - Notepad",
       {{"Notepad", 3, "*NOTES.TXT*", {kTop}},
        {"Notepad", 1, "NOTES.TXT - NOTEPAD", {kGreeting}},
        {"Notepad", 3, "*.doc", {kGreeting}}},
       {"Top"}},
      {"a title longer than the row keeps fits its cut row",
       "Notepad",
       kLongTitle,
       {{"Notepad", 1, kLongTitle, {kTop}}},
       {"Top"}},
      {"an ill-formed mask fits nothing and is told; the next one is tried",
       "Notepad",
       "[abc",
       {{"Notepad", 3, "[abc", {kGreeting}}, {"Notepad", 3, "?abc", {kTop}}},
       {"Top"},
       0,
       {"'[abc' is an invalid mask at (5)"}},
  };
  for (const MatchCase& c : cases) {
    SCOPED_TRACE(c.name);
    windows.CreateEmpty();
    relations.CreateEmpty();
    addressReads = 0;
    log.clear();
    for (const Context& context : c.contexts) {
      const std::int32_t id = AddWindow(context.fileName, context.winType, context.title);
      for (const std::int32_t record : context.records) Link(record, id);
    }
    Fill(c.application, c.title);
    EXPECT_THAT(Items(), ElementsAreArray(c.items));
    EXPECT_EQ(addressReads, c.addressReads);
    EXPECT_THAT(log, ElementsAreArray(c.log));
  }
}

TEST_F(ContextFillTest, ItemsMirrorTheirRecordsWithTheRecordsOwnKeys) {
  const std::int32_t app = AddWindow("Notepad", 0, "(Whole application)");
  Link(kTop, app);
  Link(kGreeting, app);
  const std::size_t registrations = hotkeys.calls.size();
  Fill("Notepad", "x");
  Fill("Notepad", "x");  // again: no slot is taken for an item

  ASSERT_THAT(Items(), ElementsAre("Greeting (Letters)", "Top"));
  const TNodeData& greeting = *model.Data(model.FirstChild(root));
  const TNodeData& own = *model.Data(fakes::FindNode(model, "\\Letters\\Greeting"));
  EXPECT_TRUE(greeting.IsContextItem);
  EXPECT_EQ(greeting.FullName, "\\Letters\\Greeting");
  EXPECT_EQ(greeting.Category, "\\Letters");
  EXPECT_EQ(greeting.Type, 0);
  EXPECT_GT(own.HotkeySlot, 0);
  EXPECT_EQ(greeting.HotkeySlot, own.HotkeySlot);
  EXPECT_FALSE(greeting.HasKeystroke);
  const TNodeData& top = *model.Data(model.LastChild(root));
  EXPECT_EQ(top.Type, 2);
  EXPECT_EQ(top.HotkeySlot, 0);
  EXPECT_TRUE(top.HasKeystroke);
  EXPECT_EQ(hotkeys.calls.size(), registrations);

  EXPECT_EQ(ContextItemSubject("Sig", "\\Mail\\Work"), "Sig (Work)");
  EXPECT_EQ(ContextItemSubject("Sig", "C:Mail"), "Sig (Mail)");
  EXPECT_EQ(ContextItemSubject("Sig", "\\Mail\\"), "Sig");
  EXPECT_EQ(ContextItemSubject("Sig", ""), "Sig");
}

TEST_F(ContextFillTest, CaptionIsTheApplicationCutAtASpaceFromItsFifteenthCharacter) {
  const std::pair<const char*, const char*> captions[] = {
      {"  Notepad \t", "Notepad"},
      {"Microsoft Office Word", "Microsoft Office..."},
      {"ABCDEFGHIJKLMN OP", "ABCDEFGHIJKLMN..."},  // the space is the 15th character
      {"ABCDEFGHIJKLMNO P", "ABCDEFGHIJKLMNO..."},
      {"Internet Explorer", "Internet Explorer"},  // its only space comes earlier
      {"AVeryLongApplicationName", "AVeryLongApplicationName"},
      {"Adobe Reader XI", "Adobe Reader XI"},  // not longer than 15
  };
  for (const auto& [name, caption] : captions) EXPECT_EQ(ContextCaption(name), caption) << name;

  Link(kTop, AddWindow("Microsoft Office Word", 0, "(Whole application)"));
  Fill("Microsoft Office Word", "x");
  EXPECT_EQ(TreeGetText(model, root), "Microsoft Office... (1)");
}

TEST_F(ContextFillTest, WithoutATargetTheFolderIsNamedAsItselfAndEmpty) {
  Link(kTop, AddWindow("Notepad", 0, "(Whole application)"));
  Fill("Notepad", "x");
  ASSERT_THAT(Items(), ElementsAre("Top"));
  ASSERT_TRUE(model.Data(model.Focused())->IsContextItem);

  Fill("Notepad", "x", platform::kNoWindow);
  EXPECT_THAT(Items(), IsEmpty());
  EXPECT_EQ(TreeGetText(model, root), "*WinContext (0)");
  EXPECT_EQ(model.Focused(), root);  // the focused item gave the focus to the folder
  EXPECT_EQ(records.AsString("FullName"), "\\*WinContext");
}

TEST_F(ContextFillTest, TablesKeepTheirOrderAndRowAndTheFocusedItemIsCurrent) {
  const std::int32_t app = AddWindow("Notepad", 0, "(Whole application)");
  Link(kOff, app);
  Link(kGone, app);
  Link(kOff, AddWindow("Notepad", 3, "*"));
  Link(kTop, 777);  // no such windows row
  windows.SetIndexFieldNames("ID");
  windows.First();
  relations.Last();
  const std::string record = records.AsString("FullName");

  // The look-ups reach records, none of which is listed: nothing moves.
  Fill("Notepad", "x");
  EXPECT_THAT(Items(), IsEmpty());
  EXPECT_EQ(records.IndexName(), store::kRecordsIndex);
  EXPECT_EQ(records.AsString("FullName"), record);
  EXPECT_EQ(windows.IndexFieldNames(), "ID");
  EXPECT_EQ(windows.RecNo(), 1u);
  EXPECT_EQ(relations.RecNo(), 4u);
  EXPECT_TRUE(sync.AfterScrollAttached());

  // With items, the first is focused and the table follows it.
  Link(kTop, app);
  Link(kGreeting, app);
  Fill("Notepad", "x");
  ASSERT_THAT(Items(), ElementsAre("Greeting (Letters)", "Top"));
  EXPECT_EQ(model.Focused(), model.FirstChild(root));
  EXPECT_EQ(records.IndexName(), store::kRecordsIndex);
  EXPECT_EQ(records.AsString("FullName"), "\\Letters\\Greeting");
}

// The main window's tree fills the folder for the tracked target, reads the
// address of Internet Explorer's window and tells ill-formed masks in the log.
TEST(MainTreeContextFill, FillsForTheTrackedTargetAndLogsIllFormedMasks) {
  fakes::FakeWindowSystem desktop;
  fakes::FakeVersionInfo versions;
  fakes::FakeDde dde;
  const std::string iexplore = "C:\\Program Files\\Internet Explorer\\iexplore.exe";
  versions.AddDescribed(iexplore, "Internet Explorer");
  const auto browser = desktop.AddTopLevel(desktop.AddProcess(iexplore), "IEFrame", "News");
  const auto rebar = desktop.AddChild(desktop.AddChild(browser, "WorkerW"), "ReBarWindow32");
  desktop.AddChild(rebar, "ComboBoxEx32", "http://news.example/today");
  context::Identifier identifier{desktop, versions, dde, "C:\\Tembric\\Tembric.exe"};
  context::TargetTracker tracker{identifier};

  TreeModel model{platform::UserCollation()};
  store::Library library;
  fakes::OpenEmptyRecords(library.records);
  library.windows.CreateEmpty();
  library.relations.CreateEmpty();
  fakes::AddRecord(library.records, "", "News", RecordType::Text,
                   {{"ID", 5}, {"ContextEnabled", Value::Boolean(true)}});
  for (const auto& [mask, winId] : {std::pair{"*NEWS.example/*", 1}, {"*[z-a", 2}, {"*other*", 3}}) {
    library.windows.Append();
    library.windows.Set("FileName", "Internet Explorer");
    library.windows.Set("WinTitle", mask);
    library.windows.Set("WinType", 2);
    library.windows.Set("ID", winId);
    library.windows.Post();
    library.relations.Append();
    library.relations.Set("ID", 5);
    library.relations.Set("WinID", winId);
    library.relations.Post();
  }
  fakes::FakeSyncView view;
  fakes::FakeHotkeys hotkeys;
  app::MainTree mainTree(
      model, library.records, view, hotkeys, std::nullopt,
      app::MainTreeContexts{
          .windows = library.windows, .relations = library.relations, .target = tracker, .identifier = identifier});
  mainTree.InitSysItems();
  mainTree.BuildTree();
  mainTree.AlignAtStart();
  const NodeHandle root = mainTree.SystemFolders().contextRoot;

  mainTree.FillContextTree();  // no target seen yet
  EXPECT_EQ(TreeGetText(model, root), "*WinContext (0)");

  app::ClearTrace();
  tracker.Sample(browser);
  mainTree.FillContextTree();
  EXPECT_THAT(fakes::ChildSubjects(model, root), ElementsAre("News"));
  EXPECT_EQ(TreeGetText(model, root), "Internet Explorer (1)");
  EXPECT_THAT(app::PendingTraceLines(), ElementsAre("'*[z-a' is an invalid mask at (6)"));
}

}  // namespace
}  // namespace tembric::tree
