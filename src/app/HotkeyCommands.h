#pragma once
// The program's global hotkeys, app side: the table of hotkey slots over the
// settings file's hotkey section (the main window's HotkeySeam, which the
// settings load and the tree build register through), and DoHotKey, the one
// handler of every slot: slot 1 brings up the main window, slot 2 starts a
// new record, a record's slot pastes that record into the application in
// front without showing the main window.

#include <string>
#include <string_view>

#include "app/MainSeams.h"
#include "triggers/HotkeySlots.h"

namespace tembric::platform {
class Hotkeys;
}
namespace tembric::store {
class DataTable;
}
namespace tembric::tree {
class SelectionSync;
class TreeModel;
}  // namespace tembric::tree

namespace tembric::app {

class MainController;
class MainView;
class Notices;
class Paster;
class SettingsFile;

// The hotkey slots, registering what the settings' "Hot keys" section holds
// and telling the user through the program's notices.
class HotkeyRegistry final : public HotkeySeam {
 public:
  HotkeyRegistry(platform::Hotkeys& platform, const SettingsFile& settings, Notices& notices);

  triggers::HotkeySlots& Slots() { return slots_; }
  const triggers::HotkeySlots& Slots() const { return slots_; }

  // HotkeySeam
  void Reset() override { slots_.Clear(); }
  void RegisterProgramHotkey(int slot, std::string_view keyName, std::string_view defaultText) override;
  int SetHotkeySlot(std::string_view keyName, std::string_view hotkeyText, int previousSlot, bool activate) override;

 private:
  triggers::HotkeySlots slots_;
};

// What DoHotKey asks of the program's windows.
class HotkeyContext {
 public:
  virtual ~HotkeyContext() = default;
  // One of the program's windows has the focus: the user works in the program.
  virtual bool ProgramActive() const = 0;
  virtual bool RecordDialogShowing() const = 0;
};

struct HotkeyCommandsDeps {
  const triggers::HotkeySlots& slots;
  store::DataTable& records;
  tree::TreeModel& model;
  tree::SelectionSync& sync;
  Paster& paster;
  MainController& main;  // shows the window, runs "New", holds the hotkey gate
  MainView& view;
  HotkeyContext& context;
};

class HotkeyCommands {
 public:
  explicit HotkeyCommands(HotkeyCommandsDeps deps) : deps_(deps) {}

  // The handler of every slot, given the slot's number. Ignored while the
  // hotkey gate is closed, while the user works in the program and while the
  // record dialog shows.
  void DoHotKey(int slot);

 private:
  void PasteRecordOf(int slot);
  // Makes the row with the slot's hotkey current, in the ShortCut order:
  // the first whose ShortCut is the slot's hotkey text, else the first whose
  // ShortCut reads as the same key value. False when there is none.
  bool FindRecordOf(int slot);
  void SelectRecordsIndexIfNone();

  HotkeyCommandsDeps deps_;
};

}  // namespace tembric::app
