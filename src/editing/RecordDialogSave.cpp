// The record dialog's Save checks and the hotkey box.

#include <algorithm>

#include "app/SettingsKeys.h"
#include "editing/RecordDialog.h"
#include "platform/Collation.h"
#include "platform/Hotkeys.h"
#include "store/DataTable.h"
#include "store/Tables.h"
#include "triggers/HotkeyText.h"
#include "triggers/KeyString.h"

namespace tembric::editing {

bool RecordDialog::ListHolds(const std::vector<std::string>& list, const std::string& text) const {
  const platform::Collation& collation = platform::UserCollation();
  std::string wanted;
  collation.FoldCase(text, wanted);
  std::string folded;
  return std::any_of(list.begin(), list.end(), [&](const std::string& item) {
    collation.FoldCase(item, folded);
    return folded == wanted;
  });
}

bool RecordDialog::Refuse(const std::string& message, FocusTarget focus) {
  view_.ShowWarning(message);
  view_.SetFocus(focus);
  return false;
}

// The checks stop at the first failure. The hotkey is checked only when no
// keystroke is given. Nothing is written but KeyDisplay and KeyString.
bool RecordDialog::Save() {
  hotkey_ = ApplyHotkeyEntryRule(view_.Hotkey());
  const std::string name = view_.Text(TextBox::Name);
  if (name.empty()) return Refuse("Field Name must be filled", FocusTarget::Name);
  if (name.find('=') != std::string::npos) return Refuse("Please do not use '=' in Name", FocusTarget::Name);

  const std::string parent = view_.Text(TextBox::Parent);
  const std::string fullName = store::MakeFullName(parent == store::kRootCaption ? "" : parent, name);
  if (ListHolds(inputs_.usedNames, fullName))
    return Refuse("Record with same Name already exists, please change it", FocusTarget::Name);

  const std::string keystroke = view_.Text(TextBox::Keystroke);
  if (!keystroke.empty()) {
    TextChanged(TextBox::Keystroke, keystroke);
    triggers::SetKeyString(s_.records, s_.keyboard);
    if (ListHolds(inputs_.usedKeystrokes, s_.records.AsString("KeyString")))
      return Refuse("Record with same Keystroke already exists, please change it", FocusTarget::Keystroke);
    return true;
  }

  const std::string hotkey = HotkeyText();
  if (!hotkey.empty() && hotkey != s_.records.AsString("ShortCut") && ListHolds(inputs_.usedHotKeys, hotkey))
    return Refuse("Record with same HotKey already exists, please change it", FocusTarget::Hotkey);
  return true;
}

// A combination the system would refuse at registration is told at once,
// on a line in the dialog; Save still takes it. The record's own stored
// combination is ours and not tried, and one another record holds is left
// to Save's check.
void RecordDialog::HotkeyChanged(triggers::KeyValue value) {
  hotkey_ = ApplyHotkeyEntryRule(value);
  view_.SetHotkeyWarning("");
  if (hotkey_ == 0) return;
  if (hotkey_ == triggers::TextToHotkey(s_.records.AsString("ShortCut"), s_.hotkeys)) return;
  if (ListHolds(inputs_.usedHotKeys, HotkeyText())) return;
  // Tembric's own Show and New combinations would fail the trial as well,
  // but not because of another program.
  for (const auto& key : {app::settings::kShowHotkey, app::settings::kNewHotkey})
    if (hotkey_ ==
        triggers::TextToHotkey(s_.settings.ReadString(key.section, key.name, key.defaultValue), s_.hotkeys)) {
      view_.SetHotkeyWarning(kHotkeyProgramWarning);
      return;
    }
  if (!s_.hotkeys.Register(kHotkeyProbeId, triggers::RegistrationModifiers(hotkey_), triggers::VirtualKeyOf(hotkey_))) {
    view_.SetHotkeyWarning(kHotkeyHeldWarning);
    return;
  }
  s_.hotkeys.Unregister(kHotkeyProbeId);
}

}  // namespace tembric::editing
