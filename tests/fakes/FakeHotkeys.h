#pragma once
// The table of global hotkey slots, handing out slots 1, 2, 3, ... (a slot
// given in again is used again, a release gives 0) and remembering every call. A hotkey text listed in `refused` gets
// slot 0; one listed in `failing` makes the call throw.

#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "tree/BuildTree.h"

namespace tembric::fakes {

class FakeHotkeys : public tree::HotkeyRegistrar {
 public:
  struct Call {
    std::string keyName;
    std::string hotkeyText;
    int previousSlot;
    bool activate;
    bool operator==(const Call&) const = default;
  };
  std::vector<Call> calls;
  std::set<std::string, std::less<>> refused;
  std::set<std::string, std::less<>> failing;

  int SetHotkeySlot(std::string_view keyName, std::string_view hotkeyText, int previousSlot, bool activate) override {
    calls.push_back({std::string(keyName), std::string(hotkeyText), previousSlot, activate});
    if (failing.count(hotkeyText) != 0) throw std::runtime_error("hotkey refused by the system");
    if (!activate || refused.count(hotkeyText) != 0) return 0;  // released, or nothing registered
    return previousSlot > 0 ? previousSlot : ++lastSlot_;
  }

 private:
  int lastSlot_ = 0;
};

}  // namespace tembric::fakes
