// The entry routine's order of steps and its two refusals, against a host
// that records every step.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/Startup.h"
#include "fakes/FakeAppFiles.h"
#include "fakes/FakeStartupHost.h"

namespace tembric::app {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Op = fakes::FaultInjectingFileSystem::Op;
using fakes::FileChanges;
using fakes::Text;

constexpr const char* kIni = "C:\\Tembric\\Tembric.ini";

class Startup : public ::testing::Test {
 protected:
  fakes::FakeStartupHost host;
};

TEST_F(Startup, RunsTheStepsInOrderAndWaitsForTheSplashTick) {
  host.disk.Put(kIni, Text("[Basic]\r\nDBVersion=11\r\n"));

  EXPECT_EQ(RunStartup(host), StartupOutcome::Ran);

  EXPECT_THAT(host.calls, ElementsAre("CreateInstanceMutex TembricMutex", "CreateSplash", "PrepareSplash", "ShowSplash",
                                      "SetApplicationTitle Tembric", "CreateMainWindow", "CreateRecordWindow",
                                      "CreateWindowPicker", "CreateTableViewer",
                                      // the tick is due by the first test: one round and one sleep
                                      "ProcessMessages", "Timer1Timer", "Sleep 100", "DestroySplash", "HideMainWindow",
                                      "StartMainTimer", "RunMessageLoop"));
  EXPECT_THAT(host.informationTexts, IsEmpty());
  EXPECT_THAT(FileChanges(host.files), IsEmpty());
}

TEST_F(Startup, SplashWaitProcessesMessagesAndSleepsUntilTheTick) {
  host.splashTickRound = 3;
  host.ShowSplash();
  host.calls.clear();

  WaitForSplash(host);

  EXPECT_THAT(host.calls, ElementsAre("ProcessMessages", "Sleep 100", "ProcessMessages", "Sleep 100", "ProcessMessages",
                                      "Timer1Timer", "Sleep 100"));
  EXPECT_FALSE(host.SplashTimerEnabled());

  // A timer that has already ticked costs nothing.
  host.calls.clear();
  WaitForSplash(host);
  EXPECT_THAT(host.calls, IsEmpty());
}

TEST_F(Startup, StartsOnLaterFormatsAndWhenTheMutexCannotBeMade) {
  host.disk.Put(kIni, Text("[Basic]\nDBVersion=12\n"));
  host.mutexResult = platform::InstanceMutex::Failed;  // no guard, but no reason to refuse the user either

  EXPECT_EQ(RunStartup(host), StartupOutcome::Ran);
  EXPECT_EQ(host.calls.back(), "RunMessageLoop");
  EXPECT_THAT(host.informationTexts, IsEmpty());
}

TEST_F(Startup, SecondCopyShowsOneNoticeAndDoesNothingElse) {
  host.disk.Put(kIni, Text("[Basic]\nDBVersion=11\n"));
  host.mutexResult = platform::InstanceMutex::AlreadyExists;

  EXPECT_EQ(RunStartup(host), StartupOutcome::AlreadyRunning);

  EXPECT_THAT(host.calls, ElementsAre("CreateInstanceMutex TembricMutex", "ShowInformation"));
  EXPECT_THAT(host.informationTexts, ElementsAre("Tembric already launched"));
  EXPECT_THAT(host.files.Calls(), IsEmpty());  // not even the settings file is looked at
}

struct Refusal {
  const char* name;
  const char* iniText;  // nullptr: no settings file at all
  bool unreadable;
};
// Names the case in test listings instead of dumping its bytes.
void PrintTo(const Refusal& refusal, std::ostream* os) { *os << refusal.name; }

class StartupRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(StartupRefusal, ShowsTheOldFormatNoticeOnceAndCreatesNothing) {
  fakes::FakeStartupHost host;
  const Refusal& refusal = GetParam();
  if (refusal.iniText) host.disk.Put(kIni, Text(refusal.iniText));
  if (refusal.unreadable) host.files.Fail(Op::ReadAll, "Access is denied");
  // Table files of a former run, which must stay as they are.
  host.disk.Put("C:\\Tembric\\tembric.db", Text("old records"));
  const auto before = host.disk.Paths();

  EXPECT_EQ(RunStartup(host), StartupOutcome::OldFormat);

  EXPECT_THAT(host.calls, ElementsAre("CreateInstanceMutex TembricMutex", "ShowInformation"));
  EXPECT_THAT(host.informationTexts,
              ElementsAre("Database has old format. Please, reinstall Tembric 1.1.0 to another folder.\n"
                          "If you want to store your records from old database purchase full version\n"
                          "and receive converter to the new format."));
  EXPECT_THAT(FileChanges(host.files), IsEmpty());
  EXPECT_EQ(host.disk.Paths(), before);
  EXPECT_EQ(host.disk.Get("C:\\Tembric\\tembric.db"), Text("old records"));
}

INSTANTIATE_TEST_SUITE_P(Startup, StartupRefusal,
                         ::testing::Values(Refusal{"Version10", "[Basic]\nDBVersion=10\n", false},
                                           Refusal{"VersionZero", "[Basic]\nDBVersion=0\n", false},
                                           Refusal{"NegativeVersion", "[Basic]\nDBVersion=-11\n", false},
                                           Refusal{"NotANumber", "[Basic]\nDBVersion=eleven\n", false},
                                           Refusal{"MissingKey", "[Basic]\nShowIcon=1\n", false},
                                           Refusal{"KeyInAnotherSection", "[GUI]\nDBVersion=11\n", false},
                                           Refusal{"MissingFile", nullptr, false},
                                           Refusal{"UnreadableFile", "[Basic]\nDBVersion=11\n", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StartupSettings, FormatIsReadFromTheIniNamedAfterTheExecutable) {
  fakes::FakeStartupHost host;
  host.executablePath = "D:\\Tools\\Paste\\Tembric.exe";
  host.disk.Put("C:\\Tembric\\Tembric.ini", Text("[Basic]\nDBVersion=11\n"));  // another installation's
  host.disk.Put("D:\\Tools\\Paste\\Tembric.exe.ini", Text("[Basic]\nDBVersion=11\n"));
  EXPECT_EQ(RunStartup(host), StartupOutcome::OldFormat);

  host.disk.Put("D:\\Tools\\Paste\\Tembric.ini", Text("[basic]\ndbversion=11\n"));
  EXPECT_EQ(ReadDatabaseVersion(host.files, host.executablePath), 11);
}

}  // namespace
}  // namespace tembric::app
