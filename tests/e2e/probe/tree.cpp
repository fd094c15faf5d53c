// The record tree of another process's window: its items and captions as the
// control holds them (TVM_GETCOUNT, TVM_GETNEXTITEM, TVM_GETITEMA with the
// item structure and text buffer placed in the owning process).
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "probe.h"
// after windows.h (probe.h)
#include <commctrl.h>

namespace probe {
namespace {

constexpr std::size_t kTextMax = 1024;

struct TreeItem {
  HTREEITEM handle;
  int depth;
  std::string text;
  int children;  // as the item declares (cChildren)
  bool expanded;
  bool selected;
};

class TreeReader {
 public:
  explicit TreeReader(HWND tree) : tree_(tree), memory_(tree, sizeof(TVITEMA) + kTextMax) {}

  bool Ok() const { return memory_.Ok(); }

  HTREEITEM Next(HTREEITEM item, UINT relation) const {
    LRESULT r = 0;
    if (!SendWithin(tree_, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item), &r)) return nullptr;
    return reinterpret_cast<HTREEITEM>(r);
  }

  bool Read(HTREEITEM handle, int depth, TreeItem* item) {
    TVITEMA tv{};
    tv.mask = TVIF_TEXT | TVIF_CHILDREN | TVIF_STATE | TVIF_HANDLE;
    tv.hItem = handle;
    tv.stateMask = TVIS_EXPANDED | TVIS_SELECTED;
    tv.pszText = static_cast<char*>(memory_.At(sizeof tv));
    tv.cchTextMax = static_cast<int>(kTextMax);
    const char zero = 0;
    LRESULT ok = 0;
    if (!memory_.Write(0, &tv, sizeof tv) || !memory_.Write(sizeof tv, &zero, 1) ||
        !SendWithin(tree_, TVM_GETITEMA, 0, memory_.Param(), &ok) || !ok || !memory_.Read(0, &tv, sizeof tv))
      return false;
    item->handle = handle;
    item->depth = depth;
    // The control may answer with its own buffer instead of filling ours.
    if (tv.pszText == memory_.At(sizeof tv)) {
      item->text = memory_.ReadText(sizeof tv, kTextMax);
    } else if (tv.pszText != nullptr) {
      RemoteText(tv.pszText, &item->text);
    }
    item->children = tv.cChildren;
    item->expanded = (tv.state & TVIS_EXPANDED) != 0;
    item->selected = (tv.state & TVIS_SELECTED) != 0;
    return true;
  }

  // The items a user can see by scrolling: the top level, and the children
  // of every expanded item.
  bool Walk(HTREEITEM first, int depth, std::vector<TreeItem>* out) {
    for (HTREEITEM h = first; h != nullptr; h = Next(h, TVGN_NEXT)) {
      TreeItem item;
      if (!Read(h, depth, &item)) return false;
      out->push_back(item);
      if (item.expanded && !Walk(Next(h, TVGN_CHILD), depth + 1, out)) return false;
      if (out->size() > 100000) return false;
    }
    return true;
  }

 private:
  void RemoteText(const char* remote, std::string* text) const {
    HANDLE process = OpenProcess(PROCESS_VM_READ, FALSE, ProcessOf(tree_));
    if (process == nullptr) return;
    char buffer[kTextMax] = {};
    SIZE_T read = 0;
    ReadProcessMemory(process, remote, buffer, sizeof buffer - 1, &read);
    CloseHandle(process);
    *text = buffer;
  }

  HWND tree_;
  RemoteMemory memory_;
};

HWND TreeOf(HWND window) { return FirstDescendant(window, WC_TREEVIEWA); }

LRESULT ItemCount(HWND tree) {
  LRESULT count = -1;
  if (!SendWithin(tree, TVM_GETCOUNT, 0, 0, &count, 2000)) return -1;
  return count;
}

// The tree and the window it is in are visible and nothing in them waits to
// be painted.
bool Painted(HWND window, HWND tree) {
  return IsWindowVisible(window) && IsWindowVisible(tree) && !GetUpdateRect(window, nullptr, FALSE) &&
         !GetUpdateRect(tree, nullptr, FALSE);
}

}  // namespace

