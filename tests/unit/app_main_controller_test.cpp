// The main window's lifecycle: creation order, the settings it reads and
// writes, showing and hiding, activation, the sampling tick with the
// inactivity collapse, the tray icon, closing and shutdown.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "MainControllerFixture.h"
#include "app/MainController.h"
#include "app/Trace.h"
#include "context/Identification.h"
#include "fakes/FakeAppFiles.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeMainView.h"
#include "fakes/FakeNotices.h"
#include "fakes/MemoryFileSystem.h"
#include "platform/Dde.h"
#include "platform/VersionInfo.h"
#include "platform/WindowSystem.h"

namespace tembric::app {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class MainControllerTest : public MainControllerFixture {};

TEST_F(MainControllerTest, CreationRunsItsStepsInOrder) {
  Controller().FormCreate(kStamp);

  EXPECT_THAT(events,
              ElementsAre("Hotkeys.Reset", "SetSize 199x445", "SetPaneHeight 77", "MenuBar shown", "ToolBar shown",
                          "SetTranslucency", "SetTrayIconShown", "Hotkey 1 Show Ctrl+Alt+Z", "Hotkey 2 New Ctrl+Alt+N",
                          "Hook.ConnectExchange", "Hook.Enable on", "Clipboard.Join", "Blob.CreateIfMissing",
                          "SetCaption Tembric 1.2", "Tree.InitSysItems", "Tree.Build", "Tree.AlignAtStart"));
  EXPECT_NE(controller->Library().records.State(), store::TableState::Inactive);
  EXPECT_NE(controller->Library().windows.State(), store::TableState::Inactive);
  EXPECT_FALSE(controller->ShuttingDown());
  EXPECT_FALSE(view.showing);
  EXPECT_THAT(notices.shown, IsEmpty());
}

TEST_F(MainControllerTest, CreationAppliesTheGuiKeys) {
  WriteIni("[GUI]\r\nMainWidth=250\r\nMainHeight=520\r\nPropHeight=20\r\nShowMainMenu=0\r\nShowToolBar=1\r\n");
  auto& main = Created();

  EXPECT_EQ(view.width, 250);
  EXPECT_EQ(view.height, 520);
  EXPECT_EQ(view.pane, 20);
  EXPECT_FALSE(view.menuBarVisible);
  EXPECT_FALSE(view.menuBarChecked);
  EXPECT_FALSE(main.MainMenuChecked());
  EXPECT_TRUE(view.toolBarVisible);
  EXPECT_TRUE(view.toolBarChecked);

  // A pane lower than 30 pixels is closed when the window is first shown.
  main.ShowMainWindow();
  EXPECT_EQ(view.pane, 0);
}

TEST_F(MainControllerTest, ShutdownWritesTheLayoutWithALowPaneAs28) {
  struct Case {
    int pane;
    int stored;
  };
  for (const Case c : {Case{0, 28}, Case{29, 28}, Case{30, 30}, Case{120, 120}}) {
    SCOPED_TRACE(c.pane);
    controller.reset();
    disk.Remove(kIni);
    auto& main = Created();
    view.width = 260;
    view.height = 480;
    view.pane = c.pane;
    main.aShowToolBar();  // hidden

    main.FormDestroy();

    EXPECT_EQ(IniInteger("GUI", "MainWidth"), 260);
    EXPECT_EQ(IniInteger("GUI", "MainHeight"), 480);
    EXPECT_EQ(IniInteger("GUI", "PropHeight"), c.stored);
    EXPECT_EQ(IniInteger("GUI", "ShowToolBar"), 0);
    EXPECT_EQ(IniInteger("GUI", "ShowMainMenu"), 1);
  }

  // The next run starts with the stored layout; the hidden toolbar stays hidden.
  controller.reset();
  auto& next = Created();
  EXPECT_EQ(view.width, 260);
  EXPECT_FALSE(view.toolBarVisible);
  EXPECT_FALSE(next.ToolBarChecked());
}

TEST_F(MainControllerTest, RefusedSettingsWriteAtShutdownStillSavesTheRecords) {
  auto& main = Created();
  auto& records = main.Library().records;
  records.Append();
  records.Set("ID", 7);
  records.Set("Category", "");
  records.Set("Subject", "Greeting");
  records.Set("FullName", "\\Greeting");
  records.Set("Type", 0);
  records.Post();
  files.FailOn(fakes::FaultInjectingFileSystem::Op::WriteAndFlush, std::string(kIni) + ".saving");

  main.FormDestroy();

  ASSERT_EQ(notices.shown.size(), 1u);
  EXPECT_EQ(notices.shown[0].kind, NoticeKind::Plain);
  EXPECT_EQ(notices.shown[0].text, std::string("Unable to write to ") + kIni);
  EXPECT_THAT(events, ElementsAre("Hook.SwitchOff", "Clipboard.Leave"));
  ASSERT_TRUE(disk.Exists(kRecords));
  store::DataTable saved(store::RecordsSchema());
  saved.Load(*disk.Get(kRecords));
  EXPECT_EQ(saved.RecordCount(), 1u);
}

TEST_F(MainControllerTest, LoadIniReadsTheBasicSettings) {
  struct Case {
    std::string basic;
    bool translucent;
    int opacity;
    int limit;
  };
  const Case cases[] = {
      {"", false, 255, 300},
      {"TranspEnabled=1\r\nTranspValue=0x80\r\n", true, 128, 300},
      {"TranspEnabled=1\r\nTranspValue=300\r\n", true, 44, 300},
      {"TranspEnabled=1\r\nTranspValue=abc\r\n", true, 255, 300},
      {"TranspEnabled=0\r\nTranspValue=128\r\n", false, 128, 300},
      {"InactiveMinutes=2\r\nInactiveCollapse=1\r\n", false, 255, 120},
      {"InactiveMinutes=2\r\nInactiveCollapse=0\r\n", false, 255, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.basic);
    WriteIni("[Basic]\r\n" + c.basic);
    auto& main = Controller();
    main.LoadIni();
    EXPECT_EQ(view.translucent, c.translucent);
    EXPECT_EQ(view.opacity, c.opacity);
    EXPECT_EQ(main.InactiveLimit(), c.limit);
    EXPECT_TRUE(view.trayShown);
  }

  WriteIni("[Basic]\r\nShowIcon=0\r\n");
  Controller().LoadIni();
  EXPECT_FALSE(view.trayShown);
  WriteIni("[Basic]\r\nShowIcon=false\r\n");  // not a number: the default
  Controller().LoadIni();
  EXPECT_TRUE(view.trayShown);

  // The program's hotkeys are registered again each time, from their keys.
  events.clear();
  WriteIni("[Hot keys]\r\nShow=Ctrl+Shift+Q\r\n");
  Controller().LoadIni();
  EXPECT_THAT(events, ElementsAre("SetTranslucency", "SetTrayIconShown", "Hotkey 1 Show Ctrl+Alt+Z",
                                  "Hotkey 2 New Ctrl+Alt+N"));
}

// Ticks at `seconds` after the last deactivation; true when the tree collapsed.
class InactivityTest : public MainControllerTest {
 protected:
  bool TickAt(std::int64_t ms) {
    clock.now = deactivatedAt + ms;
    const int before = seams.collapses;
    controller->SamplingTimerTick();
    return seams.collapses > before;
  }
  void Start(const std::string& basic) {
    WriteIni("[Basic]\r\n" + basic);
    Created();
    controller->AppDeactivate();
    deactivatedAt = clock.now;
  }
  std::int64_t deactivatedAt = 0;
};

TEST_F(InactivityTest, CollapsesDuringTheSecondAfterTheLimitOnly) {
  Start("InactiveMinutes=1\r\n");

  EXPECT_FALSE(TickAt(59'800));
  EXPECT_FALSE(TickAt(60'000));
  EXPECT_FALSE(TickAt(60'999));
  events.clear();
  EXPECT_TRUE(TickAt(61'000));
  EXPECT_THAT(events, ElementsAre("StopSamplingTimer", "Tree.Collapse", "StartSamplingTimer"));
  EXPECT_TRUE(TickAt(61'999));
  EXPECT_FALSE(TickAt(62'000));
  EXPECT_FALSE(TickAt(122'000));
  EXPECT_EQ(view.secondsShown.back(), 122);
  EXPECT_TRUE(view.samplingTimerRunning);
}

TEST_F(InactivityTest, NoCollapseWhileCollectingOrWhenSwitchedOff) {
  Start("InactiveMinutes=1\r\n");
  TickAt(0);  // the target is now the editor, which stays in front
  Collect(*controller, "=sig");
  EXPECT_FALSE(TickAt(61'000));
  EXPECT_TRUE(controller->Keystrokes().Collecting());

  controller.reset();
  Start("InactiveMinutes=1\r\nInactiveCollapse=0\r\n");
  for (std::int64_t ms = 0; ms < 200'000; ms += 200) ASSERT_FALSE(TickAt(ms));

  // A new deactivation starts a new period.
  controller.reset();
  Start("InactiveMinutes=1\r\n");
  clock.now = deactivatedAt + 30'000;
  controller->AppDeactivate();
  deactivatedAt = clock.now;
  EXPECT_FALSE(TickAt(31'000));
  EXPECT_TRUE(TickAt(61'500));
}

TEST_F(MainControllerTest, TickIdentifiesTheTargetAndKeepsItOnOurOwnWindow) {
  auto& main = Created();
  main.SamplingTimerTick();
  EXPECT_EQ(main.TargetInfo().Wnd, kEditor);
  EXPECT_EQ(main.TargetInfo().WinTitle, "notes.txt - Notepad");
  ASSERT_EQ(trace.lines.size(), 1u);
  EXPECT_EQ(trace.lines[0], TargetTraceLine(main.TargetInfo()));
  EXPECT_THAT(trace.lines[0], HasSubstr("| notes.txt - Notepad"));

  main.SamplingTimerTick();  // unchanged: no new line
  windows.SetForeground(kOwnWindow);
  main.SamplingTimerTick();
  EXPECT_EQ(main.TargetInfo().Wnd, kEditor);
  EXPECT_EQ(trace.lines.size(), 1u);
  // Nor the notification area, where the user clicked our tray icon.
  windows.SetForeground(kTray);
  main.SamplingTimerTick();
  EXPECT_EQ(main.TargetInfo().Wnd, kEditor);
  EXPECT_EQ(trace.lines.size(), 1u);

  windows.SetForeground(kBrowser);
  main.SamplingTimerTick();
  EXPECT_EQ(main.TargetInfo().Wnd, kBrowser);
  EXPECT_EQ(trace.lines.size(), 2u);
}

TEST_F(MainControllerTest, ForegroundChangeCancelsAKeystrokeBeingTyped) {
  auto& main = Created();
  main.SamplingTimerTick();  // target: the editor
  Collect(main, "=sig");

  main.SamplingTimerTick();  // still the editor
  EXPECT_TRUE(main.Keystrokes().Collecting());

  windows.SetForeground(kBrowser);
  main.SamplingTimerTick();
  EXPECT_FALSE(main.Keystrokes().Collecting());
  EXPECT_THAT(main.Keystrokes().Buffer(), IsEmpty());
  EXPECT_EQ(view.trayImage, 0);

  // No foreground window: cancelled too, and the tick ends before anything else.
  Collect(main, "=x");
  windows.SetForeground(platform::kNoWindow);
  view.secondsShown.clear();
  main.SamplingTimerTick();
  EXPECT_FALSE(main.Keystrokes().Collecting());
  EXPECT_THAT(view.secondsShown, IsEmpty());
  EXPECT_EQ(main.TargetInfo().Wnd, kBrowser);
}

TEST_F(MainControllerTest, ShowHideAndActivationSwitchTheTimerAndTheHook) {
  auto& main = Created();
  view.samplingTimerRunning = true;
  seams.hookOn = true;

  main.ShowMainWindow();
  EXPECT_THAT(events, ElementsAre("CenterOnScreen", "ShowInFront", "Hook.Enable off", "StopSamplingTimer",
                                  "FocusFilterBox", "Tree.FillContext"));
  EXPECT_TRUE(view.showing);

  main.AppDeactivate();  // another program in front; our window stays shown
  EXPECT_TRUE(seams.hookOn);
  EXPECT_TRUE(view.samplingTimerRunning);
  EXPECT_TRUE(view.showing);
  EXPECT_EQ(main.LastActivityTime(), clock.now);

  Collect(main, "=ab");
  main.AppActivate();
  EXPECT_FALSE(seams.hookOn);
  EXPECT_FALSE(view.samplingTimerRunning);
  EXPECT_FALSE(main.Keystrokes().Collecting());
  EXPECT_THAT(main.Keystrokes().Buffer(), IsEmpty());
  EXPECT_EQ(view.trayImage, 0);

  main.aHide();
  EXPECT_FALSE(view.showing);
  EXPECT_TRUE(seams.hookOn);
  EXPECT_TRUE(view.samplingTimerRunning);

  // Later shows keep the place the window was left at; a failing context
  // fill is told and the window shows.
  seams.fillError = "WinDB is damaged";
  main.Show1Click();
  EXPECT_TRUE(view.showing);
  EXPECT_EQ(view.centred, 1);
  EXPECT_THAT(notices.shown, ElementsAre(fakes::FakeNotices::Notice{NoticeKind::Plain, "WinDB is damaged"}));
}

TEST_F(MainControllerTest, TrayButtonsStopTheTimerLeftShowsRightOpensTheMenu) {
  auto& main = Created();
  view.samplingTimerRunning = true;

  main.TrayIconMouseDown(MouseButton::Right);
  EXPECT_THAT(events, ElementsAre("StopSamplingTimer", "ShowTrayMenu"));
  EXPECT_FALSE(view.showing);

  main.TrayIconMouseDown(MouseButton::Left);
  EXPECT_TRUE(view.showing);
  EXPECT_EQ(view.centred, 1);
}

TEST_F(MainControllerTest, CloseHidesUntilShutDown) {
  auto& main = Created();
  main.ShowMainWindow();

  main.FormClose();
  EXPECT_FALSE(view.showing);
  EXPECT_FALSE(view.ended);

  main.ShowMainWindow();
  main.aShutDown();
  EXPECT_TRUE(main.ShuttingDown());
  EXPECT_FALSE(view.showing);
  EXPECT_TRUE(view.ended);
}

TEST_F(MainControllerTest, ViewCommandsFlipTheirCheckAndTheirBar) {
  auto& main = Created();
  main.aShowToolBar();
  EXPECT_FALSE(view.toolBarVisible);
  EXPECT_FALSE(view.toolBarChecked);
  EXPECT_TRUE(view.menuBarVisible);
  main.aShowMainMenu();
  EXPECT_FALSE(view.menuBarVisible);
  EXPECT_FALSE(main.MainMenuChecked());
  main.aShowToolBar();
  main.aShowMainMenu();
  EXPECT_TRUE(view.toolBarVisible && view.toolBarChecked && view.menuBarVisible && view.menuBarChecked);
}

TEST(Trace, LinesBeforeTheLogExistsAreHandedToIt) {
  SetTraceSink(nullptr);
  Trace("Target: Notepad | a");
  Trace("DoHotKey: Found");
  RecordedTrace log;
  SetTraceSink(&log);
  Trace("third");
  SetTraceSink(nullptr);
  EXPECT_THAT(log.lines, ElementsAre("Target: Notepad | a", "DoHotKey: Found", "third"));
  EXPECT_THAT(PendingTraceLines(), IsEmpty());

  for (std::size_t i = 0; i < kMaxPendingTraceLines + 5; ++i) Trace(std::to_string(i));
  const auto pending = PendingTraceLines();
  ASSERT_EQ(pending.size(), kMaxPendingTraceLines);
  EXPECT_EQ(pending.front(), "5");
  SetTraceSink(&log);  // drains
  SetTraceSink(nullptr);
}

}  // namespace
}  // namespace tembric::app
