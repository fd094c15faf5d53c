// Identification of windows over a fake desktop, fake version resources and
// a fake DDE server.
#include <gtest/gtest.h>

#include <string>

#include "context/Identification.h"
#include "fakes/FakeDde.h"
#include "fakes/FakeVersionInfo.h"
#include "fakes/FakeWindowSystem.h"

namespace tembric::context {
namespace {

using fakes::FakeVersionInfo;
using platform::kNoWindow;

constexpr const char* kOwnPath = "C:\\Tools\\Tembric\\Tembric.exe";
constexpr const char* kEditorPath = "C:\\Program Files\\Editor\\editor.exe";
constexpr const char* kNotepadPath = "C:\\WINDOWS\\NOTEPAD.EXE";

class IdentificationTest : public testing::Test {
 protected:
  fakes::FakeWindowSystem windows;
  FakeVersionInfo versions;
  fakes::FakeDde dde;
  Identifier identifier{windows, versions, dde, kOwnPath};

  int own = windows.AddProcess(kOwnPath);
  int editor = windows.AddProcess(kEditorPath);
  int notepad = windows.AddProcess(kNotepadPath);
};

TEST_F(IdentificationTest, DialogsAndControlsIdentifyAsTheMainWindowThatOwnsThem) {
  versions.AddDescribed(kEditorPath, "Fine Editor");
  const auto main = windows.AddTopLevel(editor, "EditorFrame", "report.txt - Fine Editor");
  const auto dialog = windows.AddOwned(editor, main, "#32770", "Save As");
  const auto button = windows.AddChild(dialog, "Button", "&Save");
  const auto nested = windows.AddChild(windows.AddChild(main, "Panel"), "Edit");

  for (const auto start : {main, dialog, button, nested}) {
    const auto d = identifier.IdentifyWindow(start);
    ASSERT_TRUE(d.has_value()) << start;
    EXPECT_EQ(d->Wnd, main);
    EXPECT_EQ(d->WinTitle, "report.txt - Fine Editor");
    EXPECT_EQ(d->FileName, "Fine Editor");
    EXPECT_EQ(d->VersionName, "Fine Editor");
    EXPECT_EQ(d->FilePath, "Editor");
    // Only the identification's own fields are filled.
    EXPECT_EQ(d->ID, 0);
    EXPECT_EQ(d->WinType, 0);
  }
}

TEST_F(IdentificationTest, OwnWindowsGiveNothingByTheWholePathLetterCaseIncluded) {
  const auto main = windows.AddTopLevel(own, "TForm1", "Tembric");
  const auto picker = windows.AddOwned(own, main, "TSelWinForm", "Select window");
  EXPECT_FALSE(identifier.IdentifyWindow(main).has_value());
  EXPECT_FALSE(identifier.IdentifyWindow(picker).has_value());
  EXPECT_FALSE(identifier.IdentifyWindow(windows.AddChild(picker, "TButton", "OK")).has_value());

  // The same file spelt differently, or another copy, is not this program.
  const int otherCase = windows.AddProcess("C:\\Tools\\Tembric\\TEMBRIC.EXE");
  const int otherCopy = windows.AddProcess("D:\\Tembric\\Tembric.exe");
  const auto a = identifier.IdentifyWindow(windows.AddTopLevel(otherCase, "TForm1", "Tembric"));
  const auto b = identifier.IdentifyWindow(windows.AddTopLevel(otherCopy, "TForm1", "Tembric"));
  ASSERT_TRUE(a.has_value());
  ASSERT_TRUE(b.has_value());
  EXPECT_EQ(a->FileName, "Tembric");
  EXPECT_EQ(b->FileName, "Tembric");
}

TEST_F(IdentificationTest, ApplicationNameFallsBackFromDescriptionToFileName) {
  // No version resource: named by the executable, stored in capitals.
  const auto plain = identifier.IdentifyWindow(windows.AddTopLevel(notepad, "Notepad", "Untitled - Notepad"));
  ASSERT_TRUE(plain.has_value());
  EXPECT_EQ(plain->VersionName, "");
  EXPECT_EQ(plain->FilePath, "Notepad");
  EXPECT_EQ(plain->FileName, "Notepad");

  // A translation but no description: "n/a" names the application.
  const int bare = windows.AddProcess("C:\\Apps\\Bare.exe");
  versions.AddResource("C:\\Apps\\Bare.exe",
                       {{"\\VarFileInfo\\Translation", FakeVersionInfo::Translation(0x409, 1200)}});
  const auto na = identifier.IdentifyWindow(windows.AddTopLevel(bare, "BareWnd", "Bare"));
  ASSERT_TRUE(na.has_value());
  EXPECT_EQ(na->VersionName, "n/a");
  EXPECT_EQ(na->FileName, "n/a");
  EXPECT_EQ(na->FilePath, "Bare");

  // The executable cannot be read (another user's process): the window is
  // still identified, with its title and handle but no names.
  const int hidden = windows.AddProcess("");
  const auto service = windows.AddTopLevel(hidden, "SvcWnd", "Service");
  const auto unnamed = identifier.IdentifyWindow(service);
  ASSERT_TRUE(unnamed.has_value());
  EXPECT_EQ(unnamed->WinTitle, "Service");
  EXPECT_EQ(unnamed->Wnd, service);
  EXPECT_EQ(unnamed->VersionName, "");
  EXPECT_EQ(unnamed->FilePath, "");
  EXPECT_EQ(unnamed->FileName, "");
}

TEST_F(IdentificationTest, TitlesAreReadThroughA255CharacterBuffer) {
  const std::string longTitle = std::string(200, 'a') + std::string(100, 'b');
  const auto d = identifier.IdentifyWindow(windows.AddTopLevel(editor, "EditorFrame", longTitle));
  ASSERT_TRUE(d.has_value());
  EXPECT_EQ(d->WinTitle, longTitle.substr(0, 254));

  const std::string fits(254, 'x');
  EXPECT_EQ(identifier.IdentifyWindow(windows.AddTopLevel(editor, "EditorFrame", fits))->WinTitle, fits);
}

TEST_F(IdentificationTest, VersionNameUsesTheFirstTranslationAsUpperCaseHexKey) {
  // Two entries, German/ANSI first: its key is asked for.
  versions.AddResource("C:\\de.exe", {{"\\VarFileInfo\\Translation", FakeVersionInfo::Translation(0x0407, 0x04E4) +
                                                                         FakeVersionInfo::Translation(0x0409, 0x04B0)},
                                      {"\\StringFileInfo\\040704E4\\FileDescription", "Textverarbeitung"},
                                      {"\\StringFileInfo\\040904B0\\FileDescription", "Word processor"}});
  EXPECT_EQ(identifier.GetVersionName("C:\\de.exe"), "Textverarbeitung");
  ASSERT_EQ(versions.Queries().size(), 2u);
  EXPECT_EQ(versions.Queries()[0], "\\VarFileInfo\\Translation");
  EXPECT_EQ(versions.Queries()[1], "\\StringFileInfo\\040704E4\\FileDescription");

  // Hex letters of both numbers come out in upper case, language first.
  versions.AddResource("C:\\es.exe", {{"\\VarFileInfo\\Translation", FakeVersionInfo::Translation(0x0C0A, 0xFDE9)}});
  EXPECT_EQ(identifier.GetVersionName("C:\\es.exe"), "n/a");
  EXPECT_EQ(versions.Queries().back(), "\\StringFileInfo\\0C0AFDE9\\FileDescription");
}

TEST_F(IdentificationTest, VersionNameIsEmptyWithoutAUsableTranslation) {
  EXPECT_EQ(identifier.GetVersionName("C:\\none.exe"), "");  // no resource at all
  EXPECT_EQ(versions.ReadPaths(), std::vector<std::string>{"C:\\none.exe"});

  versions.AddResource("C:\\short.exe", {{"\\VarFileInfo\\Translation", std::string("\x09\x04\xB0", 3)},
                                         {"\\StringFileInfo\\040904B0\\FileDescription", "Unreachable"}});
  EXPECT_EQ(identifier.GetVersionName("C:\\short.exe"), "");
  versions.AddResource("C:\\fixedonly.exe", {{"\\", std::string(52, '\0')}});
  EXPECT_EQ(identifier.GetVersionName("C:\\fixedonly.exe"), "");
  // No description was asked for in either case.
  for (const auto& query : versions.Queries()) EXPECT_EQ(query, "\\VarFileInfo\\Translation");
}

TEST_F(IdentificationTest, EmptyDescriptionIsNotApplicableAndLongOnesAreCut) {
  versions.AddDescribed("C:\\empty.exe", "");
  EXPECT_EQ(identifier.GetVersionName("C:\\empty.exe"), "n/a");
  // A description that ends early at a zero is read as far as the zero.
  versions.AddDescribed("C:\\zero.exe", std::string("Viewer\0junk", 11));
  EXPECT_EQ(identifier.GetVersionName("C:\\zero.exe"), "Viewer");
  versions.AddDescribed("C:\\long.exe", std::string(300, 'd'));
  EXPECT_EQ(identifier.GetVersionName("C:\\long.exe"), std::string(255, 'd'));
}

TEST(FilePathFromExecutable, NameAfterLastSeparatorWithoutExtensionCapitalised) {
  EXPECT_EQ(FilePathFromExecutable("C:\\WINDOWS\\NOTEPAD.EXE"), "Notepad");
  EXPECT_EQ(FilePathFromExecutable("C:\\Apps\\my.Tool.V2.exe"), "My.tool.v2");  // only the last extension goes
  EXPECT_EQ(FilePathFromExecutable("D:PROGRAM.EXE"), "Program");                // a drive-relative path
  EXPECT_EQ(FilePathFromExecutable("C:\\dir.v1\\readme"), "Readme");            // dots of folders do not count
  EXPECT_EQ(FilePathFromExecutable("C:\\dir\\.hidden"), "");
  EXPECT_EQ(FilePathFromExecutable("mixedCase.exe"), "Mixedcase");
  EXPECT_EQ(FilePathFromExecutable("7ZFM.EXE"), "7zfm");
  EXPECT_EQ(FilePathFromExecutable(""), "");
  // Only A to Z change case; other bytes (here Windows-1252 "ÄPFEL") stay.
  EXPECT_EQ(FilePathFromExecutable("C:\\\xC4PFEL.EXE"), "\xC4pfel");
  EXPECT_EQ(FilePathFromExecutable("C:\\x\\" + std::string(300, 'N') + ".exe"), "N" + std::string(254, 'n'));
}

TEST_F(IdentificationTest, InternetExplorerAddressFollowsEitherClassPath) {
  const int ie = windows.AddProcess("C:\\Program Files\\Internet Explorer\\iexplore.exe");
  // Early layout: the address box sits in the rebar.
  const auto early = windows.AddTopLevel(ie, "IEFrame", "Start - Microsoft Internet Explorer");
  const auto earlyRebar = windows.AddChild(windows.AddChild(early, "WorkerW"), "ReBarWindow32");
  windows.AddChild(earlyRebar, "ToolbarWindow32", "Links");
  windows.AddChild(earlyRebar, "ComboBoxEx32", "http://early.example/");
  // Later layout: inside an "Address Band Root" band.
  const auto later = windows.AddTopLevel(ie, "IEFrame", "News - Windows Internet Explorer");
  const auto laterRebar = windows.AddChild(windows.AddChild(later, "WorkerW"), "ReBarWindow32");
  windows.AddChild(windows.AddChild(laterRebar, "Address Band Root"), "ComboBoxEx32", "http://later.example/news");

  EXPECT_EQ(identifier.GetIEAddress(early), "http://early.example/");
  EXPECT_EQ(identifier.GetIEAddress(later), "http://later.example/news");

  // The window is found again by its title: a window of another class with
  // the same title leads to the browser's address.
  const auto sameTitle = windows.AddTopLevel(editor, "EditorFrame", "News - Windows Internet Explorer");
  EXPECT_EQ(identifier.GetIEAddress(sameTitle), "http://later.example/news");

  // A second browser window with the first one's title: the first is read.
  const auto twin = windows.AddTopLevel(ie, "IEFrame", "Start - Microsoft Internet Explorer");
  windows.AddChild(windows.AddChild(windows.AddChild(twin, "WorkerW"), "ReBarWindow32"), "ComboBoxEx32",
                   "http://twin.example/");
  EXPECT_EQ(identifier.GetIEAddress(twin), "http://early.example/");

  // The address box is read through a 255-character buffer.
  const auto longAddress = "http://long.example/" + std::string(290, 'p');
  const auto deep = windows.AddTopLevel(ie, "IEFrame", "Long");
  windows.AddChild(windows.AddChild(windows.AddChild(deep, "WorkerW"), "ReBarWindow32"), "ComboBoxEx32", longAddress);
  EXPECT_EQ(identifier.GetIEAddress(deep), longAddress.substr(0, 254));
}

TEST_F(IdentificationTest, InternetExplorerAddressIsEmptyWhenTheLayoutDiffers) {
  const int ie = windows.AddProcess("C:\\iexplore.exe");
  EXPECT_EQ(identifier.GetIEAddress(windows.AddTopLevel(editor, "EditorFrame", "Not a browser")), "");
  EXPECT_EQ(identifier.GetIEAddress(kNoWindow), "");

  const auto noWorker = windows.AddTopLevel(ie, "IEFrame", "No worker");
  windows.AddChild(windows.AddChild(noWorker, "ReBarWindow32"), "ComboBoxEx32", "http://a/");
  EXPECT_EQ(identifier.GetIEAddress(noWorker), "");

  const auto noRebar = windows.AddTopLevel(ie, "IEFrame", "No rebar");
  windows.AddChild(windows.AddChild(noRebar, "WorkerW"), "ComboBoxEx32", "http://b/");
  EXPECT_EQ(identifier.GetIEAddress(noRebar), "");

  // Only direct children count: the box one level too deep is not found.
  const auto tooDeep = windows.AddTopLevel(ie, "IEFrame", "Too deep");
  const auto rebar = windows.AddChild(windows.AddChild(tooDeep, "WorkerW"), "ReBarWindow32");
  windows.AddChild(windows.AddChild(rebar, "ToolbarWindow32"), "ComboBoxEx32", "http://c/");
  windows.AddChild(rebar, "Address Band Root");
  EXPECT_EQ(identifier.GetIEAddress(tooDeep), "");
}

TEST(AddressFromFirefoxReply, TakesTheFirstQuotedField) {
  EXPECT_EQ(AddressFromFirefoxReply("\"http://example.test/page\",\"Example page\",\"\""), "http://example.test/page");
  EXPECT_EQ(AddressFromFirefoxReply("http://bare.example/"), "http://bare.example/");          // no quote: unchanged
  EXPECT_EQ(AddressFromFirefoxReply("junk\"http://open.example/x"), "http://open.example/x");  // one quote
  EXPECT_EQ(AddressFromFirefoxReply("\"\",\"Title\""), "");
  EXPECT_EQ(AddressFromFirefoxReply(""), "");
}

TEST_F(IdentificationTest, FirefoxAddressAsksTheCurrentWindowOverDde) {
  EXPECT_EQ(identifier.GetFirefoxAddress(), "");  // Firefox not running

  dde.Serve("Firefox", "WWW_GetWindowInfo", "0xFFFFFFFF", "\"http://example.test/page\",\"Example page\",\"\"");
  EXPECT_EQ(identifier.GetFirefoxAddress(), "http://example.test/page");
  ASSERT_EQ(dde.Requests().size(), 2u);
  for (const auto& request : dde.Requests()) {
    EXPECT_EQ(request.service, "Firefox");
    EXPECT_EQ(request.topic, "WWW_GetWindowInfo");
    EXPECT_EQ(request.item, "0xFFFFFFFF");
    EXPECT_EQ(request.timeoutMs, 10000u);
  }

  dde.StopAll();
  dde.Serve("Firefox", "WWW_GetWindowInfo", "0xFFFFFFFF", "\"http://x/" + std::string(300, 'q') + "\"");
  EXPECT_EQ(identifier.GetFirefoxAddress().size(), 255u);
}

TEST_F(IdentificationTest, TrackerKeepsThePreviousTargetWhenOurOwnWindowIsInFront) {
  TargetTracker tracker(identifier);
  const auto ours = windows.AddTopLevel(own, "TForm1", "Tembric");
  const auto ourDialog = windows.AddOwned(own, ours, "TRecordForm", "Record");

  // Nothing seen yet, and our own window does not count as seen.
  tracker.Sample(ours);
  EXPECT_EQ(tracker.TargetWindow(), kNoWindow);
  EXPECT_EQ(tracker.TargetInfo(), TWinDescriptor{});

  const auto editorMain = windows.AddTopLevel(editor, "EditorFrame", "notes.txt");
  tracker.Sample(windows.AddOwned(editor, editorMain, "#32770", "Find"));
  EXPECT_EQ(tracker.TargetWindow(), editorMain);
  const TWinDescriptor seen = tracker.TargetInfo();
  EXPECT_EQ(seen.WinTitle, "notes.txt");

  // The notification area, where the user clicks our tray icon, is skipped
  // like our own windows; another window of the shell's process is not.
  const auto taskbar = windows.AddTopLevel(notepad, "Shell_TrayWnd", "");
  const auto wineTray = windows.AddTopLevel(notepad, "__winex11_standalone_tray", "Wine System Tray");
  for (const auto front : {ours, ourDialog, kNoWindow, taskbar, wineTray}) {
    tracker.Sample(front);
    EXPECT_EQ(tracker.TargetInfo(), seen) << front;
  }

  const auto pad = windows.AddTopLevel(notepad, "Notepad", "Untitled - Notepad");
  tracker.Sample(pad);
  EXPECT_EQ(tracker.TargetWindow(), pad);
  EXPECT_EQ(tracker.TargetInfo().FileName, "Notepad");
}

TEST(NoWindowSystem, FindsNothingSoIdentificationIsEmpty) {
  FakeVersionInfo versions;
  fakes::FakeDde dde;
  Identifier identifier(platform::NoWindowSystem(), versions, dde, kOwnPath);
  EXPECT_EQ(platform::NoWindowSystem().ForegroundWindow(), kNoWindow);
  const auto d = identifier.IdentifyWindow(0x1234);
  ASSERT_TRUE(d.has_value());
  EXPECT_EQ(d->Wnd, 0x1234u);
  EXPECT_EQ(d->WinTitle, "");
  EXPECT_EQ(d->FileName, "");
  EXPECT_EQ(identifier.GetIEAddress(0x1234), "");
}

}  // namespace
}  // namespace tembric::context
