#pragma once
// The exchange with the hook library, recording what the program asks of it.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/KeystrokeExchange.h"

namespace tembric::fakes {

class FakeKeystrokeExchange : public platform::KeystrokeExchange {
 public:
  std::uint32_t keyMessage = 0xC123;
  std::uint32_t restoredMessage = 0xC124;
  platform::WindowHandle receiver = platform::kNoWindow;
  std::vector<std::string> calls;  // "SetHook -1", "SetHook 0"

  std::uint32_t KeyMessage() const override { return keyMessage; }
  std::uint32_t HookRestoredMessage() const override { return restoredMessage; }
  void SetReceiver(platform::WindowHandle window) override { receiver = window; }
  void SetHook(bool on) override { calls.push_back(on ? "SetHook -1" : "SetHook 0"); }
};

}  // namespace tembric::fakes
