#pragma once
// "Collapse tree": every node collapsed, the focus on the top-level ancestor
// of the node that had it, and the records table on that node's row without
// a range. Run by the command and by the inactivity timer.

namespace tembric::tree {

class TreeModel;
class SelectionSync;

void CollapseTree(TreeModel& tree, SelectionSync& sync);

}  // namespace tembric::tree
