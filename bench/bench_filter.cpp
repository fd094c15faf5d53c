// The filter box's search as the user types, in a level of 100,000 records
// (target: one change of the box's text within 1 ms). Each change positions
// the records table on the nearest row of the level and runs the whole
// after-scroll reaction: details pane and tree focus.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <string>

#include "platform/Collation.h"
#include "store/DataTable.h"
#include "store/Tables.h"
#include "tree/BuildTree.h"
#include "tree/FilterBox.h"
#include "tree/SelectionSync.h"
#include "tree/TreeModel.h"

namespace {

using namespace tembric;

constexpr int kLevelRecords = 100'000;

class NoHotkeys : public tree::HotkeyRegistrar {
 public:
  int SetHotkeySlot(std::string_view, std::string_view, int, bool) override { return 0; }
};

// The window's controls, keeping only the box's text.
class BenchView final : public tree::SyncView, public tree::FilterView, public tree::FilterActions {
 public:
  std::string text;
  std::size_t paneBytes = 0;
  tree::FilterBox* box = nullptr;  // a new text runs its search, as the edit control's change does

  void SetInfoText(const std::string& t) override { paneBytes += t.size(); }
  void SetPreview(const std::string& t) override { paneBytes += t.size(); }
  bool TreeHasInputFocus() const override { return false; }
  bool FilterHasInputFocus() const override { return true; }
  bool WindowShowing() const override { return true; }
  void SetFilterText(const std::string& t) override { text = t; }
  void RepaintTree() override {}
  std::string FilterText() const override { return text; }
  void SetFilterTextSelected(const std::string& t) override {
    text = t;
    if (box) box->TextChanged();
  }
  void FocusFilterBox() override {}
  void RedeliverKey(int) override {}
  void NewRecord() override {}
  void PasteCurrent() override {}
};

// 100,000 text records at the top level, "Record 000000" to "Record 099999",
// the tree built and aligned as at the end of the main window's creation.
struct LevelOf100k {
  store::DataTable records{store::RecordsSchema()};
  tree::TreeModel model{platform::UserCollation()};
  BenchView view;
  tree::SelectionSync sync{model, records, view};
  tree::FilterBox box{model, sync, view, view};

  LevelOf100k() {
    records.CreateEmpty();
    records.SetIndexName(store::kRecordsIndex);
    char subject[32];
    for (int i = 0; i < kLevelRecords; ++i) {
      std::snprintf(subject, sizeof subject, "Record %06d", i);
      records.Append();
      records.Set("Subject", std::string_view(subject));
      records.Set("Category", std::string_view());
      records.Set("FullName", store::MakeFullName("", subject));
      records.Set("Type", static_cast<std::int16_t>(store::RecordType::Text));
      records.Set("Memo", std::string_view("the record's text"));
      records.Post();
    }
    NoHotkeys hotkeys;
    tree::BuildTree(model, records, hotkeys);
    sync.AlignAtStart();
    view.box = &box;
  }
};

LevelOf100k& Level() {
  static LevelOf100k* level = new LevelOf100k;
  return *level;
}

void BM_FilterChange100kLevel(benchmark::State& state) {
  LevelOf100k& level = Level();
  // Prefixes spread over the level, typed one after another.
  const std::array<std::string, 6> texts = {"Record 00007", "Record 05", "Record 099",
                                            "Record 04321", "Record 1",  "Rec"};
  std::size_t i = 0;
  std::int64_t moves = 0;  // each text lands on another record than the one before
  for (auto _ : state) {
    const tree::NodeHandle before = level.model.Focused();
    level.view.text = texts[i++ % texts.size()];
    level.box.TextChanged();
    moves += level.model.Focused() != before;
  }
  benchmark::DoNotOptimize(level.view.paneBytes);
  state.counters["level"] = static_cast<double>(level.model.ChildCount(tree::kNoNode));
  state.counters["moved"] = static_cast<double>(moves) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_FilterChange100kLevel)->Unit(benchmark::kMicrosecond);

// Down in the box: the next node, its name into the box and the search it runs.
void BM_FilterDownKey100kLevel(benchmark::State& state) {
  LevelOf100k& level = Level();
  level.model.SetFocused(level.model.FirstChild(tree::kNoNode));
  for (auto _ : state) {
    int key = platform::vk::kDown;
    level.box.KeyDown(key, {});
    if (level.model.NextVisible(level.model.Focused()) == tree::kNoNode) {
      level.model.SetFocused(level.model.FirstChild(tree::kNoNode));
    }
  }
}
BENCHMARK(BM_FilterDownKey100kLevel)->Unit(benchmark::kMicrosecond);

}  // namespace
