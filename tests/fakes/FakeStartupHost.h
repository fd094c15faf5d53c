#pragma once
// A start-up host that records each step as one line and behaves like the
// real one where the order matters: the splash timer runs from ShowSplash
// until a chosen round of message processing delivers its tick.

#include <string>
#include <vector>

#include "app/Startup.h"
#include "fakes/FakeClock.h"
#include "fakes/FaultInjectingFileSystem.h"
#include "fakes/MemoryFileSystem.h"

namespace tembric::fakes {

class FakeStartupHost : public app::StartupHost {
 public:
  FakeStartupHost() {
    clock_.onSleep = [this](int ms) { calls.push_back("Sleep " + std::to_string(ms)); };
  }

  // ---- Set-up ---------------------------------------------------------------
  platform::InstanceMutex mutexResult = platform::InstanceMutex::Created;
  std::string executablePath = "C:\\Tembric\\Tembric.exe";
  MemoryFileSystem disk;
  FaultInjectingFileSystem files{disk};  // what the routine sees: logs every call
  // The round of ProcessMessages (1 = the first) whose messages include the
  // splash timer's tick (at least 1).
  int splashTickRound = 1;

  // ---- Results --------------------------------------------------------------
  std::vector<std::string> calls;
  std::vector<std::string> informationTexts;

  // ---- app::StartupHost -----------------------------------------------------
  platform::InstanceMutex CreateInstanceMutex(const std::string& name) override {
    calls.push_back("CreateInstanceMutex " + name);
    return mutexResult;
  }
  platform::FileSystem& Files() override { return files; }
  std::string ExecutablePath() override { return executablePath; }
  void ShowInformation(const std::string& text) override {
    calls.push_back("ShowInformation");
    informationTexts.push_back(text);
  }
  void CreateSplash() override { calls.push_back("CreateSplash"); }
  void PrepareSplash() override { calls.push_back("PrepareSplash"); }
  void ShowSplash() override {
    calls.push_back("ShowSplash");
    splashTimerEnabled_ = true;
  }
  bool SplashTimerEnabled() override { return splashTimerEnabled_; }
  void DestroySplash() override { calls.push_back("DestroySplash"); }
  void ProcessMessages() override {
    calls.push_back("ProcessMessages");
    ++rounds_;
    if (splashTimerEnabled_ && rounds_ == splashTickRound) {
      splashTimerEnabled_ = false;
      calls.push_back("Timer1Timer");
    }
  }
  platform::Clock& Clock() override { return clock_; }
  void SetApplicationTitle(const std::string& title) override { calls.push_back("SetApplicationTitle " + title); }
  void CreateMainWindow() override { calls.push_back("CreateMainWindow"); }
  void CreateRecordWindow() override { calls.push_back("CreateRecordWindow"); }
  void CreateWindowPicker() override { calls.push_back("CreateWindowPicker"); }
  void CreateTableViewer() override { calls.push_back("CreateTableViewer"); }
  void HideMainWindow() override { calls.push_back("HideMainWindow"); }
  void StartMainTimer() override { calls.push_back("StartMainTimer"); }
  void RunMessageLoop() override { calls.push_back("RunMessageLoop"); }

 private:
  FakeClock clock_;
  bool splashTimerEnabled_ = false;
  int rounds_ = 0;
};

}  // namespace tembric::fakes
