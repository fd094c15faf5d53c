// The record store with a library of 100,000 generated records (about 30 MB):
// opening and saving against a plain read and write of the same bytes,
// searches, switching the ordering, and the memory a loaded table takes.
//
// The files go to $TEMBRIC_BENCH_DIR, or else to the system's temporary folder.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "store/DataTable.h"
#include "store/SyntheticLibrary.h"
#include "store/Tables.h"

namespace {

using namespace tembric;
using store::DataTable;
using store::Value;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kRecords = 100'000;

// One generated library, its file image and file, shared by every benchmark.
class Library {
 public:
  static Library& Get() {
    static Library library;
    return library;
  }

  const store::Bytes& Image() const { return image_; }
  const std::string& Path() const { return path_; }
  const std::string& ScratchPath() const { return scratch_; }
  const std::vector<std::string>& SomeFullNames() const { return fullNames_; }
  // The library as the program has it: opened from its file.
  DataTable& Table() { return opened_; }

  ~Library() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

 private:
  Library() {
    table_.CreateEmpty();
    store::AddSyntheticRecords(table_, kRecords, 20261209);
    image_ = table_.Serialize();
    const char* dir = std::getenv("TEMBRIC_BENCH_DIR");
    std::string pattern = ((dir != nullptr ? std::filesystem::path(dir) : std::filesystem::temp_directory_path()) /
                           "tembric-bench-XXXXXX")
                              .string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    folder_ = pattern;
    path_ = folder_ + "/tembric.db";
    scratch_ = folder_ + "/plain.bin";
    platform::WriteFileAtomically(platform::RealFileSystem(), path_, image_);
    opened_.SetFileName(path_);
    opened_.Open(platform::RealFileSystem());
    opened_.SetFileName(folder_ + "/saved.db");

    std::mt19937 rng(7);
    std::vector<std::string> all;
    for (opened_.First(); !opened_.Eof(); opened_.Next()) all.push_back(opened_.AsString("FullName"));
    for (int i = 0; i < 4096; ++i) fullNames_.push_back(all[rng() % all.size()]);
    opened_.First();
  }

  DataTable table_{store::RecordsSchema()};
  DataTable opened_{store::RecordsSchema()};
  store::Bytes image_;
  std::string folder_, path_, scratch_;
  std::vector<std::string> fullNames_;
};

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The mean time of `runs` calls of `f`.
template <typename F>
double MeanSeconds(int runs, F&& f) {
  const auto start = Clock::now();
  for (int i = 0; i < runs; ++i) f();
  return Seconds(Clock::now() - start) / runs;
}

double PlainReadSeconds() {
  const Library& lib = Library::Get();
  return MeanSeconds(5, [&] { benchmark::DoNotOptimize(platform::RealFileSystem().ReadAll(lib.Path())); });
}

double PlainWriteSeconds() {
  const Library& lib = Library::Get();
  return MeanSeconds(
      5, [&] { platform::WriteFileAtomically(platform::RealFileSystem(), lib.ScratchPath(), lib.Image()); });
}

void SetFileCounters(benchmark::State& state) {
  const auto bytes = static_cast<std::int64_t>(Library::Get().Image().size());
  state.SetBytesProcessed(bytes * static_cast<std::int64_t>(state.iterations()));
  state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
  state.counters["rows"] = static_cast<double>(kRecords);
}

// ---- Opening and saving ----------------------------------------------------------

void BM_OpenFromFile(benchmark::State& state) {
  Library& lib = Library::Get();
  double total = 0;
  for (auto _ : state) {
    auto table = std::make_unique<DataTable>(store::RecordsSchema());
    table->SetFileName(lib.Path());
    const auto start = Clock::now();
    table->Open(platform::RealFileSystem());
    total += Seconds(Clock::now() - start);
    state.PauseTiming();
    if (table->RecordCount() != kRecords) state.SkipWithError("wrong row count");
    table.reset();
    state.ResumeTiming();
  }
  SetFileCounters(state);
  state.counters["x_plain_read"] = total / static_cast<double>(state.iterations()) / PlainReadSeconds();
}
BENCHMARK(BM_OpenFromFile)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_SaveToFile(benchmark::State& state) {
  Library& lib = Library::Get();
  double total = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    lib.Table().Save(platform::RealFileSystem());
    total += Seconds(Clock::now() - start);
  }
  SetFileCounters(state);
  state.counters["x_plain_write"] = total / static_cast<double>(state.iterations()) / PlainWriteSeconds();
}
BENCHMARK(BM_SaveToFile)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_PlainRead(benchmark::State& state) {
  const Library& lib = Library::Get();
  for (auto _ : state) benchmark::DoNotOptimize(platform::RealFileSystem().ReadAll(lib.Path()));
  SetFileCounters(state);
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->Iterations(10);

// Temporary file, flush and replace, as a save does.
void BM_PlainWrite(benchmark::State& state) {
  const Library& lib = Library::Get();
  for (auto _ : state) platform::WriteFileAtomically(platform::RealFileSystem(), lib.ScratchPath(), lib.Image());
  SetFileCounters(state);
}
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond)->Iterations(10);

