// The window picker over a fake desktop: which windows are listed and in
// what order, and what a showing resets.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "context/Identification.h"
#include "editing/WindowPicker.h"
#include "fakes/FakeDde.h"
#include "fakes/FakeVersionInfo.h"
#include "fakes/FakeWindowSystem.h"

namespace tembric::editing {
namespace {

constexpr const char* kOwnPath = "C:\\Tools\\Tembric\\Tembric.exe";
constexpr const char* kEditorPath = "C:\\Program Files\\Editor\\editor.exe";

using Listed = std::vector<std::pair<std::string, std::string>>;  // application, title

class WindowPickerTest : public testing::Test {
 protected:
  WindowPickerTest() { versions.AddDescribed(kEditorPath, "Fine Editor"); }

  Listed Shown() {
    picker.Show();
    Listed listed;
    for (const PickerRow& row : picker.Rows()) {
      listed.emplace_back(row.Application(), row.Title());
      EXPECT_FALSE(row.checked);
    }
    return listed;
  }

  fakes::FakeWindowSystem windows;
  fakes::FakeVersionInfo versions;
  fakes::FakeDde dde;
  context::Identifier identifier{windows, versions, dde, kOwnPath};
  WindowPicker picker{windows, identifier};

  int own = windows.AddProcess(kOwnPath);
  int editor = windows.AddProcess(kEditorPath);
  int notepad = windows.AddProcess("C:\\WINDOWS\\NOTEPAD.EXE");
  int explorer = windows.AddProcess("C:\\WINDOWS\\explorer.exe");
  int unreadable = windows.AddProcess("");
};

TEST_F(WindowPickerTest, ListsVisibleTitledWindowsOfOtherProgramsFrontToBackOncePerApplicationAndTitle) {
  // Each window is created in front of the ones before it.
  const auto main = windows.AddTopLevel(editor, "EditorFrame", "report.txt - Fine Editor");
  const auto find = windows.AddOwned(editor, main, "#32770", "Find");  // identified as its owner
  windows.AddTopLevel(notepad, "Notepad", "Untitled - Notepad");
  windows.AddTopLevel(notepad, "Notepad", "UNTITLED - NOTEPAD");  // differs only in letter case
  windows.AddTopLevel(notepad, "Notepad", "");
  windows.SetVisible(windows.AddTopLevel(notepad, "Notepad", "hidden.txt - Notepad"), false);
  windows.AddTopLevel(own, "TForm1", "Tembric");
  windows.AddTopLevel(unreadable, "Secret", "Another user's window");
  windows.AddTopLevel(explorer, "Progman", "Program Manager");
  windows.AddTopLevel(explorer, "TaskManagerWindow", "Windows TaskManager");
  windows.AddTopLevel(explorer, "CabinetWClass", "program manager");  // only the exact title is the desktop

  EXPECT_EQ(Shown(), (Listed{{"Explorer", "program manager"},
                             {"Notepad", "UNTITLED - NOTEPAD"},
                             {"Fine Editor", "report.txt - Fine Editor"}}));
  EXPECT_EQ(picker.Rows().back().window, find);
  EXPECT_EQ(picker.Rows().back().descriptor.Wnd, main);

  // Activating a window brings it, with the windows it owns, to the front.
  windows.SetForeground(main);
  EXPECT_EQ(Shown(), (Listed{{"Fine Editor", "report.txt - Fine Editor"},
                             {"Explorer", "program manager"},
                             {"Notepad", "UNTITLED - NOTEPAD"}}));
}

TEST_F(WindowPickerTest, AFillingReadsEachProgramsExecutableAndVersionOnceAndTheNextOneReadsAfresh) {
  for (const char* title : {"a - Notepad", "b - Notepad", "c - Notepad"})
    windows.AddTopLevel(notepad, "Notepad", title);
  windows.AddTopLevel(editor, "EditorFrame", "a.txt - Fine Editor");
  ASSERT_EQ(Shown().size(), 4u);
  EXPECT_EQ(windows.ExecutableQueries(), 2);
  EXPECT_EQ(versions.ReadPaths(), (std::vector<std::string>{kEditorPath, "C:\\WINDOWS\\NOTEPAD.EXE"}));
  Shown();  // a program may have been updated or a process id reused in between
  EXPECT_EQ(windows.ExecutableQueries(), 4);
  EXPECT_EQ(versions.ReadPaths().size(), 4u);
  // Outside a filling every identification asks again.
  identifier.IdentifyWindow(picker.Rows().front().window);
  identifier.IdentifyWindow(picker.Rows().front().window);
  EXPECT_EQ(windows.ExecutableQueries(), 6);
}

TEST_F(WindowPickerTest, AWindowIsVisibleOnlyWithItsParents) {
  const auto main = windows.AddTopLevel(editor, "EditorFrame", "a.txt - Fine Editor");
  const auto child = windows.AddChild(main, "Edit");
  EXPECT_TRUE(windows.IsVisible(child));
  windows.SetVisible(main, false);
  EXPECT_FALSE(windows.IsVisible(child));
  EXPECT_EQ(windows.TopLevelWindows(), std::vector<platform::WindowHandle>{main});
}

TEST_F(WindowPickerTest, EachShowingStartsAfreshAndOnlyTheOwnModeEnablesAMaskBox) {
  windows.AddTopLevel(editor, "EditorFrame", "a.txt - Fine Editor");
  const auto second = windows.AddTopLevel(notepad, "Notepad", "b.txt - Notepad");
  picker.Show();
  picker.SetChecked(0, true);
  picker.SetTitleMask("*.txt*");
  picker.SetAddressMask("*example*");

  const struct {
    MapMode mode;
    bool titleMask, addressMask;
  } modes[] = {{MapMode::WholeApplication, false, false},
               {MapMode::SelectedTitle, false, false},
               {MapMode::TitleMask, true, false},
               {MapMode::WebAddress, false, true}};
  for (const auto& m : modes) {
    picker.SetMode(m.mode);
    EXPECT_EQ(picker.TitleMaskEnabled(), m.titleMask) << static_cast<int>(m.mode);
    EXPECT_EQ(picker.AddressMaskEnabled(), m.addressMask) << static_cast<int>(m.mode);
    EXPECT_EQ(picker.TitleMask(), "*.txt*");  // a disabled box keeps its text
  }

  windows.SetVisible(second, false);
  EXPECT_EQ(Shown(), (Listed{{"Fine Editor", "a.txt - Fine Editor"}}));
  EXPECT_EQ(picker.Mode(), MapMode::WholeApplication);
  EXPECT_EQ(picker.TitleMask(), "");
  EXPECT_EQ(picker.AddressMask(), "");
}

TEST_F(WindowPickerTest, TheResultCarriesTheModeTheMasksAndTheCheckedDescriptorsInListOrder) {
  const auto a = windows.AddTopLevel(editor, "EditorFrame", "a.txt - Fine Editor");
  windows.AddTopLevel(notepad, "Notepad", "b.txt - Notepad");
  const auto c = windows.AddTopLevel(explorer, "CabinetWClass", "Documents");
  picker.Show();
  picker.SetChecked(2, true);
  picker.SetChecked(0, true);
  picker.SetMode(MapMode::TitleMask);
  picker.SetTitleMask("*.txt");

  const PickerResult result = picker.TakeResult();
  EXPECT_EQ(result.mode, MapMode::TitleMask);
  EXPECT_EQ(result.titleMask, "*.txt");
  EXPECT_EQ(result.addressMask, "");
  ASSERT_EQ(result.checked.size(), 2u);
  EXPECT_EQ(result.checked[0].Wnd, c);
  EXPECT_EQ(result.checked[0].FileName, "Explorer");
  EXPECT_EQ(result.checked[1].Wnd, a);
  EXPECT_EQ(result.checked[1].WinTitle, "a.txt - Fine Editor");
  EXPECT_EQ(result.checked[1].VersionName, "Fine Editor");
  EXPECT_EQ(result.checked[1].FilePath, "Editor");
}

}  // namespace
}  // namespace tembric::editing
