#pragma once
// The main window's commands: identifiers, captions, hints and shortcuts,
// and the menu bar, tray menu and accelerator table made from them.
#include <windows.h>

#include <span>
#include <string>

#include "platform/win32/Handles.h"

namespace tembric::app::win32 {

enum CommandId : int {
  kCmdNewRecord = 101,
  kCmdNewChild,
  kCmdEdit,
  kCmdDelete,
  kCmdCollapseTree,
  kCmdHide,
  kCmdShutDown,
  kCmdTableShow,
  kCmdShowToolBar,
  kCmdShowMainMenu,
  kCmdOptions,
  kCmdAbout,
  kCmdHelp,
  kCmdShow1,  // tray menu "Show"
};

struct Command {
  int id;
  const char* name;      // aNewRecord, ...
  const char* caption;   // as menus show it
  const char* hint;      // nullptr: none
  const char* shortcut;  // as menus show it; nullptr: none
  bool available;        // false: the feature is not in this build; shown disabled
};

std::span<const Command> MainCommands();
const Command* FindCommand(int id);

// "New record (Ins)"; the caption when the command has no hint.
std::string ToolTipText(const Command& command);

// File, View and Help, with their submenus.
platform::win32::OwnedMenu CreateMainMenuBar();
// TreePopup, the tree's context menu: "New", "Add child", "Edit", "Delete",
// a separator, "Collapse tree", "Show main menu", "Show toolbar".
platform::win32::OwnedMenu CreateTreePopupMenu();
// "Show", then "Shut down".
platform::win32::OwnedMenu CreateTrayMenu();
// Ins, Ctrl+A, Ctrl+E, Ctrl+Del, Num *, Esc, F1.
platform::win32::OwnedAccelerators CreateMainAccelerators();

}  // namespace tembric::app::win32
