#pragma once
// TForm1's behaviour, free of the window: creation and destruction in their
// fixed order, the settings it reads and writes, showing, hiding,
// activation, the 200 ms sampling tick with the inactivity collapse, the
// tray icon, closing and shutdown, and the View check items. The window
// forwards its events here and does what MainView asks.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/MainLifecycle.h"
#include "app/MainSeams.h"
#include "app/MainView.h"
#include "app/SettingsFile.h"
#include "context/WinDescriptor.h"
#include "plugins/HotkeyGate.h"
#include "triggers/KeystrokeTracker.h"

namespace tembric::platform {
class FileSystem;
class Clock;
class WindowSystem;
}  // namespace tembric::platform

namespace tembric::context {
class TargetTracker;
}

namespace tembric::app {

class Notices;

// The designed layout; the GUI keys default to it.
inline constexpr int kDesignedWidth = 199;
inline constexpr int kDesignedHeight = 445;
inline constexpr int kDesignedPaneHeight = 77;
inline constexpr int kMinimumWidth = 180;
inline constexpr int kMinimumHeight = 310;
// A pane this low or lower is closed (height 0).
inline constexpr int kClosedPaneLimit = 30;
// PropHeight written for a pane lower than kClosedPaneLimit.
inline constexpr int kClosedPaneStored = 28;
inline constexpr int kSamplingIntervalMs = 200;

// What LoadIni applied.
struct LoadedSettings {
  bool translucent = false;
  std::uint8_t opacity = 255;
  bool trayIcon = true;
  int inactiveLimitSeconds = 300;  // 0: no inactivity collapse
};

enum class MouseButton { Left, Right, Middle };

struct MainControllerDeps {
  platform::FileSystem& files;
  std::string folder;  // the executable's folder: tables and blob file
  // The ini file, shared with every part that reads it: one parse, kept
  // while the file is unchanged, and every write seen at once by all.
  SettingsFile& settings;
  std::string caption;  // "Tembric 1.2"
  Notices& notices;
  MainView& view;
  platform::Clock& clock;
  platform::WindowSystem& windows;
  context::TargetTracker& target;
  // The library and its opening and saving; made before the controller, so
  // that the record tree and the paste can be given its tables first.
  MainLifecycle& lifecycle;
  MainSeams seams;  // absent members are inert
};

class MainController final : public MainWindowHiding {
 public:
  explicit MainController(MainControllerDeps deps);
  ~MainController();
  MainController(const MainController&) = delete;
  MainController& operator=(const MainController&) = delete;

  // ---- Creation and destruction ------------------------------------------------
  // The creation steps in their order. An error stops the steps there and
  // propagates; the window shows it (RunHandler) and keeps what was set up.
  // `stamp` names the copies of unreadable table files.
  void FormCreate(const std::string& stamp);
  // Reads the Basic settings and the program's own hotkeys and applies them.
  void LoadIni();
  // The shutdown steps. A failed settings write is reported and the later
  // steps (hook off, saving the records, leaving the viewer chain) still
  // run, so the run's records are kept. Never throws.
  void FormDestroy();

  // ---- Visibility and activation -------------------------------------------------
  void FormShow();
  void FormHide();
  void AppActivate();
  void AppDeactivate();
  // Show, then bring to the foreground; centred the first time in a run.
  void ShowMainWindow();
  void SamplingTimerTick();
  void TrayIconMouseDown(MouseButton button);
  void Show1Click();
  void FormClose();

  // ---- Commands ---------------------------------------------------------------------
  void aHide();
  void aShutDown();
  void aShowToolBar();
  void aShowMainMenu();
  void aTableShow();
  void aCollapseTree();
  void aNewRecord();
  // MainWindowHiding: aHide.
  void HideMainWindow() override { aHide(); }

  // ---- State ------------------------------------------------------------------------
  SettingsFile& Settings() { return deps_.settings; }
  MainLifecycle& Lifecycle() { return deps_.lifecycle; }
  store::Library& Library() { return deps_.lifecycle.Library(); }
  // The typed abbreviation being collected.
  triggers::KeystrokeTracker& Keystrokes() { return keystrokes_; }
  // The executable's folder, where the tables and the blob file are.
  const std::string& Folder() const { return deps_.folder; }
  // Closed while a plugin computes a paste; global hotkeys are ignored then.
  plugins::HotkeyGate& Hotkeys() { return hotkeyGate_; }
  const LoadedSettings& Loaded() const { return loaded_; }
  bool ShuttingDown() const { return shuttingDown_; }
  bool ToolBarChecked() const { return toolBarChecked_; }
  bool MainMenuChecked() const { return mainMenuChecked_; }
  int InactiveLimit() const { return loaded_.inactiveLimitSeconds; }
  std::int64_t LastActivityTime() const { return lastActivityMs_; }
  // Start of a new inactivity period (also a key heard while collecting).
  void MarkActivity();
  // Whole seconds since LastActivityTime.
  int SecondsSinceActivity() const;
  const context::TWinDescriptor& TargetInfo() const;
  // Cancels a keystroke being collected and restores the tray image.
  void CancelKeystroke();

 private:
  void WriteLayout();

  MainControllerDeps deps_;
  InertHotkeys inertHotkeys_;
  InertKeystrokes inertKeystrokes_;
  InertClipboardChain inertClipboard_;
  InertBlobFile inertBlob_;
  InertRecordTree inertTree_;
  HotkeySeam& hotkeys_;
  KeystrokeSeam& keystrokeHook_;
  ClipboardChainSeam& clipboardChain_;
  BlobFileSeam& blobFile_;
  RecordTreeSeam& tree_;
  InertNewRecord inertNewRecord_;
  NewRecordSeam& newRecord_;

  LoadedSettings loaded_;
  triggers::KeystrokeTracker keystrokes_;
  std::int64_t lastActivityMs_ = 0;
  plugins::HotkeyGate hotkeyGate_;
  bool shuttingDown_ = false;
  bool toolBarChecked_ = true;
  bool mainMenuChecked_ = true;
  bool activationHandlersInstalled_ = false;
  bool shownBefore_ = false;
};

// "Target: <FileName> | <WinTitle>", the trace line of a new target.
std::string TargetTraceLine(const context::TWinDescriptor& target);

}  // namespace tembric::app
