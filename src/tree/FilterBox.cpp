#include "tree/FilterBox.h"

#include "store/Tables.h"
#include "tree/SelectionSync.h"
#include "tree/TreeModel.h"

namespace tembric::tree {
namespace {

namespace vk = platform::vk;

bool IsTreeNavigationKey(int key) { return key >= vk::kPageUp && key <= vk::kDown; }

bool IsFolder(const TreeModel& tree, NodeHandle node) {
  const TNodeData* data = tree.Data(node);
  return data != nullptr && data->Type == static_cast<std::int32_t>(store::RecordType::Folder);
}

}  // namespace

std::string UpperAsciiLetters(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

NodeHandle FindContextItem(const TreeModel& tree, NodeHandle contextRoot, std::string_view text) {
  if (text.empty() || !tree.IsValid(contextRoot)) return kNoNode;
  const std::string wanted = UpperAsciiLetters(text);
  for (NodeHandle item : tree.Children(contextRoot)) {
    if (UpperAsciiLetters(tree.Data(item)->Subject).find(wanted) != std::string::npos) return item;
  }
  return kNoNode;
}

FilterBox::FilterBox(TreeModel& tree, SelectionSync& sync, FilterView& view, FilterActions& actions)
    : tree_(tree), sync_(sync), view_(view), actions_(actions) {}

NodeHandle FilterBox::NodeInQuestion() const {
  const NodeHandle focused = tree_.Focused();
  return focused != kNoNode ? focused : tree_.FirstChild(kNoNode);
}

void FilterBox::TextChanged() {
  const std::string text = view_.FilterText();
  const NodeHandle focused = tree_.Focused();
  const TNodeData* data = tree_.Data(focused);
  const std::string key = (data != nullptr ? data->Category : std::string()) + "\\" + text;
  if (data != nullptr && data->IsContextItem) {
    // Context items are the children of the context folder.
    if (const NodeHandle item = FindContextItem(tree_, tree_.Parent(focused), text)) {
      tree_.SetFocused(item);
      return;
    }
  }
  // The after-scroll reaction shows the row and focuses its node.
  sync_.PositionNearest(key);
}

void FilterBox::KeyDown(int& key, ShiftState shift) {
  if (!view_.FilterHasInputFocus()) {
    // Typed in the tree: the box takes over; the tree keeps its own
    // navigation keys, every other key goes to the box.
    view_.FocusFilterBox();
    if (IsTreeNavigationKey(key)) return;
    view_.RedeliverKey(key);
    key = 0;
    return;
  }
  if (shift.ctrl || shift.alt) return;
  const NodeHandle node = NodeInQuestion();
  if (node == kNoNode) return;
  const bool hasChildren = tree_.ChildCount(node) > 0;

  switch (key) {
    case vk::kRight:
      if (!hasChildren) return;
      tree_.Expand(node);
      key = 0;
      return;
    case vk::kLeft:
      if (!hasChildren) return;
      tree_.Collapse(node);
      key = 0;
      return;
    case vk::kDown:
      key = 0;
      MoveFocusAndShowName(node, tree_.NextVisible(node));
      return;
    case vk::kUp:
      key = 0;
      MoveFocusAndShowName(node, tree_.PreviousVisible(node));
      return;
    case vk::kInsert:
      key = 0;
      actions_.NewRecord();
      return;
    case vk::kReturn:
      key = 0;
      ToggleOrPaste(node);
      return;
    default:
      return;  // the box edits its text
  }
}

void FilterBox::MoveFocusAndShowName(NodeHandle node, NodeHandle target) {
  if (target != kNoNode) tree_.SetFocused(target);
  const NodeHandle shown = tree_.Focused() != kNoNode ? tree_.Focused() : node;
  if (const TNodeData* data = tree_.Data(shown)) view_.SetFilterTextSelected(data->Subject);
}

void FilterBox::KeyPress(char& ch) {
  if (ch == kEnterChar) ch = 0;
}

void FilterBox::ToggleOrPaste(NodeHandle node) {
  if (tree_.ChildCount(node) > 0) {
    if (tree_.Expanded(node)) {
      tree_.Collapse(node);
    } else {
      tree_.Expand(node);
    }
  } else if (!IsFolder(tree_, node)) {
    actions_.PasteCurrent();
  }
}

bool FilterBox::TreeDblClick() {
  const NodeHandle node = NodeInQuestion();
  if (node == kNoNode) return false;
  ToggleOrPaste(node);
  return true;
}

}  // namespace tembric::tree
