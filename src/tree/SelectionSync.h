#pragma once
// Keeps three things in agreement: the tree's focused node, the records
// table's current row and the details pane. Moving the focus moves the
// table; moving the table moves the focus and refreshes the pane. Quiet mode
// switches both reactions off while a command rearranges table and tree.

#include <string>
#include <string_view>

#include "tree/NodeData.h"

namespace tembric::store {
class DataTable;
}

namespace tembric::tree {

class TreeModel;

// What the synchronisation needs of the main window's controls.
class SyncView {
 public:
  virtual ~SyncView() = default;
  virtual void SetInfoText(const std::string& text) = 0;  // the info line
  virtual void SetPreview(const std::string& text) = 0;   // the preview
  virtual bool TreeHasInputFocus() const = 0;
  virtual bool FilterHasInputFocus() const = 0;
  virtual bool WindowShowing() const = 0;
  // The filter box's text, with the caret after its last character. The
  // view runs the filter box's own change handling as a user's edit would.
  virtual void SetFilterText(const std::string& text) = 0;
  virtual void RepaintTree() = 0;
};

// The info line: kind word, "[ShortCut]", " [KeyDisplay]", each when present.
std::string InfoText(int type, const std::string* shortcut, const std::string* keyDisplay);

class SelectionSync {
 public:
  SelectionSync(TreeModel& tree, store::DataTable& records, SyncView& view);
  ~SelectionSync();

  // Attaches TembricDBAfterScroll to the table and the two focus handlers to the tree.
  void AttachAll();
  void AttachAfterScroll();
  void DetachAfterScroll();
  bool AfterScrollAttached() const { return afterScrollAttached_; }
  // The tree's focus-changing and focus-changed handlers alone.
  void AttachFocusHandlers();
  void DetachFocusHandlers();

  void TembricDBAfterScroll();
  void TreeFocusChanging(NodeHandle oldNode, NodeHandle newNode);
  void TreeFocusChanged(NodeHandle node);

  // Quiet mode; does not nest (a second Disable overwrites what the first remembered).
  void DisableDBControls();
  void EnableDBControls();
  bool Quiet() const { return quiet_; }
  // Inside quiet mode: the table's notifications to bound controls resume
  // (a dialog bound to the current row needs them) while everything else
  // stays quiet. Leaving quiet mode then does not resume them a second time.
  void ResumeControls();
  // The row that leaving quiet mode returns to.
  void SetReturnPath(std::string fullName);
  const std::string& ReturnPath() const { return rememberedFullName_; }

  // The node of the current row (its Node field) when that is a node of this
  // tree; kNoNode otherwise, or when the table has no current row.
  NodeHandle CurrentRowNode() const;

  // Makes the row with this FullName current (in TembricByFullName); the
  // current row stays when there is none. Runs the after-scroll reaction when attached.
  bool PositionOnKey(std::string_view fullName);
  // First row of the range at or after the path, or the range's last row.
  void PositionNearest(std::string_view fullName);

  // Limits the table to the children of `node`'s parent (its level): the
  // range runs from the lowest to the highest FullName among them in the
  // table's order, which is the first and the last child's whenever the
  // tree's order and the table's agree. (They differ where letter case
  // decides: the tree puts "b" before "C", the table "\C" before "\b".)
  void RangeToLevelOf(NodeHandle node);

  // The end of the main window's creation: sort the top level, focus the
  // first node, select TembricByFullName, range to its level, make its row
  // current, attach everything and go to the first row of the range.
  void AlignAtStart();

 private:
  TreeModel& tree_;
  store::DataTable& records_;
  SyncView& view_;
  std::string rememberedFullName_;
  std::string rememberedIndex_;
  std::string rememberedFieldNames_;  // when no named index was active
  bool afterScrollAttached_ = false;
  bool quiet_ = false;
  bool controlsSuspended_ = false;  // by DisableDBControls, not yet resumed
};

}  // namespace tembric::tree
