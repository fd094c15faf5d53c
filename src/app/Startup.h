#pragma once
// The entry routine: one running copy per desktop, a settings file that
// declares the current database format, the splash, the program's four
// windows and the message loop, in a fixed order. The order is kept here,
// free of the platform, so that it can be checked against a recording host;
// the host does each step on the real system.

#include <string>

#include "platform/Clock.h"
#include "platform/Kernel.h"

namespace tembric::platform {
class FileSystem;
}

namespace tembric::app {

inline constexpr const char* kInstanceMutexName = "TembricMutex";
inline constexpr const char* kApplicationTitle = "Tembric";
inline constexpr const char* kAlreadyLaunchedText = "Tembric already launched";
inline constexpr const char* kOldFormatText =
    "Database has old format. Please, reinstall Tembric 1.1.0 to another folder.\n"
    "If you want to store your records from old database purchase full version\n"
    "and receive converter to the new format.";

// The lowest Basic/DBVersion this program starts on.
inline constexpr int kMinimumDbVersion = 11;
// How long the splash wait sleeps between two rounds of message processing.
inline constexpr int kSplashPollMilliseconds = 100;

// What the entry routine needs from the system. Each call is one step; the
// host does not decide anything about the order.
class StartupHost {
 public:
  virtual ~StartupHost() = default;

  // Creates the named single-instance mutex in one step (see platform::Kernel).
  virtual platform::InstanceMutex CreateInstanceMutex(const std::string& name) = 0;
  // The files and the executable's full path, for the settings file.
  virtual platform::FileSystem& Files() = 0;
  virtual std::string ExecutablePath() = 0;
  // An information box with one OK button; returns when the user has answered it.
  virtual void ShowInformation(const std::string& text) = 0;

  // The splash: created hidden; prepared (placed below the primary screen,
  // timer interval set); shown with its version label, repainted and its
  // timer enabled; its timer's first tick disables the timer and hides it.
  virtual void CreateSplash() = 0;
  virtual void PrepareSplash() = 0;
  virtual void ShowSplash() = 0;
  virtual bool SplashTimerEnabled() = 0;
  virtual void DestroySplash() = 0;

  // Handles every message waiting in the queue, then returns. Here and in the
  // message loop, every message passes the key-message filter first
  // (app/KeyMessageFilter.h): the keyboard hook's messages are never dispatched.
  virtual void ProcessMessages() = 0;
  // Waits between two rounds of message processing.
  virtual platform::Clock& Clock() = 0;

  // The title of the application's message boxes and taskbar entry.
  virtual void SetApplicationTitle(const std::string& title) = 0;

  // The four windows, each created hidden. Creating the main window runs its
  // whole set-up; errors in it are the main window's to report, so these
  // calls do not throw for them.
  virtual void CreateMainWindow() = 0;
  virtual void CreateRecordWindow() = 0;
  virtual void CreateWindowPicker() = 0;
  virtual void CreateTableViewer() = 0;

  virtual void HideMainWindow() = 0;
  // Starts the main window's 200 ms foreground-window timer.
  virtual void StartMainTimer() = 0;
  // Returns when the program has been told to end.
  virtual void RunMessageLoop() = 0;
};

enum class StartupOutcome {
  AlreadyRunning,  // another copy holds the mutex; nothing was done
  OldFormat,       // the settings file does not declare the current format
  Ran,             // the message loop ran and ended
};

// Basic/DBVersion of the settings file beside `executablePath`, read through
// its own settings accessor. 0 when the file or the key is missing, the value
// is not a number, or the file cannot be read.
int ReadDatabaseVersion(platform::FileSystem& fs, const std::string& executablePath);

// Processes messages and sleeps until the splash's timer has ticked.
void WaitForSplash(StartupHost& host);

// The entry routine. A refused start shows one information box and ends:
// no splash, no window, no table opened, no file created or changed.
StartupOutcome RunStartup(StartupHost& host);

}  // namespace tembric::app
