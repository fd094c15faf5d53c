#include "app/win32/TablesForm.h"

// Needs the declarations of <windows.h> first.
#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "app/win32/Controls.h"
#include "app/win32/MessageBoxes.h"
#include "store/Tables.h"

namespace tembric::app::win32 {
namespace {

constexpr int kMargin = 8;
constexpr int kGap = 6;
constexpr int kTabsId = 10;
constexpr int kListId = 20;  // + page index
constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshDelayMs = 250;
// The log keeps about this many characters; older lines are dropped.
constexpr int kLogLimit = 200'000;

// The texts of every row of `table` in the order the table has them. The
// table is read through a private copy, so that the live table's current
// row, range and handlers are not touched.
std::vector<std::vector<std::string>> Snapshot(const store::DataTable& table) {
  std::vector<std::vector<std::string>> rows;
  if (table.State() == store::TableState::Inactive) return rows;
  store::DataTable copy(table.Schema());
  copy.Load(table.Serialize());
  const auto& fields = table.Schema().fields;
  for (copy.First(); !copy.IsEmpty() && !copy.Eof(); copy.Next()) {
    std::vector<std::string> cells;
    cells.reserve(fields.size());
    for (const auto& field : fields) {
      if (copy.IsNull(field.name)) {
        cells.emplace_back("(null)");
      } else if (field.type == store::FieldType::Bytes) {
        std::string cell = "(";
        cell += std::to_string(copy.AsBytes(field.name).size());
        cell += " bytes)";
        cells.push_back(std::move(cell));
      } else {
        std::string text = copy.AsString(field.name);
        std::replace(text.begin(), text.end(), '\r', ' ');
        std::replace(text.begin(), text.end(), '\n', ' ');
        cells.push_back(std::move(text));
      }
    }
    rows.push_back(std::move(cells));
  }
  return rows;
}

}  // namespace

TablesForm::~TablesForm() {
  SetTraceSink(nullptr);
  Unbind();
  if (Hwnd()) DestroyWindow(Hwnd());
}

void TablesForm::Unbind() {
  for (auto& page : pages_) {
    if (page.table && page.observer >= 0) page.table->RemoveObserver(page.observer);
    page.table = nullptr;
    page.observer = -1;
  }
}

void TablesForm::CreateHidden() {
  pages_[0].title = "TembricDB";
  pages_[1].title = "WinDB";
  pages_[2].title = "RelDB";
  Create({
      .className = "TForm2",
      .title = "Form2",
      .style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
      .width = kWidth,
      .height = kHeight,
  });
  CreateControls();
  Layout();
  SetTraceSink(this);
}

void TablesForm::CreateControls() {
  const HWND self = Hwnd();
  tabs_ = CreateControl(
      {.parent = self, .className = WC_TABCONTROLA, .style = WS_CLIPSIBLINGS, .exStyle = 0, .id = kTabsId});
  for (int i = 0; i < static_cast<int>(pages_.size()); ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(pages_[i].title);
    SendMessageA(tabs_, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    pages_[i].list = CreateControl({
        .parent = self,
        .className = WC_LISTVIEWA,
        .style = LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SINGLESEL | WS_TABSTOP,
        .exStyle = WS_EX_CLIENTEDGE,
        .id = kListId + i,
    });
    ListView_SetExtendedListViewStyle(pages_[i].list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    if (i != 0) ShowWindow(pages_[i].list, SW_HIDE);
  }
  logLabel_ = CreateLabel({.parent = self, .text = "Log"});
  log_ = CreateEdit({.parent = self, .id = 0, .readOnly = true, .multiLine = true, .verticalScroll = true});
  SendMessageA(log_, EM_SETLIMITTEXT, 0, 0);
  keystrokeLabel_ = CreateLabel({.parent = self, .text = "Keystroke"});
  keystroke_ = CreateEdit({.parent = self, .id = 0, .readOnly = true});
  secondsLabel_ = CreateLabel({.parent = self, .text = "0"});
  SetWindowLongPtrA(secondsLabel_, GWL_STYLE, GetWindowLongPtrA(secondsLabel_, GWL_STYLE) | SS_RIGHT);
  clipboardFrame_ = CreateLabel({.parent = self, .text = "Clipboard"});
  clipboardList_ = CreateControl({
      .parent = self,
      .className = "LISTBOX",
      .style = LBS_NOINTEGRALHEIGHT | LBS_NOSEL | WS_VSCROLL,
      .exStyle = WS_EX_CLIENTEDGE,
  });
}

void TablesForm::ShowClipboardFormats(const std::vector<std::string>& formats) {
  if (!clipboardList_) return;
  SendMessageA(clipboardList_, WM_SETREDRAW, FALSE, 0);
  SendMessageA(clipboardList_, LB_RESETCONTENT, 0, 0);
  for (const std::string& format : formats)
    SendMessageA(clipboardList_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(format.c_str()));
  SendMessageA(clipboardList_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(clipboardList_, nullptr, TRUE);
}

void TablesForm::Layout() {
  RECT client{};
  GetClientRect(Hwnd(), &client);
  const int width = client.right - 2 * kMargin;
  const int height = client.bottom - 2 * kMargin;
  const int tabsHeight = std::max(120, height * 55 / 100);
  Place(tabs_, kMargin, kMargin, width, tabsHeight);
  RECT page{kMargin, kMargin, kMargin + width, kMargin + tabsHeight};
  TabCtrl_AdjustRect(tabs_, FALSE, &page);
  for (auto& p : pages_) {
    Place(p.list, page.left, page.top, page.right - page.left, page.bottom - page.top);
    SetWindowPos(p.list, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }

  const int top = kMargin + tabsHeight + kGap;
  const int labelHeight = 16;
  const int rightWidth = std::max(180, width / 3);
  const int logWidth = width - rightWidth - kGap;
  const int bottom = kMargin + height;
  Place(logLabel_, kMargin, top, logWidth, labelHeight);
  Place(log_, kMargin, top + labelHeight + 2, logWidth, bottom - top - labelHeight - 2);

  const int right = kMargin + logWidth + kGap;
  Place(keystrokeLabel_, right, top, 70, labelHeight);
  Place(secondsLabel_, right + rightWidth - 80, top, 80, labelHeight);
  Place(keystroke_, right, top + labelHeight + 2, rightWidth, 22);
  const int frameTop = top + labelHeight + 2 + 22 + kGap;
  Place(clipboardFrame_, right, frameTop, rightWidth, labelHeight);
  Place(clipboardList_, right, frameTop + labelHeight + 2, rightWidth, bottom - frameTop - labelHeight - 2);
}

void TablesForm::Bind(store::Library& library) {
  store::DataTable* tables[] = {&library.records, &library.windows, &library.relations};
  for (int i = 0; i < static_cast<int>(pages_.size()); ++i) {
    auto& page = pages_[i];
    if (page.table && page.observer >= 0) page.table->RemoveObserver(page.observer);
    page.table = tables[i];
    // A move of the current row changes nothing shown.
    page.observer = page.table->AddObserver([this, i](store::DataEvent event) {
      if (event != store::DataEvent::Scrolled) MarkStale(i);
    });
    // One column per field.
    while (ListView_DeleteColumn(page.list, 0)) {
    }
    int column = 0;
    for (const auto& field : page.table->Schema().fields) {
      LVCOLUMNA col{};
      col.mask = LVCF_TEXT | LVCF_WIDTH;
      col.pszText = const_cast<char*>(field.name.c_str());
      col.cx = field.type == store::FieldType::Memo || field.name == "FullName" ? 160 : 80;
      SendMessageA(page.list, LVM_INSERTCOLUMNA, column++, reinterpret_cast<LPARAM>(&col));
    }
    MarkStale(i);
  }
}

void TablesForm::ShowViewer() {
  if (!shownBefore_) {
    // Centred the first time, later where the user left it.
    shownBefore_ = true;
    RECT work{}, r{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(Hwnd(), &r);
    SetWindowPos(Hwnd(), nullptr, work.left + (work.right - work.left - (r.right - r.left)) / 2,
                 work.top + (work.bottom - work.top - (r.bottom - r.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ShowWindow(Hwnd(), SW_SHOWNORMAL);
  SetForegroundWindow(Hwnd());
  Refresh(current_);
}

void TablesForm::ShowPage(int index) {
  current_ = index;
  for (int i = 0; i < static_cast<int>(pages_.size()); ++i) ShowWindow(pages_[i].list, i == index ? SW_SHOW : SW_HIDE);
  if (pages_[index].stale) Refresh(index);
}

void TablesForm::MarkStale(int index) {
  pages_[index].stale = true;
  // Refreshed a moment later, once, however many changes come meanwhile.
  if (Hwnd() && IsVisible()) SetTimer(Hwnd(), kRefreshTimer, kRefreshDelayMs, nullptr);
}

void TablesForm::Refresh(int index) {
  auto& page = pages_[index];
  if (!page.table) return;
  page.rows = Snapshot(*page.table);
  page.stale = false;
  ListView_SetItemCountEx(page.list, static_cast<int>(page.rows.size()), LVSICF_NOSCROLL);
  InvalidateRect(page.list, nullptr, FALSE);
}

void TablesForm::AddTraceLine(const std::string& line) {
  if (!log_) return;
  int length = GetWindowTextLengthA(log_);
  if (length > kLogLimit) {
    // Drop the older half.
    SendMessageA(log_, EM_SETSEL, 0,
                 SendMessageA(log_, EM_LINEINDEX, SendMessageA(log_, EM_GETLINECOUNT, 0, 0) / 2, 0));
    SendMessageA(log_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
    length = GetWindowTextLengthA(log_);
  }
  const std::string text = (length > 0 ? "\r\n" : "") + line;
  SendMessageA(log_, EM_SETSEL, length, length);
  SendMessageA(log_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

void TablesForm::ClearTraceLines() {
  if (log_) SetWindowTextA(log_, "");
}

void TablesForm::SetSeconds(int seconds) {
  if (seconds == seconds_ || !secondsLabel_) return;
  seconds_ = seconds;
  SetWindowTextA(secondsLabel_, std::to_string(seconds).c_str());
}

void TablesForm::SetKeystrokeText(const std::string& text) {
  if (keystroke_) SetWindowTextA(keystroke_, text.c_str());
}

LRESULT TablesForm::OnNotify(NMHDR* header) {
  if (header->idFrom == kTabsId && header->code == TCN_SELCHANGE) {
    ShowPage(TabCtrl_GetCurSel(tabs_));
    return 0;
  }
  for (auto& page : pages_) {
    if (header->hwndFrom != page.list) continue;
    if (header->code == LVN_GETDISPINFOA) {
      auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
      if ((info->item.mask & LVIF_TEXT) && info->item.cchTextMax > 0) {
        const auto row = static_cast<std::size_t>(info->item.iItem);
        const auto col = static_cast<std::size_t>(info->item.iSubItem);
        std::string text;
        if (row < page.rows.size() && col < page.rows[row].size()) text = page.rows[row][col];
        const auto n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(info->item.cchTextMax - 1));
        std::memcpy(info->item.pszText, text.data(), n);
        info->item.pszText[n] = '\0';
      }
      return 0;
    }
    if (header->code == LVN_GETDISPINFOW) {
      auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
      if ((info->item.mask & LVIF_TEXT) && info->item.cchTextMax > 0) {
        const auto row = static_cast<std::size_t>(info->item.iItem);
        const auto col = static_cast<std::size_t>(info->item.iSubItem);
        std::string text;
        if (row < page.rows.size() && col < page.rows[row].size()) text = page.rows[row][col];
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, info->item.pszText, info->item.cchTextMax);
        info->item.pszText[info->item.cchTextMax - 1] = L'\0';
      }
      return 0;
    }
  }
  return DefaultHandling(WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
}

LRESULT TablesForm::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CLOSE:
      Hide();  // reused for the whole run
      return 0;
    case WM_SIZE:
      if (tabs_) Layout();
      return 0;
    case WM_GETMINMAXINFO:
      reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = {400, 300};
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lp));
    case WM_TIMER:
      if (wp == kRefreshTimer) {
        KillTimer(Hwnd(), kRefreshTimer);
        if (pages_[current_].stale) Refresh(current_);
        return 0;
      }
      break;
    case WM_SHOWWINDOW:
      if (wp && pages_[current_].stale) Refresh(current_);
      break;
  }
  return DefaultHandling(msg, wp, lp);
}

}  // namespace tembric::app::win32
