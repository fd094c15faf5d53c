// The application the Wine checks and the end-to-end scenarios switch to,
// identify and paste into. One source, built under the file names and with
// the version resources the tests identify it by (CMakeLists.txt here).
//
// Usage: target.exe [-controls] [-log LOG_FILE] [-keys KEYS_FILE] [-ready READY_FILE] [-windows N] TITLE
//
// One top-level window titled TITLE, at 100,100 and 480 by 360, that stays
// until it is closed or WM_QUIT is posted to its thread. A menu or toolbar
// command sets the title to "command ID" and is recorded.
//   -controls  the controls the probe reads from other processes (menu bar,
//              toolbar, tree, tabs, edit boxes), the window layered with
//              alpha 128, so that the probe can be checked against known
//              contents.
//   -log FILE  a multi-line edit box fills the window and holds the focus;
//              every paste that reaches it is recorded, then pasted as an
//              edit box does.
//   -keys FILE  with -log: every character typed into the edit box
//              (WM_CHAR) appends the line "char  at MS  code N" to FILE, N
//              the character's code.
//   -ready FILE  a button in the window and a dialog it owns; once they
//              exist, "main=", "button=" and "dialog=" lines with their
//              handles are written to FILE whole. The program ends by itself
//              after a minute, should the check that started it forget it.
//   -windows N  N more visible top-level windows, titled "TITLE 1" to
//              "TITLE N", made after the main one; the program still ends
//              with the main window.
//
// A record is one line appended to LOG_FILE, written and closed at once so
// that a script polling the file sees it, fields separated by tabs:
//   paste  at MS  waited MS  formats F,F,...  [text ESCAPED]  [bitmap W H]
//   command  at MS  id ID
// `at` is the wall-clock time in milliseconds since 1970 (the clock of
// Linux's `date +%s%3N`); `waited` how long opening the clipboard then took
// (another program held it, or, under Wine, the thread of the clipboard's
// owner did not answer). F is a clipboard format number on offer, registered
// formats as NUMBER=NAME. `text` is the CF_TEXT text with \, CR, LF and tab
// escaped; `bitmap` the size of the CF_BITMAP object. In place of the
// formats, "error clipboard busy" means the clipboard could not be opened
// within a second.
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "../e2e/common/escape.h"
#include "../wine/apps/helper_common.h"

namespace {

constexpr int kShowTableId = 103;

std::string g_log_path;
std::string g_keys_path;
WNDPROC g_edit_proc = nullptr;
HWND g_edit = nullptr;
HWND g_toolbar = nullptr;

std::int64_t UnixMs() {
  FILETIME ft;
  GetSystemTimePreciseAsFileTime(&ft);
  const std::uint64_t ticks = (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  constexpr std::uint64_t kEpochDelta = 116444736000000000ULL;  // 1601 to 1970 in 100 ns
  return static_cast<std::int64_t>((ticks - kEpochDelta) / 10000);
}

void AppendLine(const std::string& path, std::string line) {
  if (path.empty()) return;
  line += '\n';
  if (FILE* f = std::fopen(path.c_str(), "ab")) {
    std::fwrite(line.data(), 1, line.size(), f);
    std::fclose(f);
  }
}

void Record(const std::string& line) { AppendLine(g_log_path, line); }

// Another program (the one that just placed the content) may still hold the
// clipboard for a moment.
bool OpenClipboardWithin(HWND owner, DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  while (!OpenClipboard(owner)) {
    if (GetTickCount64() >= end) return false;
    Sleep(5);
  }
  return true;
}

// What is on offer at this moment; expects the clipboard open.
std::string DescribeClipboard() {
  std::string formats;
  bool has_text = false, has_bitmap = false;
  for (UINT f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f)) {
    if (!formats.empty()) formats += ',';
    formats += std::to_string(f);
    char name[256];
    if (f >= 0xC000 && GetClipboardFormatNameA(f, name, sizeof name) > 0) formats += std::string("=") + name;
    has_text |= f == CF_TEXT;
    has_bitmap |= f == CF_BITMAP;
  }
  std::string out = "\tformats " + formats;
  if (has_text) {
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
      if (const char* p = static_cast<const char*>(GlobalLock(data))) {
        const SIZE_T size = GlobalSize(data);
        std::string text;
        for (SIZE_T i = 0; i < size && p[i] != '\0'; ++i) text += p[i];
        GlobalUnlock(data);
        out += "\ttext " + e2e::Escape(text);
      }
    }
  }
  if (has_bitmap) {
    BITMAP bm{};
    HANDLE data = GetClipboardData(CF_BITMAP);
    if (data != nullptr && GetObjectA(data, sizeof bm, &bm) == sizeof bm)
      out += "\tbitmap " + std::to_string(bm.bmWidth) + " " + std::to_string(bm.bmHeight);
    else
      out += "\tbitmap unreadable";
  }
  return out;
}

