// A target application for the identification check, built three times:
// with a file description, with a translation but no description, and with
// no version resource under an upper-case file name.
//
// Usage: target_window READY-FILE TITLE
// Shows a main window titled TITLE with a button in it, and a dialog owned by
// the main window; then writes "main=", "button=" and "dialog=" lines with
// the window handles to READY-FILE. Ends when the main window is closed or
// WM_QUIT is posted to its thread.
#include <windows.h>

#include <string>

#include "helper_common.h"

namespace {

// A dialog in memory, as a resource would hold it: a captioned pop-up.
struct alignas(4) DialogTemplate {
  DLGTEMPLATE header;
  WORD menu;
  WORD windowClass;
  WCHAR title[16];
};

INT_PTR CALLBACK DialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return helper::Fail("usage: target_window READY-FILE TITLE");
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!helper::RegisterPlainClass("TembricTargetMain", helper::MainWindowProc)) return helper::Fail("RegisterClass");

  HWND main = CreateWindowExA(0, "TembricTargetMain", argv[2], WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 400, 300,
                              nullptr, nullptr, instance, nullptr);
  if (!main) return helper::Fail("CreateWindow main");
  HWND button = CreateWindowExA(0, "BUTTON", "Press", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 100, 30, main,
                                nullptr, instance, nullptr);
  if (!button) return helper::Fail("CreateWindow button");

  DialogTemplate dialogTemplate{};
  dialogTemplate.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_VISIBLE;
  dialogTemplate.header.cx = 160;
  dialogTemplate.header.cy = 80;
  lstrcpyW(dialogTemplate.title, L"Target options");
  HWND dialog = CreateDialogIndirectParamA(instance, &dialogTemplate.header, main, DialogProc, 0);
  if (!dialog) return helper::Fail("CreateDialogIndirectParam");

  const std::string ready =
      helper::HandleLine("main", main) + helper::HandleLine("button", button) + helper::HandleLine("dialog", dialog);
  if (!helper::WriteReadyFile(argv[1], ready)) return helper::Fail("writing the ready file");
  return helper::RunUntilQuit();
}
