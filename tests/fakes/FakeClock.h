#pragma once
// A clock the test moves by hand. A sleep moves it by the time slept and
// runs `onSleep`, which is where a test lets the world change while the code
// under test waits.

#include <cstdint>
#include <functional>

#include "platform/Clock.h"

namespace tembric::fakes {

class FakeClock : public platform::Clock {
 public:
  std::int64_t now = 1'000'000;
  std::function<void(int ms)> onSleep;

  std::int64_t NowMs() override { return now; }
  void SleepMs(int ms) override {
    if (ms > 0) now += ms;
    if (onSleep) onSleep(ms);
  }
  void AdvanceMs(std::int64_t ms) { now += ms; }
};

}  // namespace tembric::fakes
