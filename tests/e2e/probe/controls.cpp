// The controls inside another process's window: a list of them, and the text
// of its edit boxes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "probe.h"
// after windows.h (probe.h)
#include <commctrl.h>

namespace probe {
namespace {

bool IsEdit(HWND hwnd) {
  const std::string cls = ClassOf(hwnd);
  return SameText(cls, "Edit") || cls.rfind("RichEdit", 0) == 0 || cls.rfind("RICHEDIT", 0) == 0;
}

bool IsMultiline(HWND edit) { return (GetWindowLongPtrA(edit, GWL_STYLE) & ES_MULTILINE) != 0; }

}  // namespace

bool SendWithin(HWND window, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result, DWORD timeout_ms) {
  DWORD_PTR r = 0;
  if (!SendMessageTimeoutA(window, msg, wp, lp, SMTO_ABORTIFHUNG, timeout_ms, &r)) return false;
  if (result != nullptr) *result = static_cast<LRESULT>(r);
  return true;
}

std::string ControlText(HWND control) {
  LRESULT length = 0;
  if (!SendWithin(control, WM_GETTEXTLENGTH, 0, 0, &length) || length <= 0) return "";
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  LRESULT copied = 0;
  if (!SendWithin(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), &copied)) return "";
  text.resize(copied < 0 ? 0 : static_cast<std::size_t>(copied));
  return text;
}

std::vector<std::string> TabCaptions(HWND tabs) {
  std::vector<std::string> captions;
  LRESULT count = 0;
  if (!SendWithin(tabs, TCM_GETITEMCOUNT, 0, 0, &count)) return captions;
  constexpr std::size_t kMax = 256;
  RemoteMemory memory(tabs, sizeof(TCITEMA) + kMax);
  if (!memory.Ok()) return captions;
  for (LRESULT i = 0; i < count; ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = static_cast<char*>(memory.At(sizeof item));
    item.cchTextMax = kMax;
    const char zero = 0;
    LRESULT ok = 0;
    if (!memory.Write(0, &item, sizeof item) || !memory.Write(sizeof item, &zero, 1) ||
        !SendWithin(tabs, TCM_GETITEMA, static_cast<WPARAM>(i), memory.Param(), &ok) || !ok)
      break;
    captions.push_back(memory.ReadText(sizeof item, kMax));
  }
  return captions;
}

// The lines of a list box. LB_GETTEXT is one of the messages the system
// carries across processes for its own controls, so a local buffer serves;
// Wine carries its text as UTF-16 whatever the sender's character set, so it
// is asked for in UTF-16 and converted.
std::vector<std::string> ListBoxLines(HWND list) {
  std::vector<std::string> lines;
  LRESULT count = 0;
  if (!SendWithin(list, LB_GETCOUNT, 0, 0, &count)) return lines;
  for (LRESULT i = 0; i < count; ++i) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0, SMTO_ABORTIFHUNG, 5000, &length) ||
        static_cast<LRESULT>(length) < 0)
      break;
    std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide.data()),
                             SMTO_ABORTIFHUNG, 5000, &copied) ||
        static_cast<LRESULT>(copied) < 0)
      break;
    wide.resize(static_cast<std::size_t>(copied));
    std::string line(wide.size() * 2 + 1, '\0');
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), line.data(),
                                          static_cast<int>(line.size()), nullptr, nullptr);
    line.resize(bytes > 0 ? static_cast<std::size_t>(bytes) : 0);
    lines.push_back(line);
  }
  return lines;
}

// One tab-separated line per control inside the window, in creation order:
// HWND  CLASS  visible|hidden  L,T,R,B (screen)  TEXT  [details]
// details: "tabs A|B|C" for a tab control, "items N" for a list view or a
// tree, "buttons N" for a toolbar, "lines A|B|C" for a list box.
int Controls(const Args& args) {
  std::size_t pos = 0;
  HWND window = nullptr;
  if (const int rc = FindOne(args, &pos, &window); rc != kYes) return rc;
  if (pos != args.size()) return kUsage;
  for (HWND child : Descendants(window)) {
    const std::string cls = ClassOf(child);
    RECT r{};
    GetWindowRect(child, &r);
    std::string text = ControlText(child);
    if (text.size() > 60) text = text.substr(0, 60) + "...";
    std::string details;
    LRESULT n = 0;
    if (SameText(cls, WC_TABCONTROLA)) {
      details = "tabs ";
      const auto captions = TabCaptions(child);
      for (std::size_t i = 0; i < captions.size(); ++i) details += (i ? "|" : "") + captions[i];
    } else if (SameText(cls, WC_LISTVIEWA) && SendWithin(child, LVM_GETITEMCOUNT, 0, 0, &n)) {
      details = "items " + std::to_string(n);
    } else if (SameText(cls, WC_TREEVIEWA) && SendWithin(child, TVM_GETCOUNT, 0, 0, &n)) {
      details = "items " + std::to_string(n);
    } else if (SameText(cls, TOOLBARCLASSNAMEA) && SendWithin(child, TB_BUTTONCOUNT, 0, 0, &n)) {
      details = "buttons " + std::to_string(n);
    } else if (SameText(cls, "ListBox")) {
      details = "lines ";
      const auto lines = ListBoxLines(child);
      for (std::size_t i = 0; i < lines.size(); ++i) details += (i ? "|" : "") + lines[i];
    }
    std::printf("%s\t%s\t%s\t%ld,%ld,%ld,%ld\t%s\t%s\n", Hex(child).c_str(), cls.c_str(),
                IsWindowVisible(child) ? "visible" : "hidden", r.left, r.top, r.right, r.bottom, Escape(text).c_str(),
                details.c_str());
  }
  return kYes;
}

