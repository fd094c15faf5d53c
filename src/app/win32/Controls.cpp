#include "app/win32/Controls.h"

#include <stdexcept>

#include "platform/win32/Handles.h"

namespace tembric::app::win32 {

HFONT UiFont() {
  static const platform::win32::FontHandle font = [] {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
      return platform::win32::FontHandle(CreateFontIndirectA(&metrics.lfMessageFont));
    }
    return platform::win32::FontHandle();
  }();
  return font ? font.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

HWND CreateLabel(const LabelCreateArgs& args) {
  const HWND label =
      CreateWindowExA(0, "STATIC", args.text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, args.x, args.y,
                      args.width, args.height, args.parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!label) throw std::runtime_error("Cannot create a label");
  const HFONT font = args.font ? args.font : UiFont();
  SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return label;
}

HWND CreateControl(const ControlCreateArgs& args) {
  const HWND control =
      CreateWindowExA(args.exStyle, args.className, args.text.c_str(), WS_CHILD | WS_VISIBLE | args.style, args.x,
                      args.y, args.width, args.height, args.parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.id)), GetModuleHandleA(nullptr), nullptr);
  if (!control) throw std::runtime_error(std::string("Cannot create a control of class ") + args.className);
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(UiFont()), FALSE);
  return control;
}

HWND CreateEdit(const EditCreateArgs& args) {
  DWORD style = WS_TABSTOP;
  if (args.readOnly) style |= ES_READONLY;
  if (args.multiLine) {
    style |= ES_MULTILINE | ES_AUTOVSCROLL;
  } else {
    style |= ES_AUTOHSCROLL;
  }
  if (args.verticalScroll) style |= WS_VSCROLL;
  return CreateControl({
      .parent = args.parent,
      .className = "EDIT",
      .style = style,
      .exStyle = WS_EX_CLIENTEDGE,
      .id = args.id,
  });
}

std::string WithCrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

void Place(HWND control, int x, int y, int width, int height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  SetWindowPos(control, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace tembric::app::win32
