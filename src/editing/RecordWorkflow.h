#pragma once
// The new, add-child and edit commands around the record dialog. Each one
// prepares the records table's current row and the dialog's lists, shows the
// dialog modally and, after Save, completes the row (ID, type, path, hotkey,
// keystroke), stores the content that lives outside the row (the blob file,
// the contexts), saves the records table and brings the tree in line: a node
// for a new record, the node moved when its folder changed, and the paths
// below a folder rewritten when its name or place changed. After Cancel the
// row's changes are dropped and nothing is written.
//
// Everything runs inside the selection sync's quiet mode, which is left on
// every path, failures included; the failure itself goes to the caller.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "context/ContextStore.h"
#include "store/Tables.h"
#include "tree/NodeData.h"

namespace tembric::platform {
class Clipboard;
class FileSystem;
class Keyboard;
}  // namespace tembric::platform
namespace tembric::tree {
class HotkeyRegistrar;
class SelectionSync;
class TreeModel;
}  // namespace tembric::tree
namespace tembric::app {
class SettingsFile;
}

namespace tembric::editing {

class RecordDialog;

// The names of the two actions that run aNewRecordExecute; the sender names
// which one ran.
inline constexpr const char* kNewRecordAction = "aNewRecord";
inline constexpr const char* kNewChildAction = "aNewChild";

struct RecordWorkflowDeps {
  store::Library& library;      // the records table; contexts in the windows and relations tables
  platform::FileSystem& files;  // the table files and the blob file
  std::string folder;           // where the blob file is (the executable's folder)
  tree::TreeModel& model;
  tree::SelectionSync& sync;
  tree::HotkeyRegistrar& hotkeys;
  app::SettingsFile& settings;     // a plugin item's keys, in its Plugin\<Subject> section
  platform::Keyboard& keyboard;    // KeyString from KeyDisplay
  platform::Clipboard& clipboard;  // captured whole for "Raw clipboard"
  RecordDialog& dialog;
  // Runs the dialog modally: true when it ended with Save, false with Cancel.
  std::function<bool()> showDialog;
  // The context folder's node ("*WinContext"), whose children are the
  // context items; kNoNode while there is none.
  std::function<tree::NodeHandle()> contextRoot;
  store::RandomInt random;  // new record IDs and the IDs of new windows rows
};

class RecordWorkflow {
 public:
  explicit RecordWorkflow(RecordWorkflowDeps deps);

  // The dialog's Parent list ("[Root]", then the folders a record can go to,
  // in path order) and its three used lists (every FullName, every KeyString
  // and every ShortCut that is not empty). `forNew` is true for a new record
  // and false for an edit. When the current row is a folder, the folders
  // inside it are left out of the Parent list, and for an edit the folder
  // itself too. The system folders and everything below a plugins or context
  // folder are never offered. The table comes back to its current row.
  void FillCatList(bool forNew);
  // "Options...": inside quiet mode (left on every path) FillCatList(false),
  // and the ShortCut texts it found (UsedHotKeys); the dialog's lists are
  // emptied again.
  std::vector<std::string> CollectUsedHotKeys();

  // "New" (sender kNewRecordAction: the new record goes beside the focused
  // node) and "Add child" (kNewChildAction: inside the focused folder).
  void aNewRecordExecute(std::string_view sender);
  void aNewChildExecute() { aNewRecordExecute(kNewChildAction); }
  // "Add child" is possible: the current row is a folder of the user's, not
  // a system folder nor one below them.
  bool aNewChildUpdate() const;
  // "Edit": the current row. The two system folders are rebuilt at every
  // start and are not opened.
  void aEditExecute();

 private:
  void NewRecord(bool addChild);
  void EditRecord();
  // The Category a new record starts with.
  std::string PresetCategory(bool addChild, tree::NodeHandle focused) const;
  // The content of a new record that lives outside its row.
  void StoreNewContent();
  // Type and content of an edited record from the dialog's results.
  void StoreEditedContent(std::int64_t typeBefore);
  // The focused context item, or the context item that mirrors `fullName`.
  tree::NodeHandle ContextItemOf(tree::NodeHandle focused, const std::string& fullName) const;
  void RewriteNodes(tree::NodeHandle contextItem);
  // After a rename or a move: the rows below a folder get the new path, and
  // the record's node goes under its new parent, sorted among its siblings.
  void MoveRecord(const std::string& oldPath, const std::string& newPath, bool folder);
  // The node of the folder row `category`; kNoNode for the top level or when
  // no row has that path.
  tree::NodeHandle FolderNode(const std::string& category);
  void WritePluginKeys();
  void SaveContexts(std::int32_t id);
  // The end of every command: an empty picture, the used lists emptied
  // (`clearLists`), quiet mode left.
  void Finish(bool clearLists);

  RecordWorkflowDeps deps_;
  context::ContextStore contexts_;
};

}  // namespace tembric::editing
