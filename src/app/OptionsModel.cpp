#include "app/OptionsModel.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "app/SettingsKeys.h"
#include "triggers/HotkeyText.h"

namespace tembric::app {
namespace keys = settings;

OptionsValues ReadOptions(const SettingsFile& settings) {
  OptionsValues values;
  values.translucent = keys::Read(settings, keys::kTranspEnabled);
  values.opacity = static_cast<std::uint8_t>(keys::Read(settings, keys::kTranspValue) & 0xFF);
  values.trayIcon = keys::Read(settings, keys::kShowIcon);
  values.inactiveMinutes = keys::Read(settings, keys::kInactiveMinutes);
  values.inactiveCollapse = keys::Read(settings, keys::kInactiveCollapse);
  values.trackKeystroke = keys::Read(settings, keys::kTrackKeystroke);
  values.restoreText = keys::Read(settings, keys::kRestoreText);
  values.newContent =
      settings.ReadString(keys::kNewContent.section, keys::kNewContent.name, keys::kNewContent.defaultValue);
  values.autoPaste = keys::Read(settings, keys::kAutoPaste);
  values.showHotkey =
      settings.ReadString(keys::kShowHotkey.section, keys::kShowHotkey.name, keys::kShowHotkey.defaultValue);
  values.newHotkey =
      settings.ReadString(keys::kNewHotkey.section, keys::kNewHotkey.name, keys::kNewHotkey.defaultValue);
  return values;
}

namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

// A decimal number of at most four digits; -1 when the text is none.
std::int32_t SmallNumber(std::string_view text) {
  text = Trimmed(text);
  if (text.empty() || text.size() > 4) return -1;
  std::int32_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

bool ParseOpacity(std::string_view text, std::uint8_t& opacity) {
  const std::int32_t value = SmallNumber(text);
  if (value < 0 || value > 255) return false;
  opacity = static_cast<std::uint8_t>(value);
  return true;
}

std::vector<std::string> AboutLines(const std::string& programName, const std::string& versionText) {
  return {
      programName,
      versionText.empty() ? std::string("Version unknown") : "Version " + versionText,
      "Copyright (C) 2026 the " + programName + " authors",
      "Free to use and to pass on unchanged. Provided as is, without warranty of any kind.",
  };
}

bool ParseMinutes(std::string_view text, std::int32_t& minutes) {
  const std::int32_t value = SmallNumber(text);
  if (value < 1) return false;
  minutes = value;
  return true;
}

OptionsDialogLogic::OptionsDialogLogic(SettingsFile& settings, std::vector<std::string> usedHotKeys,
                                       platform::Hotkeys& names)
    : settings_(settings), used_(std::move(usedHotKeys)), names_(names), initial_(ReadOptions(settings)) {}

std::string OptionsDialogLogic::BadMinutesText() {
  return "The inactivity limit must be a whole number of minutes from 1 to 9999.";
}

bool OptionsDialogLogic::SameHotkey(const std::string& a, const std::string& b) const {
  const triggers::KeyValue left = triggers::TextToHotkey(a, names_);
  const triggers::KeyValue right = triggers::TextToHotkey(b, names_);
  if (left != 0 || right != 0) return left == right;
  // Neither names a key: "" and texts that name nothing are alike as texts.
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

std::string OptionsDialogLogic::HotkeyRefusal(const char* which, const std::string& hotkey,
                                              const std::string& before) const {
  // A combination the user left as it was is not refused: the dialog could
  // not be left otherwise.
  if (hotkey.empty() || SameHotkey(hotkey, before)) return {};
  for (const std::string& used : used_) {
    if (SameHotkey(hotkey, used))
      return hotkey + " is already the hotkey of a record: choose another " + which + " hotkey.";
  }
  return {};
}

std::string OptionsDialogLogic::Ok(const OptionsValues& chosen) {
  if (chosen.inactiveMinutes < 1 || chosen.inactiveMinutes > 9999) return BadMinutesText();
  if (std::string line = HotkeyRefusal("Show", chosen.showHotkey, initial_.showHotkey); !line.empty()) return line;
  if (std::string line = HotkeyRefusal("New", chosen.newHotkey, initial_.newHotkey); !line.empty()) return line;
  if (!chosen.showHotkey.empty() && SameHotkey(chosen.showHotkey, chosen.newHotkey))
    return "The Show and New hotkeys must differ.";

  // Only the keys whose values changed are written; the file may hold texts
  // the program reads alike ("0x80", "Alt+ctrl+z") and those stay as they are.
  OptionsValues& now = initial_;
  try {
    const auto flag = [&](const keys::Key<bool>& key, bool& was, bool want) {
      if (was == want) return;
      keys::Write(settings_, key, want);
      was = want;
      wrote_ = true;
    };
    const auto text = [&](const keys::Key<const char*>& key, std::string& was, const std::string& want, bool same) {
      if (same) return;
      settings_.WriteString(key.section, key.name, want);
      was = want;
      wrote_ = true;
    };
    flag(keys::kTranspEnabled, now.translucent, chosen.translucent);
    if (now.opacity != chosen.opacity) {
      keys::Write(settings_, keys::kTranspValue, chosen.opacity);
      now.opacity = chosen.opacity;
      wrote_ = true;
    }
    flag(keys::kShowIcon, now.trayIcon, chosen.trayIcon);
    if (now.inactiveMinutes != chosen.inactiveMinutes) {
      keys::Write(settings_, keys::kInactiveMinutes, chosen.inactiveMinutes);
      now.inactiveMinutes = chosen.inactiveMinutes;
      wrote_ = true;
    }
    flag(keys::kInactiveCollapse, now.inactiveCollapse, chosen.inactiveCollapse);
    flag(keys::kTrackKeystroke, now.trackKeystroke, chosen.trackKeystroke);
    flag(keys::kRestoreText, now.restoreText, chosen.restoreText);
    text(keys::kNewContent, now.newContent, chosen.newContent, now.newContent == chosen.newContent);
    flag(keys::kAutoPaste, now.autoPaste, chosen.autoPaste);
    text(keys::kShowHotkey, now.showHotkey, chosen.showHotkey, SameHotkey(now.showHotkey, chosen.showHotkey));
    text(keys::kNewHotkey, now.newHotkey, chosen.newHotkey, SameHotkey(now.newHotkey, chosen.newHotkey));
  } catch (const SettingsWriteError& error) {
    return error.what();
  }
  return {};
}

}  // namespace tembric::app
