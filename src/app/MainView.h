#pragma once
// What the main window's lifecycle needs of the window itself and the debug
// window. The Win32 main window implements MainView; the unit
// tests use a recording fake.

#include <cstdint>
#include <string>

namespace tembric::app {

class MainView {
 public:
  virtual ~MainView() = default;

  // ---- Layout -------------------------------------------------------------
  virtual int Width() const = 0;  // outer size of the window
  virtual int Height() const = 0;
  virtual void SetSize(int width, int height) = 0;
  // The details pane's height; the splitter stays directly above the pane.
  virtual int PaneHeight() const = 0;
  virtual void SetPaneHeight(int height) = 0;
  virtual void SetMenuBarVisible(bool visible) = 0;
  virtual void SetToolBarVisible(bool visible) = 0;
  // The check marks of View > Show main menu and View > Show toolbar.
  virtual void SetMenuBarChecked(bool checked) = 0;
  virtual void SetToolBarChecked(bool checked) = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  // Opacity 0 (invisible) to 255 (opaque) while enabled; opaque otherwise.
  virtual void SetTranslucency(bool enabled, std::uint8_t alpha) = 0;

  // ---- Tray icon -------------------------------------------------------------
  virtual void SetTrayIconShown(bool shown) = 0;
  virtual void SetTrayImage(int index) = 0;  // 0 normal, 1 while a keystroke is collected
  virtual void ShowTrayMenu() = 0;

  // ---- Showing and hiding -------------------------------------------------------
  // Showing and hiding make the window call MainController::FormShow and
  // FormHide, as a real window does when its visibility changes.
  virtual bool IsShowing() const = 0;
  virtual void CenterOnScreen() = 0;
  virtual void ShowInFront() = 0;  // show, then bring to the foreground
  virtual void HideWindow() = 0;
  virtual void FocusFilterBox() = 0;
  virtual void ShowTableViewer() = 0;
  // Ends the program: the windows are destroyed (MainController::FormDestroy runs).
  virtual void EndApplication() = 0;

  // ---- The 200 ms sampling timer -------------------------------------------
  virtual void StartSamplingTimer() = 0;
  virtual void StopSamplingTimer() = 0;

  // ---- Debug window -----------------------------------------------------------
  virtual void ShowSeconds(int seconds) = 0;
};

}  // namespace tembric::app
