#include "app/win32/RecordTreeView.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "app/win32/Controls.h"
#include "app/win32/Pictures.h"
#include "tree/TreeDisplay.h"

namespace tembric::app::win32 {
namespace {

using tree::kNoNode;
using tree::NodeHandle;

COLORREF ToColorRef(tree::Rgb rgb) { return RGB(rgb.red, rgb.green, rgb.blue); }

// Counts the control's changes made to follow the model, so that the
// notifications they cause do not go back to the model.
class Mirroring {
 public:
  explicit Mirroring(int& depth) : depth_(depth) { ++depth_; }
  ~Mirroring() { --depth_; }
  Mirroring(const Mirroring&) = delete;
  Mirroring& operator=(const Mirroring&) = delete;

 private:
  int& depth_;
};

NodeHandle NodeOfParam(LPARAM param) { return static_cast<NodeHandle>(param); }

constexpr UINT_PTR kDragSubclassId = 0x44524147;  // "DRAG"
// Opens a collapsed folder the mouse has rested on while dragging.
constexpr UINT_PTR kHoverTimer = 0x4452;
constexpr UINT kHoverMs = 600;
// Scrolls the rows while the dragging mouse is held at the top or bottom edge.
constexpr UINT_PTR kScrollTimer = 0x4453;
constexpr UINT kScrollMs = 100;

POINT PointOf(LPARAM lp) { return POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))}; }

struct SortOrder {
  std::unordered_map<NodeHandle, std::size_t> position;
};

int CALLBACK CompareByModelOrder(LPARAM a, LPARAM b, LPARAM order) {
  const auto& positions = reinterpret_cast<const SortOrder*>(order)->position;
  const auto pa = positions.find(NodeOfParam(a));
  const auto pb = positions.find(NodeOfParam(b));
  const std::size_t ia = pa == positions.end() ? SIZE_MAX : pa->second;
  const std::size_t ib = pb == positions.end() ? SIZE_MAX : pb->second;
  return ia < ib ? -1 : (ia > ib ? 1 : 0);
}

}  // namespace

RecordTreeView::RecordTreeView(tree::TreeModel& model) : model_(model) {}

RecordTreeView::~RecordTreeView() {
  model_.RemoveObserver(this);
  if (tree_) DestroyWindow(tree_);
}

HWND RecordTreeView::Create(HWND parent, int id) {
  tree_ = CreateControl({
      .parent = parent,
      .className = WC_TREEVIEWA,
      // Expand buttons (top level included), no lines, whole rows selected.
      .style = WS_TABSTOP | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_FULLROWSELECT | TVS_SHOWSELALWAYS,
      .exStyle = WS_EX_CLIENTEDGE,
      .id = id,
  });
  normalImages_ = CreateRecordImages();
  stateImages_ = CreateRecordStateImages();
  TreeView_SetImageList(tree_, normalImages_.get(), TVSIL_NORMAL);
  TreeView_SetImageList(tree_, stateImages_.get(), TVSIL_STATE);
  TreeView_SetTextColor(tree_, ToColorRef(tree::kNodeTextColour));
  return tree_;
}

void RecordTreeView::Attach() {
  // Installed last, so that the drag sees the mouse and Esc before the
  // filter box's key handling does.
  SetWindowSubclass(tree_, &DragProc, kDragSubclassId, reinterpret_cast<DWORD_PTR>(this));
  childrenShown_.insert(kNoNode);
  {
    Mirroring guard(mirroring_);
    for (NodeHandle node : model_.Children(kNoNode)) Insert(node, TVI_ROOT);
  }
  model_.AddObserver(this);
  if (model_.Focused() != kNoNode) FocusMoved(kNoNode, model_.Focused());
}

void RecordTreeView::Detach() {
  model_.RemoveObserver(this);
  ++mirroring_;  // never undone: nothing goes back to the model any more
}

bool RecordTreeView::ChildrenShown(NodeHandle parent) const { return childrenShown_.count(parent) != 0; }

HTREEITEM RecordTreeView::ItemOf(NodeHandle node) const {
  const auto it = items_.find(node);
  return it == items_.end() ? nullptr : it->second;
}

UINT RecordTreeView::StateImageMask(NodeHandle node) const {
  const int image = tree::TreeGetImageIndex(model_, node, tree::ImageKind::State);
  // State image n shows record image n - 1 (0 is none).
  return INDEXTOSTATEIMAGEMASK(image == tree::kNoImage ? 0 : image + 1);
}

