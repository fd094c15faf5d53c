#pragma once
// Pieces the program's modal dialogs share: those of every dialog of ours
// (platform/win32/DialogBasics: DPI, control text, centring), a list-view
// column, and the modal message loop.
#include <windows.h>

#include <functional>
#include <string>

#include "platform/win32/DialogBasics.h"

namespace tembric::app::win32 {

using platform::win32::CentreDialog;
using platform::win32::ControlText;
using platform::win32::ScreenDpi;

// Appends column `index` to a report-view list.
void AddListColumn(HWND list, int index, const char* caption, int width);

// Runs messages for the modal `dialog` until `ended` turns true: each
// message goes to `filter` first (true means taken), then to the dialog's
// keyboard handling (Tab, Enter, Esc), then to its window. WM_QUIT ends the
// loop and is posted again for the main loop. Whoever sets `ended` posts a
// message to wake the loop.
void RunModalLoop(HWND dialog, const std::function<bool(MSG&)>& filter, const bool& ended);

}  // namespace tembric::app::win32
