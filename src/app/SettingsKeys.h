#pragma once
// Every key of the settings file that the program reads or writes itself,
// each declared once with its section and its default. The companion
// library's options dialog writes the same keys.

#include <cstdint>

#include "app/SettingsFile.h"

namespace tembric::app::settings {

template <typename T>
struct Key {
  const char* section;
  const char* name;
  T defaultValue;
};

inline constexpr const char* kBasic = "Basic";
inline constexpr const char* kGui = "GUI";
inline constexpr const char* kHotKeys = "Hot keys";

// The database format the settings file declares; 0 when it declares none.
inline constexpr Key<std::int32_t> kDbVersion{kBasic, "DBVersion", 0};
inline constexpr Key<bool> kRestoreText{kBasic, "RestoreText", true};  // read at every paste
inline constexpr Key<bool> kTranspEnabled{kBasic, "TranspEnabled", false};
inline constexpr Key<std::int32_t> kTranspValue{kBasic, "TranspValue", 255};
inline constexpr Key<bool> kShowIcon{kBasic, "ShowIcon", true};
inline constexpr Key<std::int32_t> kInactiveMinutes{kBasic, "InactiveMinutes", 5};
inline constexpr Key<bool> kInactiveCollapse{kBasic, "InactiveCollapse", true};
inline constexpr Key<bool> kTrackKeystroke{kBasic, "TrackKeystroke", true};  // read at every switch of the hook
// The content kind of a new record ("Auto", "Text", "Image", "Clip") and,
// with "Auto", whether the clipboard is taken at once; read at every showing.
inline constexpr Key<const char*> kNewContent{kBasic, "NewContent", "Auto"};
inline constexpr Key<bool> kAutoPaste{kBasic, "AutoPaste", true};

// The layout, written at shutdown; the sizes default to the designed layout.
inline constexpr Key<std::int32_t> kMainWidth{kGui, "MainWidth", 199};
inline constexpr Key<std::int32_t> kMainHeight{kGui, "MainHeight", 445};
inline constexpr Key<std::int32_t> kPropHeight{kGui, "PropHeight", 77};
inline constexpr Key<bool> kShowMainMenu{kGui, "ShowMainMenu", true};
inline constexpr Key<bool> kShowToolBar{kGui, "ShowToolBar", true};

// The program's own hotkeys, as hotkey texts.
inline constexpr Key<const char*> kShowHotkey{kHotKeys, "Show", "Ctrl+Alt+Z"};
inline constexpr Key<const char*> kNewHotkey{kHotKeys, "New", "Ctrl+Alt+N"};

inline std::int32_t Read(const SettingsFile& file, const Key<std::int32_t>& key) {
  return file.ReadInteger(key.section, key.name, key.defaultValue);
}
inline bool Read(const SettingsFile& file, const Key<bool>& key) {
  return file.ReadBool(key.section, key.name, key.defaultValue);
}
inline void Write(SettingsFile& file, const Key<std::int32_t>& key, std::int32_t value) {
  file.WriteInteger(key.section, key.name, value);
}
inline void Write(SettingsFile& file, const Key<bool>& key, bool value) {
  file.WriteBool(key.section, key.name, value);
}

}  // namespace tembric::app::settings
