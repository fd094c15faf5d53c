// "New" through the record workflow in a library of 100,000 generated
// records: a text record typed into the dialog, from the command to the
// saved table file, with the share of it that saving the records table
// takes. The dialog's window and the system's services are the unit tests'
// fakes; the files are real, in $TEMBRIC_BENCH_DIR or the temporary folder.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/SettingsFile.h"
#include "context/Identification.h"
#include "editing/RecordDialog.h"
#include "editing/RecordWorkflow.h"
#include "editing/WindowPicker.h"
#include "fakes/FakeClipboard.h"
#include "fakes/FakeDde.h"
#include "fakes/FakeHotkeyPlatform.h"
#include "fakes/FakeHotkeys.h"
#include "fakes/FakeInput.h"
#include "fakes/FakeKeyboard.h"
#include "fakes/FakeLibraries.h"
#include "fakes/FakeRecordDialogView.h"
#include "fakes/FakeSyncView.h"
#include "fakes/FakeVersionInfo.h"
#include "fakes/FakeWindowSystem.h"
#include "platform/Collation.h"
#include "platform/FileSystem.h"
#include "store/BlobFile.h"
#include "store/SyntheticLibrary.h"
#include "store/Tables.h"
#include "tree/BuildTree.h"
#include "tree/SelectionSync.h"
#include "tree/SystemFolders.h"
#include "tree/TreeModel.h"

namespace {

using namespace tembric;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kRecords = 100'000;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// A library folder with the three tables, the blob file and the settings,
// opened and built into a tree as at start.
class Program {
 public:
  Program() {
    const char* dir = std::getenv("TEMBRIC_BENCH_DIR");
    std::string pattern = ((dir != nullptr ? std::filesystem::path(dir) : std::filesystem::temp_directory_path()) /
                           "tembric-workflow-XXXXXX")
                              .string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    folder_ = pattern;
    platform::FileSystem& fs = platform::RealFileSystem();
    platform::WriteFileAtomically(fs, folder_ + "/Tembric.ini", ToBytes("[Basic]\r\nNewContent=Text\r\n"));
    fs.CreateNew(folder_ + "/" + store::kBlobFileName);
    store::OpenLibrary(library_, fs, folder_, "20260101-000000");
    store::AddSyntheticRecords(library_.records, kRecords, 20261210);
    library_.records.Save(fs);
    tree::InitSystemFolders(model_, library_.records);
    tree::BuildTree(model_, library_.records, hotkeys_);
    sync_.AlignAtStart();
  }
  ~Program() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  // One new text record, named `name`, beside the focused node.
  void NewTextRecord(const std::string& name) {
    user_ = [this, &name] {
      form_.texts[editing::TextBox::Name] = name;
      dialog_.TextChanged(editing::TextBox::Name, name);
      dialog_.TextChanged(editing::TextBox::Memo, "Kind regards,\r\nA. Bench");
    };
    workflow_.aNewRecordExecute(editing::kNewRecordAction);
  }
  store::DataTable& Records() { return library_.records; }
  const std::string& FileName() const { return library_.records.FileName(); }

 private:
  static store::Bytes ToBytes(std::string_view text) { return {text.begin(), text.end()}; }

  std::string folder_;
  store::Library library_;
  tree::TreeModel model_{platform::UserCollation()};
  fakes::FakeSyncView view_;
  tree::SelectionSync sync_{model_, library_.records, view_};
  fakes::FakeHotkeys hotkeys_;
  app::SettingsFile settings_{platform::RealFileSystem(), folder_ + "/Tembric.ini"};
  fakes::FakeKeyboard keyboard_;
  fakes::FakeHotkeyPlatform hotkeyPlatform_;
  fakes::FakeClipboard clipboard_;
  fakes::FakeLibraries libraries_;
  fakes::FakeInput input_;
  fakes::FakeWindowSystem windows_;
  fakes::FakeVersionInfo versions_;
  fakes::FakeDde dde_;
  context::Identifier identifier_{windows_, versions_, dde_, folder_ + "/Tembric.exe"};
  context::TargetTracker tracker_{identifier_};
  editing::WindowPicker picker_{windows_, identifier_};
  fakes::FakeRecordDialogView form_;
  editing::RecordDialog dialog_{{library_.records, keyboard_, hotkeyPlatform_, clipboard_, platform::RealFileSystem(),
                                 libraries_, input_, tracker_, settings_, picker_, form_},
                                form_};
  std::function<void()> user_;
  editing::RecordWorkflow workflow_{{
      .library = library_,
      .files = platform::RealFileSystem(),
      .folder = folder_,
      .model = model_,
      .sync = sync_,
      .hotkeys = hotkeys_,
      .settings = settings_,
      .keyboard = keyboard_,
      .clipboard = clipboard_,
      .dialog = dialog_,
      .showDialog =
          [this] {
            dialog_.Shown();
            user_();
            const bool ok = dialog_.Save();
            dialog_.Hidden();
            return ok;
          },
      .contextRoot = [] { return tree::kNoNode; },
      .random = store::ClockSeededRandom(),
  }};
};

void BM_NewTextRecord(benchmark::State& state) {
  Program program;
  double workflow = 0;
  double save = 0;
  int made = 0;
  for (auto _ : state) {
    const std::string name = "bench record " + std::to_string(++made);
    const auto start = Clock::now();
    program.NewTextRecord(name);
    workflow += Seconds(Clock::now() - start);
    // The records table's save alone, at the same size.
    state.PauseTiming();
    const auto saveStart = Clock::now();
    program.Records().Save(platform::RealFileSystem());
    save += Seconds(Clock::now() - saveStart);
    state.ResumeTiming();
  }
  if (program.Records().RecordCount() != kRecords + 2 + static_cast<std::size_t>(made))
    state.SkipWithError("a new record is missing");
  const auto n = static_cast<double>(state.iterations());
  state.counters["rows"] = static_cast<double>(program.Records().RecordCount());
  state.counters["new_ms"] = workflow / n * 1e3;
  state.counters["table_save_ms"] = save / n * 1e3;
  state.counters["save_share"] = save / workflow;
}
BENCHMARK(BM_NewTextRecord)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
