// The toolbar of another process's window, with the screen position of
// each button, so that a test can click them as a user does. (Menu bars of
// other processes cannot be read under Wine: GetMenuItemCount and
// GetMenuBarInfo fail for them; the tests reach menu items with the
// keyboard.)
#include <cstdio>

#include "probe.h"
// after windows.h (probe.h)
#include <commctrl.h>

namespace probe {
namespace {

std::string WithoutAmpersands(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

// Prints the screen position of the middle of a rectangle in owner's client
// coordinates.
void PrintCentre(HWND owner, RECT r) {
  POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(owner, &centre);
  std::printf("%ld %ld", centre.x, centre.y);
}

}  // namespace

// Prints "toolbar HWND visible|hidden buttons N", then one tab-separated
// line per button: INDEX  ID  button|separator  enabled|disabled|hidden
// checked|-  X Y (screen centre, "- -" when not placed)  TEXT. Exit 1
// without a toolbar.
int Toolbar(const Args& args) {
  std::size_t pos = 0;
  HWND window = nullptr;
  if (const int rc = FindOne(args, &pos, &window); rc != kYes) return rc;
  if (pos != args.size()) return kUsage;
  HWND toolbar = FirstDescendant(window, TOOLBARCLASSNAMEA);
  if (toolbar == nullptr) {
    std::printf("no toolbar in %s\n", Hex(window).c_str());
    return kNo;
  }
  LRESULT count = 0;
  SendWithin(toolbar, TB_BUTTONCOUNT, 0, 0, &count);
  std::printf("toolbar %s %s buttons %lld\n", Hex(toolbar).c_str(), IsWindowVisible(toolbar) ? "visible" : "hidden",
              static_cast<long long>(count));
  constexpr std::size_t kMax = 256;
  RemoteMemory memory(toolbar, sizeof(TBBUTTON) + sizeof(RECT) + kMax);
  if (!memory.Ok()) {
    std::printf("cannot reach the memory of the toolbar's process (error %lu)\n", GetLastError());
    return kNo;
  }
  const std::size_t rect_at = sizeof(TBBUTTON), text_at = rect_at + sizeof(RECT);
  for (LRESULT i = 0; i < count; ++i) {
    TBBUTTON button{};
    RECT r{};
    LRESULT ok = 0;
    if (!SendWithin(toolbar, TB_GETBUTTON, static_cast<WPARAM>(i), memory.Param(), &ok) || !ok ||
        !memory.Read(0, &button, sizeof button)) {
      std::printf("reading button %lld failed\n", static_cast<long long>(i));
      return kNo;
    }
    // A hidden button has no rectangle.
    const bool placed = SendWithin(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(i), memory.Param(rect_at), &ok) && ok &&
                        memory.Read(rect_at, &r, sizeof r);
    std::string text;
    LRESULT length = 0;
    const char zero = 0;
    memory.Write(text_at, &zero, 1);
    if (SendWithin(toolbar, TB_GETBUTTONTEXTA, static_cast<WPARAM>(button.idCommand), memory.Param(text_at), &length) &&
        length > 0 && static_cast<std::size_t>(length) < kMax)
      text = memory.ReadText(text_at, kMax);
    const bool separator = (button.fsStyle & BTNS_SEP) != 0;
    std::printf("%lld\t%d\t%s\t%s\t%s\t", static_cast<long long>(i), button.idCommand,
                separator ? "separator" : "button",
                (button.fsState & TBSTATE_HIDDEN)    ? "hidden"
                : (button.fsState & TBSTATE_ENABLED) ? "enabled"
                                                     : "disabled",
                (button.fsState & TBSTATE_CHECKED) ? "checked" : "-");
    if (placed)
      PrintCentre(toolbar, r);
    else
      std::printf("- -");
    std::printf("\t%s\n", Escape(WithoutAmpersands(text)).c_str());
  }
  return kYes;
}

}  // namespace probe
