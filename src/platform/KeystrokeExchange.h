#pragma once
// The exchange with the keyboard hook library (HookDLL.DLL): a named shared
// section of 4 bytes that holds the window to which the library posts, and the
// window messages it posts there. The library runs a system-wide keyboard hook
// and reports every key event as the key message; the program switches the
// hook on and off.

#include <cstdint>

#include "platform/WindowSystem.h"

namespace tembric::platform {

// Names both the shared section and the key message.
inline constexpr const char* kExchangeName = "{F61D1A60-4DB8-11D3-89E9-9579FCF8927A}";
// The message the library posts to the same window when it found its hook
// gone (the system drops a hook that once answers too slowly) and installed
// it again; wParam counts the re-installs of the run, lParam is 0.
inline constexpr const char* kHookRestoredName = "{F61D1A60-4DB8-11D3-89E9-9579FCF8927A} restored";
// The section's size: the receiving window's handle, low 32 bits.
inline constexpr std::uint32_t kExchangeSectionSize = 4;

// The key message's lParam: the keystroke flags of a keyboard message.
namespace keybits {
inline constexpr std::uint32_t kRepeatMask = 0xFFFF;  // bits 0-15: always 1
inline constexpr int kScanShift = 16;                 // bits 16-23
inline constexpr std::uint32_t kExtended = 1u << 24;
inline constexpr std::uint32_t kAltDown = 1u << 29;
inline constexpr std::uint32_t kWasDown = 1u << 30;  // the key was down before this event
inline constexpr std::uint32_t kKeyUp = 1u << 31;    // the transition: set when the key is released
}  // namespace keybits

class KeystrokeExchange {
 public:
  virtual ~KeystrokeExchange() = default;
  // The registered message ids; 0 when the system refused to register one.
  virtual std::uint32_t KeyMessage() const = 0;
  virtual std::uint32_t HookRestoredMessage() const = 0;
  // Stores `window` in the section: the library posts there from now on.
  virtual void SetReceiver(WindowHandle window) = 0;
  // Installs (true) or removes (false) the hook; either may be repeated.
  virtual void SetHook(bool on) = 0;
};

#ifdef _WIN32
// The section created (or opened) and mapped, and the messages registered, on
// the first call; unmapped and closed at exit. The program calls it before
// its main window exists.
KeystrokeExchange& RealKeystrokeExchange();
#endif

}  // namespace tembric::platform
