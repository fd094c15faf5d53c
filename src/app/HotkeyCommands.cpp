#include "app/HotkeyCommands.h"

#include "app/MainController.h"
#include "app/MainView.h"
#include "app/Notices.h"
#include "app/Paster.h"
#include "app/SettingsFile.h"
#include "app/SettingsKeys.h"
#include "app/Trace.h"
#include "store/DataTable.h"
#include "store/Tables.h"
#include "tree/SelectionSync.h"
#include "tree/TreeModel.h"

namespace tembric::app {

HotkeyRegistry::HotkeyRegistry(platform::Hotkeys& platform, const SettingsFile& settings, Notices& notices)
    : slots_(
          platform,
          [&settings](std::string_view keyName, std::string_view defaultText) {
            return settings.ReadString(settings::kHotKeys, keyName, defaultText);
          },
          [&notices](const std::string& text) { notices.Show(NoticeKind::Plain, text); }) {}

void HotkeyRegistry::RegisterProgramHotkey(int slot, std::string_view keyName, std::string_view defaultText) {
  slots_.SetHotkeySlot(keyName, defaultText, slot, true);
}

int HotkeyRegistry::SetHotkeySlot(std::string_view keyName, std::string_view hotkeyText, int previousSlot,
                                  bool activate) {
  return slots_.SetHotkeySlot(keyName, hotkeyText, previousSlot, activate);
}

void HotkeyCommands::SelectRecordsIndexIfNone() {
  store::DataTable& records = deps_.records;
  if (records.State() != store::TableState::Inactive && records.IndexName().empty())
    records.SetIndexName(store::kRecordsIndex);
}

void HotkeyCommands::DoHotKey(int slot) {
  SelectRecordsIndexIfNone();
  if (!deps_.main.Hotkeys().Ready()) return;
  ClearTrace();
  Trace("DoHotKey");
  if (deps_.context.ProgramActive() || deps_.context.RecordDialogShowing()) return;

  if (slot == triggers::kShowSlot) {
    if (deps_.context.RecordDialogShowing()) return;
    deps_.view.StopSamplingTimer();
    deps_.main.ShowMainWindow();
  } else if (slot == triggers::kNewRecordSlot) {
    deps_.main.aNewRecord();
  } else if (slot >= triggers::kFirstRecordSlot && slot <= triggers::kHotkeySlotCount) {
    PasteRecordOf(slot);
  }
}

void HotkeyCommands::PasteRecordOf(int slot) {
  store::DataTable& records = deps_.records;
  if (records.State() == store::TableState::Inactive) return;
  tree::SelectionSync& sync = deps_.sync;
  // Quiet mode remembers the table's position and ordering; they come back
  // on every path, also when the paste fails.
  sync.DisableDBControls();
  struct Resume {
    HotkeyCommands& self;
    ~Resume() {
      self.deps_.sync.EnableDBControls();
      self.SelectRecordsIndexIfNone();
    }
  } resume{*this};

  if (!FindRecordOf(slot)) return;
  Trace("DoHotKey: Found");
  const std::string fullName = records.AsString("FullName");
  sync.TembricDBAfterScroll();
  deps_.paster.Paste({.mode = PasteMode::Window, .node = deps_.model.Data(sync.CurrentRowNode())});
  sync.SetReturnPath(fullName);
}

bool HotkeyCommands::FindRecordOf(int slot) {
  const triggers::KeyValue key = deps_.slots.KeyValueOf(slot);
  if (key == 0) return false;
  store::DataTable& records = deps_.records;
  records.SetIndexFieldNames("ShortCut");
  const store::Value text[] = {store::Value(deps_.slots.TextOf(slot))};
  if (records.FindKey(text)) return true;
  // A ShortCut written in another letter case or prefix order registered
  // the same combination: it is the record's too. A search that finds
  // nothing leaves the current row where it was, as the exact one does.
  const store::DataTable::Bookmark before = records.GetBookmark();
  for (records.First(); !records.Eof(); records.Next()) {
    const store::Value shortcut = records.Get("ShortCut");
    if (shortcut.IsText() && !shortcut.Text().empty() && deps_.slots.ValueOfText(shortcut.Text()) == key) return true;
  }
  records.GotoBookmark(before);
  return false;
}

}  // namespace tembric::app
