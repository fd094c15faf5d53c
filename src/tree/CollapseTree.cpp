#include "tree/CollapseTree.h"

#include "tree/SelectionSync.h"
#include "tree/TreeModel.h"

namespace tembric::tree {

void CollapseTree(TreeModel& tree, SelectionSync& sync) {
  if (sync.Quiet()) return;
  sync.DisableDBControls();
  for (NodeHandle parent = tree.Parent(tree.Focused()); parent != kNoNode; parent = tree.Parent(tree.Focused())) {
    tree.SetFocused(parent);
  }
  tree.CollapseAll();
  if (const TNodeData* focused = tree.Data(tree.Focused())) sync.SetReturnPath(focused->FullName);
  sync.EnableDBControls();
}

}  // namespace tembric::tree
