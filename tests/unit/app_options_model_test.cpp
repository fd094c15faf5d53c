// The options dialog's logic: the settings file into the model, OK with the
// changed keys written (and only those), the result 1 only after a write, and
// the refusal of a hotkey that a record already holds.
#include <gtest/gtest.h>

#include <string>

#include "app/OptionsModel.h"
#include "app/SettingsFile.h"
#include "fakes/FakeHotkeyPlatform.h"
#include "fakes/ScriptedFileSystem.h"

namespace tembric::app {
namespace {

using fakes::ScriptedFileSystem;
const std::string kPath = "C:\\Tembric\\Tembric.ini";

class OptionsModelTest : public ::testing::Test {
 protected:
  void Given(std::string_view text) { fs.Put(kPath, text); }
  std::string File() const { return fs.Text(kPath).value_or("<no file>"); }
  OptionsDialogLogic Logic() { return OptionsDialogLogic(settings, {"Ctrl+Alt+K", "shift+F5", ""}, names); }

  ScriptedFileSystem fs;
  SettingsFile settings{fs, kPath};
  fakes::FakeHotkeyPlatform names;
};

TEST_F(OptionsModelTest, TheModelShowsWhatTheProgramReadsWithTheDefaultsForMissingKeys) {
  Given("[Basic]\r\nDBVersion=11\r\n");
  EXPECT_EQ(ReadOptions(settings), OptionsValues{});

  Given(
      "[Basic]\r\nTranspEnabled=1\r\nTranspValue=300\r\nShowIcon=0\r\nInactiveMinutes=$A\r\nInactiveCollapse=0\r\n"
      "TrackKeystroke=0\r\nRestoreText=0\r\nNewContent=Clip\r\nAutoPaste=false\r\n"
      "[Hot keys]\r\nShow=Alt+Ctrl+Q\r\nNew=\r\n");
  const OptionsValues read = ReadOptions(settings);
  EXPECT_TRUE(read.translucent);
  EXPECT_EQ(read.opacity, 44);  // the low 8 bits, as the window is made
  EXPECT_FALSE(read.trayIcon);
  EXPECT_EQ(read.inactiveMinutes, 10);
  EXPECT_FALSE(read.inactiveCollapse);
  EXPECT_FALSE(read.trackKeystroke);
  EXPECT_FALSE(read.restoreText);
  EXPECT_EQ(read.newContent, "Clip");
  EXPECT_TRUE(read.autoPaste);  // "false" is no number: the default
  EXPECT_EQ(read.showHotkey, "Alt+Ctrl+Q");
  EXPECT_EQ(read.newHotkey, "");
}

TEST_F(OptionsModelTest, OkWritesTheChangedKeysOnlyAndTheResultIsOneOnlyAfterAWrite) {
  const std::string file = "[Basic]\r\nDBVersion=11\r\nTranspValue=0x80\r\n[Hot keys]\r\nShow=alt+ctrl+z\r\n";
  struct Case {
    const char* name;
    void (*change)(OptionsValues&);
    const char* written;  // the file after OK
  };
  const Case cases[] = {
      {"nothing changed", [](OptionsValues&) {}, ""},
      {"the same hotkey in another spelling", [](OptionsValues& v) { v.showHotkey = "Ctrl+Alt+Z"; }, ""},
      {"translucency", [](OptionsValues& v) { v.translucent = true; },
       "[Basic]\r\nDBVersion=11\r\nTranspValue=0x80\r\nTranspEnabled=1\r\n[Hot keys]\r\nShow=alt+ctrl+z\r\n"},
      {"opacity", [](OptionsValues& v) { v.opacity = 200; },
       "[Basic]\r\nDBVersion=11\r\nTranspValue=200\r\n[Hot keys]\r\nShow=alt+ctrl+z\r\n"},
      {"the Show hotkey", [](OptionsValues& v) { v.showHotkey = "Ctrl+Alt+Q"; },
       "[Basic]\r\nDBVersion=11\r\nTranspValue=0x80\r\n[Hot keys]\r\nShow=Ctrl+Alt+Q\r\n"},
      {"no New hotkey", [](OptionsValues& v) { v.newHotkey = ""; },
       "[Basic]\r\nDBVersion=11\r\nTranspValue=0x80\r\n[Hot keys]\r\nShow=alt+ctrl+z\r\nNew=\r\n"},
      {"the rest",
       [](OptionsValues& v) {
         v.trayIcon = false;
         v.inactiveMinutes = 2;
         v.inactiveCollapse = false;
         v.trackKeystroke = false;
         v.restoreText = false;
         v.newContent = "Text";
         v.autoPaste = false;
       },
       "[Basic]\r\nDBVersion=11\r\nTranspValue=0x80\r\nShowIcon=0\r\nInactiveMinutes=2\r\nInactiveCollapse=0\r\n"
       "TrackKeystroke=0\r\nRestoreText=0\r\nNewContent=Text\r\nAutoPaste=0\r\n[Hot keys]\r\nShow=alt+ctrl+z\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Given(file);
    OptionsDialogLogic logic = Logic();
    OptionsValues chosen = logic.Initial();
    c.change(chosen);
    EXPECT_EQ(logic.Ok(chosen), "");
    const bool changed = *c.written != '\0';
    EXPECT_EQ(File(), changed ? std::string(c.written) : file);
    EXPECT_EQ(logic.Result(), changed ? 1 : 0);
    if (changed) {
      EXPECT_EQ(ReadOptions(settings), chosen);
    }
  }
}

TEST_F(OptionsModelTest, AHotkeyARecordHoldsIsRefusedWithALineAndNothingIsWritten) {
  struct Case {
    const char* show;
    const char* newKey;
    const char* line;  // "" when accepted
  };
  const Case cases[] = {
      {"Ctrl+Alt+K", "Ctrl+Alt+N", "Ctrl+Alt+K is already the hotkey of a record: choose another Show hotkey."},
      {"Ctrl+Alt+Z", "Shift+F5", "Shift+F5 is already the hotkey of a record: choose another New hotkey."},
      {"Alt+Ctrl+k", "Ctrl+Alt+N", "Alt+Ctrl+k is already the hotkey of a record: choose another Show hotkey."},
      {"Ctrl+Alt+N", "Ctrl+Alt+N", "The Show and New hotkeys must differ."},
      {"Ctrl+Alt+Q", "Ctrl+Alt+N", ""},
      {"", "Ctrl+Alt+N", ""},  // no hotkey is never a record's
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.show + std::string(" / ") + c.newKey);
    Given("[Basic]\r\nDBVersion=11\r\n");
    OptionsDialogLogic logic = Logic();
    OptionsValues chosen = logic.Initial();
    chosen.translucent = true;
    chosen.showHotkey = c.show;
    chosen.newHotkey = c.newKey;
    EXPECT_EQ(logic.Ok(chosen), c.line);
    const bool accepted = *c.line == '\0';
    EXPECT_EQ(logic.Result(), accepted ? 1 : 0);
    EXPECT_EQ(File() == "[Basic]\r\nDBVersion=11\r\n", !accepted);
  }
}

TEST_F(OptionsModelTest, AHotkeyLeftAsItWasIsNotRefusedEvenWhenARecordHoldsItToo) {
  Given("[Hot keys]\r\nShow=Ctrl+Alt+K\r\n");
  OptionsDialogLogic logic = Logic();
  OptionsValues chosen = logic.Initial();
  chosen.restoreText = false;
  EXPECT_EQ(logic.Ok(chosen), "");
  EXPECT_EQ(logic.Result(), 1);
}

TEST_F(OptionsModelTest, TheMinutesAreAWholeNumberAndAWriteTheSystemRefusesIsALine) {
  std::int32_t minutes = 0;
  EXPECT_TRUE(ParseMinutes(" 12 ", minutes));
  EXPECT_EQ(minutes, 12);
  for (const char* bad : {"", "0", "-3", "1.5", "abc", "10000"}) EXPECT_FALSE(ParseMinutes(bad, minutes)) << bad;

  Given("[Basic]\r\nDBVersion=11\r\n");
  OptionsDialogLogic logic = Logic();
  OptionsValues chosen = logic.Initial();
  chosen.inactiveMinutes = 0;
  EXPECT_EQ(logic.Ok(chosen), OptionsDialogLogic::BadMinutesText());

  chosen.inactiveMinutes = 3;
  fs.Refuse(ScriptedFileSystem::Op::kReplace);
  fs.Refuse(ScriptedFileSystem::Op::kWriteAndFlush);
  EXPECT_EQ(logic.Ok(chosen).rfind("Unable to write to " + kPath, 0), 0u);
  EXPECT_EQ(logic.Result(), 0);
}

}  // namespace
}  // namespace tembric::app
