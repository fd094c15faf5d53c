#pragma once
// The notification-area icon: added and removed with Shell_NotifyIconA, two
// images, a hint, and mouse events sent to the owner window as kMessage
// (lParam: WM_LBUTTONDOWN, WM_RBUTTONUP, ...).
#include <windows.h>
// Needs the declarations of <windows.h> first.
#include <shellapi.h>

#include <string>

#include "platform/win32/Handles.h"

namespace tembric::app::win32 {

class TrayIcon {
 public:
  static constexpr UINT kMessage = WM_APP + 10;

  TrayIcon();
  ~TrayIcon();  // removes the icon
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  void Bind(HWND owner, std::string hint) {
    owner_ = owner;
    hint_ = std::move(hint);
  }
  void SetShown(bool shown);
  bool Shown() const { return shown_; }
  void SetImage(int index);  // 0 or 1
  // After the shell restarted (the "TaskbarCreated" message): adds it again.
  void Restore();

 private:
  NOTIFYICONDATAA Data(UINT flags) const;

  HWND owner_ = nullptr;
  std::string hint_;
  platform::win32::OwnedIcon icons_[2];
  int image_ = 0;
  bool shown_ = false;
};

}  // namespace tembric::app::win32
