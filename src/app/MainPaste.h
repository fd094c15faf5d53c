#pragma once
// The paste action as the main window runs it: on the records table's
// current row, into the window the user came from, with the window's own
// message boxes, debug log and settings. The tree and filter paths paste in
// window mode; the hotkey and keystroke paths call CopyClose directly.

#include <string_view>

#include "app/MainSeams.h"
#include "paste/PasteAction.h"

namespace tembric::context {
class TargetTracker;
}
namespace tembric::tree {
class TreeModel;
}

namespace tembric::app {

class MainController;
class Notices;

struct MainPasteDeps {
  platform::Clipboard& clipboard;
  platform::Input& input;
  platform::FileSystem& files;
  platform::Libraries& libraries;
  paste::ImageDecoder& decoder;
  MainController& controller;  // the records, the settings, HotkeysReady, the keystroke, hiding
  tree::TreeModel& tree;       // the focused node's plugin data
  context::TargetTracker& target;
  Notices& notices;
};

class MainPaste final : public PasteSeam, private paste::PasteHost {
 public:
  explicit MainPaste(MainPasteDeps deps);

  // The main window's clipboard owner handle; set once the window exists.
  void SetOwner(platform::WindowHandle owner) { owner_ = owner; }

  // Traces "Paste: <FullName>" and pastes the current record, hiding the window.
  void PasteInWindowMode(std::string_view fullName) override;

  // Pastes the current record. With `fromKeystroke` the typed abbreviation
  // (the controller's keystroke buffer) is erased first. Does nothing when
  // the records table has no current row.
  paste::PasteResult CopyClose(bool fromKeystroke);

 private:
  // paste::PasteHost
  void HideMainWindow() override;
  void ShowMessage(const std::string& text) override;
  void Trace(const std::string& line) override;
  bool RestoreText() override;

  MainPasteDeps deps_;
  platform::WindowHandle owner_ = platform::kNoWindow;
};

}  // namespace tembric::app
