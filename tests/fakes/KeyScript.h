#pragma once
// Typing as the keyboard hook reports it: a script of characters and named
// keys becomes the key messages of pressing and releasing each key in turn.
// A character is typed with the key the layout types it with; named keys are
// in angle brackets: <Enter>, <Back>, <Esc>, <Left>, <Up>, <Right>, <Down>,
// <PgUp>, <PgDn>, <Home>, <End>, and <Shift> ... </Shift> holding Shift down
// around what lies between.

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Keyboard.h"
#include "triggers/KeystrokeTracker.h"

namespace tembric::fakes {

// A key's messages: a press, or a release (the transition and previous-state
// bits set). The scan code is the key's own code, so that keys differ.
inline triggers::KeyMessage KeyPress(platform::VirtualKey key) { return {key, 1 | (std::intptr_t{key} << 16)}; }
inline triggers::KeyMessage KeyRelease(platform::VirtualKey key) {
  return {key, static_cast<std::intptr_t>(0xC000'0001u | (std::uint32_t{key} << 16))};
}

inline std::vector<triggers::KeyMessage> KeyScript(std::string_view script, platform::Keyboard& keyboard) {
  static constexpr std::pair<std::string_view, platform::VirtualKey> kNamed[] = {
      {"Enter", 0x0D}, {"Back", 0x08}, {"Esc", 0x1B},  {"Left", 0x25}, {"Up", 0x26},  {"Right", 0x27},
      {"Down", 0x28},  {"PgUp", 0x21}, {"PgDn", 0x22}, {"Home", 0x24}, {"End", 0x23}, {"Shift", 0x10}};
  std::vector<triggers::KeyMessage> messages;
  while (!script.empty()) {
    if (script.front() != '<') {
      const platform::VirtualKey key = keyboard.KeyTyping(script.front());
      messages.push_back(KeyPress(key));
      messages.push_back(KeyRelease(key));
      script.remove_prefix(1);
      continue;
    }
    const std::size_t close = script.find('>');
    std::string_view name = script.substr(1, close - 1);
    script.remove_prefix(close + 1);
    const bool releaseOnly = name.starts_with('/');
    if (releaseOnly) name.remove_prefix(1);
    const auto* named =
        std::find_if(std::begin(kNamed), std::end(kNamed), [&](const auto& n) { return n.first == name; });
    if (named == std::end(kNamed)) throw std::invalid_argument("no key named " + std::string(name));
    if (!releaseOnly) messages.push_back(KeyPress(named->second));
    if (releaseOnly || named->second != 0x10) messages.push_back(KeyRelease(named->second));
  }
  return messages;
}

// Feeds `tracker` the messages of `script`, the first at `nowMs` + `stepMs`
// and each later one `stepMs` after the one before; `nowMs` ends at the last.
// Returns the actions of every message in order.
inline std::vector<triggers::KeystrokeActions> TypeInto(triggers::KeystrokeTracker& tracker,
                                                        platform::Keyboard& keyboard, std::string_view script,
                                                        std::int64_t& nowMs, bool recordDialogShowing = false,
                                                        std::int64_t stepMs = 15) {
  std::vector<triggers::KeystrokeActions> actions;
  for (const triggers::KeyMessage& message : KeyScript(script, keyboard)) {
    nowMs += stepMs;
    const char ch = keyboard.KeyCharacter(static_cast<platform::VirtualKey>(message.wParam));
    actions.push_back(tracker.OnKeyMessage(message, ch, nowMs, recordDialogShowing));
  }
  return actions;
}

}  // namespace tembric::fakes
