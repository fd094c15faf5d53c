#include "app/win32/DialogParts.h"

#include <windows.h>
// Need the declarations of <windows.h> first.
#include <commctrl.h>

#include <algorithm>

namespace tembric::app::win32 {

void CentreDialog(HWND dialog, HWND around) {
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  RECT centre{};
  if (!around || !GetWindowRect(around, &centre)) centre = work;
  RECT own{};
  GetWindowRect(dialog, &own);
  const LONG width = own.right - own.left;
  const LONG height = own.bottom - own.top;
  const LONG x =
      std::clamp((centre.left + centre.right - width) / 2, work.left, std::max(work.left, work.right - width));
  const LONG y =
      std::clamp((centre.top + centre.bottom - height) / 2, work.top, std::max(work.top, work.bottom - height));
  SetWindowPos(dialog, HWND_TOP, x, y, 0, 0, SWP_NOSIZE);
}

int ScreenDpi() {
  int dpi = 0;
  if (const HDC screen = GetDC(nullptr)) {
    dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
  }
  return dpi > 0 ? dpi : 96;
}

std::string ControlText(HWND control) {
  const int length = GetWindowTextLengthA(control);
  std::string text(static_cast<std::size_t>(std::max(0, length)) + 1, '\0');
  const int got = GetWindowTextA(control, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(0, got)));
  return text;
}

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
