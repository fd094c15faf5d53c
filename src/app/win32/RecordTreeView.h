#pragma once
// The record tree on screen: a SysTreeView32 that displays a TreeModel.
// Items are inserted lazily (the top level at once, a folder's children
// when it is first expanded); texts, child buttons and normal images are
// asked for through callbacks, so they always show the model's state. The
// model's changes arrive through TreeObserver; the user's focus and
// expansion changes go back to the model. The control's notifications come
// here from the parent window (ChildControl).
#include <windows.h>
// Needs the declarations of <windows.h> first.
#include <commctrl.h>

#include <functional>
#include <unordered_map>
#include <unordered_set>

#include "app/win32/Window.h"
#include "platform/win32/Handles.h"
#include "tree/TreeModel.h"

namespace tembric::app::win32 {

class RecordTreeView final : public tree::TreeObserver, public ChildControl {
 public:
  explicit RecordTreeView(tree::TreeModel& model);
  ~RecordTreeView() override;
  RecordTreeView(const RecordTreeView&) = delete;
  RecordTreeView& operator=(const RecordTreeView&) = delete;

  // Creates the control with its image lists, still empty.
  HWND Create(HWND parent, int id);
  // Shows the model's top level and its focus, then follows the model. Done
  // after the start-up build, so that building a big library costs one pass
  // over the top level rather than one control update per record.
  void Attach();
  HWND Hwnd() const { return tree_; }
  // Stops following the model and reporting to it (the window is going).
  void Detach();

  // A double click on a row; the handler returns true when it opened or
  // closed the row's folder itself, so that the control does not toggle it
  // a second time.
  void SetDoubleClickHandler(std::function<bool()> handler) { doubleClick_ = std::move(handler); }
  // After a right click has selected the row under the mouse (or Shift+F10,
  // the menu key): opens the tree's context menu at `screen`.
  void SetContextMenuHandler(std::function<void(POINT screen)> handler) { contextMenu_ = std::move(handler); }
  // Whenever the model's focus moved.
  void SetFocusMovedHandler(std::function<void()> handler) { focusMoved_ = std::move(handler); }

  // Drag and drop of the focused node within the control: a drag starts on
  // the row under the mouse (focused first) when `allowed`; while the mouse
  // moves with the button down, the row under it is highlighted when `over`
  // accepts it (the cursor says "no" otherwise), a collapsed folder under
  // the mouse opens after a short hover, and the rows scroll by one every
  // tick while the mouse is held at the top or bottom edge (or beyond it);
  // releasing the button over an accepted row runs `drop`. Esc, the right
  // button or a lost capture cancels. Only the control's own rows are
  // dropped.
  struct DragHandlers {
    std::function<bool(tree::NodeHandle node)> allowed;
    std::function<bool(tree::NodeHandle target)> over;
    std::function<void(tree::NodeHandle target)> drop;
  };
  void SetDragHandlers(DragHandlers handlers) { drag_ = std::move(handlers); }
  bool Dragging() const { return dragging_; }

  // ---- ChildControl ----------------------------------------------------------
  HWND ControlHwnd() const override { return tree_; }
  bool OnNotify(NMHDR* header, LRESULT* result) override;

  // ---- TreeObserver ----------------------------------------------------------
  void NodeAdded(tree::NodeHandle parent, tree::NodeHandle node) override;
  void NodeRemoving(tree::NodeHandle node) override;
  void NodeMoved(tree::NodeHandle node, tree::NodeHandle oldParent) override;
  void ChildrenReordered(tree::NodeHandle parent) override;
  void NodeChanged(tree::NodeHandle node) override;
  void ExpansionChanged(tree::NodeHandle node, bool expanded) override;
  void FocusMoved(tree::NodeHandle oldNode, tree::NodeHandle newNode) override;
  void SelectionChanged(tree::NodeHandle node, bool selected) override;
  void Cleared() override;

 private:
  bool ChildrenShown(tree::NodeHandle parent) const;
  HTREEITEM ItemOf(tree::NodeHandle node) const;
  HTREEITEM Insert(tree::NodeHandle node, HTREEITEM parentItem, HTREEITEM after = TVI_LAST);
  void ShowChildren(tree::NodeHandle parent);
  // The node's item, inserting its ancestors' children as needed.
  HTREEITEM EnsureItem(tree::NodeHandle node);
  void Forget(tree::NodeHandle node);  // the node and its subtree
  void DeleteItem(tree::NodeHandle node);
  UINT StateImageMask(tree::NodeHandle node) const;
  void Repaint();
  // The notifications other than the double click; sets *handled.
  LRESULT Notify(NMHDR* header, bool* handled);
  LRESULT CustomDraw(NMTVCUSTOMDRAW* draw);
  // Drag and drop.
  void BeginDrag(HTREEITEM item, tree::NodeHandle node);
  // The node of the row under the client point, and its item.
  tree::NodeHandle NodeAt(POINT client, HTREEITEM* item) const;
  void DragMove(POINT client);
  void EndDrag(bool drop, POINT client);
  void OpenHoveredFolder();
  void ScrollNearEdge();
  static LRESULT CALLBACK DragProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);
  LRESULT OnDragMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  tree::TreeModel& model_;
  std::function<bool()> doubleClick_;
  std::function<void(POINT)> contextMenu_;
  std::function<void()> focusMoved_;
  DragHandlers drag_;
  bool dragging_ = false;
  HTREEITEM hovered_ = nullptr;  // the row under the mouse while dragging
  HWND tree_ = nullptr;
  platform::win32::OwnedImageList normalImages_;
  platform::win32::OwnedImageList stateImages_;
  std::unordered_map<tree::NodeHandle, HTREEITEM> items_;
  std::unordered_set<tree::NodeHandle> childrenShown_;  // kNoNode: the top level
  int mirroring_ = 0;                                   // >0 while the control is changed to follow the model
};

}  // namespace tembric::app::win32
