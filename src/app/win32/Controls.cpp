#include "app/win32/Controls.h"

#include <stdexcept>

namespace tembric::app::win32 {

HWND CreateLabel(const LabelCreateArgs& args) {
  const HWND label =
      CreateWindowExA(0, "STATIC", args.text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, args.x, args.y,
                      args.width, args.height, args.parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!label) throw std::runtime_error("Cannot create a label");
  const HFONT font = args.font ? args.font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return label;
}

}  // namespace tembric::app::win32
