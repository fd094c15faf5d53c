#include "app/win32/DialogParts.h"

#include <windows.h>
// Need the declarations of <windows.h> first.
#include <commctrl.h>

#include <algorithm>

namespace tembric::app::win32 {

void AddListColumn(HWND list, int index, const char* caption, int width) {
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.pszText = const_cast<char*>(caption);
  column.cx = width;
  column.iSubItem = index;
  SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

void RunModalLoop(HWND dialog, const std::function<bool(MSG&)>& filter, const bool& ended) {
  while (!ended) {
    MSG msg;
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      // The program ends: the quit request is kept for the main loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (got == -1) return;
    if (filter && filter(msg)) continue;
    if (IsDialogMessageA(dialog, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace tembric::app::win32
