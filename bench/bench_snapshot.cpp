// Capture and restore of a 50 MB clipboard (a 40 MB picture, 10 MB of HTML
// and a few small formats) against the in-memory clipboard.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "../tests/fakes/FakeClipboard.h"
#include "store/ClipboardSnapshot.h"

namespace {

using tembric::fakes::FakeClipboard;
namespace clip = tembric::platform::clip;

constexpr std::size_t kPicture = 40u << 20;
constexpr std::size_t kHtml = 10u << 20;

void Fill(FakeClipboard& clipboard) {
  std::vector<std::uint8_t> picture(kPicture), html(kHtml);
  for (std::size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<std::uint8_t>(i * 31);
  for (std::size_t i = 0; i < html.size(); ++i) html[i] = static_cast<std::uint8_t>('a' + i % 26);
  clipboard.Put(clip::kDib, std::move(picture));
  clipboard.Put(clipboard.RegisterFormat("HTML Format"), std::move(html));
  clipboard.Put(clip::kLocale, {9, 4, 0, 0});
  clipboard.Put(0x0400, std::vector<std::uint8_t>(4096, 1));
}

void BM_SnapshotCapture(benchmark::State& state) {
  FakeClipboard clipboard;
  Fill(clipboard);
  std::vector<std::uint8_t> out;
  for (auto _ : state) {
    out.clear();
    tembric::store::VectorSink sink(out);
    clipboard.Open(1);
    tembric::store::CaptureClipboard(clipboard, sink);
    clipboard.Close();
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * out.size()));
}
BENCHMARK(BM_SnapshotCapture)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SnapshotRestore(benchmark::State& state) {
  std::vector<std::uint8_t> snapshot;
  {
    FakeClipboard source;
    Fill(source);
    tembric::store::VectorSink sink(snapshot);
    source.Open(1);
    tembric::store::CaptureClipboard(source, sink);
    source.Close();
  }
  FakeClipboard target(0xC123);
  for (auto _ : state) {
    tembric::store::RestoreClipboard(target, snapshot, 1);
    benchmark::DoNotOptimize(target.StoredFormats().size());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * snapshot.size()));
}
BENCHMARK(BM_SnapshotRestore)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
