#include "app/win32/SplashForm.h"

#include "app/win32/Controls.h"
#include "app/win32/SplashPicture.h"

namespace tembric::app::win32 {
namespace {

constexpr UINT_PTR kTimer1 = 1;
constexpr int kScreenClearance = 100;

}  // namespace

void SplashForm::CreateHidden() {
  Create({
      .className = "TSplashForm",
      .title = "Tembric",
      .style = WS_POPUP,
      .exStyle = WS_EX_TOOLWINDOW,  // no taskbar entry
      .x = (GetSystemMetrics(SM_CXSCREEN) - kClientWidth) / 2,
      .y = (GetSystemMetrics(SM_CYSCREEN) - kClientHeight) / 2,
      .width = kClientWidth,
      .height = kClientHeight,
      .clientSize = true,
      .background = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)),
  });
  const HDC screen = GetDC(Hwnd());
  image1_ = PaintSplashPicture(screen, kClientWidth, kImageHeight);
  ReleaseDC(Hwnd(), screen);
  lVersion_ = CreateLabel({
      .parent = Hwnd(),
      .text = "",
      .x = kVersionLeft,
      .y = kVersionTop,
      .width = kClientWidth - kVersionLeft - 4,
      .height = 16,
  });
}

void SplashForm::Prepare(UINT timerIntervalMs) {
  RECT r;
  GetWindowRect(Hwnd(), &r);
  SetWindowPos(Hwnd(), nullptr, r.left, GetSystemMetrics(SM_CYSCREEN) + kScreenClearance, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  timer1Interval_ = timerIntervalMs;
}

void SplashForm::ShowWithVersion(const std::string& versionLabel) {
  SetWindowTextA(lVersion_, versionLabel.c_str());
  // The splash lies off the screen: taking the focus from the user's
  // program would gain nothing.
  ShowWindow(Hwnd(), SW_SHOWNOACTIVATE);
  UpdateWindow(Hwnd());
  timer1Enabled_ = SetTimer(Hwnd(), kTimer1, timer1Interval_, nullptr) != 0;
}

void SplashForm::Timer1Timer() {
  KillTimer(Hwnd(), kTimer1);
  timer1Enabled_ = false;
  Hide();
}

void SplashForm::Paint(HDC dc) {
  if (image1_) {
    platform::win32::MemoryDc source(dc);
    platform::win32::SelectedObject selected(source.get(), image1_.get());
    BitBlt(dc, 0, 0, kClientWidth, kImageHeight, source.get(), 0, 0, SRCCOPY);
  }
  // Shape1: an unfilled outline framing the whole client area.
  platform::win32::SelectedObject pen(dc, GetStockObject(BLACK_PEN));
  platform::win32::SelectedObject brush(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, 0, 0, kClientWidth, kClientHeight);
}

LRESULT SplashForm::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      const HDC dc = BeginPaint(Hwnd(), &ps);
      Paint(dc);
      EndPaint(Hwnd(), &ps);
      return 0;
    }
    case WM_PRINTCLIENT:  // pictures of the window taken by other programs
      Paint(reinterpret_cast<HDC>(wp));
      return 0;
    case WM_CTLCOLORSTATIC: {
      // lVersion is drawn over the picture without a background of its own.
      const HDC dc = reinterpret_cast<HDC>(wp);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, RGB(0xff, 0xff, 0xff));
      return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    }
    case WM_TIMER:
      if (wp == kTimer1) {
        Timer1Timer();
        return 0;
      }
      break;
    case WM_CLOSE:
      Hide();
      return 0;
  }
  return DefaultHandling(msg, wp, lp);
}

}  // namespace tembric::app::win32
