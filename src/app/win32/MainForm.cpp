#include "app/win32/MainForm.h"

#include <utility>

#include "app/win32/MessageBoxes.h"
#include "store/Tables.h"

namespace tembric::app::win32 {
namespace {

constexpr UINT_PTR kTimer2 = 2;

}  // namespace

MainForm::MainForm(platform::FileSystem& fs, std::string folder, std::string caption)
    : lifecycle_(fs, std::move(folder), ProgramNotices()), caption_(std::move(caption)) {}

MainForm::~MainForm() {
  if (Hwnd()) DestroyWindow(Hwnd());
}

void MainForm::CreateHidden() {
  Create({
      .className = "TForm1",
      .title = caption_,
      // Resizable, with a close box and no minimise or maximise box.
      .style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
      .width = kDesignedWidth,
      .height = kDesignedHeight,
  });
}

void MainForm::StartTimer2() { SetTimer(Hwnd(), kTimer2, kTimer2IntervalMs, nullptr); }

void MainForm::StopTimer2() { KillTimer(Hwnd(), kTimer2); }

void MainForm::FormCreate() { lifecycle_.FormCreate(store::TimestampNow()); }

void MainForm::FormDestroy() {
  StopTimer2();
  lifecycle_.FormDestroy();
}

LRESULT MainForm::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      RunGuarded([this] { FormCreate(); });
      return 0;
    case WM_DESTROY:
      FormDestroy();
      PostQuitMessage(0);
      return 0;
    case WM_CLOSE:
      // The close box only hides the window; the program keeps running.
      Hide();
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // The session ends: end the program as a shutdown does, so that the
      // records are saved before the system stops the process.
      if (wp) DestroyWindow(Hwnd());
      return 0;
    case WM_TIMER:
      if (wp == kTimer2) {
        Timer2Timer();
        return 0;
      }
      break;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lp);
      info->ptMinTrackSize = {kMinimumWidth, kMinimumHeight};
      return 0;
    }
  }
  return DefaultHandling(msg, wp, lp);
}

}  // namespace tembric::app::win32
