#pragma once
// TForm1: the main window. For now a plain resizable window that owns the
// library: it opens the tables when it is created and saves the records
// when it is destroyed. It lives hidden; its close box only hides it, and
// the program ends when it is destroyed (at the end of the session).
#include <windows.h>

#include <string>

#include "app/MainLifecycle.h"
#include "app/win32/Window.h"

namespace tembric::platform {
class FileSystem;
}

namespace tembric::app::win32 {

class MainForm : public Window {
 public:
  static constexpr int kDesignedWidth = 199;
  static constexpr int kDesignedHeight = 445;
  static constexpr int kMinimumWidth = 180;
  static constexpr int kMinimumHeight = 310;
  static constexpr UINT kTimer2IntervalMs = 200;

  // `folder` holds the table files; `caption` is "Tembric 1.2".
  MainForm(platform::FileSystem& fs, std::string folder, std::string caption);
  ~MainForm() override;  // destroys the window first, so that FormDestroy runs

  // Creates the window hidden and runs FormCreate. An error in FormCreate is
  // shown and the rest of it skipped; the window exists either way.
  void CreateHidden();

  void StartTimer2();
  void StopTimer2();

  MainLifecycle& Lifecycle() { return lifecycle_; }

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

  // The foreground-window sampling tick, every 200 ms while the program is in
  // the background.
  virtual void Timer2Timer() {}

 private:
  void FormCreate();
  void FormDestroy();

  MainLifecycle lifecycle_;
  std::string caption_;
};

}  // namespace tembric::app::win32
