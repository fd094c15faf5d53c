// One settings read (Basic/RestoreText, read at every paste) from a 100 KB
// settings file on disk: the file unchanged since the last read, and the
// file rewritten by another program before each read.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/SettingsFile.h"
#include "platform/FileSystem.h"

namespace {

using tembric::app::SettingsFile;
using tembric::platform::RealFileSystem;

// 100 KB of plugin sections, with [Basic] at the end.
std::vector<std::uint8_t> HundredKilobytes(int restoreText) {
  std::string text;
  for (int i = 0; text.size() < 100 * 1024; ++i) {
    text += "[Plugin\\Sample" + std::to_string(i) + "]\r\nShortCut=Ctrl+Alt+" + std::to_string(i % 10) +
            "\r\nTemplate=Dear customer, thank you for your message of today.\r\n\r\n";
  }
  text += "[Basic]\r\nRestoreText=" + std::to_string(restoreText) + "\r\n";
  return {text.begin(), text.end()};
}

class SettingsOnDisk {
 public:
  SettingsOnDisk()
      : path_((std::filesystem::temp_directory_path() / ("tembric-bench-" + std::to_string(::getpid()) + ".ini"))
                  .string()) {
    Rewrite(1);
  }
  ~SettingsOnDisk() { std::filesystem::remove(path_); }
  void Rewrite(int restoreText) {
    tembric::platform::WriteFileAtomically(RealFileSystem(), path_, HundredKilobytes(restoreText));
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

void BM_SettingsReadUnchanged(benchmark::State& state) {
  SettingsOnDisk disk;
  const SettingsFile settings(RealFileSystem(), disk.Path());
  for (auto _ : state) benchmark::DoNotOptimize(settings.ReadBool("Basic", "RestoreText", false));
}
BENCHMARK(BM_SettingsReadUnchanged)->Unit(benchmark::kMicrosecond);

void BM_SettingsReadAfterRewrite(benchmark::State& state) {
  SettingsOnDisk disk;
  const SettingsFile settings(RealFileSystem(), disk.Path());
  int value = 1;
  for (auto _ : state) {
    state.PauseTiming();
    // A new length each time: two writes within one tick of the file
    // system's clock keep the time stamp.
    value = value == 1 ? 22 : 1;
    disk.Rewrite(value);
    state.ResumeTiming();
    if (settings.ReadInteger("Basic", "RestoreText", 0) != value) state.SkipWithError("stale value");
  }
}
BENCHMARK(BM_SettingsReadAfterRewrite)->Unit(benchmark::kMicrosecond);

}  // namespace