// The parts of opening and saving that are not input and output.
void BM_LoadFromMemory(benchmark::State& state) {
  const Library& lib = Library::Get();
  DataTable table(store::RecordsSchema());
  for (auto _ : state) table.Load(lib.Image());
  SetFileCounters(state);
}
BENCHMARK(BM_LoadFromMemory)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_Serialize(benchmark::State& state) {
  Library& lib = Library::Get();
  for (auto _ : state) benchmark::DoNotOptimize(lib.Table().Serialize());
  SetFileCounters(state);
}
BENCHMARK(BM_Serialize)->Unit(benchmark::kMillisecond)->Iterations(10);

// ---- Memory ---------------------------------------------------------------------

// Heap bytes in use after opening the file, against the file's size.
void BM_MemoryAfterOpen(benchmark::State& state) {
  const Library& lib = Library::Get();
  double ratio = 0;
  double heapMB = 0;
  for (auto _ : state) {
    malloc_trim(0);
    const std::size_t before = mallinfo2().uordblks;
    auto table = std::make_unique<DataTable>(store::RecordsSchema());
    table->SetFileName(lib.Path());
    table->Open(platform::RealFileSystem());
    const std::size_t after = mallinfo2().uordblks;
    heapMB = static_cast<double>(after - before) / 1e6;
    ratio = static_cast<double>(after - before) / static_cast<double>(lib.Image().size());
  }
  state.counters["heap_MB"] = heapMB;
  state.counters["heap_per_file_byte"] = ratio;
  state.counters["file_MB"] = static_cast<double>(lib.Image().size()) / 1e6;
}
BENCHMARK(BM_MemoryAfterOpen)->Unit(benchmark::kMillisecond)->Iterations(1);

// ---- Searches and orderings ---------------------------------------------------------

void BM_FindKey(benchmark::State& state) {
  Library& lib = Library::Get();
  DataTable& table = lib.Table();
  table.SetIndexName(store::kRecordsIndex);
  const auto& names = lib.SomeFullNames();
  std::size_t i = 0;
  for (auto _ : state) {
    const Value key(names[i++ % names.size()]);
    if (!table.FindKey(std::span<const Value>(&key, 1))) state.SkipWithError("a FullName was not found");
  }
}
BENCHMARK(BM_FindKey);

void BM_FindNearest(benchmark::State& state) {
  Library& lib = Library::Get();
  DataTable& table = lib.Table();
  table.SetIndexName(store::kRecordsIndex);
  std::vector<Value> prefixes;
  for (const std::string& name : lib.SomeFullNames()) prefixes.emplace_back(name.substr(0, name.size() * 2 / 3));
  std::size_t i = 0;
  for (auto _ : state) table.FindNearest(std::span<const Value>(&prefixes[i++ % prefixes.size()], 1));
}
BENCHMARK(BM_FindNearest);

// A hotkey search: to the ShortCut ordering and back, keeping the current row.
void BM_SwitchToShortCutAndBack(benchmark::State& state) {
  Library& lib = Library::Get();
  DataTable& table = lib.Table();
  table.SetIndexName(store::kRecordsIndex);
  const Value key(lib.SomeFullNames().front());
  table.FindKey(std::span<const Value>(&key, 1));
  for (auto _ : state) {
    table.SetIndexFieldNames("ShortCut");
    table.SetIndexName(store::kRecordsIndex);
  }
  if (table.AsString("FullName") != lib.SomeFullNames().front()) state.SkipWithError("the current row moved");
}
BENCHMARK(BM_SwitchToShortCutAndBack)->Unit(benchmark::kMillisecond);

}  // namespace

// The start-up purge of rows that lack a name: range(0) incomplete rows among
// a quarter as many whole ones (a library damaged by an older tool, say).
void BM_PurgeIncompleteRows(benchmark::State& state) {
  const auto rows = static_cast<std::size_t>(state.range(0));
  DataTable source(store::RecordsSchema());
  source.CreateEmpty();
  for (std::size_t i = 0; i < rows + rows / 4; ++i) {
    source.Append();
    std::string name = "r";  // appended, not concatenated: GCC 12 warns wrongly (-Wrestrict) on the latter
    name += std::to_string(i);
    source.Set("Subject", Value(name));
    if (i % 5 == 0) source.Set("Category", Value(std::string()));
    source.Set("FullName", Value(std::string(1, '\\') + name));
    source.Post();
  }
  const store::Bytes image = source.Serialize();
  for (auto _ : state) {
    state.PauseTiming();
    DataTable records(store::RecordsSchema());
    records.Load(image);
    state.ResumeTiming();
    benchmark::DoNotOptimize(store::PurgeIncompleteRecords(records));
  }
}
BENCHMARK(BM_PurgeIncompleteRows)->Arg(100'000)->Arg(400'000)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
