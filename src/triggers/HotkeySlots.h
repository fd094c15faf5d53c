#pragma once
// The table of global hotkey slots. Every hotkey of the program lives in one
// numbered slot: 1 shows the main window, 2 starts a new record, and the
// records' hotkeys take 3 and upward in the order they are registered. A
// slot's registration holds its combination system-wide for the main window
// under the slot's number, which is what the window's hotkey message
// carries. Slots are never handed out twice: a slot comes back into use only
// when its number is passed in again. Destroying the table gives every
// combination back.

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "triggers/HotkeyText.h"

namespace tembric::platform {
class Hotkeys;
}

namespace tembric::triggers {

inline constexpr int kHotkeySlotCount = 255;  // slots 1 to 255; 0 is no slot
inline constexpr int kShowSlot = 1;
inline constexpr int kNewRecordSlot = 2;
inline constexpr int kFirstRecordSlot = 3;
// The key name records register under; the program never writes it, so the
// record's own text, passed as the default, is what counts.
inline constexpr const char* kRecordHotkeyName = "Fake";
inline constexpr const char* kHotkeysExceedLimit = "Hot Keys exceed limitat";

// The hotkey text stored under `keyName` in the settings' hotkey section,
// `defaultText` when the key is missing.
using HotkeySetting = std::function<std::string(std::string_view keyName, std::string_view defaultText)>;
// Shows a message to the user.
using HotkeyNotice = std::function<void(const std::string& text)>;

class HotkeySlots {
 public:
  HotkeySlots(platform::Hotkeys& platform, HotkeySetting setting, HotkeyNotice notice);
  ~HotkeySlots();
  HotkeySlots(const HotkeySlots&) = delete;
  HotkeySlots& operator=(const HotkeySlots&) = delete;

  // `slot` > 0 names a slot, whose registration is given up first; 0 asks
  // for a new slot above every one handed out or named so far. With
  // `activate`, the slot then registers the text read under `keyName`
  // (default `defaultText`). Returns the slot used; 0 when nothing was
  // registered: `activate` false, or no slot left (the user is told once per
  // such request). A text that names no key, and a combination the system
  // refuses, still take the slot, inactive.
  int SetHotkeySlot(std::string_view keyName, std::string_view defaultText, int slot, bool activate);

  // The highest slot handed out or named so far; only grows, past the last
  // slot too while requests keep coming.
  int HotkeySlotHigh() const { return high_; }
  // The key value `slot` registered; 0 when it holds none.
  KeyValue KeyValueOf(int slot) const;
  // True while `slot` holds its combination system-wide.
  bool Active(int slot) const;
  // The hotkey text of `slot`'s key value; empty when it holds none.
  std::string TextOf(int slot) const;
  // Reads a hotkey text with the platform's key names.
  KeyValue ValueOfText(std::string_view text) const;

  // Every registration given up, HotkeySlotHigh back to 0.
  void Clear();

 private:
  class Registration;

  platform::Hotkeys& platform_;
  HotkeySetting setting_;
  HotkeyNotice notice_;
  int high_ = 0;
  std::array<std::unique_ptr<Registration>, kHotkeySlotCount + 1> slots_;  // [0] unused
};

}  // namespace tembric::triggers
