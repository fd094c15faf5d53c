#include "triggers/HotkeySlots.h"

#include <utility>

#include "platform/Hotkeys.h"

namespace tembric::triggers {

// One slot's hotkey: its key value and, while active, the combination held
// for the main window under the slot's number. Destroying it gives the
// combination back.
class HotkeySlots::Registration {
 public:
  Registration(platform::Hotkeys& platform, int slot, KeyValue key) : platform_(platform), slot_(slot), key_(key) {
    // Key 0 registers nothing; a refusal leaves the registration inactive.
    active_ = key_ != 0 && platform_.Register(slot_, RegistrationModifiers(key_), VirtualKeyOf(key_));
  }
  ~Registration() {
    if (active_) platform_.Unregister(slot_);
  }
  Registration(const Registration&) = delete;
  Registration& operator=(const Registration&) = delete;

  KeyValue Key() const { return key_; }
  bool Active() const { return active_; }

 private:
  platform::Hotkeys& platform_;
  int slot_;
  KeyValue key_;
  bool active_ = false;
};

HotkeySlots::HotkeySlots(platform::Hotkeys& platform, HotkeySetting setting, HotkeyNotice notice)
    : platform_(platform), setting_(std::move(setting)), notice_(std::move(notice)) {}

HotkeySlots::~HotkeySlots() = default;

int HotkeySlots::SetHotkeySlot(std::string_view keyName, std::string_view defaultText, int slot, bool activate) {
  if (slot > 0) {
    if (slot > high_) high_ = slot;
    if (slot <= kHotkeySlotCount) slots_[slot].reset();
  }
  if (!activate) return 0;
  if (slot == 0) {
    ++high_;
    if (high_ > kHotkeySlotCount) {
      notice_(kHotkeysExceedLimit);
      return 0;
    }
    slot = high_;
  }
  if (slot < 0 || slot > kHotkeySlotCount) return 0;
  const KeyValue key = ValueOfText(setting_(keyName, defaultText));
  slots_[slot] = std::make_unique<Registration>(platform_, slot, key);
  return slot;
}

KeyValue HotkeySlots::KeyValueOf(int slot) const {
  return slot > 0 && slot <= kHotkeySlotCount && slots_[slot] ? slots_[slot]->Key() : 0;
}

bool HotkeySlots::Active(int slot) const {
  return slot > 0 && slot <= kHotkeySlotCount && slots_[slot] && slots_[slot]->Active();
}

std::string HotkeySlots::TextOf(int slot) const {
  const KeyValue key = KeyValueOf(slot);
  return key == 0 ? std::string() : HotkeyToText(key, platform_);
}

KeyValue HotkeySlots::ValueOfText(std::string_view text) const { return TextToHotkey(text, platform_); }

void HotkeySlots::Clear() {
  for (auto& slot : slots_) slot.reset();
  high_ = 0;
}

}  // namespace tembric::triggers
