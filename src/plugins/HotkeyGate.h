#pragma once
// Global hotkeys are ignored while a plugin computes a paste: the plugin may
// pump messages, and a hotkey handled then would start a second paste inside
// the first one.

namespace tembric::plugins {

class HotkeyGate {
 public:
  // True unless a Busy guard is alive.
  bool Ready() const { return busy_ == 0; }

  // Closes the gate for its scope; guards nest, and the gate opens again when
  // the last one ends, on every path.
  class Busy {
   public:
    explicit Busy(HotkeyGate& gate) : gate_(gate) { ++gate_.busy_; }
    ~Busy() { --gate_.busy_; }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

   private:
    HotkeyGate& gate_;
  };

 private:
  int busy_ = 0;
};

}  // namespace tembric::plugins
