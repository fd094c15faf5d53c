// A plain application for the end-to-end tests to switch to: one top-level
// window titled by the command line, that stays until it is closed.
//
// Usage: target.exe TITLE [-controls]
//   -controls  also gives the window the controls the probe reads from other
//              processes (menu bar, toolbar, tree, list view, tabs, edit
//              boxes) and makes it layered with alpha 128, so that the probe
//              can be checked against known contents.
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <cstring>
#include <string>

namespace {

constexpr int kShowTableId = 103;

HTREEITEM AddTreeItem(HWND tree, HTREEITEM parent, const char* text) {
  TVINSERTSTRUCTA insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT;
  insert.item.pszText = const_cast<char*>(text);
  return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

void AddControls(HWND window, HINSTANCE instance) {
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  AppendMenuA(file, MF_STRING, 101, "&New");
  AppendMenuA(file, MF_STRING, 102, "Shut down");
  HMENU view = CreatePopupMenu();
  AppendMenuA(view, MF_STRING | MF_CHECKED, 104, "Show toolbar");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(view), "&View");
  SetMenu(window, bar);

  HWND toolbar = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE | TBSTYLE_LIST, 0, 0, 0, 0,
                                 window, nullptr, instance, nullptr);
  SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
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
  SendMessageA(toolbar, TB_ADDBUTTONSA, 3, reinterpret_cast<LPARAM>(buttons));
  SendMessageA(toolbar, TB_AUTOSIZE, 0, 0);

  HWND tree = CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, nullptr,
                              WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_LINESATROOT, 0, 40, 200, 150, window,
                              nullptr, instance, nullptr);
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
  CreateWindowExA(0, "Edit", "first line\r\nTarget: x | y",
                  WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL, 0, 200, 300, 60, window, nullptr, instance,
                  nullptr);
  CreateWindowExA(0, "Edit", "one line", WS_CHILD | WS_VISIBLE, 0, 270, 300, 20, window, nullptr, instance, nullptr);

  SetWindowLongPtrA(window, GWL_EXSTYLE, GetWindowLongPtrA(window, GWL_EXSTYLE) | WS_EX_LAYERED);
  SetLayeredWindowAttributes(window, 0, 128, LWA_ALPHA);
}

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      // Shows which menu item or button was chosen.
      SetWindowTextA(hwnd, ("command " + std::to_string(LOWORD(wp))).c_str());
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  std::string title = "Tembric test target";
  bool controls = false;
  for (int i = 1; i < __argc; ++i) {
    if (std::strcmp(__argv[i], "-controls") == 0) controls = true;
    else title = __argv[i];
  }
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&icc);
  WNDCLASSA wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = "TembricE2ETarget";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW, 100, 100, 480, 360,
                                nullptr, nullptr, instance, nullptr);
  if (controls) AddControls(window, instance);
  ShowWindow(window, SW_SHOW);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
