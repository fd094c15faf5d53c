#include <windows.h>

#include "platform/Keyboard.h"

namespace tembric::platform::win32 {
namespace {

class Win32Keyboard final : public Keyboard {
 public:
  char KeyCharacter(VirtualKey key) override {
    // A dead key sets the high bit; the character is in the low bits.
    return static_cast<char>(MapVirtualKeyA(key, MAPVK_VK_TO_CHAR) & 0xFF);
  }
  VirtualKey KeyTyping(char c) override {
    // -1 (no key) leaves 0xFF in the low byte, kNoKey.
    return static_cast<VirtualKey>(VkKeyScanExA(c, GetKeyboardLayout(0)) & 0xFF);
  }
};

}  // namespace
}  // namespace tembric::platform::win32

namespace tembric::platform {

Keyboard& RealKeyboard() {
  static win32::Win32Keyboard keyboard;
  return keyboard;
}

}  // namespace tembric::platform
