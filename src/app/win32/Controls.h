#pragma once
// Child controls of the program's windows, each made from a CreateArgs
// struct with designated initialisers. Every control gets the program's
// user-interface font.
#include <windows.h>

#include <string>

namespace tembric::app::win32 {

// The system's message font (as dialogs use it), made once for the run;
// DEFAULT_GUI_FONT when the system does not tell it.
HFONT UiFont();

struct LabelCreateArgs {
  HWND parent = nullptr;
  std::string text;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  HFONT font = nullptr;  // the UI font when none
};

// A static text control, visible within its parent. Throws std::runtime_error.
HWND CreateLabel(const LabelCreateArgs& args);

struct ControlCreateArgs {
  HWND parent = nullptr;
  const char* className = nullptr;  // "EDIT", WC_TREEVIEWA, ...
  DWORD style = 0;                  // WS_CHILD | WS_VISIBLE are added
  DWORD exStyle = 0;
  int id = 0;
  std::string text{};
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// Any child control, with the UI font. Throws std::runtime_error.
HWND CreateControl(const ControlCreateArgs& args);

struct EditCreateArgs {
  HWND parent = nullptr;
  int id = 0;
  bool readOnly = false;
  bool multiLine = false;
  bool verticalScroll = false;
};

// A sunken edit box; multi-line boxes wrap and keep the caret in view.
HWND CreateEdit(const EditCreateArgs& args);

// The text with every "\n" line end as an edit control needs it ("\r\n").
std::string WithCrLf(const std::string& text);

// Moves a child; hidden children are moved too, so they are in place when shown.
void Place(HWND control, int x, int y, int width, int height);

}  // namespace tembric::app::win32