HTREEITEM RecordTreeView::Insert(NodeHandle node, HTREEITEM parentItem, HTREEITEM after) {
  TVINSERTSTRUCTA insert{};
  insert.hParent = parentItem;
  insert.hInsertAfter = after;
  insert.item.mask = TVIF_TEXT | TVIF_CHILDREN | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_STATE;
  insert.item.pszText = LPSTR_TEXTCALLBACKA;
  insert.item.cChildren = I_CHILDRENCALLBACK;
  insert.item.iImage = I_IMAGECALLBACK;
  insert.item.iSelectedImage = I_IMAGECALLBACK;
  insert.item.lParam = static_cast<LPARAM>(node);
  insert.item.stateMask = TVIS_STATEIMAGEMASK;
  insert.item.state = StateImageMask(node);
  const auto item =
      reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
  if (!item) return nullptr;
  items_[node] = item;
  // A node the model holds open shows its children at once.
  if (model_.Expanded(node)) {
    ShowChildren(node);
    TreeView_Expand(tree_, item, TVE_EXPAND);
  }
  return item;
}

void RecordTreeView::ShowChildren(NodeHandle parent) {
  if (ChildrenShown(parent)) return;
  const HTREEITEM parentItem = parent == kNoNode ? TVI_ROOT : ItemOf(parent);
  if (!parentItem) return;
  childrenShown_.insert(parent);
  Mirroring guard(mirroring_);
  for (NodeHandle child : model_.Children(parent)) Insert(child, parentItem);
}

HTREEITEM RecordTreeView::EnsureItem(NodeHandle node) {
  if (node == kNoNode || !model_.IsValid(node)) return nullptr;
  if (HTREEITEM item = ItemOf(node)) return item;
  const NodeHandle parent = model_.Parent(node);
  if (parent != kNoNode && !EnsureItem(parent)) return nullptr;
  ShowChildren(parent);
  return ItemOf(node);
}

void RecordTreeView::Forget(NodeHandle node) {
  items_.erase(node);
  childrenShown_.erase(node);
  if (!model_.IsValid(node)) return;
  for (NodeHandle child : model_.Children(node)) Forget(child);
}

void RecordTreeView::DeleteItem(NodeHandle node) {
  const HTREEITEM item = ItemOf(node);
  Forget(node);
  if (!item) return;
  Mirroring guard(mirroring_);
  TreeView_DeleteItem(tree_, item);
}

void RecordTreeView::Repaint() {
  if (tree_) InvalidateRect(tree_, nullptr, FALSE);
}

void RecordTreeView::NodeAdded(NodeHandle parent, NodeHandle node) {
  if (ChildrenShown(parent)) {
    const HTREEITEM parentItem = parent == kNoNode ? TVI_ROOT : ItemOf(parent);
    // The model has put the node in its sorted place; the item goes to the
    // same place, behind the item of the sibling before it.
    const NodeHandle before = model_.PreviousSibling(node);
    const HTREEITEM afterItem = before == kNoNode ? TVI_FIRST : ItemOf(before);
    Mirroring guard(mirroring_);
    if (parentItem && afterItem) {
      Insert(node, parentItem, afterItem);
    } else if (parentItem) {
      Insert(node, parentItem);
      ChildrenReordered(parent);
    }
  }
  Repaint();  // the parent's button and child count
}

void RecordTreeView::NodeRemoving(NodeHandle node) {
  DeleteItem(node);
  Repaint();
}

void RecordTreeView::NodeMoved(NodeHandle node, NodeHandle /*oldParent*/) {
  // The item of the old place goes; the node appears again where its new
  // parent's children are shown.
  const HTREEITEM old = ItemOf(node);
  if (old) {
    items_.erase(node);
    // Its subtree's items go with it.
    std::vector<NodeHandle> stack{node};
    while (!stack.empty()) {
      const NodeHandle n = stack.back();
      stack.pop_back();
      items_.erase(n);
      childrenShown_.erase(n);
      for (NodeHandle child : model_.Children(n)) stack.push_back(child);
    }
    Mirroring guard(mirroring_);
    TreeView_DeleteItem(tree_, old);
  }
  const NodeHandle parent = model_.Parent(node);
  if (ChildrenShown(parent)) {
    const HTREEITEM parentItem = parent == kNoNode ? TVI_ROOT : ItemOf(parent);
    Mirroring guard(mirroring_);
    if (parentItem) Insert(node, parentItem);
  }
  if (model_.Focused() != kNoNode) FocusMoved(kNoNode, model_.Focused());
  Repaint();
}