void RecordPaste() {
  const std::int64_t at = UnixMs();
  std::string line = "paste\tat " + std::to_string(at);
  if (OpenClipboardWithin(g_edit, 1000)) {
    line += "\twaited " + std::to_string(UnixMs() - at);
    line += DescribeClipboard();
    CloseClipboard();
  } else {
    line += "\terror clipboard busy";
  }
  Record(line);
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  // Ctrl+V in an edit box, typed or injected, ends in WM_PASTE to the box
  // (under Wine as on Windows); so do Shift+Insert and the context menu's
  // Paste.
  if (msg == WM_PASTE) RecordPaste();
  if (msg == WM_CHAR) AppendLine(g_keys_path, "char\tat " + std::to_string(UnixMs()) + "\tcode " + std::to_string(wp));
  return CallWindowProcA(g_edit_proc, hwnd, msg, wp, lp);
}

HTREEITEM AddTreeItem(HWND tree, HTREEITEM parent, const char* text) {
  TVINSERTSTRUCTA insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT;
  insert.item.pszText = const_cast<char*>(text);
  return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

void AddControls(HWND window, HINSTANCE instance) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&icc);
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  AppendMenuA(file, MF_STRING, 101, "&New");
  AppendMenuA(file, MF_STRING, 102, "Shut down");
  HMENU view = CreatePopupMenu();
  AppendMenuA(view, MF_STRING | MF_CHECKED, 104, "Show toolbar");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(view), "&View");
  SetMenu(window, bar);

  g_toolbar = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE | TBSTYLE_LIST, 0, 0, 0, 0, window,
                              nullptr, instance, nullptr);
  SendMessageA(g_toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  TBBUTTON buttons[3] = {};
  const char* texts[] = {"New", "", "Show Table"};
  const int ids[] = {101, 0, kShowTableId};
  for (int i = 0; i < 3; ++i) {
    buttons[i].iBitmap = I_IMAGENONE;
    buttons[i].idCommand = ids[i];
    buttons[i].fsState = TBSTATE_ENABLED;
    buttons[i].fsStyle = static_cast<BYTE>(i == 1 ? BTNS_SEP : BTNS_BUTTON | BTNS_SHOWTEXT | BTNS_AUTOSIZE);
    buttons[i].iString = reinterpret_cast<INT_PTR>(texts[i]);
  }
  SendMessageA(g_toolbar, TB_ADDBUTTONSA, 3, reinterpret_cast<LPARAM>(buttons));
  SendMessageA(g_toolbar, TB_AUTOSIZE, 0, 0);

  HWND tree =
      CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, nullptr, WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_LINESATROOT,
                      0, 40, 200, 150, window, nullptr, instance, nullptr);
  AddTreeItem(tree, TVI_ROOT, "*Plugins");
  HTREEITEM mail = AddTreeItem(tree, TVI_ROOT, "Mail (2)");
  AddTreeItem(tree, mail, "Home");
  AddTreeItem(tree, mail, "Sign");
  AddTreeItem(tree, TVI_ROOT, "Note");
  SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(mail));

  HWND tabs = CreateWindowExA(0, WC_TABCONTROLA, nullptr, WS_CHILD | WS_VISIBLE, 210, 40, 200, 100, window, nullptr,
                              instance, nullptr);
  const char* pages[] = {"TembricDB", "WinDB", "RelDB"};
  for (int i = 0; i < 3; ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(pages[i]);
    SendMessageA(tabs, TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
  CreateWindowExA(0, "Edit", "first line\r\nTarget: x | y", WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL, 0, 200,
                  300, 60, window, nullptr, instance, nullptr);
  CreateWindowExA(0, "Edit", "one line", WS_CHILD | WS_VISIBLE, 0, 270, 300, 20, window, nullptr, instance, nullptr);

  SetWindowLongPtrA(window, GWL_EXSTYLE, GetWindowLongPtrA(window, GWL_EXSTYLE) | WS_EX_LAYERED);
  SetLayeredWindowAttributes(window, 0, 128, LWA_ALPHA);
}

void AddPasteBox(HWND window, HINSTANCE instance) {
  g_edit =
      CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
                      0, 0, 0, 0, window, nullptr, instance, nullptr);
  g_edit_proc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(g_edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditProc)));
  RECT client;
  GetClientRect(window, &client);
  MoveWindow(g_edit, 0, 0, client.right, client.bottom, FALSE);
}

