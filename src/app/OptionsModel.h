#pragma once
// The options dialog of the companion library tmgui.dll, free of the window:
// the Basic settings and the two program hotkeys read from the
// settings file into a model the dialog shows, the checks when the user
// presses OK (a hotkey that a record already holds is refused with a line of
// text in the dialog), and the writes of the keys that changed, through the
// same settings rules and key names as the program (app/SettingsKeys.h).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/SettingsFile.h"

namespace tembric::platform {
class Hotkeys;
}

namespace tembric::app {

// The content kinds a new record may start with (NewContent), as the dialog lists them.
inline constexpr const char* kNewContentChoices[] = {"Auto", "Text", "Image", "Clip"};

struct OptionsValues {
  bool translucent = false;    // TranspEnabled
  std::uint8_t opacity = 255;  // TranspValue, its low 8 bits as the program uses them
  bool trayIcon = true;        // ShowIcon
  bool inactiveCollapse = true;
  std::int32_t inactiveMinutes = 5;
  bool trackKeystroke = true;
  bool restoreText = true;
  std::string newContent = "Auto";
  bool autoPaste = true;
  std::string showHotkey = "Ctrl+Alt+Z";  // Hot keys/Show; "" for none
  std::string newHotkey = "Ctrl+Alt+N";   // Hot keys/New
  bool operator==(const OptionsValues&) const = default;
};

// Every value as the settings file gives it now, defaults for missing keys.
OptionsValues ReadOptions(const SettingsFile& settings);

// The minutes box: a whole number 1 to 9999, blanks around it allowed.
bool ParseMinutes(std::string_view text, std::int32_t& minutes);

// The opacity box: a whole number 0 (invisible) to 255 (opaque).
bool ParseOpacity(std::string_view text, std::uint8_t& opacity);
inline constexpr const char* kBadOpacityText = "The opacity must be a whole number from 0 to 255.";

// The about box's lines: the program's name, "Version <versionText>", the
// copyright and the licence.
std::vector<std::string> AboutLines(const std::string& programName, const std::string& versionText);

// The dialog's logic for one showing.
class OptionsDialogLogic {
 public:
  // `usedHotKeys`: the records' ShortCut texts (UsedHotKeys); `names`: key
  // names for reading hotkey texts.
  OptionsDialogLogic(SettingsFile& settings, std::vector<std::string> usedHotKeys, platform::Hotkeys& names);

  // What the dialog shows first.
  const OptionsValues& Initial() const { return initial_; }

  // OK with the values the dialog holds. Empty when they were accepted and
  // the changed keys written (the dialog closes); otherwise the line the
  // dialog shows, nothing written and the dialog kept open.
  std::string Ok(const OptionsValues& chosen);
  // The text of the minutes box could not be read: the line to show.
  static std::string BadMinutesText();

  // The dialog's result: 1 when a changed setting was written during this
  // showing (also when a later write failed), else 0.
  int Result() const { return wrote_ ? 1 : 0; }

 private:
  // The refusal line for `hotkey` of the program's hotkey `which`, or "".
  std::string HotkeyRefusal(const char* which, const std::string& hotkey, const std::string& before) const;
  bool SameHotkey(const std::string& a, const std::string& b) const;

  SettingsFile& settings_;
  std::vector<std::string> used_;
  platform::Hotkeys& names_;
  OptionsValues initial_;
  bool wrote_ = false;
};

}  // namespace tembric::app
