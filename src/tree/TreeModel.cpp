#include "tree/TreeModel.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <stdexcept>

#include "platform/Collation.h"

namespace tembric::tree {
namespace {

// A handle is (generation << kSlotBits | slot) XOR the model's key: 31 bits,
// so always positive once the one combination giving 0 is skipped. A slot
// whose generations are used up is retired, never reused, so that no handle
// of a deleted node becomes valid again in the same model. The key is drawn
// for every model, so a handle kept from an earlier run names a live node
// only by chance (about NodeCount() in 2^31).
constexpr int kSlotBits = 20;
constexpr std::uint32_t kSlotMask = (1u << kSlotBits) - 1;
constexpr std::uint32_t kMaxGeneration = (1u << (31 - kSlotBits)) - 1;
constexpr std::uint32_t kHandleBits = 0x7FFF'FFFFu;

std::uint32_t RandomKey() {
  std::random_device device;
  const auto ticks = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  std::seed_seq seq{device(), device(), static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
  std::mt19937 engine(seq);
  return static_cast<std::uint32_t>(engine()) & kHandleBits;
}

}  // namespace

// A node's children, or the top level.
struct ChildList {
  std::vector<NodeHandle> items;
  // Nodes added while the list was sorted and not yet placed among `items`,
  // in order of addition. They are merged in when the order is next read
  // (Impl::Merge): many additions in a row cost one sort and one merge, not
  // a shift of `items` each.
  std::vector<NodeHandle> added;
  bool sorted = true;           // known to be in order (non-decreasing by Subject) once merged
  bool positionsStale = false;  // Node::position of the items needs renumbering

  std::size_t Count() const { return items.size() + added.size(); }
};

struct Node {
  NodeHandle handle = kNoNode;  // kNoNode while the slot is free
  std::uint32_t generation = 0;
  NodeHandle parent = kNoNode;
  std::size_t position = 0;  // index among its siblings (see ChildList::positionsStale)
  bool expanded = false;
  bool selected = false;
  TNodeData data;
  ChildList children;
};

struct TreeModel::Impl {
  Impl(const platform::Collation& c, std::uint32_t k) : collation(c), key(k & kHandleBits) {}

  const platform::Collation& collation;
  const std::uint32_t key;
  std::vector<Node> nodes;           // by slot
  std::vector<std::uint32_t> spare;  // free slots
  ChildList top;
  std::size_t count = 0;
  NodeHandle focused = kNoNode;
  FocusChangingHandler changing;
  FocusChangedHandler changed;
  std::vector<TreeObserver*> observers;

  // ---- Handles -----------------------------------------------------------------

  NodeHandle HandleOf(std::uint32_t generation, std::uint32_t slot) const {
    return static_cast<NodeHandle>(((generation << kSlotBits) | slot) ^ key);
  }

  Node* Find(NodeHandle h) {
    if (h <= 0) return nullptr;
    const std::uint32_t slot = (static_cast<std::uint32_t>(h) ^ key) & kSlotMask;
    if (slot >= nodes.size()) return nullptr;
    Node& n = nodes[slot];
    return n.handle == h ? &n : nullptr;
  }

  // Only for handles known to be valid.
  Node& At(NodeHandle h) { return nodes[(static_cast<std::uint32_t>(h) ^ key) & kSlotMask]; }

  // The first generation at or after `from` whose handle is not kNoNode;
  // above kMaxGeneration when the slot is used up.
  std::uint32_t UsableGeneration(std::uint32_t from, std::uint32_t slot) const {
    return HandleOf(from, slot) == kNoNode ? from + 1 : from;
  }

  NodeHandle Allocate() {
    std::uint32_t slot;
    if (!spare.empty()) {
      slot = spare.back();
      spare.pop_back();
    } else {
      if (nodes.size() > kSlotMask) throw std::length_error("The tree cannot hold more nodes");
      slot = static_cast<std::uint32_t>(nodes.size());
      nodes.emplace_back();
      nodes.back().generation = UsableGeneration(0, slot);
    }
    Node& n = nodes[slot];
    n.handle = HandleOf(n.generation, slot);
    ++count;
    return n.handle;
  }

  void Release(Node& n) {
    const std::uint32_t slot = (static_cast<std::uint32_t>(n.handle) ^ key) & kSlotMask;
    n.handle = kNoNode;
    n.parent = kNoNode;
    n.expanded = n.selected = false;
    n.data = TNodeData();
    n.children = ChildList();
    --count;
    n.generation = UsableGeneration(n.generation + 1, slot);
    if (n.generation <= kMaxGeneration) spare.push_back(slot);  // else retired for good
  }

