#pragma once
// The points where the main window's lifecycle calls features that are built
// separately: global hotkeys, typed keystrokes with the keyboard hook, the
// clipboard viewer chain, the blob data file, the record tree's set-up and
// commands, and the context folder. Each is a small interface; the inert
// implementations do nothing, so the window runs before a feature exists.

#include <string>
#include <string_view>

#include "tree/BuildTree.h"

namespace tembric::app {

// The table of global hotkey slots; the records' hotkeys are registered
// through the tree build's HotkeyRegistrar side.
class HotkeySeam : public tree::HotkeyRegistrar {
 public:
  // Hotkeys allowed again; the highest handed-out slot back to 0.
  virtual void Reset() = 0;
  // Registers `slot` from Hot keys/<keyName> (default `defaultText`),
  // replacing the hotkey the slot held before.
  virtual void RegisterProgramHotkey(int slot, std::string_view keyName, std::string_view defaultText) = 0;
};

// The keyboard hook library and its exchange with the program.
class KeystrokeSeam {
 public:
  virtual ~KeystrokeSeam() = default;
  // Tells the hook exchange which window receives the key messages.
  virtual void ConnectExchange() = 0;
  // Switches the hook on or off, as TrackKeystroke allows.
  virtual void EnableHook(bool on) = 0;
  // The hook off whatever TrackKeystroke says (shutdown).
  virtual void SwitchHookOff() = 0;
};

// The clipboard viewer chain.
class ClipboardChainSeam {
 public:
  virtual ~ClipboardChainSeam() = default;
  virtual void Join() = 0;
  virtual void Leave() = 0;
};

// The blob data file beside the tables.
class BlobFileSeam {
 public:
  virtual ~BlobFileSeam() = default;
  virtual void CreateIfMissing() = 0;
};

// The record tree: its set-up after the tables are open, and the commands
// the lifecycle runs.
class RecordTreeSeam {
 public:
  virtual ~RecordTreeSeam() = default;
  // The system folders and plugin records, on the first row of the records.
  virtual void InitSysItems() = 0;
  // The whole tree from the records table; registers the records' hotkeys.
  virtual void BuildTree() = 0;
  // Sorts the top level, focuses the first node and aligns the records table with it.
  virtual void AlignAtStart() = 0;
  virtual void CollapseTree() = 0;
  // Rebuilds the context folder for the current target window.
  virtual void FillContextTree() = 0;
};

// Hides the main window, as its Hide command does; a paste in window mode
// starts with it.
class MainWindowHiding {
 public:
  virtual ~MainWindowHiding() = default;
  virtual void HideMainWindow() = 0;
};

// "New": the record dialog for a new record.
class NewRecordSeam {
 public:
  virtual ~NewRecordSeam() = default;
  virtual void NewRecord() = 0;
};

class InertHotkeys final : public HotkeySeam {
 public:
  void Reset() override {}
  void RegisterProgramHotkey(int, std::string_view, std::string_view) override {}
  int SetHotkeySlot(std::string_view, std::string_view, int, bool) override { return 0; }
};

class InertKeystrokes final : public KeystrokeSeam {
 public:
  void ConnectExchange() override {}
  void EnableHook(bool) override {}
  void SwitchHookOff() override {}
};

class InertClipboardChain final : public ClipboardChainSeam {
 public:
  void Join() override {}
  void Leave() override {}
};

class InertBlobFile final : public BlobFileSeam {
 public:
  void CreateIfMissing() override {}
};

class InertRecordTree final : public RecordTreeSeam {
 public:
  void InitSysItems() override {}
  void BuildTree() override {}
  void AlignAtStart() override {}
  void CollapseTree() override {}
  void FillContextTree() override {}
};

class InertNewRecord final : public NewRecordSeam {
 public:
  void NewRecord() override {}
};

// The features a main window calls, all inert unless replaced.
struct MainSeams {
  HotkeySeam* hotkeys = nullptr;
  KeystrokeSeam* keystrokes = nullptr;
  ClipboardChainSeam* clipboardChain = nullptr;
  BlobFileSeam* blobFile = nullptr;
  RecordTreeSeam* recordTree = nullptr;
  NewRecordSeam* newRecord = nullptr;
};

}  // namespace tembric::app
