#pragma once
// "Collapse tree": every node collapsed, the focus on the top-level ancestor
// of the node that had it, and the records table on that node's row without
// a range. Run by the command and by the inactivity timer. Inside quiet mode
// it does nothing: a command is rearranging the table and the tree then (the
// record dialog may be open with a row being edited, while another program
// is in front and the inactivity timer runs).

namespace tembric::tree {

class TreeModel;
class SelectionSync;

void CollapseTree(TreeModel& tree, SelectionSync& sync);

}  // namespace tembric::tree