  // ---- Children ----------------------------------------------------------------

  ChildList* ListOf(NodeHandle parent) {
    if (parent == kNoNode) return &top;
    Node* p = Find(parent);
    return p != nullptr ? &p->children : nullptr;
  }

  // The children in order, with the added ones merged in.
  ChildList* OrderedListOf(NodeHandle parent) {
    ChildList* list = ListOf(parent);
    if (list != nullptr) Merge(*list);
    return list;
  }

  std::size_t PositionOf(NodeHandle h) {
    Node& n = At(h);
    ChildList& list = *OrderedListOf(n.parent);
    if (list.positionsStale) {
      for (std::size_t i = 0; i < list.items.size(); ++i) At(list.items[i]).position = i;
      list.positionsStale = false;
    }
    return n.position;
  }

  void Remove(ChildList& list, NodeHandle h) {
    const std::size_t p = PositionOf(h);
    list.items.erase(list.items.begin() + static_cast<std::ptrdiff_t>(p));
    if (p < list.items.size()) list.positionsStale = true;
  }

  // After `parent` lost a child: a node without children is not expanded.
  void CollapseIfEmpty(NodeHandle parent) {
    if (parent == kNoNode) return;
    Node& p = At(parent);
    if (p.expanded && p.children.Count() == 0) {
      p.expanded = false;
      Notify([&](TreeObserver& o) { o.ExpansionChanged(parent, false); });
    }
  }

  // ---- Order -------------------------------------------------------------------

  int Compare(NodeHandle a, NodeHandle b) { return collation.Compare(At(a).data.Subject, At(b).data.Subject); }

  bool Before(NodeHandle a, NodeHandle b) { return Compare(a, b) < 0; }

  // Places the added nodes where adding them one by one at the place that
  // appending and sorting stably gives would have put them: each after every
  // sibling that does not sort after it, so equal Subjects keep their order
  // of addition. A stable sort of the added nodes and a stable merge give
  // that in n log n.
  void Merge(ChildList& list) {
    if (list.added.empty()) return;
    const auto less = [this](NodeHandle a, NodeHandle b) { return Before(a, b); };
    std::stable_sort(list.added.begin(), list.added.end(), less);
    if (list.items.empty() || !Before(list.added.front(), list.items.back())) {
      for (std::size_t i = 0; i < list.added.size(); ++i) At(list.added[i]).position = list.items.size() + i;
      list.items.insert(list.items.end(), list.added.begin(), list.added.end());
    } else {
      std::vector<NodeHandle> merged;
      merged.reserve(list.Count());
      std::merge(list.items.begin(), list.items.end(), list.added.begin(), list.added.end(), std::back_inserter(merged),
                 less);
      list.items.swap(merged);
      list.positionsStale = true;
    }
    list.added.clear();
  }

  // Sorts stably; true when the order changed. Merging the added nodes is
  // no change: they were in their place for every reader.
  bool Sort(ChildList& list) {
    Merge(list);
    const auto less = [this](NodeHandle a, NodeHandle b) { return Before(a, b); };
    bool changed = false;
    if (!std::is_sorted(list.items.begin(), list.items.end(), less)) {
      std::stable_sort(list.items.begin(), list.items.end(), less);
      list.positionsStale = true;
      changed = true;
    }
    list.sorted = true;
    return changed;
  }

  // ---- Expansion and focus -----------------------------------------------------

  void Expand(NodeHandle h) {
    Node& n = At(h);
    if (n.expanded || n.children.Count() == 0) return;
    n.expanded = true;
    Notify([&](TreeObserver& o) { o.ExpansionChanged(h, true); });
    if (Sort(At(h).children)) Notify([&](TreeObserver& o) { o.ChildrenReordered(h); });
  }

  void ExpandAncestors(NodeHandle h) {
    std::vector<NodeHandle> path;
    for (NodeHandle p = At(h).parent; p != kNoNode; p = At(p).parent) path.push_back(p);
    for (auto it = path.rbegin(); it != path.rend(); ++it) Expand(*it);
  }

  // The outermost collapsed ancestor; kNoNode when the node is visible.
  NodeHandle HiddenUnder(NodeHandle h) {
    NodeHandle hidden = kNoNode;
    for (NodeHandle p = At(h).parent; p != kNoNode; p = At(p).parent) {
      if (!At(p).expanded) hidden = p;
    }
    return hidden;
  }

