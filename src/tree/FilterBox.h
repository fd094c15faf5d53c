#pragma once
// The filter box below the record tree: typing moves the tree's
// focus to the nearest record of the focused node's level, and the keyboard
// drives the tree from the box. Keys typed while the tree has the input
// focus are handed on to the box. Nothing here knows the window system: the
// box and the commands are reached through FilterView and FilterActions.

#include <string>
#include <string_view>

#include "platform/VirtualKeys.h"
#include "tree/NodeData.h"

namespace tembric::tree {

class TreeModel;
class SelectionSync;

// The character Enter types.
inline constexpr char kEnterChar = '\r';

struct ShiftState {
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
};

// The box and the input focus, as the filter logic sees them.
class FilterView {
 public:
  virtual ~FilterView() = default;
  virtual std::string FilterText() const = 0;
  // Replaces the text and selects all of it. Runs TextChanged, as any
  // change of the box's text does.
  virtual void SetFilterTextSelected(const std::string& text) = 0;
  virtual bool FilterHasInputFocus() const = 0;
  virtual void FocusFilterBox() = 0;
  // Delivers the key, with the character it types, to the box, which then
  // has the input focus, so that it acts there as if typed there.
  virtual void RedeliverKey(int key) = 0;
};

// The commands the keys and the double click run.
class FilterActions {
 public:
  virtual ~FilterActions() = default;
  virtual void NewRecord() = 0;
  // The paste action in window mode, on the records table's current row.
  virtual void PasteCurrent() = 0;
};

// Upper-cases the letters a to z only; every other byte stays.
std::string UpperAsciiLetters(std::string_view text);

// The first child of `contextRoot`, in order, whose Subject contains `text`
// (letters a to z compared case-blind); kNoNode when none does or the text
// is empty.
NodeHandle FindContextItem(const TreeModel& tree, NodeHandle contextRoot, std::string_view text);

class FilterBox {
 public:
  FilterBox(TreeModel& tree, SelectionSync& sync, FilterView& view, FilterActions& actions);

  // The box's text changed: search the focused node's level for it.
  void TextChanged();
  // A key (platform::vk) went down in the box or in the tree. Sets `key` to 0 when it is
  // swallowed (the control that got it must not act on it).
  void KeyDown(int& key, ShiftState shift);
  // A character is about to be inserted into the box; Enter becomes 0.
  void KeyPress(char& ch);
  // A double click on the tree. Returns true when it opened or closed a
  // folder, so that the tree control must not toggle it a second time.
  bool TreeDblClick();

 private:
  // The focused node, or the first top-level node when none is focused.
  NodeHandle NodeInQuestion() const;
  void ToggleOrPaste(NodeHandle node);
  void MoveFocusAndShowName(NodeHandle node, NodeHandle target);

  TreeModel& tree_;
  SelectionSync& sync_;
  FilterView& view_;
  FilterActions& actions_;
};

}  // namespace tembric::tree
