#include "app/KeystrokeHook.h"

#include <utility>

#include "app/SettingsKeys.h"

namespace tembric::app {

KeystrokeHook::KeystrokeHook(KeystrokeHookDeps deps) : deps_(std::move(deps)) {}

void KeystrokeHook::ConnectExchange() { deps_.exchange.SetReceiver(deps_.receiver()); }

void KeystrokeHook::EnableHook(bool on) {
  deps_.exchange.SetHook(on && settings::Read(deps_.settings, settings::kTrackKeystroke));
}

void KeystrokeHook::SwitchHookOff() { deps_.exchange.SetHook(false); }

}  // namespace tembric::app
