// The list views of another process's window, read as the control holds
// them (LVM_GETITEMTEXTA with the item structure and text buffer placed in
// the owning process), and the moment a window is shown and painted.
#include <cstdio>

#include "probe.h"
// after windows.h (probe.h)
#include <commctrl.h>

namespace probe {
namespace {

constexpr std::size_t kTextMax = 1024;

// The text of one cell, "" when it cannot be read.
std::string CellText(HWND list, RemoteMemory& memory, int item, int column) {
  LVITEMA lv{};
  lv.iSubItem = column;
  lv.pszText = static_cast<char*>(memory.At(sizeof(LVITEMA)));
  lv.cchTextMax = static_cast<int>(kTextMax);
  LRESULT r = 0;
  if (!memory.Write(0, &lv, sizeof(lv)) || !SendWithin(list, LVM_GETITEMTEXTA, item, memory.Param(), &r)) return {};
  return memory.ReadText(sizeof(LVITEMA), kTextMax);
}

// The window and its visible descendants have nothing left to paint.
bool Painted(HWND window) {
  if (!IsWindowVisible(window) || GetUpdateRect(window, nullptr, FALSE)) return false;
  for (HWND child : Descendants(window))
    if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE)) return false;
  return true;
}

}  // namespace

// Prints, for every list view in the window (visible ones first, in the
// order EnumChildWindows gives), "list HWND visible|hidden items N", then
// "item checked|unchecked|- selected|- TEXT<TAB>TEXT..." per row with every
// column's text, escaped to one line.
int ListItems(const Args& args) {
  std::size_t pos = 0;
  HWND window = nullptr;
  if (const int rc = FindOne(args, &pos, &window); rc != kYes) return rc;
  if (pos != args.size()) return kUsage;
  for (HWND list : Descendants(window, WC_LISTVIEWA)) {
    LRESULT count = 0, header = 0, columns = 0;
    if (!SendWithin(list, LVM_GETITEMCOUNT, 0, 0, &count)) continue;
    if (SendWithin(list, LVM_GETHEADER, 0, 0, &header) && header != 0)
      SendWithin(reinterpret_cast<HWND>(header), HDM_GETITEMCOUNT, 0, 0, &columns);
    std::printf("list %s %s items %lld\n", Hex(list).c_str(), IsWindowVisible(list) ? "visible" : "hidden",
                static_cast<long long>(count));
    RemoteMemory memory(list, sizeof(LVITEMA) + kTextMax);
    if (!memory.Ok()) continue;
    LRESULT extended = 0;
    SendWithin(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0, &extended);
    for (int i = 0; i < count; ++i) {
      LRESULT state = 0;
      SendWithin(list, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK | LVIS_SELECTED, &state);
      const char* check = "-";
      if (extended & LVS_EX_CHECKBOXES) check = ((state & LVIS_STATEIMAGEMASK) >> 12) == 2 ? "checked" : "unchecked";
      std::string line;
      for (int c = 0; c < (columns > 0 ? columns : 1); ++c) {
        if (c) line += '\t';
        line += Escape(CellText(list, memory, i, c));
      }
      std::printf("item %s %s %s\n", check, (state & LVIS_SELECTED) ? "selected" : "-", line.c_str());
    }
  }
  return kYes;
}

// Prints "waiting" at once, then "ready UNIXTIME" the first time a window of
// the query is visible with nothing left to paint in it or its visible
// controls (polled about every millisecond). Exit 1 at the deadline.
int WaitPainted(const Args& args) {
  std::size_t pos = 0;
  Query query;
  double seconds = 0;
  if (!ParseQuery(args, &pos, &query) || pos + 1 != args.size() || !ParseSeconds(args[pos], &seconds)) return kUsage;
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
  std::printf("waiting\n");
  std::fflush(stdout);
  const Deadline deadline(seconds);
  while (!deadline.Passed()) {
    for (HWND window : Find(query)) {
      const double when = UnixNow();
      if (Painted(window)) {
        std::printf("ready %.6f\n", when);
        return kYes;
      }
    }
    TinySleep();
  }
  std::printf("not painted after %gs\n", seconds);
  return kNo;
}

}  // namespace probe