  NodeHandle NextSibling(NodeHandle h) {
    const std::size_t p = PositionOf(h);
    const ChildList& list = *ListOf(At(h).parent);
    return p + 1 < list.items.size() ? list.items[p + 1] : kNoNode;
  }

  NodeHandle PreviousSibling(NodeHandle h) {
    const std::size_t p = PositionOf(h);
    const ChildList& list = *ListOf(At(h).parent);
    return p > 0 ? list.items[p - 1] : kNoNode;
  }

  // ---- Observers ---------------------------------------------------------------

  template <typename F>
  void Notify(F&& f) {
    const std::vector<TreeObserver*> copy = observers;  // an observer may remove itself
    for (TreeObserver* o : copy) {
      if (std::find(observers.begin(), observers.end(), o) != observers.end()) f(*o);
    }
  }
};

TreeModel::TreeModel(const platform::Collation& collation) : TreeModel(collation, RandomKey()) {}

TreeModel::TreeModel(const platform::Collation& collation, std::uint32_t handleKey)
    : impl_(std::make_unique<Impl>(collation, handleKey)) {}

TreeModel::~TreeModel() = default;

// ---- Structure -----------------------------------------------------------------------

NodeHandle TreeModel::AddChild(NodeHandle parent, TNodeData data) {
  Impl& t = *impl_;
  if (parent != kNoNode && t.Find(parent) == nullptr) {
    throw std::invalid_argument("A node cannot be added below a node that does not exist");
  }
  const NodeHandle h = t.Allocate();  // may move the nodes: references only from here on
  Node& n = t.At(h);
  n.data = std::move(data);
  n.parent = parent;
  ChildList& list = *t.ListOf(parent);
  bool reordered = false;
  if (list.sorted) {
    list.added.push_back(h);  // placed when the order is next read
  } else {
    n.position = list.items.size();
    list.items.push_back(h);
    reordered = t.Sort(list);
  }
  t.Notify([&](TreeObserver& o) { o.NodeAdded(parent, h); });
  if (reordered) t.Notify([&](TreeObserver& o) { o.ChildrenReordered(parent); });
  return h;
}

void TreeModel::Delete(NodeHandle node) {
  Impl& t = *impl_;
  Node* n = t.Find(node);
  if (n == nullptr) return;
  t.Notify([&](TreeObserver& o) { o.NodeRemoving(node); });
  n = t.Find(node);  // an observer must not delete, but stay safe
  if (n == nullptr) return;
  const NodeHandle parent = n->parent;
  t.Remove(*t.ListOf(parent), node);
  const NodeHandle oldFocus = t.focused;
  bool focusLost = false;
  std::vector<NodeHandle> pending{node};
  while (!pending.empty()) {
    const NodeHandle h = pending.back();
    pending.pop_back();
    Node& each = t.At(h);
    pending.insert(pending.end(), each.children.items.begin(), each.children.items.end());
    pending.insert(pending.end(), each.children.added.begin(), each.children.added.end());
    if (h == t.focused) focusLost = true;
    t.Release(each);
  }
  if (focusLost) {
    t.focused = kNoNode;
    t.Notify([&](TreeObserver& o) { o.FocusMoved(oldFocus, kNoNode); });
  }
  t.CollapseIfEmpty(parent);
}

void TreeModel::MoveTo(NodeHandle node, NodeHandle newParent) {
  Impl& t = *impl_;
  if (t.Find(node) == nullptr) return;
  if (newParent != kNoNode) {
    if (t.Find(newParent) == nullptr) return;
    for (NodeHandle p = newParent; p != kNoNode; p = t.At(p).parent) {
      if (p == node) return;  // below itself
    }
  }
  Node& n = t.At(node);
  const NodeHandle oldParent = n.parent;
  t.Remove(*t.ListOf(oldParent), node);
  ChildList& to = *t.OrderedListOf(newParent);
  if (to.sorted && !to.items.empty() && t.Before(node, to.items.back())) to.sorted = false;
  n.parent = newParent;
  n.position = to.items.size();
  to.items.push_back(node);
  t.CollapseIfEmpty(oldParent);
  t.Notify([&](TreeObserver& o) { o.NodeMoved(node, oldParent); });
}

void TreeModel::Clear() {
  Impl& t = *impl_;
  for (Node& n : t.nodes) {
    if (n.handle != kNoNode) t.Release(n);
  }
  t.top = ChildList();
  t.focused = kNoNode;
  t.Notify([](TreeObserver& o) { o.Cleared(); });
}

void TreeModel::Reserve(std::size_t count) {
  impl_->nodes.reserve(std::min<std::size_t>(count, std::size_t{kSlotMask} + 1));
}

bool TreeModel::IsValid(NodeHandle node) const { return impl_->Find(node) != nullptr; }

TNodeData* TreeModel::Data(NodeHandle node) {
  Impl& t = *impl_;
  Node* n = t.Find(node);
  if (n == nullptr) return nullptr;
  t.Merge(*t.ListOf(n->parent));  // moves no node
  return &n->data;
}

const TNodeData* TreeModel::Data(NodeHandle node) const {
  const Node* n = impl_->Find(node);
  return n != nullptr ? &n->data : nullptr;
}

void TreeModel::NotifyChanged(NodeHandle node) {
  Impl& t = *impl_;
  if (t.Find(node) == nullptr) return;
  // The children stay in order when the node still fits between its neighbours.
  ChildList& list = *t.ListOf(t.At(node).parent);
  if (list.sorted) {
    const NodeHandle before = t.PreviousSibling(node), after = t.NextSibling(node);
    if ((before != kNoNode && t.Before(node, before)) || (after != kNoNode && t.Before(after, node))) {
      list.sorted = false;
    }
  }
  t.Notify([&](TreeObserver& o) { o.NodeChanged(node); });
}

void TreeModel::SetMarks(NodeHandle node, std::int32_t hotkeySlot, bool hasKeystroke) {
  Impl& t = *impl_;
  Node* n = t.Find(node);
  if (n == nullptr) return;
  n->data.HotkeySlot = hotkeySlot;
  n->data.HasKeystroke = hasKeystroke;
  t.Notify([&](TreeObserver& o) { o.NodeChanged(node); });
}

std::size_t TreeModel::NodeCount() const { return impl_->count; }

const platform::Collation& TreeModel::Collation() const { return impl_->collation; }

// ---- Navigation ------------------------------------------------------------------------

NodeHandle TreeModel::Parent(NodeHandle node) const {
  const Node* n = impl_->Find(node);
  return n != nullptr ? n->parent : kNoNode;
}

NodeHandle TreeModel::FirstChild(NodeHandle parent) const {
  const ChildList* list = impl_->OrderedListOf(parent);
  return list != nullptr && !list->items.empty() ? list->items.front() : kNoNode;
}

NodeHandle TreeModel::LastChild(NodeHandle parent) const {
  const ChildList* list = impl_->OrderedListOf(parent);
  return list != nullptr && !list->items.empty() ? list->items.back() : kNoNode;
}

NodeHandle TreeModel::NextSibling(NodeHandle node) const {
  return impl_->Find(node) != nullptr ? impl_->NextSibling(node) : kNoNode;
}

NodeHandle TreeModel::PreviousSibling(NodeHandle node) const {
  return impl_->Find(node) != nullptr ? impl_->PreviousSibling(node) : kNoNode;
}

std::size_t TreeModel::ChildCount(NodeHandle parent) const {
  const ChildList* list = impl_->ListOf(parent);
  return list != nullptr ? list->Count() : 0;
}

const std::vector<NodeHandle>& TreeModel::Children(NodeHandle parent) const {
  static const std::vector<NodeHandle> kNone;
  const ChildList* list = impl_->OrderedListOf(parent);
  return list != nullptr ? list->items : kNone;
}

int TreeModel::Level(NodeHandle node) const {
  Impl& t = *impl_;
  if (t.Find(node) == nullptr) return 0;
  int level = 0;
  for (NodeHandle p = t.At(node).parent; p != kNoNode; p = t.At(p).parent) ++level;
  return level;
}

NodeHandle TreeModel::NextVisible(NodeHandle node) const {
  Impl& t = *impl_;
  if (t.Find(node) == nullptr) return kNoNode;
  // A hidden node's successors up to the end of its collapsed ancestor's subtree are hidden too.
  NodeHandle from = t.HiddenUnder(node);
  if (from == kNoNode) {
    const std::vector<NodeHandle>& children = t.OrderedListOf(node)->items;
    if (t.At(node).expanded && !children.empty()) return children.front();
    from = node;
  }
  for (NodeHandle h = from; h != kNoNode; h = t.At(h).parent) {
    const NodeHandle next = t.NextSibling(h);
    if (next != kNoNode) return next;
  }
  return kNoNode;
}

NodeHandle TreeModel::PreviousVisible(NodeHandle node) const {
  Impl& t = *impl_;
  if (t.Find(node) == nullptr) return kNoNode;
  const NodeHandle hidden = t.HiddenUnder(node);
  if (hidden != kNoNode) return hidden;
  NodeHandle h = t.PreviousSibling(node);
  if (h == kNoNode) return t.At(node).parent;
  while (t.At(h).expanded && !t.OrderedListOf(h)->items.empty()) h = t.At(h).children.items.back();
  return h;
}

// ---- Order -------------------------------------------------------------------------------

void TreeModel::SortChildren(NodeHandle parent) {
  Impl& t = *impl_;
  ChildList* list = t.ListOf(parent);
  if (list == nullptr) return;
  if (t.Sort(*list)) t.Notify([&](TreeObserver& o) { o.ChildrenReordered(parent); });
}

int TreeModel::CompareNodes(NodeHandle a, NodeHandle b) const {
  const TNodeData* da = Data(a);
  const TNodeData* db = Data(b);
  return impl_->collation.Compare(da != nullptr ? da->Subject : std::string(),
                                  db != nullptr ? db->Subject : std::string());
}

// ---- Expansion -------------------------------------------------------------------------

bool TreeModel::Expanded(NodeHandle node) const {
  const Node* n = impl_->Find(node);
  return n != nullptr && n->expanded;
}

void TreeModel::Expand(NodeHandle node) {
  if (impl_->Find(node) != nullptr) impl_->Expand(node);
}

void TreeModel::Collapse(NodeHandle node) {
  Node* n = impl_->Find(node);
  if (n == nullptr || !n->expanded) return;
  n->expanded = false;
  impl_->Notify([&](TreeObserver& o) { o.ExpansionChanged(node, false); });
}

void TreeModel::CollapseAll() {
  Impl& t = *impl_;
  // Depth first, parents before their children.
  const std::vector<NodeHandle>& top = t.OrderedListOf(kNoNode)->items;
  std::vector<NodeHandle> pending(top.rbegin(), top.rend());
  while (!pending.empty()) {
    const NodeHandle h = pending.back();
    pending.pop_back();
    Collapse(h);
    const std::vector<NodeHandle>& children = t.OrderedListOf(h)->items;
    pending.insert(pending.end(), children.rbegin(), children.rend());
  }
}

// ---- Focus and selected mark ------------------------------------------------------

NodeHandle TreeModel::Focused() const { return impl_->focused; }

void TreeModel::SetFocused(NodeHandle node) {
  Impl& t = *impl_;
  if (node != kNoNode && t.Find(node) == nullptr) return;
  if (node == t.focused) return;
  const NodeHandle old = t.focused;
  if (t.changing) {
    const FocusChangingHandler handler = t.changing;  // the handler may detach itself
    handler(old, node);
    if (node != kNoNode && t.Find(node) == nullptr) return;
  }
  if (node != kNoNode) t.ExpandAncestors(node);
  t.focused = node;
  t.Notify([&](TreeObserver& o) { o.FocusMoved(old, node); });
  if (t.changed) {
    const FocusChangedHandler handler = t.changed;
    handler(node);
  }
}

void TreeModel::SetFocusChanging(FocusChangingHandler handler) { impl_->changing = std::move(handler); }

void TreeModel::SetFocusChanged(FocusChangedHandler handler) { impl_->changed = std::move(handler); }

bool TreeModel::Selected(NodeHandle node) const {
  const Node* n = impl_->Find(node);
  return n != nullptr && n->selected;
}

void TreeModel::SetSelected(NodeHandle node, bool selected) {
  Node* n = impl_->Find(node);
  if (n == nullptr || n->selected == selected) return;
  n->selected = selected;
  impl_->Notify([&](TreeObserver& o) { o.SelectionChanged(node, selected); });
}

void TreeModel::AddObserver(TreeObserver* observer) {
  auto& list = impl_->observers;
  if (observer != nullptr && std::find(list.begin(), list.end(), observer) == list.end()) list.push_back(observer);
}

void TreeModel::RemoveObserver(TreeObserver* observer) {
  auto& list = impl_->observers;
  list.erase(std::remove(list.begin(), list.end(), observer), list.end());
}

}  // namespace tembric::tree
