#pragma once
// System-wide hotkeys held for the main window: a key combination is
// registered under an id, and the system tells the window the id whenever
// the combination is pressed in any application. Also the name the keyboard
// layout gives a key, which hotkey texts are written with.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/VirtualKeys.h"
#include "platform/WindowSystem.h"

namespace tembric::platform {

// Modifier flags of a registration, with the values the system takes.
namespace hotkey_mod {
inline constexpr std::uint32_t kAlt = 1;
inline constexpr std::uint32_t kCtrl = 2;
inline constexpr std::uint32_t kShift = 4;
}  // namespace hotkey_mod

class Hotkeys {
 public:
  virtual ~Hotkeys() = default;
  // Holds `modifiers` + `key` system-wide under `id`. False when the system
  // refuses: another program holds the combination, or `id` is registered
  // already and was not unregistered.
  virtual bool Register(int id, std::uint32_t modifiers, VirtualKey key) = 0;
  // Gives the combination held under `id` back; nothing when none is.
  virtual void Unregister(int id) = 0;
  // The name the keyboard layout gives the key's scan code ("Num Lock",
  // ";"); empty when the key has no scan code or its code has no name.
  virtual std::string KeyName(VirtualKey key) = 0;
};

}  // namespace tembric::platform

#ifdef _WIN32
namespace tembric::platform {
// Registrations for the window `window` names at each registration: the main
// window, which exists by the time its creation registers the first hotkey;
// its WM_HOTKEY carries the id in wParam.
std::unique_ptr<Hotkeys> RealHotkeys(std::function<WindowHandle()> window);
}  // namespace tembric::platform
#endif
