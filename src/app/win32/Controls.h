#pragma once
// Child controls of the program's windows.
#include <windows.h>

#include <string>

namespace tembric::app::win32 {

struct LabelCreateArgs {
  HWND parent = nullptr;
  std::string text;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  HFONT font = nullptr;  // the system's GUI font when none
};

// A static text control, visible within its parent. Throws std::runtime_error.
HWND CreateLabel(const LabelCreateArgs& args);

}  // namespace tembric::app::win32
