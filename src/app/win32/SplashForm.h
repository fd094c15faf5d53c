#pragma once
// TSplashForm: the borderless splash shown while the windows are created.
// It is placed below the primary screen, so it never appears on a
// single-monitor desktop; its timer's first tick ends it.
#include <windows.h>

#include <string>

#include "app/win32/Window.h"
#include "platform/win32/Handles.h"

namespace tembric::app::win32 {

class SplashForm final : public Window {
 public:
  static constexpr int kClientWidth = 250;
  static constexpr int kClientHeight = 129;
  static constexpr int kImageHeight = 126;
  static constexpr int kVersionLeft = 160;
  static constexpr int kVersionTop = 104;

  // Created hidden, centred on the desktop as designed.
  void CreateHidden();
  // Keeps the designed left edge, puts the top edge 100 pixels below the
  // primary screen and sets the timer interval.
  void Prepare(UINT timerIntervalMs);
  // Sets lVersion, shows the window without taking the focus, repaints it and
  // enables Timer1.
  void ShowWithVersion(const std::string& versionLabel);
  bool TimerEnabled() const { return timer1Enabled_; }

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void Timer1Timer();  // disables the timer and closes (hides) the splash
  void Paint(HDC dc);

  platform::win32::BitmapHandle image1_;
  HWND lVersion_ = nullptr;
  UINT timer1Interval_ = 500;
  bool timer1Enabled_ = false;
};

}  // namespace tembric::app::win32
