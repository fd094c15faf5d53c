#include "app/win32/MainCommands.h"

#include <array>
#include <iterator>

#include "platform/VirtualKeys.h"

namespace tembric::app::win32 {
namespace {

constexpr std::array<Command, 14> kCommands = {{
    {kCmdNewRecord, "aNewRecord", "New", "New record", "Ins", true},
    {kCmdNewChild, "aNewChild", "Add child", "Add child record", "Ctrl+A", true},
    {kCmdEdit, "aEdit", "Edit", "Record properties", "Ctrl+E", true},
    {kCmdDelete, "aDelete", "Delete", "Delete selected record", "Ctrl+Del", true},
    {kCmdCollapseTree, "aCollapseTree", "Collapse tree", nullptr, "Num *", true},
    {kCmdHide, "aHide", "Hide", nullptr, "Esc", true},
    {kCmdShutDown, "aShutDown", "Shut down", "Shut down Tembric", nullptr, true},
    {kCmdTableShow, "aTableShow", "Show Table", "Show table", nullptr, true},
    {kCmdShowToolBar, "aShowToolBar", "Show toolbar", nullptr, nullptr, true},
    {kCmdShowMainMenu, "aShowMainMenu", "Show main menu", nullptr, nullptr, true},
    {kCmdOptions, "aOptions", "Options...", nullptr, nullptr, true},
    {kCmdAbout, "aAbout", "About Tembric...", nullptr, nullptr, true},
    {kCmdHelp, "aHelp", "Help", nullptr, "F1", true},
    {kCmdShow1, "Show1", "Show", nullptr, nullptr, true},
}};

void Append(HMENU menu, int id) {
  const Command* command = FindCommand(id);
  std::string text = command->caption;
  if (command->shortcut) text += std::string("\t") + command->shortcut;
  UINT flags = MF_STRING;
  if (!command->available) flags |= MF_GRAYED;
  AppendMenuA(menu, flags, static_cast<UINT_PTR>(id), text.c_str());
}

}  // namespace

std::span<const Command> MainCommands() { return kCommands; }

const Command* FindCommand(int id) {
  for (const auto& command : kCommands)
    if (command.id == id) return &command;
  return nullptr;
}

std::string ToolTipText(const Command& command) {
  std::string text = command.hint ? command.hint : command.caption;
  if (command.shortcut) text += std::string(" (") + command.shortcut + ")";
  return text;
}

platform::win32::OwnedMenu CreateMainMenuBar() {
  const HMENU file = CreatePopupMenu();
  for (int id : {kCmdNewRecord, kCmdNewChild, kCmdEdit, kCmdDelete}) Append(file, id);
  AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
  Append(file, kCmdOptions);
  AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
  Append(file, kCmdShutDown);

  const HMENU view = CreatePopupMenu();
  Append(view, kCmdShowToolBar);
  Append(view, kCmdShowMainMenu);
  AppendMenuA(view, MF_SEPARATOR, 0, nullptr);
  Append(view, kCmdCollapseTree);

  const HMENU help = CreatePopupMenu();
  Append(help, kCmdAbout);
  Append(help, kCmdHelp);

  const HMENU bar = CreateMenu();
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(view), "&View");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), "&Help");
  return platform::win32::OwnedMenu(bar);
}

platform::win32::OwnedMenu CreateTreePopupMenu() {
  const HMENU menu = CreatePopupMenu();
  for (int id : {kCmdNewRecord, kCmdNewChild, kCmdEdit, kCmdDelete}) Append(menu, id);
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  for (int id : {kCmdCollapseTree, kCmdShowMainMenu, kCmdShowToolBar}) Append(menu, id);
  return platform::win32::OwnedMenu(menu);
}

platform::win32::OwnedMenu CreateTrayMenu() {
  const HMENU menu = CreatePopupMenu();
  Append(menu, kCmdShow1);
  Append(menu, kCmdShutDown);
  SetMenuDefaultItem(menu, kCmdShow1, FALSE);
  return platform::win32::OwnedMenu(menu);
}

platform::win32::OwnedAccelerators CreateMainAccelerators() {
  namespace vk = platform::vk;
  ACCEL keys[] = {
      {FVIRTKEY, vk::kInsert, kCmdNewRecord},
      {FVIRTKEY | FCONTROL, vk::kA, kCmdNewChild},
      {FVIRTKEY | FCONTROL, vk::kE, kCmdEdit},
      {FVIRTKEY | FCONTROL, vk::kDelete, kCmdDelete},
      {FVIRTKEY, vk::kMultiply, kCmdCollapseTree},
      {FVIRTKEY, vk::kEscape, kCmdHide},
      {FVIRTKEY, vk::kF1, kCmdHelp},
  };
  return platform::win32::OwnedAccelerators(CreateAcceleratorTableA(keys, static_cast<int>(std::size(keys))));
}

}  // namespace tembric::app::win32
