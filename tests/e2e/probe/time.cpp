// Deadlines, wall-clock time and millisecond sleeps.
#include "probe.h"  // windows.h, which mmsystem.h needs first
// after windows.h
#include <mmsystem.h>

#include <cstdlib>

namespace probe {
namespace {

std::int64_t Counter() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

std::int64_t Frequency() {
  static const std::int64_t frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f.QuadPart;
  }();
  return frequency;
}

}  // namespace

Deadline::Deadline(double seconds)
    : end_(Counter() + static_cast<std::int64_t>(seconds * static_cast<double>(Frequency()))) {}

bool Deadline::Passed() const { return Counter() >= end_; }

DWORD Deadline::RemainingMs() const {
  const std::int64_t left = end_ - Counter();
  if (left <= 0) return 1;
  const std::int64_t ms = left * 1000 / Frequency();
  return ms < 1 ? 1 : static_cast<DWORD>(ms);
}

double ElapsedMs() {
  static const std::int64_t start = Counter();
  return static_cast<double>(Counter() - start) * 1000.0 / static_cast<double>(Frequency());
}

double UnixNow() {
  FILETIME ft;
  GetSystemTimePreciseAsFileTime(&ft);
  const std::uint64_t ticks = (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  constexpr std::uint64_t kEpochDelta = 116444736000000000ULL;  // 1601 to 1970 in 100 ns
  return static_cast<double>(ticks - kEpochDelta) / 1e7;
}

void TinySleep() {
  static const bool raised = timeBeginPeriod(1) == TIMERR_NOERROR;
  (void)raised;
  Sleep(1);
}

bool ParseSeconds(const std::string& text, double* seconds) {
  if (text.empty()) return false;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end == nullptr || *end != '\0' || !(value >= 0)) return false;
  *seconds = value;
  return true;
}

}  // namespace probe
