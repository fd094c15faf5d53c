#pragma once
// The system's hotkey registrations as Windows keeps them: one combination
// has one holder, whether another program or an id of ours; an id stays
// registered until it is unregistered, and registering it again before that
// fails. Key names come from a small layout of keys without names of their
// own in the program's table.

#include <compare>
#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "platform/Hotkeys.h"

namespace tembric::fakes {

class FakeHotkeyPlatform : public platform::Hotkeys {
 public:
  struct Combination {
    std::uint32_t modifiers = 0;
    platform::VirtualKey key = 0;
    auto operator<=>(const Combination&) const = default;
  };
  // Combinations another program holds.
  std::set<Combination> heldElsewhere;
  // Ours, by id.
  std::map<int, Combination> registered;
  int refusals = 0;
  // The layout's names; keys missing here have no scan code.
  std::map<platform::VirtualKey, std::string> names = {
      {0x10, "Shift"},    {0x11, "Ctrl"}, {0x12, "Alt"}, {0x14, "Caps Lock"}, {0x6A, "Num *"},
      {0x90, "Num Lock"}, {0xBA, ";"},    {0xBC, ","},   {0xC0, "`"},
  };

  bool Register(int id, std::uint32_t modifiers, platform::VirtualKey key) override {
    const Combination wanted{modifiers, key};
    bool held = heldElsewhere.count(wanted) != 0 || registered.count(id) != 0;
    for (const auto& [_, combination] : registered) held = held || combination == wanted;
    if (held) {
      ++refusals;
      return false;
    }
    registered[id] = wanted;
    return true;
  }
  void Unregister(int id) override { registered.erase(id); }
  std::string KeyName(platform::VirtualKey key) override {
    const auto found = names.find(key);
    return found == names.end() ? std::string() : found->second;
  }

  // The combination registered under `id`, if any.
  const Combination* Held(int id) const {
    const auto found = registered.find(id);
    return found == registered.end() ? nullptr : &found->second;
  }
};

}  // namespace tembric::fakes
