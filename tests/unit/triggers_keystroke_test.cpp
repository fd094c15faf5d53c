// Typed abbreviations: the collecting of keys from the hook's messages, and
// the matching form of a keystroke under two keyboard layouts.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FakeKeyboard.h"
#include "fakes/KeyScript.h"
#include "store/DataTable.h"
#include "store/Tables.h"
#include "triggers/KeyString.h"
#include "triggers/KeystrokeTracker.h"

namespace tembric::triggers {
namespace {

using fakes::FakeKeyboard;
using fakes::KeyPress;
using fakes::KeyRelease;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using Layout = FakeKeyboard::Layout;

// What a script of typing left behind, applied as the program applies it.
struct Typed {
  std::vector<std::string> lookUps;
  std::string shown;  // the debug window's last text
  int tray = kTrayNormal;
  bool collecting = false;
  std::string buffer;
};

Typed Type(std::string_view script, Layout layout = Layout::US, bool recordDialogShowing = false,
           std::int64_t stepMs = 15) {
  KeystrokeTracker tracker;
  FakeKeyboard keyboard;
  keyboard.layout = layout;
  std::int64_t now = 5'000;
  Typed typed;
  for (const KeystrokeActions& a : fakes::TypeInto(tracker, keyboard, script, now, recordDialogShowing, stepMs)) {
    if (a.shownBuffer) typed.shown = *a.shownBuffer;
    if (a.lookUp) typed.lookUps.push_back(*a.lookUp);
    if (a.trayImage) typed.tray = *a.trayImage;
  }
  typed.collecting = tracker.Collecting();
  typed.buffer = tracker.Buffer();
  return typed;
}

struct ScriptCase {
  const char* what;
  const char* script;
  std::vector<std::string> lookUps;
  bool collecting = false;
  const char* buffer = "";
};

TEST(KeystrokeTracker, ScriptsOfTypingCollectAndAskForTheLookup) {
  const ScriptCase cases[] = {
      {"equals, letters, space", "=sig ", {"SIG "}},
      {"Enter ends it like a space but adds nothing", "=sig<Enter>", {"SIG"}},
      {"letters typed with Shift held", "<Shift>+SIG</Shift> ", {"SIG "}},
      {"plus on the equals key starts it too", "+sig ", {"SIG "}},
      {"one letter and a space", "=a ", {"A "}},
      {"one letter and Enter is too short", "=a<Enter>", {}},
      {"equals and a space cancel", "= sig ", {}},
      {"equals and Enter cancel", "=<Enter>sig ", {}},
      {"a second equals starts over", "=ab=sig ", {"SIG "}},
      {"Backspace removes the last letter", "=sigx<Back> ", {"SIG "}},
      {"Backspace right after equals stops", "=<Back>sig ", {}},
      {"Backspaces past the start stop", "=s<Back><Back>ig ", {}},
      {"Left cancels", "=si<Left>g ", {}},
      {"Up cancels", "=si<Up>g ", {}},
      {"Right cancels", "=si<Right>g ", {}},
      {"Down cancels", "=si<Down>g ", {}},
      {"Page Up cancels", "=si<PgUp>g ", {}},
      {"End cancels", "=si<End>g ", {}},
      {"Home is kept out and does not cancel", "=si<Home>g ", {"SIG "}},
      {"Page Down is kept out and does not cancel", "=si<PgDn>g ", {"SIG "}},
      {"control characters are collected", "=a<Esc> ", {"A\x1B "}},
      {"keys without equals are not collected", "sig ", {}},
      {"digits and punctuation are", "=a-1 ", {"A-1 "}},
      {"two lookups in a row", "=ab =cd<Enter>", {"AB ", "CD"}},
      {"still collecting", "=si", {}, true, "SI"},
      {"Backspace while idle changes nothing", "<Back>=s", {}, true, "S"},
  };
  for (const ScriptCase& c : cases) {
    SCOPED_TRACE(c.what);
    const Typed typed = Type(c.script);
    EXPECT_THAT(typed.lookUps, ElementsAreArray(c.lookUps));
    EXPECT_EQ(typed.collecting, c.collecting);
    EXPECT_EQ(typed.buffer, c.buffer);
    EXPECT_EQ(typed.tray, c.collecting ? kTrayCollecting : kTrayNormal);
  }
}

TEST(KeystrokeTracker, TheDebugWindowShowsTheBufferAsItWasBeforeTheLookup) {
  EXPECT_EQ(Type("=si").shown, "SI");
  EXPECT_EQ(Type("=sig ").shown, "SIG ");
  EXPECT_EQ(Type("=si<Left>").shown, "");
}

TEST(KeystrokeTracker, TheRecordDialogKeepsItsOwnKeys) {
  const Typed typed = Type("=sig ", Layout::US, /*recordDialogShowing=*/true);
  EXPECT_THAT(typed.lookUps, IsEmpty());
  EXPECT_FALSE(typed.collecting);
  EXPECT_EQ(typed.tray, kTrayNormal);

  // Collecting already: the keys are collected, the space looks nothing up.
  KeystrokeTracker tracker;
  FakeKeyboard keyboard;
  std::int64_t now = 0;
  fakes::TypeInto(tracker, keyboard, "=si", now);
  fakes::TypeInto(tracker, keyboard, "= ", now, true);
  EXPECT_TRUE(tracker.Collecting());
  EXPECT_EQ(tracker.Buffer(), "SI= ");
}

TEST(KeystrokeTracker, OnlyARepeatedDeliveryWithinTenMillisecondsIsIgnored) {
  KeystrokeTracker tracker;
  EXPECT_EQ(tracker.LastKeyEventTime(), std::nullopt);
  // Presses are never acted on.
  EXPECT_FALSE(tracker.OnKeyMessage(KeyPress(0xBB), '=', 1'000, false).acted);
  EXPECT_EQ(tracker.LastKeyEventTime(), std::nullopt);

  struct Step {
    triggers::KeyMessage message;
    char ch;
    std::int64_t atMs;
    bool acted;
  };
  const Step steps[] = {
      {KeyRelease(0xBB), '=', 1'000, true}, {KeyRelease(0xBB), '=', 1'010, false},  // the same event delivered again
      {KeyRelease('S'), 'S', 1'011, true},  {KeyRelease('I'), 'I', 1'012, true},    // released together with S
      {KeyRelease('I'), 'I', 1'005, false},  // the clock went back: still within 10 ms
      {KeyRelease('I'), 'I', 1'023, true},   // 11 ms later: a new press of the same key
      {KeyRelease('G'), 'G', 1'023, true},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.atMs);
    EXPECT_EQ(tracker.OnKeyMessage(s.message, s.ch, s.atMs, false).acted, s.acted);
  }
  EXPECT_EQ(tracker.LastKeyEventTime(), 1'023);
  EXPECT_EQ(tracker.Buffer(), "SIIG");

  // A fast typist's rollover: every key of "=sig " released within 2 ms of the one before.
  EXPECT_THAT(Type("=sig ", Layout::US, false, 2).lookUps, ElementsAre("SIG "));
}

TEST(KeystrokeTracker, CancelStopsCollectingAndRestoresTheTray) {
  KeystrokeTracker tracker;
  FakeKeyboard keyboard;
  std::int64_t now = 0;
  fakes::TypeInto(tracker, keyboard, "=si", now);
  const KeystrokeActions cancelled = tracker.Cancel();
  EXPECT_FALSE(tracker.Collecting());
  EXPECT_THAT(tracker.Buffer(), IsEmpty());
  EXPECT_EQ(cancelled.trayImage, kTrayNormal);
  EXPECT_FALSE(cancelled.lookUp);
  fakes::TypeInto(tracker, keyboard, "g ", now);
  EXPECT_FALSE(tracker.Collecting());
}

TEST(KeyString, IsTheCharacterOfEachKeyThatTypesTheAbbreviation) {
  struct Case {
    Layout layout;
    std::string display;
    std::string keyString;
  };
  using namespace std::string_literals;
  const Case cases[] = {
      {Layout::US, "sig", "SIG"},
      {Layout::US, "SiG", "SIG"},
      {Layout::US, "a+b", "A=B"},  // "+" is Shift and the "=" key
      {Layout::US, "#1!", "311"},
      {Layout::US, "a/b", "A/B"},
      {Layout::German, "a/b", "A7B"},  // "/" is Shift+7
      {Layout::German, "a+b", "A+B"},
      {Layout::German, "=#", "0#"},
      {Layout::US, "x\xE4y", "X\0Y"s},  // a character the layout cannot type: 0, the length kept
      {Layout::US, "", ""},
  };
  FakeKeyboard keyboard;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.display);
    keyboard.layout = c.layout;
    EXPECT_EQ(KeyStringOf(c.display, keyboard), c.keyString);
  }
}

TEST(KeyString, TypingTheAbbreviationCollectsItsKeyString) {
  FakeKeyboard keyboard;
  for (const std::string display : {"sig", "Sig", "a-b", "x.y,z", "ab12", "q/w"}) {
    const Typed typed = Type("=" + display + " ");
    ASSERT_THAT(typed.lookUps, ::testing::SizeIs(1)) << display;
    EXPECT_EQ(typed.lookUps[0], KeyStringOf(display, keyboard) + " ");
  }
}

TEST(KeyString, SetKeyStringFillsTheEditedRowFromItsKeyDisplay) {
  store::DataTable records(store::RecordsSchema());
  records.CreateEmpty();
  FakeKeyboard keyboard;
  records.Append();
  SetKeyString(records, keyboard);
  EXPECT_TRUE(records.IsNull("KeyString"));
  records.Set("KeyDisplay", "Sig");
  SetKeyString(records, keyboard);
  EXPECT_EQ(records.AsString("KeyString"), "SIG");
  EXPECT_EQ(records.State(), store::TableState::Insert);  // not posted
}

}  // namespace
}  // namespace tembric::triggers