void RecordTreeView::ChildrenReordered(NodeHandle parent) {
  if (!ChildrenShown(parent)) return;
  SortOrder order;
  const auto& children = model_.Children(parent);
  for (std::size_t i = 0; i < children.size(); ++i) order.position[children[i]] = i;
  TVSORTCB sort{};
  sort.hParent = parent == kNoNode ? TVI_ROOT : ItemOf(parent);
  if (!sort.hParent) return;
  sort.lpfnCompare = &CompareByModelOrder;
  sort.lParam = reinterpret_cast<LPARAM>(&order);
  Mirroring guard(mirroring_);
  TreeView_SortChildrenCB(tree_, &sort, FALSE);
}

void RecordTreeView::NodeChanged(NodeHandle node) {
  if (const HTREEITEM item = ItemOf(node)) {
    TVITEMA change{};
    change.mask = TVIF_STATE | TVIF_HANDLE;
    change.hItem = item;
    change.stateMask = TVIS_STATEIMAGEMASK;
    change.state = StateImageMask(node);
    Mirroring guard(mirroring_);
    SendMessageA(tree_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&change));
  }
  Repaint();
}

void RecordTreeView::ExpansionChanged(NodeHandle node, bool expanded) {
  if (mirroring_) return;
  HTREEITEM item = expanded ? EnsureItem(node) : ItemOf(node);
  if (!item) return;
  if (expanded) ShowChildren(node);
  Mirroring guard(mirroring_);
  TreeView_Expand(tree_, item, expanded ? TVE_EXPAND : TVE_COLLAPSE);
}

void RecordTreeView::FocusMoved(NodeHandle, NodeHandle newNode) {
  if (focusMoved_) focusMoved_();
  if (mirroring_) return;
  const HTREEITEM item = EnsureItem(newNode);
  Mirroring guard(mirroring_);
  TreeView_SelectItem(tree_, item);
  if (item) TreeView_EnsureVisible(tree_, item);
}

void RecordTreeView::SelectionChanged(NodeHandle, bool) { Repaint(); }

void RecordTreeView::Cleared() {
  {
    Mirroring guard(mirroring_);
    TreeView_DeleteAllItems(tree_);
  }
  items_.clear();
  childrenShown_.clear();
  childrenShown_.insert(kNoNode);
  Mirroring guard(mirroring_);
  for (NodeHandle node : model_.Children(kNoNode)) Insert(node, TVI_ROOT);
}

bool RecordTreeView::OnNotify(NMHDR* header, LRESULT* result) {
  if (header->code == NM_DBLCLK) {
    // Opened or closed by the handler: the control must not toggle it again.
    *result = doubleClick_ && doubleClick_() ? TRUE : FALSE;
    return true;
  }
  bool handled = false;
  *result = Notify(header, &handled);
  return handled;
}

LRESULT RecordTreeView::Notify(NMHDR* header, bool* handled) {
  *handled = true;
  switch (header->code) {
    case TVN_GETDISPINFOA:
    case TVN_GETDISPINFOW: {
      auto* info = reinterpret_cast<NMTVDISPINFOA*>(header);
      const NodeHandle node = NodeOfParam(info->item.lParam);
      if (info->item.mask & TVIF_TEXT) {
        const std::string text = tree::TreeGetText(model_, node);
        if (header->code == TVN_GETDISPINFOA) {
          if (info->item.cchTextMax > 0) {
            const auto n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(info->item.cchTextMax - 1));
            std::memcpy(info->item.pszText, text.data(), n);
            info->item.pszText[n] = '\0';
          }
        } else {
          auto* wide = reinterpret_cast<NMTVDISPINFOW*>(header);
          if (wide->item.cchTextMax > 0) {
            MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide->item.pszText, wide->item.cchTextMax);
            wide->item.pszText[wide->item.cchTextMax - 1] = L'\0';
          }
        }
      }
      if (info->item.mask & TVIF_CHILDREN) info->item.cChildren = model_.ChildCount(node) > 0 ? 1 : 0;
      if (info->item.mask & (TVIF_IMAGE | TVIF_SELECTEDIMAGE)) {
        const int image = tree::TreeGetImageIndex(model_, node, tree::ImageKind::Normal);
        const int shown = image == tree::kNoImage ? I_IMAGENONE : image;
        info->item.iImage = shown;
        info->item.iSelectedImage = shown;
      }
      return 0;
    }
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW: {
      auto* change = reinterpret_cast<NMTREEVIEWA*>(header);
      const NodeHandle node = NodeOfParam(change->itemNew.lParam);
      if (change->action & TVE_EXPAND) ShowChildren(node);
      if (!mirroring_) {
        Mirroring guard(mirroring_);
        if (change->action & TVE_EXPAND) {
          model_.Expand(node);
        } else if (change->action & TVE_COLLAPSE) {
          model_.Collapse(node);
        }
      }
      return FALSE;
    }
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW: {
      if (mirroring_) return 0;
      auto* change = reinterpret_cast<NMTREEVIEWA*>(header);
      const NodeHandle node = change->itemNew.hItem ? NodeOfParam(change->itemNew.lParam) : kNoNode;
      Mirroring guard(mirroring_);
      model_.SetFocused(node);
      return 0;
    }
    case NM_RCLICK: {
      // A right click selects the row under the mouse.
      TVHITTESTINFO hit{};
      GetCursorPos(&hit.pt);
      ScreenToClient(tree_, &hit.pt);
      if (const HTREEITEM item = TreeView_HitTest(tree_, &hit)) TreeView_SelectItem(tree_, item);
      if (!contextMenu_) return 0;
      POINT at{};
      GetCursorPos(&at);
      contextMenu_(at);
      return TRUE;  // no WM_CONTEXTMENU after it
    }
    case TVN_BEGINDRAGA:
    case TVN_BEGINDRAGW: {
      auto* drag = reinterpret_cast<NMTREEVIEWA*>(header);
      BeginDrag(drag->itemNew.hItem, NodeOfParam(drag->itemNew.lParam));
      return 0;
    }
    case NM_CUSTOMDRAW:
      return CustomDraw(reinterpret_cast<NMTVCUSTOMDRAW*>(header));
  }
  *handled = false;
  return 0;
}

