#pragma once
// Pieces the program's modal dialogs share: the DPI their designed sizes are
// scaled to, the text of a control, a list-view column, and the modal
// message loop.
#include <windows.h>

#include <functional>
#include <string>

namespace tembric::app::win32 {

// Dots per inch of the screen (96 when the system does not tell).
int ScreenDpi();

// The whole text of a control.
std::string ControlText(HWND control);

// Appends column `index` to a report-view list.
void AddListColumn(HWND list, int index, const char* caption, int width);

// Moves `dialog` (size kept) to the centre of `around`, or of the work area
// when there is none, kept within the work area.
void CentreDialog(HWND dialog, HWND around);

// Runs messages for the modal `dialog` until `ended` turns true: each
// message goes to `filter` first (true means taken), then to the dialog's
// keyboard handling (Tab, Enter, Esc), then to its window. WM_QUIT ends the
// loop and is posted again for the main loop. Whoever sets `ended` posts a
// message to wake the loop.
void RunModalLoop(HWND dialog, const std::function<bool(MSG&)>& filter, const bool& ended);

}  // namespace tembric::app::win32
