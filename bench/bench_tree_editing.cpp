// The tree's editing commands on a library of 100,000 records of which the
// folder "\Bulk" holds 10,000 (100 folders of 99 records each): "Delete" of
// that folder, from the command to the saved table file (target: 200 ms),
// and its drop into another folder, the rows below rewritten and the file
// saved (target: 300 ms). The files are real, in $TEMBRIC_BENCH_DIR or the
// temporary folder; each run starts from the same freshly built library.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "fakes/FakeHotkeys.h"
#include "fakes/FakeSyncView.h"
#include "fakes/TreeRecords.h"
#include "platform/Collation.h"
#include "platform/FileSystem.h"
#include "store/SyntheticLibrary.h"
#include "store/Tables.h"
#include "tree/BuildTree.h"
#include "tree/SelectionSync.h"
#include "tree/SystemFolders.h"
#include "tree/TreeEditing.h"
#include "tree/TreeModel.h"

namespace {

using namespace tembric;

constexpr std::size_t kFolders = 100;
constexpr std::size_t kPerFolder = 99;
constexpr std::size_t kBulkRows = 1 + kFolders + kFolders * kPerFolder;  // 10,101 with the folder itself
constexpr std::size_t kRecords = 100'000;

std::string BenchFolder() {
  const char* dir = std::getenv("TEMBRIC_BENCH_DIR");
  std::string pattern = ((dir != nullptr ? std::filesystem::path(dir) : std::filesystem::temp_directory_path()) /
                         "tembric-treeedit-XXXXXX")
                            .string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  return pattern;
}

// The library at start: the tree built, the table on the first top-level
// node, the table file in a folder of its own.
class Library {
 public:
  explicit Library(const std::string& folder) {
    records_.SetFileName(folder + "/" + store::kRecordsFile);
    fakes::OpenEmptyRecords(records_);
    store::AddSyntheticRecords(records_, kRecords - kBulkRows - 1, 20261210);
    fakes::AddFolder(records_, "", "Target");
    fakes::AddFolder(records_, "", "Bulk");
    for (std::size_t f = 0; f < kFolders; ++f) {
      const std::string name = "Folder " + std::to_string(f);
      fakes::AddFolder(records_, "\\Bulk", name);
      for (std::size_t r = 0; r < kPerFolder; ++r)
        fakes::AddText(records_, "\\Bulk\\" + name, "Record " + std::to_string(r), "some text");
    }
    tree::InitSystemFolders(model_, records_);
    tree::BuildTree(model_, records_, hotkeys_);
    sync_.AlignAtStart();
    view_.treeFocus = true;
  }

  void Focus(const std::string& fullName) { model_.SetFocused(fakes::FindNode(model_, fullName)); }
  tree::NodeHandle Node(const std::string& fullName) { return fakes::FindNode(model_, fullName); }
  tree::TreeEditing& Editing() { return editing_; }
  store::DataTable& Records() { return records_; }

 private:
  store::DataTable records_{store::RecordsSchema()};
  tree::TreeModel model_{platform::UserCollation()};
  fakes::FakeHotkeys hotkeys_;
  fakes::FakeSyncView view_;
  tree::SelectionSync sync_{model_, records_, view_};
  tree::TreeEditing editing_{{
      .model = model_,
      .sync = sync_,
      .records = records_,
      .files = platform::RealFileSystem(),
      .confirm = [](const std::string&) { return true; },
  }};
};

std::size_t CountAll(store::DataTable& records) {
  records.CancelRange();
  return records.RecordCount();
}

void BM_DeleteFolder10kOf100k(benchmark::State& state) {
  const std::string folder = BenchFolder();
  for (auto _ : state) {
    state.PauseTiming();
    auto library = std::make_unique<Library>(folder);
    library->Focus("\\Bulk");
    const std::size_t before = CountAll(library->Records());
    library->Focus("\\Bulk");
    state.ResumeTiming();
    library->Editing().aDeleteExecute();
    state.PauseTiming();
    if (CountAll(library->Records()) != before - kBulkRows) state.SkipWithError("the folder's rows are not all gone");
    library.reset();
    state.ResumeTiming();
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}
BENCHMARK(BM_DeleteFolder10kOf100k)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_DropFolder10kOf100k(benchmark::State& state) {
  const std::string folder = BenchFolder();
  for (auto _ : state) {
    state.PauseTiming();
    auto library = std::make_unique<Library>(folder);
    library->Focus("\\Bulk");
    const tree::NodeHandle target = library->Node("\\Target");
    state.ResumeTiming();
    library->Editing().TreeDragDrop(target);
    state.PauseTiming();
    const store::Value key[] = {store::Value("\\Target\\Bulk\\Folder 99\\Record 98")};
    library->Records().CancelRange();
    if (!library->Records().FindKey(key)) state.SkipWithError("the rows below were not rewritten");
    library.reset();
    state.ResumeTiming();
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}
BENCHMARK(BM_DropFolder10kOf100k)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
