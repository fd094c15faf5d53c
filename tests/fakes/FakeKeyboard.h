#pragma once
// Two keyboard layouts as Windows reports them: US and German. Letters and
// digits sit on the keys of their own codes in both; the punctuation differs:
// "=" has a key of its own in the US layout (Shift gives "+") and is Shift+0
// in the German one, where that key gives "+". A key's character is the one
// it gives without Shift.

#include <array>
#include <cstddef>

#include "platform/Keyboard.h"

namespace tembric::fakes {

class FakeKeyboard final : public platform::Keyboard {
 public:
  enum class Layout { US, German };
  Layout layout = Layout::US;

  char KeyCharacter(platform::VirtualKey key) override {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return static_cast<char>(key);
    for (const Key& k : Keys()) {
      if (k.key == key) return k.plain;
    }
    return 0;
  }

  platform::VirtualKey KeyTyping(char c) override {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) return static_cast<platform::VirtualKey>(c);
    if (c >= 'a' && c <= 'z') return static_cast<platform::VirtualKey>(c - 'a' + 'A');
    for (std::size_t digit = 0; digit < 10; ++digit) {
      if (c == ShiftedDigits()[digit]) return static_cast<platform::VirtualKey>('0' + digit);
    }
    for (const Key& k : Keys()) {
      if (c != 0 && (k.plain == c || k.shifted == c)) return k.key;
    }
    return platform::kNoKey;
  }

 private:
  struct Key {
    platform::VirtualKey key;
    char plain;
    char shifted;
  };
  static constexpr std::size_t kKeys = 13;

  const char* ShiftedDigits() const { return layout == Layout::US ? ")!@#$%^&*(" : "=!\"\xA7$%&/()"; }

  const std::array<Key, kKeys>& Keys() const {
    // Space, Backspace, Tab, Enter and Escape give their control characters.
    static constexpr std::array<Key, kKeys> us{{{0x20, ' ', ' '},
                                                {0x08, '\b', '\b'},
                                                {0x09, '\t', '\t'},
                                                {0x0D, '\r', '\r'},
                                                {0x1B, '\x1B', '\x1B'},
                                                {0xBA, ';', ':'},
                                                {0xBB, '=', '+'},
                                                {0xBC, ',', '<'},
                                                {0xBD, '-', '_'},
                                                {0xBE, '.', '>'},
                                                {0xBF, '/', '?'},
                                                {0xC0, '`', '~'},
                                                {0xDE, '\'', '"'}}};
    static constexpr std::array<Key, kKeys> german{{{0x20, ' ', ' '},
                                                    {0x08, '\b', '\b'},
                                                    {0x09, '\t', '\t'},
                                                    {0x0D, '\r', '\r'},
                                                    {0x1B, '\x1B', '\x1B'},
                                                    {0xBB, '+', '*'},
                                                    {0xBC, ',', ';'},
                                                    {0xBD, '-', '_'},
                                                    {0xBE, '.', ':'},
                                                    {0xBF, '#', '\''},
                                                    {0xDC, '^', 0},
                                                    {0xE2, '<', '>'},
                                                    {0xDD, '\xB4', '`'}}};
    return layout == Layout::US ? us : german;
  }
};

}  // namespace tembric::fakes
