// The record tree at start with a library of 100,000 generated records:
// the system folders and the build of every node (target: the build within
// 150 ms), and a flat folder of many records added in random order, which
// must grow in n log n, not n squared (a million within a second).
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/Collation.h"
#include "store/DataTable.h"
#include "store/SyntheticLibrary.h"
#include "store/Tables.h"
#include "tree/BuildTree.h"
#include "tree/SystemFolders.h"
#include "tree/TreeModel.h"

namespace {

using namespace tembric;

tree::TNodeData Named(const std::string& subject) {
  tree::TNodeData data;
  data.Subject = subject;
  return data;
}

constexpr std::size_t kTreeRecords = 100'000;

// Hands out slots as the slot table would, without the system.
class CountingHotkeys : public tree::HotkeyRegistrar {
 public:
  int SetHotkeySlot(std::string_view, std::string_view, int, bool) override { return ++slot_; }

 private:
  int slot_ = 0;
};

// The generated library with its system folders, as BuildTree finds it at start.
store::DataTable& Library() {
  static store::DataTable* records = [] {
    auto* table = new store::DataTable(store::RecordsSchema());
    table->CreateEmpty();
    store::AddSyntheticRecords(*table, kTreeRecords, 20261209);
    tree::TreeModel scratch(platform::UserCollation());
    tree::InitSystemFolders(scratch, *table);
    return table;
  }();
  return *records;
}

void BM_BuildTree100k(benchmark::State& state) {
  store::DataTable& records = Library();
  for (auto _ : state) {
    state.PauseTiming();
    auto model = std::make_unique<tree::TreeModel>(platform::UserCollation());
    CountingHotkeys hotkeys;
    state.ResumeTiming();
    tree::BuildTree(*model, records, hotkeys);
    state.PauseTiming();
    state.counters["nodes"] = static_cast<double>(model->NodeCount());
    model.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_BuildTree100k)->Unit(benchmark::kMillisecond)->Iterations(10);

// The table's share of the build, for comparison: the walk reading the
// fields the build reads, and the walk writing every row's Node field.
void BM_TableWalkRead100k(benchmark::State& state) {
  store::DataTable& records = Library();
  std::size_t bytes = 0;
  for (auto _ : state) {
    for (records.First(); !records.Eof(); records.Next()) {
      for (const char* field : {"FullName", "Category", "Subject", "ShortCut", "KeyString"}) {
        const store::Value v = records.Get(field);
        bytes += v.IsText() ? v.Text().size() : 0;
      }
      bytes += static_cast<std::size_t>(records.AsInteger("Type"));
    }
  }
  benchmark::DoNotOptimize(bytes);
}
BENCHMARK(BM_TableWalkRead100k)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_TableWalkWriteNode100k(benchmark::State& state) {
  store::DataTable& records = Library();
  std::int32_t n = 0;
  for (auto _ : state) {
    for (records.First(); !records.Eof(); records.Next()) {
      records.Edit();
      records.Set("Node", ++n);
      records.Post();
    }
  }
}
BENCHMARK(BM_TableWalkWriteNode100k)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_SystemFolders100k(benchmark::State& state) {
  store::DataTable& records = Library();
  for (auto _ : state) {
    state.PauseTiming();
    auto model = std::make_unique<tree::TreeModel>(platform::UserCollation());
    state.ResumeTiming();
    tree::InitSystemFolders(*model, records);
    state.PauseTiming();
    model.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_SystemFolders100k)->Unit(benchmark::kMillisecond)->Iterations(10);

// n records added to one folder in random order.
void BM_FlatFolder(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  std::vector<std::string> subjects;
  std::mt19937 rng(3);
  for (std::size_t i = 0; i < n; ++i) subjects.push_back("Record " + std::to_string(rng() % (n / 2 + 1)));
  for (auto _ : state) {
    state.PauseTiming();
    auto model = std::make_unique<tree::TreeModel>(platform::UserCollation());
    const tree::NodeHandle folder = model->AddChild(tree::kNoNode, Named("Folder"));
    state.ResumeTiming();
    for (const std::string& s : subjects) model->AddChild(folder, Named(s));
    state.PauseTiming();
    model.reset();
    state.ResumeTiming();
  }
  state.SetComplexityN(static_cast<std::int64_t>(n));
}
BENCHMARK(BM_FlatFolder)
    ->Unit(benchmark::kMillisecond)
    ->RangeMultiplier(4)
    ->Range(2'500, 160'000)
    ->Arg(1'000'000)
    ->Complexity();

}  // namespace
