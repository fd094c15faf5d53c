#pragma once
// A main window's controller over fakes: a desktop with an editor, a browser,
// one of our windows and the tray, an in-memory disk with
// injected faults, recorded notices, view events and trace lines.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/MainController.h"
#include "app/Paster.h"
#include "app/Trace.h"
#include "context/Identification.h"
#include "fakes/FakeAppFiles.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDde.h"
#include "fakes/FakeInput.h"
#include "fakes/FakeKeyboard.h"
#include "fakes/FakeMainView.h"
#include "fakes/FakeNotices.h"
#include "fakes/FakeVersionInfo.h"
#include "fakes/FakeWindowSystem.h"
#include "fakes/FaultInjectingFileSystem.h"
#include "fakes/KeyScript.h"
#include "fakes/MemoryFileSystem.h"
#include "platform/Dde.h"
#include "platform/VersionInfo.h"
#include "platform/WindowSystem.h"

namespace tembric::app {
namespace {

constexpr const char* kFolder = "C:\\Tembric";
constexpr const char* kExe = "C:\\Tembric\\Tembric.exe";
constexpr const char* kIni = "C:\\Tembric\\Tembric.ini";
constexpr const char* kRecords = "C:\\Tembric\\tembric.db";
constexpr const char* kStamp = "20260102-030405";

// The desktop's top-level windows, as the shared fake hands out handles in
// the order they are added (checked by Desktop()).
constexpr platform::WindowHandle kEditor = 0x10010;
constexpr platform::WindowHandle kBrowser = 0x10014;
constexpr platform::WindowHandle kOwnWindow = 0x10018;
constexpr platform::WindowHandle kTray = 0x1001C;  // the shell's notification area

// Two other programs, one window of ours and the shell's tray; the editor in front.
inline void Desktop(fakes::FakeWindowSystem& windows) {
  const platform::WindowHandle made[] = {
      windows.AddTopLevel(windows.AddProcess("C:\\Windows\\notepad.exe"), "Notepad", "notes.txt - Notepad"),
      windows.AddTopLevel(windows.AddProcess("C:\\Apps\\viewer.exe"), "Viewer", "Start page"),
      windows.AddTopLevel(windows.AddProcess(kExe), "TForm1", "Tembric 1.2"),
      windows.AddTopLevel(windows.AddProcess("C:\\Windows\\explorer.exe"), "Shell_TrayWnd", ""),
  };
  if (made[0] != kEditor || made[1] != kBrowser || made[2] != kOwnWindow || made[3] != kTray)
    throw std::logic_error("the window fake hands out other handles");
  windows.SetForeground(kEditor);
}

class RecordedTrace final : public TraceSink {
 public:
  std::vector<std::string> lines;
  void AddTraceLine(const std::string& line) override { lines.push_back(line); }
};

class MainControllerFixture : public ::testing::Test {
 protected:
  MainControllerFixture() {
    Desktop(windows);
    SetTraceSink(&trace);
  }
  ~MainControllerFixture() override { SetTraceSink(nullptr); }

  void WriteIni(const std::string& text) { disk.Put(kIni, fakes::Text(text)); }

  // The paste entry of this main window: its records, settings, hiding and
  // hotkey gate, the tracker's target and the recorded notices.
  PasterDeps PasteDeps(platform::Clipboard& clipboard, fakes::FakeInput& input, platform::Libraries& libraries,
                       paste::ImageDecoder& decoder) {
    return {
        .clipboard = clipboard,
        .input = input,
        .clock = input.clock,
        .files = files,
        .libraries = libraries,
        .decoder = decoder,
        .records = Controller().Library().records,
        .settings = Controller().Settings(),
        .window = Controller(),
        .hotkeys = Controller().Hotkeys(),
        .target = tracker,
        .notices = notices,
        .folder = kFolder,
    };
  }

  MainController& Controller() {
    if (!controller) {
      controller = std::make_unique<MainController>(MainControllerDeps{
          .files = files,
          .folder = kFolder,
          .settings = settings,
          .caption = "Tembric 1.2",
          .notices = notices,
          .view = view,
          .clock = clock,
          .windows = windows,
          .target = tracker,
          .lifecycle = lifecycle,
          .seams = Seams(),
      });
      view.Attach(controller.get());
    }
    return *controller;
  }

  // The features the controller calls; all recorded fakes unless a test replaces some.
  virtual MainSeams Seams() { return seams.All(); }

  MainController& Created() {
    Controller().FormCreate(kStamp);
    events.clear();
    return *controller;
  }

  // Types `script` (see fakes/KeyScript.h) into `main`'s keystroke tracker
  // as the hook's key messages, 15 ms apart, and shows the tray image asked for.
  void Collect(MainController& main, std::string_view script) {
    fakes::FakeKeyboard keyboard;
    for (const triggers::KeystrokeActions& actions : fakes::TypeInto(main.Keystrokes(), keyboard, script, clock.now))
      if (actions.trayImage) view.SetTrayImage(*actions.trayImage);
  }

  std::int32_t IniInteger(const char* section, const char* key) {
    return SettingsFile(disk, kIni).ReadInteger(section, key, -1);
  }

  fakes::MemoryFileSystem disk;
  fakes::FaultInjectingFileSystem files{disk};
  SettingsFile settings{files, kIni};
  fakes::FakeNotices notices;
  std::vector<std::string> events;
  fakes::FakeMainView view{events};
  fakes::FakeMainSeams seams{events};
  fakes::FakeClock clock;
  fakes::FakeWindowSystem windows;
  fakes::FakeVersionInfo versions;  // no resources
  fakes::FakeDde dde;               // no servers
  context::Identifier identifier{windows, versions, dde, kExe};
  context::TargetTracker tracker{identifier};
  MainLifecycle lifecycle{files, kFolder, notices};
  RecordedTrace trace;
  std::unique_ptr<MainController> controller;
};

}  // namespace
}  // namespace tembric::app
