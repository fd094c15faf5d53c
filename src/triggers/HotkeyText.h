#pragma once
// Hotkeys as they are stored, in the settings file and in a record's
// ShortCut: "Shift+Ctrl+Alt+F5", "Ctrl+Alt+Z". A key value packs the virtual
// key into its low byte and the modifiers into bits 0x2000 (Shift), 0x4000
// (Ctrl) and 0x8000 (Alt); 0 is no key.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/VirtualKeys.h"

namespace tembric::platform {
class Hotkeys;
}

namespace tembric::triggers {

using KeyValue = std::uint16_t;

inline constexpr KeyValue kShiftBit = 0x2000;
inline constexpr KeyValue kCtrlBit = 0x4000;
inline constexpr KeyValue kAltBit = 0x8000;

inline constexpr platform::VirtualKey VirtualKeyOf(KeyValue value) {
  return static_cast<platform::VirtualKey>(value & 0xFF);
}

// The modifier flags a registration of `value` takes (platform::hotkey_mod).
std::uint32_t RegistrationModifiers(KeyValue value);

// The key's name: the program's own for the keys it names (digits, letters,
// "F1" to "F24", "Enter", "PgUp", ...; keypad digits as the main digits),
// else the name the keyboard layout gives it; empty when there is none.
std::string KeyNameOf(platform::VirtualKey key, platform::Hotkeys& names);

// "Shift+", "Ctrl+", "Alt+" in this order, each when its bit is set, then
// the key's name; empty when the key has no name.
std::string HotkeyToText(KeyValue value, platform::Hotkeys& names);

// Prefixes "Shift+", "Ctrl+" (or "^") and "Alt+" in any order and letter
// case, then the name of a key, letter case ignored; the lowest key code
// with that name wins (so a keypad digit reads as the main digit). 0 when
// the text names no key.
KeyValue TextToHotkey(std::string_view text, platform::Hotkeys& names);

}  // namespace tembric::triggers
