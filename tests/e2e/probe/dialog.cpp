// Message boxes and dialogs: reading their texts and pressing their buttons.
#include <cstdio>

#include "probe.h"

namespace probe {
namespace {

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
  return TRUE;
}

std::vector<HWND> Children(HWND dialog) {
  std::vector<HWND> children;
  EnumChildWindows(dialog, CollectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

std::vector<HWND> VisibleDialogs(const std::string& title) {
  Query query;
  query.by_title = true;
  query.text = title;
  query.visible_only = true;
  query.dialog_class = "#32770";
  return Find(query);
}

std::string WithoutAccelerator(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

bool IsButton(HWND hwnd) { return SameText(ClassOf(hwnd), "Button"); }
bool IsStatic(HWND hwnd) { return SameText(ClassOf(hwnd), "Static"); }

}  // namespace

// Prints "dialogs N" (visible dialogs with that caption), then for the first
// one "text T" for every visible static control with text and then
// "button B" for every visible button, each in child order; texts escaped to
// one line.
int DialogText(const Args& args) {
  if (args.size() != 1) return kUsage;
  const auto dialogs = VisibleDialogs(args[0]);
  std::printf("dialogs %zu\n", dialogs.size());
  if (dialogs.empty()) return kNo;
  std::vector<std::string> texts, buttons;
  for (HWND child : Children(dialogs.front())) {
    if (GetParent(child) != dialogs.front() || !IsWindowVisible(child)) continue;
    const std::string text = TitleOf(child);
    if (IsStatic(child) && !text.empty()) texts.push_back("text " + Escape(text));
    if (IsButton(child)) buttons.push_back("button " + Escape(WithoutAccelerator(text)));
  }
  for (const auto& line : texts) std::printf("%s\n", line.c_str());
  for (const auto& line : buttons) std::printf("%s\n", line.c_str());
  return dialogs.size() == 1 ? kYes : kAmbiguous;
}

// Clicks the button by posting the notification the button itself would send.
int Press(const Args& args) {
  if (args.size() != 2) return kUsage;
  const auto dialogs = VisibleDialogs(args[0]);
  if (dialogs.empty()) {
    std::printf("no visible dialog titled \"%s\"\n", args[0].c_str());
    return kNo;
  }
  if (dialogs.size() > 1) {
    std::printf("%zu visible dialogs titled \"%s\"\n", dialogs.size(), args[0].c_str());
    return kAmbiguous;
  }
  for (HWND child : Children(dialogs.front())) {
    if (!IsButton(child) || WithoutAccelerator(TitleOf(child)) != args[1]) continue;
    const int id = GetDlgCtrlID(child);
    if (!PostMessageA(dialogs.front(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(child)))
      return kNo;
    std::printf("pressed %s (id %d)\n", args[1].c_str(), id);
    return kYes;
  }
  std::printf("no button \"%s\"\n", args[1].c_str());
  return kNo;
}

}  // namespace probe
