// Calls into plugin libraries through fake libraries: the discovery loop and
// what it reads from the exchange record, the paste and properties calls,
// the failure messages, and the unload on every path.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "fakes/FakeLibraries.h"
#include "plugins/PluginCalls.h"
#include "plugins/TembricPlugin.h"

namespace tembric::plugins {
namespace {

using fakes::FakeLibraries;
using ::testing::ElementsAre;

const std::string kPath = "C:\\Tembric\\Plugins\\Sample\\sample.dll";

// What the fake plugin functions saw and do; reset by the fixture.
struct PluginScript {
  std::int32_t count = 0;
  std::vector<std::int32_t> infoCalls;
  bool firstBufferWasZero = false;
  std::vector<std::int32_t> resultCalls;
  std::vector<std::int32_t> propertiesCalls;
  unsigned char result = 1;
  HotkeyGate* hotkeys = nullptr;
  std::vector<bool> hotkeysReadyDuringCall;
  bool throwInCall = false;
};
PluginScript script;

// Item 0 fills every field; item 1 a subject of 300 characters; item 2 only
// its subject, so the rest keeps item 1's values.
void TEMBRIC_PLUGIN_CALL GetInfo(TembricPluginInfo* info, std::int32_t index) {
  if (script.infoCalls.empty()) {
    TembricPluginInfo zero;
    std::memset(&zero, 0, sizeof zero);
    script.firstBufferWasZero = std::memcmp(info, &zero, sizeof zero) == 0;
  }
  // Stops a discovery that asks for more than a plugin may offer.
  if (script.infoCalls.size() > TEMBRIC_MAX_PLUGIN_ITEMS + 1) throw std::runtime_error("runaway discovery");
  script.infoCalls.push_back(index);
  info->Count = script.count;
  if (index == 0) {
    TembricSetCountedString(&info->Subject, "Date");
    TembricSetCountedString(&info->Category, "Clock\\Today");
    TembricSetCountedString(&info->Memo, "The date of today");
    info->HasProperties = 1;
  } else if (index == 1) {
    TembricSetCountedString(&info->Subject, std::string(300, 'x').c_str());
    TembricSetCountedString(&info->Category, "");
    TembricSetCountedString(&info->Memo, "long");
    info->HasProperties = 0;
  } else {
    TembricSetCountedString(&info->Subject, "Third");
  }
}

unsigned char TEMBRIC_PLUGIN_CALL GetResult(std::int32_t index) {
  script.resultCalls.push_back(index);
  if (script.hotkeys) script.hotkeysReadyDuringCall.push_back(script.hotkeys->Ready());
  if (script.throwInCall) throw std::runtime_error("plugin failed");
  return script.result;
}

void TEMBRIC_PLUGIN_CALL SetProperties(std::int32_t index) {
  script.propertiesCalls.push_back(index);
  if (script.throwInCall) throw std::runtime_error("plugin failed");
}

template <typename F>
std::string MessageOf(F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

class PluginCallsTest : public ::testing::Test {
 protected:
  PluginCallsTest() {
    script = PluginScript();
    libraries_.AddLibrary(kPath);
    libraries_.AddEntry(kPath, "GetPluginInfo", &GetInfo);
    libraries_.AddEntry(kPath, "GetPluginResult", &GetResult);
    libraries_.AddEntry(kPath, "SetPluginProperties", &SetProperties);
  }
  FakeLibraries libraries_;
};

TEST_F(PluginCallsTest, DiscoveryReadsCountFromIndexZeroThenEveryItemFromOneBufferZeroedOnce) {
  script.count = 3;
  const std::vector<PluginItem> items = ReadPluginItems(libraries_, kPath);

  EXPECT_THAT(script.infoCalls, ElementsAre(0, 0, 1, 2));
  EXPECT_TRUE(script.firstBufferWasZero);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0], (PluginItem{"Date", "Clock\\Today", "The date of today", true}));
  EXPECT_EQ(items[1], (PluginItem{std::string(255, 'x'), "", "long", false}));
  EXPECT_EQ(items[2], (PluginItem{"Third", "", "long", false}));  // not cleared between calls
  EXPECT_THAT(libraries_.Log(), ElementsAre("load " + kPath, "find GetPluginInfo", "unload " + kPath));
}

TEST_F(PluginCallsTest, DiscoveryHoldsTheReportedCountToZeroUpToTheDocumentedMaximum) {
  constexpr std::size_t kMax = TEMBRIC_MAX_PLUGIN_ITEMS;
  const struct {
    std::int32_t reported;
    std::size_t read;
  } cases[] = {{0, 0},       {-5, 0},          {INT32_MIN, 0},   {kMax - 1, kMax - 1},
               {kMax, kMax}, {kMax + 1, kMax}, {INT32_MAX, kMax}};
  for (const auto& c : cases) {
    script = PluginScript();
    script.count = c.reported;
    EXPECT_EQ(ReadPluginItems(libraries_, kPath).size(), c.read) << c.reported;
    ASSERT_EQ(script.infoCalls.size(), c.read + 1) << c.reported;  // the count is asked for once, with index 0
    EXPECT_EQ(script.infoCalls.back(), c.read == 0 ? 0 : static_cast<std::int32_t>(c.read) - 1) << c.reported;
  }
  EXPECT_EQ(libraries_.LoadedNow(), 0);
}

TEST_F(PluginCallsTest, PasteAsksForCtrlVOnlyOnAResultOfOneWithHotkeysBlockedMeanwhile) {
  HotkeyGate hotkeys;
  script.hotkeys = &hotkeys;
  script.result = 1;
  EXPECT_TRUE(GetPluginResult(libraries_, kPath, 4, hotkeys));
  script.result = 0;
  EXPECT_FALSE(GetPluginResult(libraries_, kPath, 5, hotkeys));
  script.result = 2;
  EXPECT_FALSE(GetPluginResult(libraries_, kPath, 6, hotkeys));

  EXPECT_THAT(script.resultCalls, ElementsAre(4, 5, 6));
  EXPECT_THAT(script.hotkeysReadyDuringCall, ElementsAre(false, false, false));
  EXPECT_TRUE(hotkeys.Ready());
  EXPECT_EQ(libraries_.LoadedNow(), 0);
  EXPECT_EQ(libraries_.Log().back(), "unload " + kPath);
}

TEST_F(PluginCallsTest, PropertiesCallTheItemsDialogAndUnload) {
  SetPluginProperties(libraries_, kPath, 7);
  EXPECT_THAT(script.propertiesCalls, ElementsAre(7));
  EXPECT_THAT(libraries_.Log(), ElementsAre("load " + kPath, "find SetPluginProperties", "unload " + kPath));
}

TEST_F(PluginCallsTest, AMissingLibraryEndsEverySequenceWithTheLoadMessage) {
  const std::string missing = "C:\\Tembric\\Plugins\\gone.dll";
  const std::string message = "Can not load library " + missing;
  HotkeyGate hotkeys;
  EXPECT_EQ(MessageOf([&] { ReadPluginItems(libraries_, missing); }), message);
  EXPECT_EQ(MessageOf([&] { GetPluginResult(libraries_, missing, 0, hotkeys); }), message);
  EXPECT_EQ(MessageOf([&] { SetPluginProperties(libraries_, missing, 0); }), message);

  EXPECT_THAT(libraries_.Log(), ElementsAre("load " + missing, "load " + missing, "load " + missing));
  EXPECT_TRUE(hotkeys.Ready());
}

TEST_F(PluginCallsTest, AMissingExportIsNamedAndTheLibraryIsStillUnloaded) {
  const std::string bare = "C:\\Tembric\\Plugins\\bare.dll";
  libraries_.AddLibrary(bare);
  HotkeyGate hotkeys;
  EXPECT_EQ(MessageOf([&] { ReadPluginItems(libraries_, bare); }), "Method with name GetPluginInfo was not found");
  EXPECT_EQ(MessageOf([&] { GetPluginResult(libraries_, bare, 0, hotkeys); }),
            "Method with name GetPluginResult was not found");
  EXPECT_EQ(MessageOf([&] { SetPluginProperties(libraries_, bare, 0); }),
            "Method with name SetPluginProperties was not found");

  EXPECT_THAT(libraries_.Log(), ElementsAre("load " + bare, "find GetPluginInfo", "unload " + bare, "load " + bare,
                                            "find GetPluginResult", "unload " + bare, "load " + bare,
                                            "find SetPluginProperties", "unload " + bare));
  EXPECT_TRUE(hotkeys.Ready());
  EXPECT_TRUE(script.infoCalls.empty());
}

TEST_F(PluginCallsTest, AFailingCallStillUnloadsAndReleasesTheHotkeys) {
  script.throwInCall = true;
  HotkeyGate hotkeys;
  EXPECT_EQ(MessageOf([&] { GetPluginResult(libraries_, kPath, 1, hotkeys); }), "plugin failed");
  EXPECT_EQ(MessageOf([&] { SetPluginProperties(libraries_, kPath, 1); }), "plugin failed");
  EXPECT_TRUE(hotkeys.Ready());
  EXPECT_EQ(libraries_.LoadedNow(), 0);
}

TEST(LoadedLibraryOwner, UnloadsOnceAfterAMoveAndNeverWhatFailedToLoad) {
  FakeLibraries libraries;
  libraries.AddLibrary("a.dll");
  {
    platform::LoadedLibrary first(libraries, "a.dll");
    platform::LoadedLibrary second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_TRUE(second);
    EXPECT_EQ(libraries.LoadedNow(), 1);
    const platform::LoadedLibrary missing(libraries, "b.dll");
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.Find("GetPluginInfo"), nullptr);
  }
  EXPECT_EQ(libraries.LoadedNow(), 0);
  EXPECT_THAT(libraries.Log(), ElementsAre("load a.dll", "load b.dll", "unload a.dll"));
}

}  // namespace
}  // namespace tembric::plugins