// Prints the whole text of the window's first edit box (-multiline: the
// first multi-line one; -single: the first one-line one), line ends as "\n".
// Exit 1 when there is no such box.
int EditText(const Args& args) {
  std::size_t pos = 0;
  int want = 0;  // 0 any, 1 multi-line, 2 one-line
  if (pos < args.size() && args[pos] == "-multiline")
    want = 1, ++pos;
  else if (pos < args.size() && args[pos] == "-single")
    want = 2, ++pos;
  HWND window = nullptr;
  if (const int rc = FindOne(args, &pos, &window); rc != kYes) return rc;
  if (pos != args.size()) return kUsage;
  for (HWND child : Descendants(window)) {
    if (!IsEdit(child)) continue;
    if (want == 1 && !IsMultiline(child)) continue;
    if (want == 2 && IsMultiline(child)) continue;
    std::string text;
    for (char c : ControlText(child))
      if (c != '\r') text += c;
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (!text.empty() && text.back() != '\n') std::fputc('\n', stdout);
    return kYes;
  }
  std::printf("no edit box in %s\n", Hex(window).c_str());
  return kNo;
}

}  // namespace probe

namespace probe {

// hotkey HWND [VK MODIFIERS]: the value of a hotkey control (msctls_hotkey32),
// set first when VK (hexadecimal) and MODIFIERS ("none" or shift, ctrl, alt
// joined with "+") are given, as the control would take a combination the
// system keeps from it (a registered hotkey is never typed into it). Prints
// `hotkey VK MODIFIERS`. The messages carry no pointers, so they work across
// processes.
int Hotkey(const Args& args) {
  if (args.size() != 1 && args.size() != 3) return kUsage;
  const HWND control = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(std::strtoull(args[0].c_str(), nullptr, 16)));
  if (!IsWindow(control) || !SameText(ClassOf(control), HOTKEY_CLASSA)) {
    std::printf("%s is no hotkey control\n", args[0].c_str());
    return kNo;
  }
  if (args.size() == 3) {
    const unsigned long vk = std::strtoul(args[1].c_str(), nullptr, 16);
    BYTE flags = 0;
    const std::string& mods = args[2];
    if (mods.find("shift") != std::string::npos) flags |= HOTKEYF_SHIFT;
    if (mods.find("ctrl") != std::string::npos) flags |= HOTKEYF_CONTROL;
    if (mods.find("alt") != std::string::npos) flags |= HOTKEYF_ALT;
    if (vk == 0 || vk > 0xFF) return kUsage;
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutA(control, HKM_SETHOTKEY, MAKEWORD(static_cast<BYTE>(vk), flags), 0, SMTO_ABORTIFHUNG, 5000,
                             &ignored))
      return kNo;
  }
  DWORD_PTR value = 0;
  if (!SendMessageTimeoutA(control, HKM_GETHOTKEY, 0, 0, SMTO_ABORTIFHUNG, 5000, &value)) return kNo;
  const BYTE vk = LOBYTE(LOWORD(value));
  const BYTE flags = HIBYTE(LOWORD(value));
  std::string mods;
  if (flags & HOTKEYF_SHIFT) mods += "shift+";
  if (flags & HOTKEYF_CONTROL) mods += "ctrl+";
  if (flags & HOTKEYF_ALT) mods += "alt+";
  if (mods.empty()) mods = "none+";
  mods.pop_back();
  std::printf("hotkey 0x%02X %s\n", vk, mods.c_str());
  return kYes;
}

}  // namespace probe