// ---- Drag and drop ---------------------------------------------------------------

void RecordTreeView::BeginDrag(HTREEITEM item, NodeHandle node) {
  if (dragging_ || !item || mirroring_) return;
  // The drag moves the focused node: the row under the mouse is focused first.
  TreeView_SelectItem(tree_, item);
  if (model_.Focused() != node || !drag_.allowed || !drag_.allowed(node)) return;
  dragging_ = true;
  hovered_ = nullptr;
  SetCapture(tree_);
  SetTimer(tree_, kScrollTimer, kScrollMs, nullptr);
}

NodeHandle RecordTreeView::NodeAt(POINT client, HTREEITEM* item) const {
  TVHITTESTINFO hit{};
  hit.pt = client;
  *item = TreeView_HitTest(tree_, &hit);
  if (!*item || !(hit.flags & (TVHT_ONITEM | TVHT_ONITEMBUTTON | TVHT_ONITEMINDENT | TVHT_ONITEMRIGHT))) {
    *item = nullptr;
    return kNoNode;
  }
  TVITEMA data{};
  data.mask = TVIF_PARAM | TVIF_HANDLE;
  data.hItem = *item;
  SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
  return NodeOfParam(data.lParam);
}

void RecordTreeView::DragMove(POINT client) {
  HTREEITEM item = nullptr;
  const NodeHandle target = NodeAt(client, &item);
  const bool accepted = target != kNoNode && drag_.over && drag_.over(target);
  {
    Mirroring guard(mirroring_);
    TreeView_SelectDropTarget(tree_, accepted ? item : nullptr);
  }
  SetCursor(LoadCursor(nullptr, accepted ? IDC_ARROW : IDC_NO));
  if (item != hovered_) {
    hovered_ = item;
    if (item) {
      SetTimer(tree_, kHoverTimer, kHoverMs, nullptr);
    } else {
      KillTimer(tree_, kHoverTimer);
    }
  }
}

void RecordTreeView::OpenHoveredFolder() {
  KillTimer(tree_, kHoverTimer);
  if (!dragging_ || !hovered_) return;
  POINT at{};
  GetCursorPos(&at);
  ScreenToClient(tree_, &at);
  HTREEITEM item = nullptr;
  const NodeHandle node = NodeAt(at, &item);
  if (item != hovered_ || node == kNoNode || model_.Expanded(node) || model_.ChildCount(node) == 0) return;
  model_.Expand(node);
  DragMove(at);
}

void RecordTreeView::ScrollNearEdge() {
  if (!dragging_) return;
  POINT at{};
  GetCursorPos(&at);
  ScreenToClient(tree_, &at);
  RECT client{};
  GetClientRect(tree_, &client);
  if (at.x < client.left || at.x >= client.right) return;
  // A third of a row at each edge: the middle of a whole row never scrolls.
  const int zone = std::max(3, static_cast<int>(TreeView_GetItemHeight(tree_)) / 3);
  WPARAM step = 0;
  if (at.y < client.top + zone) {
    step = SB_LINEUP;
  } else if (at.y >= client.bottom - zone) {
    step = SB_LINEDOWN;
  } else {
    return;
  }
  SendMessageA(tree_, WM_VSCROLL, MAKEWPARAM(step, 0), 0);
  // Another row may now lie under the resting mouse.
  DragMove(at);
}

