// The context folder's fill each time the main window is shown, over a
// library of 100,000 generated records, 10,000 windows rows and 100,000
// relations (target: within 20 ms): an application with a whole-application
// context, exact titles and title masks, Internet Explorer with every
// web-address mask tried, and an application that lists a thousand records.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "context/WinDescriptor.h"
#include "platform/Collation.h"
#include "store/DataTable.h"
#include "store/SyntheticLibrary.h"
#include "store/Tables.h"
#include "tree/BuildTree.h"
#include "tree/ContextFill.h"
#include "tree/SelectionSync.h"
#include "tree/SystemFolders.h"
#include "tree/TreeModel.h"

namespace {

using namespace tembric;

constexpr std::size_t kRecords = 100'000;
constexpr int kApplications = 98;
constexpr int kRowsPerApplication = 100;  // 1 whole application, 69 titles, 30 title masks
constexpr int kWebRows = 200;             // 98 * 100 + 200 = 10,000 windows rows
constexpr int kLinksPerWindow = 10;       // of an application's row
constexpr int kLinksPerWebRow = 5;
// The whole-application row of "Application 0" is tied to this many records
// with context dependence on: 97,990 + 1,010 + 1,000 = 100,000 relations.
constexpr int kBusyLinks = 1'010;

class Hotkeys : public tree::HotkeyRegistrar {
 public:
  int SetHotkeySlot(std::string_view, std::string_view, int, bool) override { return ++slot_; }

 private:
  int slot_ = 0;
};

class View : public tree::SyncView {
 public:
  void SetInfoText(const std::string&) override {}
  void SetPreview(const std::string&) override {}
  bool TreeHasInputFocus() const override { return false; }
  bool FilterHasInputFocus() const override { return true; }
  bool WindowShowing() const override { return true; }
  void SetFilterText(const std::string&) override {}
  void RepaintTree() override {}
};

std::string Application(int a) { return "Application " + std::to_string(a); }
std::string Title(int t) { return "Document " + std::to_string(t) + ".txt - Editor"; }
// "*<m>*.txt - Editor"
std::string TitleMask(int m) { return std::string(1, '*').append(std::to_string(m)).append("*.txt - Editor"); }

struct World {
  store::Library library;
  tree::TreeModel model{platform::UserCollation()};
  Hotkeys hotkeys;
  View view;
  tree::SelectionSync sync{model, library.records, view};
  tree::NodeHandle root = tree::kNoNode;

  World() {
    library.records.CreateEmpty();
    library.windows.CreateEmpty();
    library.relations.CreateEmpty();
    store::AddSyntheticRecords(library.records, kRecords, 20261210);
    root = tree::InitSystemFolders(model, library.records).contextRoot;
    tree::BuildTree(model, library.records, hotkeys);
    sync.AlignAtStart();

    std::vector<std::int32_t> ids;
    std::vector<std::int32_t> enabled;
    for (library.records.First(); !library.records.Eof(); library.records.Next()) {
      if (library.records.IsNull("ID")) continue;
      ids.push_back(static_cast<std::int32_t>(library.records.AsInteger("ID")));
      if (library.records.AsBoolean("ContextEnabled")) enabled.push_back(ids.back());
    }
    std::mt19937 rng(7);
    std::int32_t winId = 0;
    auto addWindow = [&](const std::string& fileName, int winType, const std::string& title,
                         int links = kLinksPerWindow, const std::vector<std::int32_t>* pool = nullptr) {
      if (pool == nullptr) pool = &ids;
      store::DataTable& windows = library.windows;
      windows.Append();
      windows.Set("FileName", fileName);
      windows.Set("WinTitle", title);
      windows.Set("WinType", winType);
      windows.Set("ID", ++winId);
      windows.Post();
      for (int link = 0; link < links; ++link) {
        library.relations.Append();
        library.relations.Set("ID", (*pool)[rng() % pool->size()]);
        library.relations.Set("WinID", winId);
        library.relations.Post();
      }
    };
    for (int a = 0; a < kApplications; ++a) {
      if (a == 0) {
        addWindow(Application(a), 0, "(Whole application)", kBusyLinks, &enabled);
      } else {
        addWindow(Application(a), 0, "(Whole application)");
      }
      for (int t = 0; t < 69; ++t) addWindow(Application(a), 1, Title(t));
      for (int m = 0; m < 30; ++m) addWindow(Application(a), 3, TitleMask(m));
    }
    for (int w = 0; w < kWebRows; ++w)
      addWindow("Internet Explorer", 2, "http://site" + std::to_string(w) + ".*", kLinksPerWebRow);
    library.windows.First();
    library.relations.First();
  }
};

World& TheWorld() {
  static World* world = new World;
  return *world;
}

void Run(benchmark::State& state, const context::TWinDescriptor& target) {
  World& world = TheWorld();
  const tree::ContextFillDeps deps{
      .tree = world.model,
      .sync = world.sync,
      .records = world.library.records,
      .windows = world.library.windows,
      .relations = world.library.relations,
      .addresses = {.internetExplorer = [](platform::WindowHandle) { return std::string("http://site7.example/"); },
                    .firefox = [] { return std::string(); }},
      .log = [](const std::string&) {},
  };
  for (auto _ : state) tree::FillContextTree(deps, world.root, target);
  state.counters["items"] = static_cast<double>(world.model.ChildCount(world.root));
  state.counters["windows"] = static_cast<double>(world.library.windows.RecordCount());
  state.counters["relations"] = static_cast<double>(world.library.relations.RecordCount());
}

void BM_FillContextTreeApplication(benchmark::State& state) {
  context::TWinDescriptor target;
  target.FileName = Application(42);
  target.WinTitle = Title(17);  // fits one exact title and the masks *1*, *7* and *17*
  target.Wnd = 0x100;
  Run(state, target);
}
BENCHMARK(BM_FillContextTreeApplication)->Unit(benchmark::kMillisecond);

void BM_FillContextTreeBrowser(benchmark::State& state) {
  context::TWinDescriptor target;
  target.FileName = "Internet Explorer";
  target.WinTitle = "Example - Internet Explorer";
  target.Wnd = 0x200;
  Run(state, target);
}
BENCHMARK(BM_FillContextTreeBrowser)->Unit(benchmark::kMillisecond);

// An application whose whole-application context lists a thousand records.
void BM_FillContextTreeThousandItems(benchmark::State& state) {
  context::TWinDescriptor target;
  target.FileName = Application(0);
  target.WinTitle = "Untitled - Editor";
  target.Wnd = 0x300;
  Run(state, target);
}
BENCHMARK(BM_FillContextTreeThousandItems)->Unit(benchmark::kMillisecond);

}  // namespace
