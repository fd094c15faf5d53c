#include "platform/win32/DialogBasics.h"

#include <algorithm>

namespace tembric::platform::win32 {

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

}  // namespace tembric::platform::win32
