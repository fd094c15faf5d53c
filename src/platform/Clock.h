#pragma once
// Time as the logic sees it: a monotonic millisecond clock and a wait. Every
// part that measures or waits is handed one Clock, so that the tests move
// time by hand and nothing waits for real.

#include <cstdint>

namespace tembric::platform {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds of a monotonic clock; only differences mean anything.
  virtual std::int64_t NowMs() = 0;
  // Blocks the calling thread for `ms` (none when negative). Input and posted
  // messages wait; on Windows, messages that other threads and programs send
  // to the thread's windows are answered meanwhile, so that a program reading
  // a clipboard this thread owns is not held up.
  virtual void SleepMs(int ms) = 0;
};

// The system's clock.
Clock& RealClock();

}  // namespace tembric::platform
