#include "app/win32/Splitter.h"

#include <utility>

namespace tembric::app::win32 {

void Splitter::CreateIn(HWND parent, std::function<void(int top)> onDrag) {
  onDrag_ = std::move(onDrag);
  Create({
      .className = "TSplitter",
      .title = "",
      .style = WS_CHILD | WS_CLIPSIBLINGS,
      .exStyle = 0,
      .x = 0,
      .y = 0,
      .width = 10,
      .height = kThickness,
      .clientSize = false,
      .owner = parent,
  });
  ShowWindow(Hwnd(), SW_SHOWNA);
}

LRESULT Splitter::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SETCURSOR:
      SetCursor(LoadCursorA(nullptr, IDC_SIZENS));
      return TRUE;
    case WM_LBUTTONDOWN:
      grabOffset_ = static_cast<short>(HIWORD(lp));
      dragging_ = true;
      SetCapture(Hwnd());
      return 0;
    case WM_MOUSEMOVE:
      if (dragging_ && onDrag_) {
        POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        MapWindowPoints(Hwnd(), GetParent(Hwnd()), &p, 1);
        onDrag_(p.y - grabOffset_);
      }
      return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (dragging_) {
        dragging_ = false;
        if (msg == WM_LBUTTONUP) ReleaseCapture();
      }
      return 0;
  }
  return DefaultHandling(msg, wp, lp);
}

}  // namespace tembric::app::win32
