#include <chrono>
#include <thread>

#include "platform/Clock.h"

namespace tembric::platform {
namespace {

class SteadyClock final : public Clock {
 public:
  std::int64_t NowMs() override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
  void SleepMs(int ms) override {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
};

}  // namespace

Clock& RealClock() {
  static SteadyClock clock;
  return clock;
}

}  // namespace tembric::platform
