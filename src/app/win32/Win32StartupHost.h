#pragma once
// The entry routine's steps on Windows: the real mutex, files, message
// boxes, splash and windows. Owns the windows for the whole run.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "app/KeyMessageFilter.h"
#include "app/Startup.h"
#include "platform/VersionInfo.h"

namespace tembric::app::win32 {

class SplashForm;
class MainComposition;
class TablesForm;

class Win32StartupHost final : public StartupHost {
 public:
  Win32StartupHost();
  ~Win32StartupHost() override;

  platform::InstanceMutex CreateInstanceMutex(const std::string& name) override;
  platform::FileSystem& Files() override;
  std::string ExecutablePath() override;
  void ShowInformation(const std::string& text) override;

  void CreateSplash() override;
  void PrepareSplash() override;
  void ShowSplash() override;
  bool SplashTimerEnabled() override;
  void DestroySplash() override;

  void ProcessMessages() override;
  platform::Clock& Clock() override;
  void SetApplicationTitle(const std::string& title) override;

  void CreateMainWindow() override;
  void CreateRecordWindow() override;
  void CreateWindowPicker() override;
  void CreateTableViewer() override;

  void HideMainWindow() override;
  void StartMainTimer() override;
  void RunMessageLoop() override;

  // The keyboard hook's messages, taken out of the queue before dispatch.
  KeyMessageFilter& KeyMessages() { return keyMessages_; }

 private:
  const std::optional<platform::FileVersion>& Version();
  // True when the message has been handled before any window sees it.
  bool TakenFirst(MSG& msg);
  // True for the keyboard hook's messages, which go to their handler: the
  // first stop of every message loop, the modal dialogs' too.
  bool TakenByHook(MSG& msg);

  std::string executablePath_;
  std::optional<std::optional<platform::FileVersion>> version_;
  // A quit request met while processing messages before the loop runs; the
  // loop then ends at once.
  bool quitSeen_ = false;
  KeyMessageFilter keyMessages_;

  std::unique_ptr<SplashForm> splash_;
  std::unique_ptr<MainComposition> main_;  // the main window and the parts behind it
  std::unique_ptr<TablesForm> tablesForm_;
};

}  // namespace tembric::app::win32
