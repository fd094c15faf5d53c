#pragma once
// The record tree as a model of our own: nodes with their data, order,
// expansion, focus and selected mark. The Win32 tree control only displays
// it (it asks for texts and images, and is told about changes through
// TreeObserver); everything the program decides about the tree happens here.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "tree/NodeData.h"

namespace tembric::platform {
class Collation;
}

namespace tembric::tree {

// Told about every change, so that a display can follow. Called after the
// change, except NodeRemoving (before).
class TreeObserver {
 public:
  virtual ~TreeObserver() = default;
  virtual void NodeAdded(NodeHandle parent, NodeHandle node) = 0;  // parent kNoNode: top level
  virtual void NodeRemoving(NodeHandle node) = 0;                  // with its subtree
  virtual void NodeMoved(NodeHandle node, NodeHandle oldParent) = 0;
  virtual void ChildrenReordered(NodeHandle parent) = 0;
  virtual void NodeChanged(NodeHandle node) = 0;  // data, caption, images
  virtual void ExpansionChanged(NodeHandle node, bool expanded) = 0;
  virtual void FocusMoved(NodeHandle oldNode, NodeHandle newNode) = 0;
  virtual void SelectionChanged(NodeHandle node, bool selected) = 0;
  virtual void Cleared() = 0;
};

class TreeModel {
 public:
  // Siblings are ordered by Subject with `collation`, stably.
  explicit TreeModel(const platform::Collation& collation);
  // The same with a given handle key instead of a random one. Handles mix a
  // node's slot and generation with the key, so that models with different
  // keys (different runs) hand out unrelated handles. For tests and tools
  // that need the same handles every time.
  TreeModel(const platform::Collation& collation, std::uint32_t handleKey);
  ~TreeModel();
  TreeModel(const TreeModel&) = delete;
  TreeModel& operator=(const TreeModel&) = delete;

  // ---- Structure ----------------------------------------------------------
  // Adds a node as the last child of `parent` (kNoNode: top level), then
  // re-sorts that parent's children. Returns the new node. Many additions
  // in a row cost n log n: the new nodes are put in place together when the
  // order is next read.
  NodeHandle AddChild(NodeHandle parent, TNodeData data);
  // Deletes `node` with its whole subtree. Focus on a deleted node moves to
  // kNoNode without calling the focus handlers.
  void Delete(NodeHandle node);
  // Makes `node` (with its subtree) the last child of `newParent`
  // (kNoNode: top level). No re-sort follows. Moving a node below itself is refused.
  void MoveTo(NodeHandle node, NodeHandle newParent);
  void Clear();
  // Makes room for `count` nodes in all, so that adding up to that many
  // allocates no further node storage.
  void Reserve(std::size_t count);

  bool IsValid(NodeHandle node) const;
  // nullptr for an invalid node. Writable access first puts the node and its
  // siblings in place, so that a Subject written through it does not decide
  // the place of the nodes added before.
  TNodeData* Data(NodeHandle node);
  const TNodeData* Data(NodeHandle node) const;
  // After the caller rewrote Data(). A caller that changes a Subject calls
  // it, so that the next AddChild under that parent restores the order.
  void NotifyChanged(NodeHandle node);
  // Sets the two marks shown beside a record, which play no part in the
  // order, and tells observers (NodeChanged); cheap also for a node just added.
  void SetMarks(NodeHandle node, std::int32_t hotkeySlot, bool hasKeystroke);
  std::size_t NodeCount() const;
  // What siblings are ordered with; it also folds the letter case of folder
  // paths.
  const platform::Collation& Collation() const;

  // ---- Navigation (kNoNode where there is none) -------------------------------
  NodeHandle Parent(NodeHandle node) const;        // kNoNode at the top level
  NodeHandle FirstChild(NodeHandle parent) const;  // parent kNoNode: first top-level node
  NodeHandle LastChild(NodeHandle parent) const;
  NodeHandle NextSibling(NodeHandle node) const;
  NodeHandle PreviousSibling(NodeHandle node) const;
  std::size_t ChildCount(NodeHandle parent) const;  // direct children
  const std::vector<NodeHandle>& Children(NodeHandle parent) const;
  int Level(NodeHandle node) const;  // 0 at the top level
  // Visible: every ancestor expanded. Depth-first order.
  NodeHandle NextVisible(NodeHandle node) const;
  NodeHandle PreviousVisible(NodeHandle node) const;

  // ---- Order ----------------------------------------------------------------
  // Sorts one node's direct children (kNoNode: the top level), stably.
  void SortChildren(NodeHandle parent);
  int CompareNodes(NodeHandle a, NodeHandle b) const;  // by Subject

  // ---- Expansion ----------------------------------------------------------
  // Only a node with children is expanded; one that loses its last child
  // collapses.
  bool Expanded(NodeHandle node) const;
  void Expand(NodeHandle node);  // re-sorts the node's children
  void Collapse(NodeHandle node);
  void CollapseAll();

  // ---- Focus and selected mark -------------------------------------------
  NodeHandle Focused() const;
  // Moves the focus: calls the focus-changing handler (old, new) before and
  // the focus-changed handler (new) after, when attached. The node's
  // collapsed ancestors are expanded so that it is visible, as the tree
  // control does. Focusing the focused node again, or a handle that is not
  // valid (other than kNoNode, which removes the focus), changes nothing.
  void SetFocused(NodeHandle node);
  using FocusChangingHandler = std::function<void(NodeHandle oldNode, NodeHandle newNode)>;
  using FocusChangedHandler = std::function<void(NodeHandle node)>;
  void SetFocusChanging(FocusChangingHandler handler);  // empty: detached
  void SetFocusChanged(FocusChangedHandler handler);
  bool Selected(NodeHandle node) const;
  void SetSelected(NodeHandle node, bool selected);

  void AddObserver(TreeObserver* observer);
  void RemoveObserver(TreeObserver* observer);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tembric::tree
