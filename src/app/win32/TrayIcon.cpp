#include "app/win32/TrayIcon.h"

#include <shellapi.h>

#include <cstring>

#include "app/win32/Pictures.h"

namespace tembric::app::win32 {
namespace {
constexpr UINT kIconId = 1;
}

TrayIcon::TrayIcon() : icons_{CreateTrayIcon(0), CreateTrayIcon(1)} {}

TrayIcon::~TrayIcon() { SetShown(false); }

NOTIFYICONDATAA TrayIcon::Data(UINT flags) const {
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof(data);
  data.hWnd = owner_;
  data.uID = kIconId;
  data.uFlags = flags;
  data.uCallbackMessage = kMessage;
  data.hIcon = icons_[image_].get();
  std::strncpy(data.szTip, hint_.c_str(), sizeof(data.szTip) - 1);
  return data;
}

void TrayIcon::SetShown(bool shown) {
  if (shown == shown_ || !owner_) return;
  NOTIFYICONDATAA data = Data(NIF_MESSAGE | NIF_ICON | NIF_TIP);
  if (shown) {
    shown_ = Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
  } else {
    Shell_NotifyIconA(NIM_DELETE, &data);
    shown_ = false;
  }
}

void TrayIcon::SetImage(int index) {
  const int image = index == 1 ? 1 : 0;
  if (image == image_) return;
  image_ = image;
  if (!shown_) return;
  NOTIFYICONDATAA data = Data(NIF_ICON);
  Shell_NotifyIconA(NIM_MODIFY, &data);
}

void TrayIcon::Restore() {
  if (!shown_) return;
  shown_ = false;
  SetShown(true);
}

}  // namespace tembric::app::win32
