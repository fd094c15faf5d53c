#pragma once
// A main window's controller over fakes: a desktop with an editor, a browser
// and one of our windows, an in-memory disk whose settings file can be made
// read-only, recorded notices, view events and trace lines.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
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

constexpr platform::WindowHandle kEditor = 0x100;
constexpr platform::WindowHandle kBrowser = 0x200;
constexpr platform::WindowHandle kOwnWindow = 0x300;
constexpr platform::WindowHandle kTray = 0x400;  // the shell's notification area

// Top-level windows of two other programs and one of ours.
class DesktopWindows final : public platform::WindowSystem {
 public:
  platform::WindowHandle foreground = kEditor;
  platform::WindowHandle ForegroundWindow() override { return foreground; }
  platform::WindowHandle ParentOrOwner(platform::WindowHandle) override { return platform::kNoWindow; }
  std::string WindowText(platform::WindowHandle window, int) override {
    if (window == kEditor) return "notes.txt - Notepad";
    if (window == kBrowser) return "Start page";
    return "Tembric 1.2";
  }
  platform::WindowHandle FindTopLevel(const std::string&, const std::string&) override { return platform::kNoWindow; }
  platform::WindowHandle FindChild(platform::WindowHandle, const std::string&,
                                   const std::optional<std::string>&) override {
    return platform::kNoWindow;
  }
  std::string ClassName(platform::WindowHandle window) override { return window == kTray ? "Shell_TrayWnd" : "Any"; }
  std::string ExecutablePathOf(platform::WindowHandle window) override {
    if (window == kEditor) return "C:\\Windows\\notepad.exe";
    if (window == kBrowser) return "C:\\Apps\\viewer.exe";
    if (window == kTray) return "C:\\Windows\\explorer.exe";
    return kExe;
  }
};

class RecordedTrace final : public TraceSink {
 public:
  std::vector<std::string> lines;
  void AddTraceLine(const std::string& line) override { lines.push_back(line); }
};

// Passes everything on, but refuses to write the settings file.
class ReadOnlySettingsDisk final : public platform::FileSystem {
 public:
  explicit ReadOnlySettingsDisk(platform::FileSystem& inner) : inner_(inner) {}
  bool refuseIni = false;
  std::string refusedPath;
  bool Exists(const std::string& p) override { return inner_.Exists(p); }
  std::optional<platform::FileStamp> Stamp(const std::string& p) override { return inner_.Stamp(p); }
  bool CreateNew(const std::string& p) override {
    Check(p);
    return inner_.CreateNew(p);
  }
  std::vector<std::uint8_t> ReadAll(const std::string& p) override { return inner_.ReadAll(p); }
  void WriteAndFlush(const std::string& p, const std::vector<std::uint8_t>& b) override {
    Check(p);
    inner_.WriteAndFlush(p, b);
  }
  void Replace(const std::string& from, const std::string& to) override {
    Check(to);
    inner_.Replace(from, to);
  }
  void Rename(const std::string& from, const std::string& to) override { inner_.Rename(from, to); }
  void Remove(const std::string& p) override { inner_.Remove(p); }
  std::unique_ptr<platform::ExclusiveFile> OpenExclusive(const std::string& p) override {
    return inner_.OpenExclusive(p);
  }

 private:
  void Check(const std::string& path) {
    if (refuseIni && path.find(".ini") != std::string::npos) throw platform::FileError(path, "Access is denied");
    if (!refusedPath.empty() && path == refusedPath) throw platform::FileError(path, "Access is denied");
  }
  platform::FileSystem& inner_;
};

class MainControllerFixture : public ::testing::Test {
 protected:
  MainControllerFixture() { SetTraceSink(&trace); }
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
          .settingsPath = kIni,
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
  ReadOnlySettingsDisk files{disk};
  fakes::FakeNotices notices;
  std::vector<std::string> events;
  fakes::FakeMainView view{events};
  fakes::FakeMainSeams seams{events};
  fakes::FakeClock clock;
  DesktopWindows windows;
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
