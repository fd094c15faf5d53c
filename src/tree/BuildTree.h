#pragma once
// Building the record tree from the records table, once, at start.

#include <string_view>

#include "tree/NodeData.h"

namespace tembric::store {
class DataTable;
}

namespace tembric::tree {

class TreeModel;

// Registers a record's global hotkey in the table of hotkey slots.
class HotkeyRegistrar {
 public:
  virtual ~HotkeyRegistrar() = default;
  // Registers `hotkeyText` (such as "Ctrl+Alt+Z") under `keyName`, giving
  // up `previousSlot` (0: none). Returns the slot that holds the hotkey
  // afterwards, 0 when none does.
  virtual int SetHotkeySlot(std::string_view keyName, std::string_view hotkeyText, int previousSlot, bool activate) = 0;
};

// True for the two system folders' paths and every path below them: their
// rows have their nodes from the system folder set-up, not from the build.
bool IsSystemPath(std::string_view fullName);

// Places a node for every row of `records` but the system paths, visiting
// the rows in TembricByFullName order (which selects that index and cancels
// any range): a row goes below the folder whose path equals its Category,
// letter case ignored as the tree's collation folds it (the system's ANSI
// code page; the first folder row of a path wins), else at the top level. Fills the node data, registers the row's
// hotkey and writes the node's handle to the row's Node field. A row that fails is skipped and the walk goes on. The
// table's after-scroll handler is expected to be detached and is left as it is.
void BuildTree(TreeModel& tree, store::DataTable& records, HotkeyRegistrar& hotkeys);

}  // namespace tembric::tree
