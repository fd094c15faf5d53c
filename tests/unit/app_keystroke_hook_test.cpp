// The keyboard hook as the main window switches it, and the message loop's
// first stop for the hook's messages.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/KeyMessageFilter.h"
#include "app/KeystrokeHook.h"
#include "app/Trace.h"
#include "fakes/FakeAppFiles.h"
#include "fakes/FakeKeystrokeExchange.h"
#include "fakes/MemoryFileSystem.h"

namespace tembric::app {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kIni = "C:\\Tembric\\Tembric.ini";
constexpr platform::WindowHandle kMainWindow = 0x1234;

class KeystrokeHookTest : public ::testing::Test {
 protected:
  void SetTrack(const char* text) {
    if (text) disk.Put(kIni, fakes::Text(std::string("[Basic]\r\nTrackKeystroke=") + text + "\r\n"));
  }

  fakes::MemoryFileSystem disk;
  fakes::FakeKeystrokeExchange exchange;
  SettingsFile settings{disk, kIni};
  KeystrokeHook hook{{.exchange = exchange, .settings = settings, .receiver = [] { return kMainWindow; }}};
};

TEST_F(KeystrokeHookTest, TheHookIsOnOnlyWhenAskedAndTrackKeystrokeAllows) {
  struct Case {
    const char* track;  // null: no settings file
    bool on;
    const char* call;
  };
  const Case cases[] = {
      {nullptr, true, "SetHook -1"}, {"1", true, "SetHook -1"},
      {"0", true, "SetHook 0"},      {"yes", true, "SetHook -1"},  // not a number: the default
      {"1", false, "SetHook 0"},     {nullptr, false, "SetHook 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.track ? c.track : "(no file)") + (c.on ? " on" : " off"));
    SetTrack(c.track);
    exchange.calls.clear();
    hook.EnableHook(c.on);
    EXPECT_THAT(exchange.calls, ElementsAre(c.call));
  }
}

TEST_F(KeystrokeHookTest, TrackKeystrokeIsReadAtEveryCallAndShutdownSwitchesOffRegardless) {
  SetTrack("1");
  hook.EnableHook(true);
  SetTrack("0");  // the options dialog writes it while the program runs
  hook.EnableHook(true);
  SetTrack("1");
  hook.EnableHook(true);
  hook.SwitchHookOff();
  EXPECT_THAT(exchange.calls, ElementsAre("SetHook -1", "SetHook 0", "SetHook -1", "SetHook 0"));
}

TEST_F(KeystrokeHookTest, ConnectingStoresTheMainWindowInTheExchange) {
  hook.ConnectExchange();
  EXPECT_EQ(exchange.receiver, kMainWindow);
  EXPECT_THAT(exchange.calls, IsEmpty());
}

class RecordingTrace : public TraceSink {
 public:
  RecordingTrace() { SetTraceSink(this); }
  ~RecordingTrace() override { SetTraceSink(nullptr); }
  void AddTraceLine(const std::string& line) override { lines.push_back(line); }
  std::vector<std::string> lines;
};

TEST(KeyMessageFilterTest, TakesTheHooksMessagesOnly) {
  RecordingTrace trace;
  KeyMessageFilter filter(0xC123, 0xC124);
  std::vector<std::pair<std::uintptr_t, std::intptr_t>> handled;

  EXPECT_TRUE(filter.Take(0xC123, 'A', 1)) << "dropped, not dispatched, before a handler is set";
  filter.SetHandler([&](std::uintptr_t wp, std::intptr_t lp) { handled.emplace_back(wp, lp); });
  int others = 0;
  filter.SetOtherMessages([&] { ++others; });

  struct Case {
    std::uint32_t message;
    bool taken;
  };
  const Case cases[] = {{0xC123, true}, {0xC124, true}, {0x0100 /* WM_KEYDOWN */, false}, {0, false}, {0xC125, false}};
  for (const Case& c : cases) EXPECT_EQ(filter.Take(c.message, 0x41, 0xC01E0001), c.taken) << std::hex << c.message;

  EXPECT_THAT(handled, ElementsAre(std::pair<std::uintptr_t, std::intptr_t>{0x41, 0xC01E0001}));
  EXPECT_THAT(trace.lines, ElementsAre("Keyboard hook lost and installed again (65)"));
  EXPECT_EQ(others, 3) << "every message but the key message and none";

  KeyMessageFilter none(0, 0);  // the system registered nothing
  EXPECT_FALSE(none.Take(0, 0, 0));
}

}  // namespace
}  // namespace tembric::app
