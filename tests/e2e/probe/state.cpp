// The state of one top-level window as the user sees it: where it is, how
// big, whether it is shown, translucent, in front, with a menu bar and a
// toolbar; the screen it is on; where its close box is.
#include <cstdio>

#include "probe.h"
// after windows.h (probe.h)
#include <commctrl.h>

namespace probe {

// Prints "key value" lines:
//   hwnd H / title T / visible 0|1 / foreground 0|1
//   rect L T R B / size W H / client W H (client area)
//   client-origin X Y (screen position of the client area's corner; a menu
//   bar lies just above it)
//   screen W H (primary screen) / workarea L T R B
//   layered 0|1 / alpha N  (or "alpha unreadable" when the system does not
//   say: not layered, or layered by UpdateLayeredWindow)
//   menu 0|1 (a menu bar is attached)
//   toolbar visible|hidden|none (a ToolbarWindow32 inside the window)
int WindowState(const Args& args) {
  std::size_t pos = 0;
  HWND window = nullptr;
  if (const int rc = FindOne(args, &pos, &window); rc != kYes) return rc;
  if (pos != args.size()) return kUsage;
  RECT r{}, client{}, work{};
  GetWindowRect(window, &r);
  GetClientRect(window, &client);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  std::printf("hwnd %s\n", Hex(window).c_str());
  std::printf("title %s\n", Escape(TitleOf(window)).c_str());
  std::printf("visible %d\n", IsWindowVisible(window) ? 1 : 0);
  std::printf("foreground %d\n", GetForegroundWindow() == window ? 1 : 0);
  std::printf("rect %ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
  std::printf("size %ld %ld\n", r.right - r.left, r.bottom - r.top);
  std::printf("client %ld %ld\n", client.right, client.bottom);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  std::printf("client-origin %ld %ld\n", origin.x, origin.y);
  std::printf("screen %d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  std::printf("workarea %ld %ld %ld %ld\n", work.left, work.top, work.right, work.bottom);
  const bool layered = (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
  std::printf("layered %d\n", layered ? 1 : 0);
  BYTE alpha = 0;
  DWORD flags = 0;
  COLORREF key = 0;
  if (layered && GetLayeredWindowAttributes(window, &key, &alpha, &flags) && (flags & LWA_ALPHA))
    std::printf("alpha %u\n", static_cast<unsigned>(alpha));
  else
    std::printf("alpha unreadable\n");
  std::printf("menu %d\n", GetMenu(window) != nullptr ? 1 : 0);
  HWND toolbar = FirstDescendant(window, TOOLBARCLASSNAMEA);
  std::printf("toolbar %s\n", toolbar == nullptr ? "none" : IsWindowVisible(toolbar) ? "visible" : "hidden");
  return kYes;
}

// Prints "X Y", the screen position of the middle of the window's close
// box, found by asking the window what lies under points of its top edge
// (WM_NCHITTEST, as the system does for a mouse click). Exit 1 when the
// window has no close box there.
int CloseBox(const Args& args) {
  std::size_t pos = 0;
  HWND window = nullptr;
  if (const int rc = FindOne(args, &pos, &window); rc != kYes) return rc;
  if (pos != args.size()) return kUsage;
  RECT r{};
  GetWindowRect(window, &r);
  long left = -1, right = -1, top = -1, bottom = -1;
  // Every second point of the top 60 x 120 pixels at the right, until the
  // first row below the box.
  for (long y = r.top; y < r.top + 60 && y < r.bottom && !(bottom >= 0 && bottom < y - 2); y += 2) {
    for (long x = r.right - 1; x > r.right - 120 && x >= r.left; x -= 2) {
      LRESULT hit = 0;
      if (!SendWithin(window, WM_NCHITTEST, 0, MAKELPARAM(x, y), &hit)) return kNo;
      if (hit != HTCLOSE) continue;
      if (left < 0 || x < left) left = x;
      if (x > right) right = x;
      if (top < 0) top = y;
      bottom = y;
    }
  }
  if (left < 0) {
    std::printf("no close box in %s\n", Hex(window).c_str());
    return kNo;
  }
  std::printf("%ld %ld\n", (left + right) / 2, (top + bottom) / 2);
  return kYes;
}

}  // namespace probe
