// JPEG files that claim 8192 by 8192 pixels: the time until DecodeJpeg gives
// its answer. The 990-scan file and the cut-short one must be refused before
// libjpeg decodes anything; the 32-scan one is the most a file of that size
// may hold, and decodes in full.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "JpegBombs.h"
#include "paste/Image.h"
#include "paste/Jpeg.h"

namespace {

void BM_JpegBomb(benchmark::State& state, const std::vector<std::uint8_t>& file) {
  for (auto _ : state) {
    try {
      benchmark::DoNotOptimize(tembric::paste::DecodeJpeg(file).dib.data());
    } catch (const tembric::paste::ImageError&) {
    }
  }
}

BENCHMARK_CAPTURE(BM_JpegBomb, progressive_990_scans, tembric::bench::ProgressiveJpegBomb(8192, 8192, 990))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_JpegBomb, baseline_cut_short, tembric::bench::TruncatedJpegBomb(8192, 8192, 600))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_JpegBomb, progressive_32_scans, tembric::bench::ProgressiveJpegBomb(8192, 8192, 32))
    ->Unit(benchmark::kMillisecond);

}  // namespace
