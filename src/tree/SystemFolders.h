#pragma once
// The two system folders at the top level, rebuilt at every start before the
// tree is built: "*Plugins" with the plugin items, and "*WinContext", whose
// node (ContextRoot) holds the context items of the window the user came from.

#include <functional>

#include "tree/NodeData.h"

namespace tembric::store {
class DataTable;
}

namespace tembric::tree {

class TreeModel;

struct SystemFolderNodes {
  NodeHandle plugins = kNoNode;
  NodeHandle contextRoot = kNoNode;
};

// Adds the plugin items (their rows and nodes) below the freshly made
// plugins folder. Called with the folder's node while the records table is
// in TembricByFullName order without a range.
using PluginScan = std::function<void(NodeHandle pluginsFolder)>;

// Detaches the records table's after-scroll handler (it stays detached),
// cancels the range and selects TembricByFullName. Then:
// 1. deletes the row "\*Plugins" and every row below it, appends the
//    "*Plugins" folder row with its node at the top level and runs `scan`
//    (none: no plugin items);
// 2. deletes the row "\*WinContext" and every row below it, wherever they
//    sort, and appends the "*WinContext" folder row with its node, whose
//    Caption starts as "*WinContext".
// Rows that merely begin with the same letters ("\*WinContext Other",
// "\*Pluginsfolder") stay. Each new row's Node field holds its node.
SystemFolderNodes InitSystemFolders(TreeModel& tree, store::DataTable& records, const PluginScan& scan = {});

}  // namespace tembric::tree
