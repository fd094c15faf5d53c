#pragma once
// The main window, recorded: its state as a real window would hold it, and
// every call in one event list shared with the recording seams, so a test
// can check the order of steps. Showing and hiding call the controller's
// FormShow and FormHide, as a window does when its visibility changes.

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/MainController.h"
#include "app/MainSeams.h"
#include "app/MainView.h"

namespace tembric::fakes {

class FakeMainView : public app::MainView {
 public:
  explicit FakeMainView(std::vector<std::string>& events) : events_(events) {}
  void Attach(app::MainController* controller) { controller_ = controller; }

  int width = app::kDesignedWidth;
  int height = app::kDesignedHeight;
  int pane = app::kDesignedPaneHeight;
  bool menuBarVisible = true, toolBarVisible = true;
  bool menuBarChecked = true, toolBarChecked = true;
  std::string caption;
  bool translucent = false;
  int opacity = 255;
  bool trayShown = false;
  int trayImage = 0;
  bool showing = false;
  bool samplingTimerRunning = false;
  bool ended = false;
  int centred = 0;
  std::vector<int> secondsShown;

  int Width() const override { return width; }
  int Height() const override { return height; }
  void SetSize(int w, int h) override {
    width = w;
    height = h;
    Log("SetSize " + std::to_string(w) + "x" + std::to_string(h));
  }
  int PaneHeight() const override { return pane; }
  void SetPaneHeight(int h) override {
    pane = h;
    Log("SetPaneHeight " + std::to_string(h));
  }
  void SetMenuBarVisible(bool v) override {
    menuBarVisible = v;
    Log(std::string("MenuBar ") + (v ? "shown" : "hidden"));
  }
  void SetToolBarVisible(bool v) override {
    toolBarVisible = v;
    Log(std::string("ToolBar ") + (v ? "shown" : "hidden"));
  }
  void SetMenuBarChecked(bool c) override { menuBarChecked = c; }
  void SetToolBarChecked(bool c) override { toolBarChecked = c; }
  void SetCaption(const std::string& text) override {
    caption = text;
    Log("SetCaption " + text);
  }
  void SetTranslucency(bool enabled, std::uint8_t alpha) override {
    translucent = enabled;
    opacity = alpha;
    Log("SetTranslucency");
  }
  void SetTrayIconShown(bool shown) override {
    trayShown = shown;
    Log("SetTrayIconShown");
  }
  void SetTrayImage(int index) override { trayImage = index; }
  void ShowTrayMenu() override { Log("ShowTrayMenu"); }
  bool IsShowing() const override { return showing; }
  void CenterOnScreen() override {
    ++centred;
    Log("CenterOnScreen");
  }
  void ShowInFront() override {
    Log("ShowInFront");
    if (showing) return;
    showing = true;
    if (controller_) controller_->FormShow();
  }
  void HideWindow() override {
    Log("HideWindow");
    if (!showing) return;
    showing = false;
    if (controller_) controller_->FormHide();
  }
  void FocusFilterBox() override { Log("FocusFilterBox"); }
  void ShowTableViewer() override { Log("ShowTableViewer"); }
  void EndApplication() override {
    ended = true;
    Log("EndApplication");
  }
  void StartSamplingTimer() override {
    samplingTimerRunning = true;
    Log("StartSamplingTimer");
  }
  void StopSamplingTimer() override {
    samplingTimerRunning = false;
    Log("StopSamplingTimer");
  }
  void ShowSeconds(int seconds) override { secondsShown.push_back(seconds); }

 private:
  void Log(std::string event) { events_.push_back(std::move(event)); }

  std::vector<std::string>& events_;
  app::MainController* controller_ = nullptr;
};

// Every seam of the main window, recording into the same event list.
class FakeMainSeams : public app::HotkeySeam,
                      public app::KeystrokeSeam,
                      public app::ClipboardChainSeam,
                      public app::BlobFileSeam,
                      public app::RecordTreeSeam {
 public:
  explicit FakeMainSeams(std::vector<std::string>& events) : events_(events) {}

  bool hookOn = false;
  int collapses = 0;

  app::MainSeams All() { return {this, this, this, this, this}; }

  void Reset() override { Log("Hotkeys.Reset"); }
  void RegisterProgramHotkey(int slot, std::string_view key, std::string_view text) override {
    Log("Hotkey " + std::to_string(slot) + " " + std::string(key) + " " + std::string(text));
  }
  int SetHotkeySlot(std::string_view key, std::string_view text, int, bool) override {
    Log("HotkeySlot " + std::string(key) + " " + std::string(text));
    return 0;
  }
  void ConnectExchange() override { Log("Hook.ConnectExchange"); }
  void EnableHook(bool on) override {
    hookOn = on;
    Log(std::string("Hook.Enable ") + (on ? "on" : "off"));
  }
  void SwitchHookOff() override {
    hookOn = false;
    Log("Hook.SwitchOff");
  }
  void Join() override { Log("Clipboard.Join"); }
  void Leave() override { Log("Clipboard.Leave"); }
  void CreateIfMissing() override { Log("Blob.CreateIfMissing"); }
  void InitSysItems() override { Log("Tree.InitSysItems"); }
  void BuildTree() override { Log("Tree.Build"); }
  void AlignAtStart() override { Log("Tree.AlignAtStart"); }
  void CollapseTree() override {
    ++collapses;
    Log("Tree.Collapse");
  }
  void FillContextTree() override {
    Log("Tree.FillContext");
    if (!fillError.empty()) throw std::runtime_error(fillError);
  }
  std::string fillError;  // FillContextTree throws it when set

 private:
  void Log(std::string event) { events_.push_back(std::move(event)); }
  std::vector<std::string>& events_;
};

}  // namespace tembric::fakes