// Prints "tree HWND visible|hidden count N" (N: TVM_GETCOUNT, every item),
// then "item DEPTH CHILDREN expanded|collapsed selected|- TEXT" for every
// item a user can reach by scrolling (top level and children of expanded
// items), texts escaped to one line. Exit 1 when the window has no tree.
int TreeItems(const Args& args) {
  std::size_t pos = 0;
  HWND window = nullptr;
  if (const int rc = FindOne(args, &pos, &window); rc != kYes) return rc;
  if (pos != args.size()) return kUsage;
  HWND tree = TreeOf(window);
  if (tree == nullptr) {
    std::printf("no %s in %s\n", WC_TREEVIEWA, Hex(window).c_str());
    return kNo;
  }
  std::printf("tree %s %s count %lld\n", Hex(tree).c_str(), IsWindowVisible(tree) ? "visible" : "hidden",
              static_cast<long long>(ItemCount(tree)));
  TreeReader reader(tree);
  if (!reader.Ok()) {
    std::printf("cannot reach the memory of the tree's process (error %lu)\n", GetLastError());
    return kNo;
  }
  std::vector<TreeItem> items;
  if (!reader.Walk(reader.Next(nullptr, TVGN_ROOT), 0, &items)) {
    std::printf("reading the items failed\n");
    return kNo;
  }
  for (const auto& item : items)
    std::printf("item %d %d %s %s %s\n", item.depth, item.children, item.expanded ? "expanded" : "collapsed",
                item.selected ? "selected" : "-", Escape(item.text).c_str());
  return kYes;
}

// Prints "rect L T R B middle X Y": the screen rectangle of the text of the
// first item a user can reach by scrolling whose caption is TEXT
// (TVM_GETITEMRECT with the rectangle placed in the tree's process). Exit 1
// when there is no such item or its row is scrolled out of view.
int TreeItemRect(const Args& args) {
  std::size_t pos = 0;
  HWND window = nullptr;
  if (const int rc = FindOne(args, &pos, &window); rc != kYes) return rc;
  if (pos + 1 != args.size()) return kUsage;
  const std::string& text = args[pos];
  HWND tree = TreeOf(window);
  if (tree == nullptr) return kNo;
  TreeReader reader(tree);
  std::vector<TreeItem> items;
  if (!reader.Ok() || !reader.Walk(reader.Next(nullptr, TVGN_ROOT), 0, &items)) return kNo;
  for (const auto& item : items) {
    if (item.text != text) continue;
    RemoteMemory memory(tree, sizeof(RECT));
    // TVM_GETITEMRECT takes the item's handle in the rectangle's first bytes.
    RECT rect{};
    std::memcpy(&rect, &item.handle, sizeof item.handle);
    LRESULT ok = 0;
    if (!memory.Ok() || !memory.Write(0, &rect, sizeof rect) ||
        !SendWithin(tree, TVM_GETITEMRECT, TRUE, memory.Param(), &ok) || !ok || !memory.Read(0, &rect, sizeof rect))
      return kNo;
    RECT client{};
    GetClientRect(tree, &client);
    if (rect.bottom <= client.top || rect.top >= client.bottom) return kNo;
    MapWindowPoints(tree, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    std::printf("rect %ld %ld %ld %ld middle %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom,
                (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    return kYes;
  }
  return kNo;
}

// Prints "waiting" at once, then waits until the window is visible, its tree
// holds at least MIN_ITEMS items and neither has anything left to paint;
// prints "ready UNIXTIME count N" with the moment that was first seen.
int WaitTree(const Args& args) {
  std::size_t pos = 0;
  Query query;
  double seconds = 0;
  if (!ParseQuery(args, &pos, &query) || pos + 2 != args.size() || !ParseSeconds(args[pos + 1], &seconds))
    return kUsage;
  char* end = nullptr;
  const long long min_items = std::strtoll(args[pos].c_str(), &end, 10);
  if (*end != '\0' || min_items < 0) return kUsage;
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
  std::printf("waiting\n");
  std::fflush(stdout);
  const Deadline deadline(seconds);
  long long last_count = -1;
  bool seen_visible = false;
  while (!deadline.Passed()) {
    for (HWND window : Find(query)) {
      if (!IsWindowVisible(window)) continue;
      seen_visible = true;
      HWND tree = TreeOf(window);
      if (tree == nullptr) continue;
      const double when = UnixNow();
      last_count = ItemCount(tree);
      if (last_count >= min_items && Painted(window, tree)) {
        std::printf("ready %.6f count %lld\n", when, last_count);
        return kYes;
      }
    }
    TinySleep();
  }
  std::printf("not ready after %gs (window seen visible: %d, items: %lld)\n", seconds, seen_visible ? 1 : 0,
              last_count);
  return kNo;
}

}  // namespace probe
