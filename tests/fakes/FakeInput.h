#pragma once
// An input queue that behaves like the system's: sent events are recorded in
// order, and each one is passed to an installed low-level hook marked as
// injected, as the system does. Held keys are released at a set time on a
// clock that moves only when the code under test sleeps (on `clock`, which
// the code under test is handed as its clock). The foreground
// window follows SetForegroundWindow unless the foreground lock refuses it,
// and can be taken away again a set time after an activation, as a window
// manager does.

#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "fakes/FakeClock.h"
#include "platform/Input.h"

namespace tembric::fakes {

class FakeInput : public platform::Input {
 public:
  FakeInput() {
    clock.now = 5'000;
    clock.onSleep = [log = log_](int ms) { log->push_back("sleep " + std::to_string(ms)); };
  }

  using KeyEvent = platform::KeyEvent;
  using VirtualKey = platform::VirtualKey;
  // Called for every sent event with `injected` true.
  using Hook = std::function<void(const KeyEvent& event, bool injected)>;

  FakeClock clock;
  std::string language = "0409";
  platform::WindowHandle foreground = platform::kNoWindow;

  // The next `count` activations are refused (-1: every one).
  void RefuseActivations(int count) { refusals_ = count; }
  // The next accepted activation is taken back `afterMs` later: `to`
  // becomes the foreground window then.
  void LoseForegroundAfter(int afterMs, platform::WindowHandle to) {
    lossAfterMs_ = afterMs;
    lossTo_ = to;
  }
  // `window` belongs to `thread`; a window not given one has a thread of its own.
  void SetThread(platform::WindowHandle window, std::uint32_t thread) { threads_[window] = thread; }
  int Activations() const { return activations_; }

  void InstallHook(Hook hook) { hook_ = std::move(hook); }

  // `key` is down until the clock reaches `releaseAtMs`.
  void Hold(VirtualKey key, std::int64_t releaseAtMs) { held_[key] = releaseAtMs; }
  void HoldForever(VirtualKey key) { held_[key] = std::numeric_limits<std::int64_t>::max(); }

  const std::vector<KeyEvent>& Sent() const { return sent_; }
  // The foreground window at each sent event: the window it reached.
  const std::vector<platform::WindowHandle>& Receivers() const { return receivers_; }
  // Everything the code did, in order: "key 11/1D down", "sleep 10", "foreground 42", ...
  const std::vector<std::string>& Log() const { return *log_; }
  int Refreshes() const { return refreshes_; }
  std::int64_t TimeOfFirstKey() const { return firstKeyAt_; }

  // A layout in which every key has its own scan code, as on a real keyboard.
  static std::uint16_t LayoutScanCode(VirtualKey key) {
    switch (key) {
      case platform::vk::kBack:
        return 0x0E;
      case platform::vk::kControl:
        return 0x1D;
      case platform::vk::kMenu:
        return 0x38;
      case platform::vk::kV:
        return 0x2F;
      default:
        return static_cast<std::uint16_t>(0x100 + key);
    }
  }

  void RefreshKeyState() override { ++refreshes_; }
  bool IsKeyDown(VirtualKey key) override {
    auto it = held_.find(key);
    return it != held_.end() && clock.now < it->second;
  }
  std::uint16_t ScanCodeOf(VirtualKey key) override { return LayoutScanCode(key); }
  void SendKey(const KeyEvent& event) override {
    if (sent_.empty()) firstKeyAt_ = clock.now;
    sent_.push_back(event);
    receivers_.push_back(ForegroundWindow());
    log_->push_back("key " + Hex(event.key) + "/" + Hex(event.scanCode) + (event.release ? " up" : " down"));
    if (hook_) hook_(event, true);
  }
  void EnableWindow(platform::WindowHandle window) override { log_->push_back("enable " + std::to_string(window)); }
  void SetForegroundWindow(platform::WindowHandle window) override {
    log_->push_back("foreground " + std::to_string(window));
    ++activations_;
    if (refusals_ != 0) {
      if (refusals_ > 0) --refusals_;
      return;
    }
    if (window == platform::kNoWindow) return;
    foreground = window;
    if (lossAfterMs_ >= 0) {
      lossAt_ = clock.now + lossAfterMs_;
      lossAfterMs_ = -1;
    }
  }
  platform::WindowHandle ForegroundWindow() override {
    if (lossAt_ >= 0 && clock.now >= lossAt_) {
      foreground = lossTo_;
      lossAt_ = -1;
    }
    return foreground;
  }
  std::uint32_t ThreadOf(platform::WindowHandle window) override {
    if (window == platform::kNoWindow) return 0;
    const auto it = threads_.find(window);
    return it != threads_.end() ? it->second : static_cast<std::uint32_t>(window);
  }
  // The target's thread finishes what it handles at once, unless the window is gone.
  bool WaitForMessageDone(platform::WindowHandle window, int) override {
    log_->push_back("message done " + std::to_string(window));
    return window != platform::kNoWindow;
  }
  std::string SystemDefaultLanguage() override { return language; }

  static std::string Hex(unsigned value) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    do {
      out.insert(out.begin(), digits[value % 16]);
      value /= 16;
    } while (value);
    if (out.size() < 2) out.insert(out.begin(), '0');
    return out;
  }

 private:
  Hook hook_;
  std::map<VirtualKey, std::int64_t> held_;
  std::vector<KeyEvent> sent_;
  std::vector<platform::WindowHandle> receivers_;
  // Shared with the clock's sleep reports, so that an assigned fake still
  // logs its sleeps in its own log.
  std::shared_ptr<std::vector<std::string>> log_ = std::make_shared<std::vector<std::string>>();
  int refreshes_ = 0;
  std::int64_t firstKeyAt_ = -1;
  int refusals_ = 0;
  int activations_ = 0;
  int lossAfterMs_ = -1;
  std::int64_t lossAt_ = -1;
  platform::WindowHandle lossTo_ = platform::kNoWindow;
  std::map<platform::WindowHandle, std::uint32_t> threads_;
};

}  // namespace tembric::fakes