// A dialog in memory, as a resource would hold it: a captioned pop-up.
struct alignas(4) DialogTemplate {
  DLGTEMPLATE header;
  WORD menu;
  WORD windowClass;
  WCHAR title[16];
};

INT_PTR CALLBACK DialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// The button and the owned dialog of -ready, announced in `path`.
bool AddReadyWindows(HWND window, HINSTANCE instance, const std::string& path) {
  HWND button = CreateWindowExA(0, "BUTTON", "Press", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 100, 30, window,
                                nullptr, instance, nullptr);
  if (!button) {
    helper::Fail("CreateWindow button");
    return false;
  }
  DialogTemplate dialogTemplate{};
  dialogTemplate.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_VISIBLE;
  dialogTemplate.header.cx = 160;
  dialogTemplate.header.cy = 80;
  lstrcpyW(dialogTemplate.title, L"Target options");
  HWND dialog = CreateDialogIndirectParamA(instance, &dialogTemplate.header, window, DialogProc, 0);
  if (!dialog) {
    helper::Fail("CreateDialogIndirectParam");
    return false;
  }
  const std::string ready =
      helper::HandleLine("main", window) + helper::HandleLine("button", button) + helper::HandleLine("dialog", dialog);
  if (!helper::WriteReadyFile(path, ready)) {
    helper::Fail("writing the ready file");
    return false;
  }
  return true;
}

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      // A menu item or toolbar button; the edit box's and the button's
      // notifications are no commands.
      if (lp == 0 || reinterpret_cast<HWND>(lp) == g_toolbar) {
        const std::string id = std::to_string(LOWORD(wp));
        SetWindowTextA(hwnd, ("command " + id).c_str());
        Record("command\tat " + std::to_string(UnixMs()) + "\tid " + id);
        return 0;
      }
      break;
    case WM_SIZE:
      if (g_edit) MoveWindow(g_edit, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
      return 0;
    case WM_SETFOCUS:  // the window activated: the keys go to the edit box
      if (g_edit) SetFocus(g_edit);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  std::string title;
  std::string ready;
  bool controls = false;
  int moreWindows = 0;
  for (int i = 1; i < __argc; ++i) {
    const bool hasValue = i + 1 < __argc;
    if (std::strcmp(__argv[i], "-controls") == 0) {
      controls = true;
    } else if (std::strcmp(__argv[i], "-log") == 0 && hasValue) {
      g_log_path = __argv[++i];
    } else if (std::strcmp(__argv[i], "-keys") == 0 && hasValue) {
      g_keys_path = __argv[++i];
    } else if (std::strcmp(__argv[i], "-ready") == 0 && hasValue) {
      ready = __argv[++i];
    } else if (std::strcmp(__argv[i], "-windows") == 0 && hasValue) {
      moreWindows = std::atoi(__argv[++i]);
    } else if (title.empty()) {
      title = __argv[i];
    } else {
      title.clear();
      break;
    }
  }
  if (title.empty()) {
    MessageBoxA(
        nullptr,
        "usage: target.exe [-controls] [-log LOG_FILE] [-keys KEYS_FILE] [-ready READY_FILE] [-windows N] TITLE",
        "target", MB_OK);
    return 2;
  }
  if (!helper::RegisterPlainClass("TembricTarget", Proc)) return helper::Fail("RegisterClass");
  HWND window = CreateWindowExA(0, "TembricTarget", title.c_str(), WS_OVERLAPPEDWINDOW, 100, 100, 480, 360, nullptr,
                                nullptr, instance, nullptr);
  if (!window) return helper::Fail("CreateWindow main");
  if (controls) AddControls(window, instance);
  if (!g_log_path.empty()) AddPasteBox(window, instance);
  ShowWindow(window, SW_SHOW);
  if (g_edit) SetFocus(g_edit);
  if (moreWindows > 0 && !helper::RegisterPlainClass("TembricTargetMore")) return helper::Fail("RegisterClass more");
  for (int i = 1; i <= moreWindows; ++i) {
    const std::string more = title + " " + std::to_string(i);
    HWND extra = CreateWindowExA(0, "TembricTargetMore", more.c_str(), WS_OVERLAPPEDWINDOW, 100 + 8 * i, 100 + 8 * i,
                                 240, 120, nullptr, nullptr, instance, nullptr);
    if (!extra) return helper::Fail("CreateWindow more");
    ShowWindow(extra, SW_SHOWNOACTIVATE);
  }
  if (!ready.empty()) {
    if (!AddReadyWindows(window, instance, ready)) return 2;
    return helper::RunUntilQuit();
  }
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
