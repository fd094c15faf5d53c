#pragma once
// The composition root of the program's main window: the one place that
// picks the real implementation of every platform interface and builds the
// parts behind the window in the order they depend on each other — the
// record tree model, the window (the views the parts report to), target
// identification, the library, the record tree's set-up, the controller, the
// paste and the filter box. It owns them all for the run; the window is
// destroyed first, while everything its messages reach still exists.
#include <memory>
#include <string>

#include "app/CompanionCommands.h"
#include "app/HotkeyCommands.h"
#include "app/KeystrokeCommands.h"
#include "app/KeystrokeHook.h"
#include "app/MainBlobFile.h"
#include "app/MainController.h"
#include "app/MainFilter.h"
#include "app/MainLifecycle.h"
#include "app/MainSeams.h"
#include "app/MainTree.h"
#include "app/Paster.h"
#include "app/SettingsFile.h"
#include "app/win32/MainForm.h"
#include "app/win32/RecordForm.h"
#include "app/win32/WindowPickerForm.h"
#include "context/Identification.h"
#include "editing/RecordDialog.h"
#include "editing/RecordWorkflow.h"
#include "editing/WindowPicker.h"
#include "paste/ClipboardMonitor.h"
#include "paste/ImageDecoding.h"
#include "tree/TreeEditing.h"
#include "tree/TreeModel.h"

namespace tembric::platform {
class FileSystem;
class Hotkeys;
}  // namespace tembric::platform

namespace tembric::app::win32 {

struct MainCompositionArgs {
  platform::FileSystem& files;
  std::string executablePath;
  std::string caption;      // "Tembric 1.2"
  std::string versionText;  // "1.2.0.0", for the about box
};

class MainComposition {
 public:
  explicit MainComposition(MainCompositionArgs args);
  ~MainComposition();
  MainComposition(const MainComposition&) = delete;
  MainComposition& operator=(const MainComposition&) = delete;

  // Creates the window hidden (FormCreate runs) and makes it the paste's
  // clipboard owner.
  void CreateHidden();
  MainForm& Window() { return window_; }
  // Where the hook's key messages go, as the message loop takes them.
  KeystrokeCommands& Keystrokes() { return keystrokeCommands_; }
  // Creates the record dialog hidden, owned by the main window; its modal
  // loop hands every message to `filter` first.
  void CreateRecordDialog(std::function<bool(MSG&)> filter);
  // Creates the window picker hidden, owned by the main window, over the
  // model the record dialog reads.
  void CreateWindowPicker(std::function<bool(MSG&)> filter);

 private:
  MainCompositionArgs args_;
  std::string folder_;  // the executable's: tables, blob file, settings
  tree::TreeModel model_;
  MainForm window_;
  context::Identifier identifier_;
  context::TargetTracker tracker_;
  // The global hotkeys, held for the window.
  std::unique_ptr<platform::Hotkeys> hotkeySystem_;
  // The ini file, one for every part that reads or writes it.
  SettingsFile settings_;
  HotkeyRegistry hotkeys_;
  paste::FileImageDecoder decoder_;
  MainBlobFile blobFile_;
  KeystrokeHook keystrokeHook_;
  MainLifecycle lifecycle_;
  MainTree tree_;
  // The window's place in the clipboard viewer chain, joined and left by
  // the controller at the window's creation and destruction.
  paste::ClipboardMonitor clipboardMonitor_;
  class ClipboardChainForward final : public ClipboardChainSeam {
   public:
    explicit ClipboardChainForward(paste::ClipboardMonitor& monitor) : monitor_(monitor) {}
    void Join() override { monitor_.Join(); }
    void Leave() override { monitor_.Leave(); }

   private:
    paste::ClipboardMonitor& monitor_;
  } clipboardChain_{clipboardMonitor_};
  tree::TreeEditing treeEditing_;
  // "New" as the controller runs it (the New command, Insert in the filter
  // box, the New hotkey): the record workflow once the record dialog exists.
  class NewRecordForward final : public NewRecordSeam {
   public:
    editing::RecordWorkflow* workflow = nullptr;
    void NewRecord() override {
      if (workflow) workflow->aNewRecordExecute(editing::kNewRecordAction);
    }
  } newRecord_;
  MainController controller_;
  Paster paster_;
  MainFilter filter_;
  HotkeyCommands hotkeyCommands_;
  KeystrokeCommands keystrokeCommands_;
  editing::WindowPicker windowPicker_;
  WindowPickerForm pickerForm_{windowPicker_};
  RecordForm recordForm_;
  editing::RecordDialog recordDialog_;
  editing::RecordWorkflow recordWorkflow_;
  // "Options..." and the about entry: the companion library tmgui.dll.
  CompanionCommands companion_;
};

}  // namespace tembric::app::win32
