// Hotkey texts both ways, and the table of hotkey slots over a system that
// keeps registrations as Windows does.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "fakes/FakeHotkeyPlatform.h"
#include "platform/Hotkeys.h"
#include "triggers/HotkeySlots.h"
#include "triggers/HotkeyText.h"

namespace tembric::triggers {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Combination = fakes::FakeHotkeyPlatform::Combination;
namespace mod = platform::hotkey_mod;

// Every key code with its name, as the program writes it.
std::map<int, std::string> ExpectedNames() {
  std::map<int, std::string> names = {{0x08, "BkSp"}, {0x09, "Tab"},   {0x0D, "Enter"}, {0x1B, "Esc"},  {0x20, "Space"},
                                      {0x21, "PgUp"}, {0x22, "PgDn"},  {0x23, "End"},   {0x24, "Home"}, {0x25, "Left"},
                                      {0x26, "Up"},   {0x27, "Right"}, {0x28, "Down"},  {0x2D, "Ins"},  {0x2E, "Del"}};
  for (int c = '0'; c <= '9'; ++c) names[c] = std::string(1, static_cast<char>(c));
  for (int c = 'A'; c <= 'Z'; ++c) names[c] = std::string(1, static_cast<char>(c));
  for (int c = 0x60; c <= 0x69; ++c) names[c] = std::string(1, static_cast<char>('0' + c - 0x60));
  for (int c = 0x70; c <= 0x87; ++c) names[c] = "F" + std::to_string(c - 0x6F);
  // The rest: the layout's names (the fake's), none for keys without a scan code.
  for (const auto& [code, name] : fakes::FakeHotkeyPlatform().names) names.emplace(code, name);
  return names;
}

TEST(HotkeyText, EveryKeyWithEveryModifierSetIsWrittenInOneOrderAndReadBack) {
  fakes::FakeHotkeyPlatform names;
  const std::map<int, std::string> expected = ExpectedNames();
  for (int code = 0; code <= 0xFF; ++code) {
    const auto found = expected.find(code);
    const std::string name = found == expected.end() ? "" : found->second;
    EXPECT_EQ(KeyNameOf(static_cast<platform::VirtualKey>(code), names), name) << code;
    // A keypad digit reads back as the main digit.
    const int readBack = code >= 0x60 && code <= 0x69 ? '0' + code - 0x60 : code;
    for (int bits = 0; bits < 8; ++bits) {
      const auto value = static_cast<KeyValue>(code | (bits & 1 ? kShiftBit : 0) | (bits & 2 ? kCtrlBit : 0) |
                                               (bits & 4 ? kAltBit : 0));
      const std::string text = HotkeyToText(value, names);
      if (name.empty()) {
        EXPECT_EQ(text, "") << code;
        continue;
      }
      const std::string prefixes =
          std::string(bits & 1 ? "Shift+" : "") + (bits & 2 ? "Ctrl+" : "") + (bits & 4 ? "Alt+" : "");
      EXPECT_EQ(text, prefixes + name) << code;
      EXPECT_EQ(TextToHotkey(text, names), (value & 0xFF00) | readBack) << text;
    }
  }
}

TEST(HotkeyText, PrefixesReadInAnyOrderAndCaseAndNamesWithoutRegardToCase) {
  fakes::FakeHotkeyPlatform names;
  const KeyValue all = kShiftBit | kCtrlBit | kAltBit | 'Z';
  const struct {
    const char* text;
    KeyValue value;
  } cases[] = {
      {"Shift+Ctrl+Alt+Z", all},
      {"shift+ctrl+alt+z", all},
      {"CTRL+SHIFT+ALT+Z", all},
      {"alt+Shift+ctrl+z", all},
      {"Alt+ctrl+SHIFT+Z", all},
      {"^Shift+Alt+Z", all},
      {"Shift+Alt+^z", all},
      {"ctrl+alt+q", kCtrlBit | kAltBit | 'Q'},
      {"^Q", kCtrlBit | 'Q'},
      {"pgdn", 0x22},
      {"alt+f24", kAltBit | 0x87},
      {"Ctrl+num lock", kCtrlBit | 0x90},
      {"Ctrl+;", kCtrlBit | 0xBA},
      {"Ctrl+Alt+", 0},
      {"", 0},
      {"Shift+", 0},
      {"Ctrl+Hyper", 0},
      {"Win+Z", 0},
      {"Ctrl Alt Z", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(TextToHotkey(c.text, names), c.value) << c.text;
  EXPECT_EQ(RegistrationModifiers(all), mod::kAlt | mod::kCtrl | mod::kShift);
  EXPECT_EQ(RegistrationModifiers(kAltBit | 'Z'), mod::kAlt);
}

// A table of slots over the fake system, with the settings' hotkey section
// as a map and the notices recorded.
class HotkeySlotsTest : public ::testing::Test {
 protected:
  int Record(const std::string& text, int slot = 0, bool activate = true) {
    return slots->SetHotkeySlot(kRecordHotkeyName, text, slot, activate);
  }
  void LoadProgramHotkeys() {
    slots->SetHotkeySlot("Show", "Ctrl+Alt+Z", kShowSlot, true);
    slots->SetHotkeySlot("New", "Ctrl+Alt+N", kNewRecordSlot, true);
  }
  const Combination* Held(int slot) const { return system.Held(slot); }

  fakes::FakeHotkeyPlatform system;
  std::map<std::string, std::string> section;  // "Hot keys"
  std::vector<std::string> notices;
  std::unique_ptr<HotkeySlots> slots = std::make_unique<HotkeySlots>(
      system,
      [this](std::string_view key, std::string_view defaultText) {
        const auto found = section.find(std::string(key));
        return found == section.end() ? std::string(defaultText) : found->second;
      },
      [this](const std::string& text) { notices.push_back(text); });
};

TEST_F(HotkeySlotsTest, ProgramHotkeysTakeTheirSlotsAndRecordsTakeTheNextInOrder) {
  LoadProgramHotkeys();
  EXPECT_EQ(Record("Ctrl+Alt+Q"), 3);
  EXPECT_EQ(Record("shift+f5"), 4);
  EXPECT_EQ(slots->HotkeySlotHigh(), 4);
  ASSERT_TRUE(Held(1) && Held(2) && Held(3) && Held(4));
  EXPECT_EQ(*Held(1), (Combination{mod::kCtrl | mod::kAlt, 'Z'}));
  EXPECT_EQ(*Held(2), (Combination{mod::kCtrl | mod::kAlt, 'N'}));
  EXPECT_EQ(*Held(3), (Combination{mod::kCtrl | mod::kAlt, 'Q'}));
  EXPECT_EQ(*Held(4), (Combination{mod::kShift, 0x74}));
  EXPECT_EQ(slots->TextOf(4), "Shift+F5");
  EXPECT_EQ(slots->KeyValueOf(3), kCtrlBit | kAltBit | 'Q');

  // Loading the settings again re-creates the program's two.
  section["Show"] = "ctrl+shift+alt+z";
  LoadProgramHotkeys();
  EXPECT_EQ(*Held(1), (Combination{mod::kCtrl | mod::kAlt | mod::kShift, 'Z'}));
  EXPECT_EQ(slots->TextOf(1), "Shift+Ctrl+Alt+Z");
  EXPECT_EQ(slots->HotkeySlotHigh(), 4);
  EXPECT_THAT(notices, IsEmpty());
}

TEST_F(HotkeySlotsTest, SettingsDecideWhatIsRegistered) {
  section["Show"] = "";       // present and empty: the show hotkey is off
  section["Fake"] = "Alt+M";  // would be used by every record
  LoadProgramHotkeys();
  EXPECT_EQ(Held(1), nullptr);
  EXPECT_FALSE(slots->Active(1));
  EXPECT_EQ(slots->KeyValueOf(1), 0);
  EXPECT_EQ(*Held(2), (Combination{mod::kCtrl | mod::kAlt, 'N'}));  // missing key: the default
  EXPECT_EQ(Record("Ctrl+Alt+Q"), 3);
  EXPECT_EQ(*Held(3), (Combination{mod::kAlt, 'M'}));
  // A text that names no key still takes its slot.
  section.erase("Fake");
  EXPECT_EQ(Record("Ctrl+Alt+Nothing"), 4);
  EXPECT_EQ(Held(4), nullptr);
  EXPECT_EQ(slots->TextOf(4), "");
}

TEST_F(HotkeySlotsTest, RekeyingKeepsTheSlotAndReleasingFreesItWithoutReuse) {
  LoadProgramHotkeys();
  ASSERT_EQ(Record("Ctrl+Alt+Q"), 3);
  ASSERT_EQ(Record("Ctrl+Alt+W"), 4);

  EXPECT_EQ(Record("Ctrl+Alt+E", 3), 3);
  EXPECT_EQ(*Held(3), (Combination{mod::kCtrl | mod::kAlt, 'E'}));
  EXPECT_EQ(Record("Ctrl+Alt+Q"), 5);  // the combination was given back

  EXPECT_EQ(Record("", 4, false), 0);
  EXPECT_EQ(Held(4), nullptr);
  EXPECT_EQ(slots->KeyValueOf(4), 0);
  EXPECT_EQ(Record("Ctrl+Alt+W"), 6);  // a new number, not the freed one

  EXPECT_EQ(Record("Ctrl+Alt+R", 0, false), 0);  // nothing asked for
  EXPECT_EQ(Record("Ctrl+Alt+T", 10), 10);       // a slot named outright
  EXPECT_EQ(Record("Ctrl+Alt+Y"), 11);
  EXPECT_THAT(notices, IsEmpty());
}

TEST_F(HotkeySlotsTest, RefusedCombinationsTakeTheirSlotInactiveWithoutAMessage) {
  system.heldElsewhere.insert({mod::kCtrl | mod::kAlt, 'Z'});
  LoadProgramHotkeys();
  EXPECT_FALSE(slots->Active(1));
  EXPECT_EQ(slots->KeyValueOf(1), kCtrlBit | kAltBit | 'Z');
  EXPECT_TRUE(slots->Active(2));
  // Two records with one combination: the second is refused.
  EXPECT_EQ(Record("Ctrl+Alt+Q"), 3);
  EXPECT_EQ(Record("alt+ctrl+q"), 4);
  EXPECT_TRUE(slots->Active(3));
  EXPECT_FALSE(slots->Active(4));
  EXPECT_EQ(system.refusals, 2);
  EXPECT_THAT(notices, IsEmpty());
}

TEST_F(HotkeySlotsTest, AfterTheLastSlotEveryNewRequestIsToldAndGetsNone) {
  LoadProgramHotkeys();
  for (int i = 0; i < 253; ++i) ASSERT_EQ(Record("Ctrl+Alt+Q"), 3 + i);
  EXPECT_THAT(notices, IsEmpty());
  EXPECT_EQ(Record("Ctrl+Alt+W"), 0);
  EXPECT_EQ(Record("Ctrl+Alt+E"), 0);
  EXPECT_THAT(notices, ElementsAre(kHotkeysExceedLimit, kHotkeysExceedLimit));
  EXPECT_EQ(slots->HotkeySlotHigh(), 257);
  // A named slot still re-keys.
  EXPECT_EQ(Record("Ctrl+Alt+W", 255), 255);
  EXPECT_EQ(*Held(255), (Combination{mod::kCtrl | mod::kAlt, 'W'}));
}

TEST_F(HotkeySlotsTest, ClearingAndDestroyingGiveEveryCombinationBack) {
  LoadProgramHotkeys();
  Record("Ctrl+Alt+Q");
  slots->Clear();
  EXPECT_THAT(system.registered, IsEmpty());
  EXPECT_EQ(slots->HotkeySlotHigh(), 0);
  LoadProgramHotkeys();
  EXPECT_EQ(Record("Ctrl+Alt+Q"), 3);
  EXPECT_EQ(system.registered.size(), 3u);
  slots.reset();
  EXPECT_THAT(system.registered, IsEmpty());
}

}  // namespace
}  // namespace tembric::triggers
