#pragma once
// A clock the test moves by hand.

#include <cstdint>

#include "app/MainView.h"

namespace tembric::fakes {

class FakeClock : public app::Clock {
 public:
  std::int64_t now = 1'000'000;
  std::int64_t NowMs() const override { return now; }
  void AdvanceMs(std::int64_t ms) { now += ms; }
};

}  // namespace tembric::fakes
