// aOptionsExecute and aAboutExecute over a fake library: loaded per call by
// full path from the executable's folder, the three messages, pending
// messages and unload on every path, LoadIni only after a result of 1, and
// the tray menu attached again whatever happens.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "app/CompanionCommands.h"
#include "app/TmGuiApi.h"
#include "fakes/FakeLibraries.h"
#include "fakes/FakeNotices.h"
#include "platform/FileSystem.h"

namespace tembric::app {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kFolder = "C:\\Tembric";

// What the entries saw, and what ShowOptions answers.
struct EntryCalls {
  int result = 0;
  bool throwInside = false;
  std::vector<std::string> log;
  std::vector<std::string> used;
  std::string settingsPath, versionText, showHotkey;
  void* window = nullptr;
};
EntryCalls* calls = nullptr;

int TMGUI_CALL FakeShowOptions(void* window, const TmGuiMainWindow* main, const TmGuiHotKeyList* used) {
  calls->log.push_back("ShowOptions");
  calls->window = window;
  calls->settingsPath = main->settingsPath;
  calls->versionText = main->versionText;
  calls->showHotkey = main->showHotkey;
  EXPECT_EQ(main->size, sizeof(TmGuiMainWindow));
  for (unsigned i = 0; i < used->count; ++i) calls->used.emplace_back(used->items[i]);
  return calls->result;
}

void TMGUI_CALL FakeShowAbout(void* window, const TmGuiMainWindow* main, const void* reserved) {
  calls->log.push_back("ShowAbout");
  calls->window = window;
  calls->versionText = main->versionText;
  EXPECT_EQ(reserved, nullptr);
}

class CompanionCommandsTest : public ::testing::Test, public TrayMenuSeam {
 protected:
  CompanionCommandsTest() { calls = &entries; }
  ~CompanionCommandsTest() override { calls = nullptr; }

  void DetachTrayMenu() override { entries.log.push_back("detach tray menu"); }
  void AttachTrayMenu() override { entries.log.push_back("attach tray menu"); }

  // The library beside the executable, with the entries named.
  void Install(bool options, bool about) {
    libraries.AddLibrary(path);
    if (options) libraries.AddEntry(path, "ShowOptions", &FakeShowOptions);
    if (about) libraries.AddEntry(path, "ShowAbout", &FakeShowAbout);
  }

  CompanionCommands Commands(std::string folder = kFolder) {
    return CompanionCommands(CompanionDeps{
        .libraries = libraries,
        .notices = notices,
        .executableFolder = std::move(folder),
        .trayMenu = *this,
        .applicationWindow = [this] { return window; },
        .info =
            [] {
              return CompanionInfo{"C:\\Tembric\\Tembric.ini", "Tembric", "1.2.0.0", "Ctrl+Alt+Z", "Ctrl+Alt+N"};
            },
        .usedHotKeys =
            [this] {
              entries.log.push_back("used hotkeys");
              return std::vector<std::string>{"Ctrl+Alt+K", "Shift+F5"};
            },
        .loadIni = [this] { entries.log.push_back("LoadIni"); },
        .handlePendingMessages = [this] { entries.log.push_back("pending messages"); },
    });
  }

  std::vector<std::string> NoticeTexts() const {
    std::vector<std::string> texts;
    for (const auto& n : notices.shown) texts.push_back(n.text);
    return texts;
  }