void RecordTreeView::EndDrag(bool drop, POINT client) {
  if (!dragging_) return;
  dragging_ = false;
  hovered_ = nullptr;
  KillTimer(tree_, kHoverTimer);
  KillTimer(tree_, kScrollTimer);
  {
    Mirroring guard(mirroring_);
    TreeView_SelectDropTarget(tree_, nullptr);
  }
  if (GetCapture() == tree_) ReleaseCapture();
  SetCursor(LoadCursor(nullptr, IDC_ARROW));
  if (!drop) return;
  HTREEITEM item = nullptr;
  const NodeHandle target = NodeAt(client, &item);
  if (target != kNoNode && drag_.over && drag_.over(target) && drag_.drop) drag_.drop(target);
}

LRESULT CALLBACK RecordTreeView::DragProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
  return reinterpret_cast<RecordTreeView*>(self)->OnDragMessage(hwnd, msg, wp, lp);
}

LRESULT RecordTreeView::OnDragMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCDESTROY) {
    dragging_ = false;
    RemoveWindowSubclass(hwnd, &DragProc, kDragSubclassId);
    return DefSubclassProc(hwnd, msg, wp, lp);
  }
  if (msg == WM_CONTEXTMENU && !dragging_ && contextMenu_) {
    // The menu key or Shift+F10: the menu at the focused row.
    POINT at = PointOf(lp);
    if (at.x == -1 && at.y == -1) {
      RECT row{};
      const HTREEITEM selected = TreeView_GetSelection(tree_);
      if (selected && TreeView_GetItemRect(tree_, selected, &row, TRUE)) {
        at = {row.left, row.bottom};
      } else {
        at = {0, 0};
      }
      ClientToScreen(tree_, &at);
    }
    contextMenu_(at);
    return 0;
  }
  if (!dragging_) return DefSubclassProc(hwnd, msg, wp, lp);
  switch (msg) {
    case WM_MOUSEMOVE:
      DragMove(PointOf(lp));
      return 0;
    case WM_LBUTTONUP:
      EndDrag(true, PointOf(lp));
      return 0;
    case WM_RBUTTONDOWN:
      EndDrag(false, PointOf(lp));
      return 0;
    case WM_KEYDOWN:
      if (wp == VK_ESCAPE) EndDrag(false, {});
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lp) != tree_) EndDrag(false, {});
      break;
    case WM_CANCELMODE:
      EndDrag(false, {});
      break;
    case WM_TIMER:
      if (wp == kHoverTimer) {
        OpenHoveredFolder();
        return 0;
      }
      if (wp == kScrollTimer) {
        ScrollNearEdge();
        return 0;
      }
      break;
    case WM_SETCURSOR:
      return TRUE;  // the drag's cursor stays
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT RecordTreeView::CustomDraw(NMTVCUSTOMDRAW* draw) {
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
      const NodeHandle node = NodeOfParam(draw->nmcd.lItemlParam);
      const auto item = reinterpret_cast<HTREEITEM>(draw->nmcd.dwItemSpec);
      const UINT state = TreeView_GetItemState(tree_, item, TVIS_DROPHILITED | TVIS_SELECTED);
      draw->clrText = ToColorRef(tree::kNodeTextColour);
      if (state & TVIS_DROPHILITED) {
        draw->clrTextBk = ToColorRef(tree::kDropTargetBackground);
        return CDRF_NOTIFYPOSTPAINT;
      }
      if ((state & TVIS_SELECTED) || model_.Selected(node)) {
        draw->clrTextBk = ToColorRef(tree::kSelectionBackground);
        return GetFocus() == tree_ ? CDRF_DODEFAULT : CDRF_NOTIFYPOSTPAINT;
      }
      draw->clrTextBk = GetSysColor(COLOR_WINDOW);
      return CDRF_DODEFAULT;
    }
    case CDDS_ITEMPOSTPAINT: {
      const auto item = reinterpret_cast<HTREEITEM>(draw->nmcd.dwItemSpec);
      const UINT state = TreeView_GetItemState(tree_, item, TVIS_DROPHILITED);
      RECT row = draw->nmcd.rc;
      FrameRect(draw->nmcd.hdc, &row, GetSysColorBrush((state & TVIS_DROPHILITED) ? COLOR_BTNTEXT : COLOR_HIGHLIGHT));
      return CDRF_DODEFAULT;
    }
  }
  return CDRF_DODEFAULT;
}

}  // namespace tembric::app::win32
