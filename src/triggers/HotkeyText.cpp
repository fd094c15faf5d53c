#include "triggers/HotkeyText.h"

#include <array>

#include "platform/Hotkeys.h"

namespace tembric::triggers {
namespace {

// The names of 0x20 to 0x28, in code order.
constexpr std::array<const char*, 9> kNavigationNames = {"Space", "PgUp", "PgDn",  "End", "Home",
                                                         "Left",  "Up",   "Right", "Down"};

// The first key code a text is compared with.
constexpr int kFirstNamedCode = 0x08;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

// Removes `prefix` from the front of `text` when it is there, letter case ignored.
bool StripPrefix(std::string_view& text, std::string_view prefix) {
  if (text.size() < prefix.size() || !EqualsIgnoringCase(text.substr(0, prefix.size()), prefix)) return false;
  text.remove_prefix(prefix.size());
  return true;
}

}  // namespace

std::uint32_t RegistrationModifiers(KeyValue value) {
  std::uint32_t modifiers = 0;
  if (value & kAltBit) modifiers |= platform::hotkey_mod::kAlt;
  if (value & kCtrlBit) modifiers |= platform::hotkey_mod::kCtrl;
  if (value & kShiftBit) modifiers |= platform::hotkey_mod::kShift;
  return modifiers;
}

std::string KeyNameOf(platform::VirtualKey key, platform::Hotkeys& names) {
  switch (key) {
    case 0x08:
      return "BkSp";
    case 0x09:
      return "Tab";
    case 0x0D:
      return "Enter";
    case 0x1B:
      return "Esc";
    case 0x2D:
      return "Ins";
    case 0x2E:
      return "Del";
    default:
      break;
  }
  if (key >= 0x20 && key <= 0x28) return kNavigationNames[key - 0x20];
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, static_cast<char>(key));
  if (key >= 0x60 && key <= 0x69) return std::string(1, static_cast<char>('0' + (key - 0x60)));
  if (key >= 0x70 && key <= 0x87) return std::string("F").append(std::to_string(key - 0x70 + 1));
  return names.KeyName(key);
}

std::string HotkeyToText(KeyValue value, platform::Hotkeys& names) {
  const std::string name = KeyNameOf(VirtualKeyOf(value), names);
  if (name.empty()) return {};
  std::string text;
  if (value & kShiftBit) text += "Shift+";
  if (value & kCtrlBit) text += "Ctrl+";
  if (value & kAltBit) text += "Alt+";
  return text + name;
}

KeyValue TextToHotkey(std::string_view text, platform::Hotkeys& names) {
  KeyValue modifiers = 0;
  for (bool stripped = true; stripped;) {
    stripped = true;
    if (StripPrefix(text, "Shift+")) {
      modifiers |= kShiftBit;
    } else if (StripPrefix(text, "Ctrl+") || StripPrefix(text, "^")) {
      modifiers |= kCtrlBit;
    } else if (StripPrefix(text, "Alt+")) {
      modifiers |= kAltBit;
    } else {
      stripped = false;
    }
  }
  if (text.empty()) return 0;
  for (int code = kFirstNamedCode; code <= 0xFF; ++code) {
    const auto key = static_cast<platform::VirtualKey>(code);
    if (EqualsIgnoringCase(KeyNameOf(key, names), text)) return static_cast<KeyValue>(modifiers | key);
  }
  return 0;
}

}  // namespace tembric::triggers