  EntryCalls entries;
  fakes::FakeLibraries libraries;
  fakes::FakeNotices notices;
  int windowObject = 0;
  void* window = &windowObject;
  const std::string path = platform::JoinPath(kFolder, "tmgui.dll");
};

TEST_F(CompanionCommandsTest, TheLibraryIsLoadedByFullPathFromTheExecutablesFolderOnly) {
  EXPECT_EQ(Commands().LibraryPath(), path);
  EXPECT_EQ(path.rfind(kFolder, 0), 0u);
  // No folder: a bare name would go through the library search; nothing is loaded.
  Install(true, true);
  EXPECT_EQ(Commands("").aOptionsExecute(), 0);
  EXPECT_THAT(libraries.Log(), IsEmpty());
  EXPECT_THAT(NoticeTexts(), ElementsAre("Can not load library tmgui.dll"));
}

TEST_F(CompanionCommandsTest, OptionsRunsLoadIniOnlyAfterAResultOfOne) {
  struct Case {
    const char* name;
    bool installed;
    bool entry;
    int result;
    std::vector<std::string> notices;
    std::vector<std::string> log;         // the program's steps and the entry
    std::vector<std::string> libraryLog;  // load, find, unload
  };
  const std::string load = "load " + path, unload = "unload " + path;
  const Case cases[] = {
      {"missing library",
       false,
       false,
       0,
       {"Can not load library tmgui.dll"},
       {"used hotkeys", "pending messages"},
       {load}},
      {"missing entry",
       true,
       false,
       0,
       {"Method with name ShowOptions was not found"},
       {"used hotkeys", "pending messages"},
       {load, "find ShowOptions", unload}},
      {"result 0",
       true,
       true,
       0,
       {},
       {"used hotkeys", "ShowOptions", "pending messages"},
       {load, "find ShowOptions", unload}},
      {"result 1",
       true,
       true,
       1,
       {},
       {"used hotkeys", "ShowOptions", "pending messages", "LoadIni"},
       {load, "find ShowOptions", unload}},
      {"result 2",
       true,
       true,
       2,
       {},
       {"used hotkeys", "ShowOptions", "pending messages"},
       {load, "find ShowOptions", unload}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    entries = {};
    entries.result = c.result;
    notices.shown.clear();
    libraries = {};
    if (c.installed) Install(c.entry, true);
    EXPECT_EQ(Commands().aOptionsExecute(), c.result);
    EXPECT_EQ(NoticeTexts(), c.notices);
    EXPECT_EQ(entries.log, c.log);
    EXPECT_EQ(libraries.Log(), c.libraryLog);
    EXPECT_EQ(libraries.LoadedNow(), 0);
  }
}

TEST_F(CompanionCommandsTest, OptionsIsHandedTheWindowTheSettingsAndUsedHotKeys) {
  Install(true, false);
  Commands().aOptionsExecute();
  EXPECT_EQ(entries.window, window);
  EXPECT_EQ(entries.settingsPath, "C:\\Tembric\\Tembric.ini");
  EXPECT_EQ(entries.versionText, "1.2.0.0");
  EXPECT_EQ(entries.showHotkey, "Ctrl+Alt+Z");
  EXPECT_THAT(entries.used, ElementsAre("Ctrl+Alt+K", "Shift+F5"));
}

TEST_F(CompanionCommandsTest, AFailingLoadIniStillLeavesTheLibraryUnloaded) {
  Install(true, false);
  entries.result = 1;
  CompanionCommands commands(CompanionDeps{
      .libraries = libraries,
      .notices = notices,
      .executableFolder = kFolder,
      .trayMenu = *this,
      .loadIni = [] { throw std::runtime_error("Unable to write to x"); },
  });
  EXPECT_THROW(commands.aOptionsExecute(), std::runtime_error);
  EXPECT_EQ(libraries.LoadedNow(), 0);
  EXPECT_THAT(entries.used, IsEmpty());
}

TEST_F(CompanionCommandsTest, AboutAttachesTheTrayMenuAgainOnEveryPath) {
  struct Case {
    const char* name;
    bool installed;
    bool entry;
    std::vector<std::string> notices;
    std::vector<std::string> log;
  };
  const Case cases[] = {
      {"missing library",
       false,
       false,
       {"Can not load library tmgui.dll"},
       {"detach tray menu", "pending messages", "attach tray menu"}},
      {"missing entry",
       true,
       false,
       {"Method with name ShowAbout was not found"},
       {"detach tray menu", "pending messages", "attach tray menu"}},
      {"shown", true, true, {}, {"detach tray menu", "ShowAbout", "pending messages", "attach tray menu"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    entries = {};
    notices.shown.clear();
    libraries = {};
    if (c.installed) Install(true, c.entry);
    Commands().aAboutExecute();
    EXPECT_EQ(NoticeTexts(), c.notices);
    EXPECT_EQ(entries.log, c.log);
    EXPECT_EQ(libraries.LoadedNow(), 0);
    if (c.installed) {
      ASSERT_FALSE(libraries.Log().empty());
      EXPECT_EQ(libraries.Log().front(), "load " + path);
      EXPECT_EQ(libraries.Log().back(), "unload " + path);
    }
  }
  EXPECT_EQ(entries.versionText, "1.2.0.0");
}

TEST_F(CompanionCommandsTest, ATrayMenuIsAttachedAgainWhenTheAboutBoxFailsWithAnError) {
  Install(true, true);
  CompanionCommands commands(CompanionDeps{
      .libraries = libraries,
      .notices = notices,
      .executableFolder = kFolder,
      .trayMenu = *this,
      .info = []() -> CompanionInfo { throw std::runtime_error("no version"); },
  });
  EXPECT_THROW(commands.aAboutExecute(), std::runtime_error);
  EXPECT_THAT(entries.log, ElementsAre("detach tray menu", "attach tray menu"));
}

}  // namespace
}  // namespace tembric::app
