#include "app/MainController.h"

#include <utility>

#include "app/Notices.h"
#include "app/SettingsKeys.h"
#include "app/Trace.h"
#include "context/Identification.h"
#include "platform/Clock.h"
#include "platform/WindowSystem.h"
#include "store/DataTable.h"

namespace tembric::app {
namespace {

namespace keys = settings;
static_assert(keys::kMainWidth.defaultValue == kDesignedWidth && keys::kMainHeight.defaultValue == kDesignedHeight &&
              keys::kPropHeight.defaultValue == kDesignedPaneHeight);

template <typename T>
T& OrInert(T* given, T& inert) {
  return given ? *given : inert;
}

}  // namespace

std::string TargetTraceLine(const context::TWinDescriptor& target) {
  return "Target: " + target.FileName + " | " + target.WinTitle;
}

MainController::MainController(MainControllerDeps deps)
    : deps_(std::move(deps)),
      hotkeys_(OrInert<HotkeySeam>(deps_.seams.hotkeys, inertHotkeys_)),
      keystrokeHook_(OrInert<KeystrokeSeam>(deps_.seams.keystrokes, inertKeystrokes_)),
      clipboardChain_(OrInert<ClipboardChainSeam>(deps_.seams.clipboardChain, inertClipboard_)),
      blobFile_(OrInert<BlobFileSeam>(deps_.seams.blobFile, inertBlob_)),
      tree_(OrInert<RecordTreeSeam>(deps_.seams.recordTree, inertTree_)),
      newRecord_(OrInert<NewRecordSeam>(deps_.seams.newRecord, inertNewRecord_)) {}

MainController::~MainController() = default;

void MainController::FormCreate(const std::string& stamp) {
  auto& view = deps_.view;
  hotkeys_.Reset();

  view.SetSize(keys::Read(deps_.settings, keys::kMainWidth), keys::Read(deps_.settings, keys::kMainHeight));
  view.SetPaneHeight(keys::Read(deps_.settings, keys::kPropHeight));

  // Each check item starts opposite to its setting and the command flips it
  // back, showing or hiding its bar on the way.
  mainMenuChecked_ = !keys::Read(deps_.settings, keys::kShowMainMenu);
  aShowMainMenu();
  toolBarChecked_ = !keys::Read(deps_.settings, keys::kShowToolBar);
  aShowToolBar();

  lastActivityMs_ = deps_.clock.NowMs();
  LoadIni();

  keystrokes_ = {};
  shuttingDown_ = false;
  activationHandlersInstalled_ = true;

  keystrokeHook_.ConnectExchange();
  keystrokeHook_.EnableHook(true);
  clipboardChain_.Join();
  blobFile_.CreateIfMissing();
  view.SetCaption(deps_.caption);

  deps_.lifecycle.FormCreate(stamp);
  Library().records.First();
  tree_.InitSysItems();
  tree_.BuildTree();
  tree_.AlignAtStart();
}

void MainController::LoadIni() {
  LoadedSettings loaded;
  loaded.translucent = keys::Read(deps_.settings, keys::kTranspEnabled);
  loaded.trayIcon = keys::Read(deps_.settings, keys::kShowIcon);
  loaded.opacity = static_cast<std::uint8_t>(keys::Read(deps_.settings, keys::kTranspValue) & 0xFF);
  loaded.inactiveLimitSeconds = keys::Read(deps_.settings, keys::kInactiveMinutes) * 60;
  if (!keys::Read(deps_.settings, keys::kInactiveCollapse)) loaded.inactiveLimitSeconds = 0;
  loaded_ = loaded;

  deps_.view.SetTranslucency(loaded_.translucent, loaded_.opacity);
  deps_.view.SetTrayIconShown(loaded_.trayIcon);
  hotkeys_.RegisterProgramHotkey(1, keys::kShowHotkey.name, keys::kShowHotkey.defaultValue);
  hotkeys_.RegisterProgramHotkey(2, keys::kNewHotkey.name, keys::kNewHotkey.defaultValue);
}

void MainController::WriteLayout() {
  auto& view = deps_.view;
  keys::Write(deps_.settings, keys::kMainWidth, view.Width());
  keys::Write(deps_.settings, keys::kMainHeight, view.Height());
  const int pane = view.PaneHeight();
  keys::Write(deps_.settings, keys::kPropHeight, pane < kClosedPaneLimit ? kClosedPaneStored : pane);
  keys::Write(deps_.settings, keys::kShowMainMenu, mainMenuChecked_);
  keys::Write(deps_.settings, keys::kShowToolBar, toolBarChecked_);
}

void MainController::FormDestroy() {
  // The first refused write stops the layout writes; it is reported and the
  // user's records are still saved below.
  RunHandler(deps_.notices, [this] { WriteLayout(); });
  RunHandler(deps_.notices, [this] { keystrokeHook_.SwitchHookOff(); });
  deps_.lifecycle.FormDestroy();
  RunHandler(deps_.notices, [this] { clipboardChain_.Leave(); });
}

void MainController::FormShow() {
  Trace("FormShow");
  auto& view = deps_.view;
  if (view.PaneHeight() < kClosedPaneLimit) view.SetPaneHeight(0);
  keystrokeHook_.EnableHook(false);
  view.StopSamplingTimer();
  view.FocusFilterBox();
  // Called from the window's own show; a failure is told and the window shows.
  RunHandler(deps_.notices, [this] { tree_.FillContextTree(); });
}

void MainController::FormHide() {
  Trace("FormHide");
  keystrokeHook_.EnableHook(true);
  deps_.view.StartSamplingTimer();
}

void MainController::AppActivate() {
  if (!activationHandlersInstalled_) return;
  CancelKeystroke();
  keystrokeHook_.EnableHook(false);
  deps_.view.StopSamplingTimer();
}

void MainController::AppDeactivate() {
  if (!activationHandlersInstalled_) return;
  keystrokeHook_.EnableHook(true);
  MarkActivity();
  deps_.view.StartSamplingTimer();
}

void MainController::ShowMainWindow() {
  if (!shownBefore_) {
    deps_.view.CenterOnScreen();
    shownBefore_ = true;
  }
  deps_.view.ShowInFront();
}

void MainController::CancelKeystroke() {
  const triggers::KeystrokeActions actions = keystrokes_.Cancel();
  if (actions.trayImage) deps_.view.SetTrayImage(*actions.trayImage);
}

void MainController::MarkActivity() { lastActivityMs_ = deps_.clock.NowMs(); }

int MainController::SecondsSinceActivity() const {
  return static_cast<int>((deps_.clock.NowMs() - lastActivityMs_) / 1000);
}

const context::TWinDescriptor& MainController::TargetInfo() const { return deps_.target.TargetInfo(); }

void MainController::SamplingTimerTick() {
  const platform::WindowHandle foreground = deps_.windows.ForegroundWindow();
  if (foreground != deps_.target.TargetInfo().Wnd && keystrokes_.Collecting()) CancelKeystroke();
  if (foreground == platform::kNoWindow) return;

  const context::TWinDescriptor before = deps_.target.TargetInfo();
  deps_.target.Sample(foreground);
  if (!(deps_.target.TargetInfo() == before)) Trace(TargetTraceLine(deps_.target.TargetInfo()));

  const int seconds = SecondsSinceActivity();
  deps_.view.ShowSeconds(seconds);

  const int limit = loaded_.inactiveLimitSeconds;
  if (limit > 0 && seconds > limit && seconds < limit + 2 && !keystrokes_.Collecting()) {
    // Stopped around the command, so that its message processing cannot
    // start another tick inside it.
    deps_.view.StopSamplingTimer();
    aCollapseTree();
    deps_.view.StartSamplingTimer();
  }
}

void MainController::TrayIconMouseDown(MouseButton button) {
  Trace(button == MouseButton::Left ? "Tray: left button"
                                    : (button == MouseButton::Right ? "Tray: right button" : "Tray: middle button"));
  deps_.view.StopSamplingTimer();
  if (button == MouseButton::Left) {
    ShowMainWindow();
  } else if (button == MouseButton::Right) {
    deps_.view.ShowTrayMenu();
  }
}

void MainController::Show1Click() { ShowMainWindow(); }

void MainController::FormClose() {
  Trace("FormClose");
  deps_.view.HideWindow();
  if (shuttingDown_) deps_.view.EndApplication();
}

void MainController::aHide() {
  Trace("aHide");
  deps_.view.HideWindow();
}

void MainController::aShutDown() {
  shuttingDown_ = true;
  FormClose();
}

void MainController::aShowToolBar() {
  toolBarChecked_ = !toolBarChecked_;
  deps_.view.SetToolBarChecked(toolBarChecked_);
  deps_.view.SetToolBarVisible(toolBarChecked_);
}

void MainController::aShowMainMenu() {
  mainMenuChecked_ = !mainMenuChecked_;
  deps_.view.SetMenuBarChecked(mainMenuChecked_);
  deps_.view.SetMenuBarVisible(mainMenuChecked_);
}

void MainController::aTableShow() { deps_.view.ShowTableViewer(); }

void MainController::aCollapseTree() { tree_.CollapseTree(); }

void MainController::aNewRecord() { newRecord_.NewRecord(); }

}  // namespace tembric::app
