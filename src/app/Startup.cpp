#include "app/Startup.h"

#include <exception>

#include "app/SettingsKeys.h"
#include "platform/FileSystem.h"

namespace tembric::app {

int ReadDatabaseVersion(platform::FileSystem& fs, const std::string& executablePath) {
  try {
    const SettingsFile settings(fs, SettingsPathFor(executablePath));
    return settings::Read(settings, settings::kDbVersion);
  } catch (const std::exception&) {
    // A settings file that cannot be read declares nothing: the start is
    // refused like one without the key.
    return 0;
  }
}

void WaitForSplash(StartupHost& host) {
  while (host.SplashTimerEnabled()) {
    host.ProcessMessages();
    host.Clock().SleepMs(kSplashPollMilliseconds);
  }
}

StartupOutcome RunStartup(StartupHost& host) {
  // Creating the mutex is the test: open-then-create would let two copies
  // started together both pass. A mutex that cannot be created for another
  // reason does not stop the start; the guard is then simply missing.
  if (host.CreateInstanceMutex(kInstanceMutexName) == platform::InstanceMutex::AlreadyExists) {
    host.ShowInformation(kAlreadyLaunchedText);
    return StartupOutcome::AlreadyRunning;
  }

  // The format is checked before any window exists, so that a refused start
  // leaves nothing behind but the answered message box.
  if (ReadDatabaseVersion(host.Files(), host.ExecutablePath()) < kMinimumDbVersion) {
    host.ShowInformation(kOldFormatText);
    return StartupOutcome::OldFormat;
  }

  host.CreateSplash();
  host.PrepareSplash();
  host.ShowSplash();
  host.SetApplicationTitle(kApplicationTitle);

  // The splash's timer runs while the windows are created, so its tick is
  // usually due by the time the wait begins.
  host.CreateMainWindow();
  host.CreateRecordWindow();
  host.CreateWindowPicker();
  host.CreateTableViewer();

  WaitForSplash(host);
  host.DestroySplash();

  host.HideMainWindow();
  host.StartMainTimer();
  host.RunMessageLoop();
  return StartupOutcome::Ran;
}

}  // namespace tembric::app
