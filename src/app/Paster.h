#pragma once
// The one way into the paste action: the record tree, the filter box, a
// record's hotkey and a typed keystroke all paste the records table's current
// row through here, into the window the user came from, with the program's
// message boxes, debug log and settings.

#include <cstddef>
#include <string>

#include "paste/PasteAction.h"

namespace tembric::context {
class TargetTracker;
}
namespace tembric::store {
class DataTable;
}
namespace tembric::tree {
struct TNodeData;
}

namespace tembric::app {

class MainWindowHiding;
class Notices;
class SettingsFile;

enum class PasteMode {
  Window,     // from the main window: it is hidden first
  Keystroke,  // a typed abbreviation fired it: the abbreviation is erased first
};

struct PasteCall {
  PasteMode mode = PasteMode::Window;
  std::size_t keystrokeLength = 0;  // Keystroke: the characters typed after "="
  // The node that stands for the current row; a plugin record's library and
  // item are taken from it. May be null for other records.
  const tree::TNodeData* node = nullptr;
};

struct PasterDeps {
  platform::Clipboard& clipboard;
  platform::Input& input;
  platform::Clock& clock;
  platform::FileSystem& files;
  platform::Libraries& libraries;
  paste::ImageDecoder& decoder;
  const store::DataTable& records;  // pasted from its current row
  SettingsFile& settings;           // Basic/RestoreText, read at every paste
  MainWindowHiding& window;
  plugins::HotkeyGate& hotkeys;
  context::TargetTracker& target;  // the window to paste into
  Notices& notices;
  std::string folder;  // where the blob file is
};

class Paster final : public paste::ClipboardRequests, private paste::PasteHost {
 public:
  explicit Paster(PasterDeps deps);

  // The main window's clipboard owner handle; set once the window exists.
  void SetOwner(platform::WindowHandle owner) { owner_ = owner; }

  // Pastes the records table's current row; does nothing when there is none.
  // A Window paste first names the record in the debug log.
  paste::PasteResult Paste(const PasteCall& call);

  // paste::ClipboardRequests: the owner window's clipboard messages.
  void RenderFormat(platform::ClipFormat format) override;
  void RenderAllFormats() override;
  void ClipboardDestroyed() override;

 private:
  // paste::PasteHost
  void HideMainWindow() override;
  void ShowMessage(const std::string& text) override;
  void Trace(const std::string& line) override;
  bool RestoreText() override;

  PasterDeps deps_;
  platform::WindowHandle owner_ = platform::kNoWindow;
  paste::ClipboardOffer offer_;  // what the last paste offered, until it ends
};

}  // namespace tembric::app
