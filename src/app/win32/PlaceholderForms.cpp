#include "app/win32/PlaceholderForms.h"

namespace tembric::app::win32 {

LRESULT HiddenForm::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CLOSE) {
    // Closing hides: the window is reused for the whole run.
    Hide();
    return 0;
  }
  return DefaultHandling(msg, wp, lp);
}

void RecordForm::CreateHidden() {
  Create({
      .className = "TRecordForm",
      .title = "Record",
      .style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
      .width = 480,
      .height = 420,
  });
}

void SelWinForm::CreateHidden() {
  Create({
      .className = "TSelWinForm",
      .title = "Select window",
      .style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
      .width = 420,
      .height = 360,
  });
}

}  // namespace tembric::app::win32
