#include "app/CompanionCommands.h"

#include <optional>
#include <utility>

#include "app/Notices.h"
#include "app/TmGuiApi.h"
#include "platform/FileSystem.h"
#include "platform/Libraries.h"

namespace tembric::app {
namespace {

// The texts of CompanionInfo as the C struct points to them; lives for the call.
struct MainWindowArgument {
  CompanionInfo info;
  TmGuiMainWindow window{};

  explicit MainWindowArgument(CompanionInfo from) : info(std::move(from)) {
    window.size = static_cast<unsigned>(sizeof(TmGuiMainWindow));
    window.settingsPath = info.settingsPath.c_str();
    window.programName = info.programName.c_str();
    window.versionText = info.versionText.c_str();
    window.showHotkey = info.showHotkey.c_str();
    window.newHotkey = info.newHotkey.c_str();
  }
  MainWindowArgument(const MainWindowArgument&) = delete;
  MainWindowArgument& operator=(const MainWindowArgument&) = delete;
};

// Runs `call` with the entry `name` of the companion library, loaded from
// the executable's folder by full path only (without a folder nothing is
// loaded); a library or entry that is missing is told and `call` is not run.
// Handles the pending messages and unloads afterwards whatever happens.
template <typename Entry, typename Call>
void WithEntry(const CompanionDeps& deps, const char* name, Call&& call) {
  std::optional<platform::LoadedLibrary> library;
  if (!deps.executableFolder.empty())
    library.emplace(deps.libraries, platform::JoinPath(deps.executableFolder, kCompanionLibrary));
  struct Finally {
    const CompanionDeps& deps;
    std::optional<platform::LoadedLibrary>& library;
    ~Finally() {
      if (deps.handlePendingMessages) {
        try {
          deps.handlePendingMessages();
        } catch (...) {
        }
      }
      library.reset();
    }
  } finally{deps, library};
  if (!library || !*library) {
    deps.notices.Show(NoticeKind::Plain, kCannotLoadCompanion);
    return;
  }
  const auto entry = reinterpret_cast<Entry>(library->Find(name));
  if (!entry) {
    deps.notices.Show(NoticeKind::Plain, MissingEntryText(name));
    return;
  }
  call(entry);
}

}  // namespace

std::string MissingEntryText(const std::string& entry) { return "Method with name " + entry + " was not found"; }

CompanionCommands::CompanionCommands(CompanionDeps deps) : deps_(std::move(deps)) {}

std::string CompanionCommands::LibraryPath() const {
  return platform::JoinPath(deps_.executableFolder, kCompanionLibrary);
}

int CompanionCommands::aOptionsExecute() {
  std::vector<std::string> used = deps_.usedHotKeys ? deps_.usedHotKeys() : std::vector<std::string>{};
  std::vector<const char*> items;
  items.reserve(used.size());
  for (const std::string& text : used) items.push_back(text.c_str());
  const TmGuiHotKeyList usedList{static_cast<unsigned>(items.size()), items.empty() ? nullptr : items.data()};
  const MainWindowArgument main(deps_.info ? deps_.info() : CompanionInfo{});

  int result = 0;
  WithEntry<TmGuiShowOptionsProc>(deps_, TMGUI_SHOW_OPTIONS, [&](TmGuiShowOptionsProc entry) {
    result = entry(deps_.applicationWindow ? deps_.applicationWindow() : nullptr, &main.window, &usedList);
  });
  if (result == 1 && deps_.loadIni) deps_.loadIni();
  return result;
}

void CompanionCommands::aAboutExecute() {
  deps_.trayMenu.DetachTrayMenu();
  struct Reattach {
    TrayMenuSeam& tray;
    ~Reattach() { tray.AttachTrayMenu(); }
  } reattach{deps_.trayMenu};
  const MainWindowArgument main(deps_.info ? deps_.info() : CompanionInfo{});
  WithEntry<TmGuiShowAboutProc>(deps_, TMGUI_SHOW_ABOUT, [&](TmGuiShowAboutProc entry) {
    entry(deps_.applicationWindow ? deps_.applicationWindow() : nullptr, &main.window, nullptr);
  });
}

}  // namespace tembric::app
