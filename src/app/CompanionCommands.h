#pragma once
// The main window's two commands that lead into the companion library
// tmgui.dll: "Options..." (aOptionsExecute) and the about entry
// (aAboutExecute). The library is loaded for the length of one call, by full
// path from the executable's own folder and never through the library search
// (a tmgui.dll planted in the current folder or on the search path never
// runs), handed plain C structs (app/TmGuiApi.h) and unloaded after the
// pending window messages have been handled, on every path.

#include <functional>
#include <string>
#include <vector>

namespace tembric::platform {
class Libraries;
}

namespace tembric::app {

class Notices;

inline constexpr const char* kCompanionLibrary = "tmgui.dll";
inline constexpr const char* kCannotLoadCompanion = "Can not load library tmgui.dll";
// "Method with name <entry> was not found".
std::string MissingEntryText(const std::string& entry);

// The tray icon's menu, taken off the icon while the about box is up.
class TrayMenuSeam {
 public:
  virtual ~TrayMenuSeam() = default;
  // While detached, a right click on the tray icon opens no menu.
  virtual void DetachTrayMenu() = 0;
  virtual void AttachTrayMenu() = 0;
};

// What the library is told about the main window.
struct CompanionInfo {
  std::string settingsPath;
  std::string programName;  // "Tembric"
  std::string versionText;  // "1.2.0.0"
  std::string showHotkey;   // the program's hotkeys as the settings name them
  std::string newHotkey;
};

struct CompanionDeps {
  platform::Libraries& libraries;
  Notices& notices;
  std::string executableFolder;  // where tmgui.dll is loaded from, and only there
  TrayMenuSeam& trayMenu;
  // The application window's handle, the first argument of both entries.
  std::function<void*()> applicationWindow{};
  std::function<CompanionInfo()> info{};
  // Quiet mode, FillCatList(false), quiet mode left: the ShortCut of every
  // record that has one.
  std::function<std::vector<std::string>()> usedHotKeys{};
  // The main window's LoadIni: translucency, opacity, tray icon, inactivity
  // limit and the two program hotkeys applied from the settings file.
  std::function<void()> loadIni{};
  std::function<void()> handlePendingMessages{};
};

class CompanionCommands {
 public:
  explicit CompanionCommands(CompanionDeps deps);

  // The full path the library is loaded from.
  std::string LibraryPath() const;

  // The options dialog; LoadIni runs after a result of 1 only. Returns the
  // result (0 when the library or its entry is missing or the call failed).
  // An error of the used-hotkeys fill or of LoadIni propagates (the window's
  // handler shows it); the library is unloaded first.
  int aOptionsExecute();
  // The about box, with the tray menu detached while it is up and attached
  // again on every path.
  void aAboutExecute();

 private:
  CompanionDeps deps_;
};

}  // namespace tembric::app
