#pragma once
// What every dialog of ours needs of the window system, the program's and
// the companion library's alike: the DPI its designed sizes are scaled to,
// the text of a control, and centring.
#include <windows.h>

#include <string>

namespace tembric::platform::win32 {

// Dots per inch of the screen (96 when the system does not tell).
int ScreenDpi();

// The whole text of a control.
std::string ControlText(HWND control);

// Moves `dialog` (size kept) to the centre of `around`, or of the work area
// when there is none, kept within the work area.
void CentreDialog(HWND dialog, HWND around);

}  // namespace tembric::platform::win32
