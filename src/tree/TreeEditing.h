#pragma once
// The tree's editing commands: "Delete" with its enabling, drag
// and drop of a record or folder into another folder, and "Collapse tree".
// Each keeps the records table, the tree and the table's current row in
// step; what lies in a folder is decided by store::IsAtOrBelow alone, so that
// "\Ab\x" never counts as inside "\A".
//
// Beyond the acceptance rules: the context folder ("*WinContext") and its
// context items are neither dragged nor dropped on, and only the tree's own
// nodes are dropped (the window passes nothing else). A drop onto a folder
// that already holds a record of the same Subject (letter case folded, as
// the record dialog's name check does) is refused, since the two records
// would share one FullName.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tree/NodeData.h"

namespace tembric::platform {
class FileSystem;
}
namespace tembric::store {
class DataTable;
}

namespace tembric::tree {

class SelectionSync;
class TreeModel;

// "Are you shure you want to remove '<Subject>'?" (the spelling is the program's own).
std::string DeleteConfirmationText(const std::string& subject);

struct TreeEditingDeps {
  TreeModel& model;
  SelectionSync& sync;
  store::DataTable& records;
  platform::FileSystem& files;  // the records table's file
  // Asks with Yes and No; true for Yes.
  std::function<bool(const std::string& text)> confirm;
};

class TreeEditing {
 public:
  explicit TreeEditing(TreeEditingDeps deps);

  // Whether "Delete" is enabled; nullopt when no node is focused (the
  // command keeps its state). Disabled on "\*Plugins" and below it, on
  // "\*WinContext" and on context items.
  std::optional<bool> aDeleteUpdate() const;
  // Deletes the focused record after a Yes: a text record's row and node
  // (the file is not written); any other record's row, every row at or below
  // it, its subtree, then the focus on the row that follows and the file
  // saved. The table's failure to save goes to the caller.
  void aDeleteExecute();

  // A drag may start on `node`: not the plugins folder or below it, not the
  // context folder or a context item.
  bool TreeDragAllowed(NodeHandle node) const;
  // The focused node may be dropped on `target` (the six acceptance rules,
  // the context folder refused, a record of the same Subject in the target
  // refused).
  bool TreeDragOver(NodeHandle target) const;
  // Moves the focused record with its subtree into `target`; nothing when
  // TreeDragOver refuses. The node goes last among the target's children,
  // the rows below get the new path, the file is saved and the moved record
  // is current again.
  void TreeDragDrop(NodeHandle target);

  // "Collapse tree" (tree/CollapseTree).
  void aCollapseTreeExecute();

 private:
  // Makes the row of `node` current when it is not; false when there is none.
  bool OnRowOf(const TNodeData& data);
  void DeleteContextItemsOf(const std::string& path);

  TreeEditingDeps deps_;
};

}  // namespace tembric::tree
