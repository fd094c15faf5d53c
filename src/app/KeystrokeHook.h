#pragma once
// The keyboard hook as the main window switches it (KeystrokeSeam), over the
// exchange with the hook library: the receiving window stored in the shared
// section, and the hook switched on only while Basic/TrackKeystroke allows it.

#include <functional>
#include <string>

#include "app/MainSeams.h"
#include "app/SettingsFile.h"
#include "platform/KeystrokeExchange.h"

namespace tembric::app {

struct KeystrokeHookDeps {
  platform::KeystrokeExchange& exchange;
  const SettingsFile& settings;
  // The window the library posts to: the main window, which lives hidden and
  // whose posted messages pass through the program's message loop.
  std::function<platform::WindowHandle()> receiver;
};

class KeystrokeHook final : public KeystrokeSeam {
 public:
  explicit KeystrokeHook(KeystrokeHookDeps deps);

  void ConnectExchange() override;
  // On only when `on` and TrackKeystroke, which is read at every call: the
  // options dialog of the companion library writes it while the program runs.
  void EnableHook(bool on) override;
  void SwitchHookOff() override;

 private:
  KeystrokeHookDeps deps_;
};

}  // namespace tembric::app
