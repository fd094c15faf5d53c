#pragma once
// The keyboard layout as the typed keystrokes see it: which character a key
// gives, and which key types a character.

#include "platform/VirtualKeys.h"

namespace tembric::platform {

class Keyboard {
 public:
  virtual ~Keyboard() = default;
  // The character `key` gives without modifiers under the current layout;
  // letters give their capitals. 0 when the key gives no character.
  virtual char KeyCharacter(VirtualKey key) = 0;
  // The key that types `c` under the calling thread's current layout,
  // modifiers aside; kNoKey when the layout cannot type it.
  virtual VirtualKey KeyTyping(char c) = 0;
};

// No key types the character. It is no key of any layout either, so its key
// character is 0.
inline constexpr VirtualKey kNoKey = 0xFF;

}  // namespace tembric::platform

#ifdef _WIN32
namespace tembric::platform {
// The layouts of the running Windows session.
Keyboard& RealKeyboard();
}  // namespace tembric::platform
#endif
