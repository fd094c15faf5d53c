#pragma once
// Opens the record dialog on the focused record so that the dialog can be
// used and tested before the new/edit workflow exists. It prepares the
// dialog as that workflow will (the row in edit state, the lists of used
// names, keystrokes and hotkeys with the record's own name and keystroke
// left out, the Parent list, the node's plugin data, an empty context
// list), shows it, and then drops the row's changes whatever the dialog
// ended with: nothing is stored yet. The workflow that stores replaces this
// class.
#include <functional>
#include <string>

#include "editing/RecordDialog.h"
#include "store/DataTable.h"
#include "tree/NodeData.h"
#include "tree/SelectionSync.h"
#include "tree/TreeModel.h"

namespace tembric::app {

class InterimRecordEdit {
 public:
  // `show` hands the prepared inputs to the dialog and runs it modally.
  using ShowDialog = std::function<void(editing::RecordDialogInputs inputs)>;

  InterimRecordEdit(store::DataTable& records, tree::TreeModel& tree, tree::SelectionSync& sync, ShowDialog show);

  // A record is focused, its row is current, and it is not a system folder.
  bool CanEdit() const;
  // Shows the dialog on the focused record; false when CanEdit is not true.
  bool Edit();

 private:
  // The lists the dialog's checks and Parent list need, read from every row.
  editing::RecordDialogInputs CollectInputs(tree::NodeHandle node, const std::string& ownName);

  store::DataTable& records_;
  tree::TreeModel& tree_;
  tree::SelectionSync& sync_;
  ShowDialog show_;
};

}  // namespace tembric::app
