#pragma once
// The typed keystrokes on the main window's side: every key message of the
// keyboard hook goes through the tracker, whose answer shows in the tray icon
// and the debug window; a collected abbreviation is looked up among the
// records' keystrokes and its record pasted over what was typed.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "app/Paster.h"

namespace tembric::platform {
class Clock;
class Keyboard;
}  // namespace tembric::platform
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

// What the typed keystrokes need of the windows besides the tray icon.
class KeystrokeView {
 public:
  virtual ~KeystrokeView() = default;
  // The debug window's keystroke box.
  virtual void ShowKeystrokeBuffer(const std::string& text) = 0;
  // While the record dialog shows, "=" and the keys after it are the
  // dialog's own text: they start no collecting and look nothing up.
  virtual bool RecordDialogShowing() const = 0;
};

struct KeystrokeCommandsDeps {
  MainController& controller;  // holds the tracker; hears the activity
  MainView& view;              // the tray image
  KeystrokeView& keystrokeView;
  platform::Keyboard& keyboard;
  platform::Clock& clock;
  store::DataTable& records;
  tree::TreeModel& model;
  tree::SelectionSync& sync;
  std::function<paste::PasteResult(const PasteCall&)> paste;  // Paster::Paste
  Notices& notices;
};

class KeystrokeCommands {
 public:
  explicit KeystrokeCommands(KeystrokeCommandsDeps deps);

  // A key message of the hook (wParam the virtual key, lParam its flags),
  // taken from the queue; it is never dispatched.
  void OnKeyMessage(std::uintptr_t wParam, std::intptr_t lParam);
  // Any other message the loop took: refreshes the activity time while an
  // abbreviation is being typed.
  void MessageTaken();

  // Finds the first record, in KeyString order, whose KeyString is the
  // collected text without surrounding blanks and control characters, and
  // pastes it over the typed abbreviation. A record without a Type is no
  // match. The tree and the details pane are still while the table is
  // searched, and return to the pasted record (or where they were). Returns
  // whether a record matched.
  bool LookUp(std::string_view collected);

 private:
  KeystrokeCommandsDeps deps_;
};

}  // namespace tembric::app
