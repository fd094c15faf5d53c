// Window identification on the real platform: starts the helper programs of
// tests/wine/apps (target applications with and without version resources,
// a stand-in Internet Explorer window, a stand-in Firefox DDE server), waits
// for their windows, and identifies them through the Windows window system,
// version resources and DDE client. Prints every failed check and exits with
// 1 when there is one.

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "context/Identification.h"
#include "platform/Dde.h"
#include "platform/VersionInfo.h"
#include "platform/WindowSystem.h"
#include "platform/win32/Win32Platform.h"

namespace {

using tembric::context::Identifier;
using tembric::context::TargetTracker;
using tembric::context::TWinDescriptor;
using tembric::platform::WindowHandle;
namespace win32 = tembric::platform::win32;

constexpr DWORD kReadyTimeoutMs = 10000;

int g_checks = 0;
int g_failures = 0;

void Check(bool ok, const std::string& what) {
  ++g_checks;
  if (ok) return;
  ++g_failures;
  std::printf("FAIL %s\n", what.c_str());
}

void CheckEq(const std::string& got, const std::string& want, const std::string& what) {
  Check(got == want, what + ": got \"" + got + "\", want \"" + want + "\"");
}

WindowHandle H(HWND window) { return reinterpret_cast<WindowHandle>(window); }

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\') + 1); }

// A helper program started for the check and ended with it.
class Helper {
 public:
  // The ready file's path goes first on the command line, after
  // `readyOption` when there is one.
  Helper(std::string name, const std::string& exe, const std::vector<std::string>& args, const std::string& workFolder,
         const std::string& readyOption = "")
      : name_(std::move(name)),
        path_(FolderOf(win32::OwnExecutablePath()) + exe),
        ready_(workFolder + name_ + ".ready") {
    std::string commandLine =
        "\"" + path_ + "\"" + (readyOption.empty() ? "" : " " + readyOption) + " \"" + ready_ + "\"";
    for (const auto& arg : args) commandLine += " \"" + arg + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(path_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process_))
      throw std::runtime_error("cannot start " + path_ + " (error " + std::to_string(GetLastError()) + ")");
  }
  ~Helper() {
    Stop();
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  Helper(const Helper&) = delete;
  Helper& operator=(const Helper&) = delete;

  const std::string& path() const { return path_; }

  // The "name=value" lines of the ready file, once the helper wrote it.
  std::map<std::string, std::string> WaitReady() {
    const ULONGLONG deadline = GetTickCount64() + kReadyTimeoutMs;
    for (;;) {
      if (FILE* file = std::fopen(ready_.c_str(), "rb")) {
        std::map<std::string, std::string> values;
        char line[512];
        while (std::fgets(line, sizeof line, file)) {
          std::string text(line);
          while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
          const auto eq = text.find('=');
          if (eq != std::string::npos) values[text.substr(0, eq)] = text.substr(eq + 1);
        }
        std::fclose(file);
        return values;
      }
      if (WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0)
        throw std::runtime_error(name_ + " ended before it was ready");
      if (GetTickCount64() > deadline) throw std::runtime_error(name_ + " not ready within the time limit");
      PumpFor(20);
    }
  }

  HWND Window(const std::map<std::string, std::string>& ready, const std::string& key) {
    const auto it = ready.find(key);
    if (it == ready.end()) throw std::runtime_error(name_ + " did not announce " + key);
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(std::strtoull(it->second.c_str(), nullptr, 10)));
  }

  // Asks the helper to end and waits for it; a helper that does not end in
  // time is terminated, and that counts as a failure.
  void Stop() {
    if (stopped_) return;
    stopped_ = true;
    PostThreadMessageA(process_.dwThreadId, WM_QUIT, 0, 0);
    const ULONGLONG deadline = GetTickCount64() + 5000;
    while (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0) {
      if (GetTickCount64() > deadline) {
        Check(false, name_ + " ended when asked");
        TerminateProcess(process_.hProcess, 9);
        WaitForSingleObject(process_.hProcess, 5000);
        return;
      }
      PumpFor(20);
    }
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    Check(code == 0, name_ + " exit code " + std::to_string(code));
  }

  // Handles our own windows' messages while waiting: other processes' DDE
  // initiation is sent to every top-level window, ours included.
  static void PumpFor(DWORD ms) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }

 private:
  std::string name_;
  std::string path_;
  std::string ready_;
  PROCESS_INFORMATION process_{};
  bool stopped_ = false;
};

std::string MakeWorkFolder() {
  char temp[MAX_PATH + 1];
  const DWORD n = GetTempPathA(sizeof temp, temp);
  if (n == 0 || n > MAX_PATH) throw std::runtime_error("no temporary folder");
  const std::string folder = std::string(temp) + "identify_check." + std::to_string(GetCurrentProcessId()) + "\\";
  if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
    throw std::runtime_error("cannot create " + folder);
  return folder;
}

void CheckDescriptor(const std::optional<TWinDescriptor>& got, HWND wnd, const std::string& title,
                     const std::string& fileName, const std::string& versionName, const std::string& filePath,
                     const std::string& what) {
  Check(got.has_value(), what + ": identified");
  if (!got) return;
  Check(got->Wnd == H(wnd), what + ": Wnd is the main window");
  CheckEq(got->WinTitle, title, what + ": WinTitle");
  CheckEq(got->FileName, fileName, what + ": FileName");
  CheckEq(got->VersionName, versionName, what + ": VersionName");
  CheckEq(got->FilePath, filePath, what + ": FilePath");
}

LRESULT CALLBACK OwnWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

int Run() {
  const std::string ownPath = win32::OwnExecutablePath();
  Identifier identifier(tembric::platform::RealWindowSystem(), tembric::platform::RealVersionInfo(),
                        tembric::platform::RealDdeClient(), ownPath);
  const std::string work = MakeWorkFolder();

  // Our own windows: a main window, a dialog-like pop-up it owns, a child.
  WNDCLASSA wc{};
  wc.lpfnWndProc = OwnWindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "IdentifyCheckOwn";
  if (!RegisterClassA(&wc)) throw std::runtime_error("RegisterClass");
  HWND ownMain = CreateWindowExA(0, "IdentifyCheckOwn", "Identify check", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300,
                                 200, nullptr, nullptr, wc.hInstance, nullptr);
  HWND ownPopup = CreateWindowExA(0, "IdentifyCheckOwn", "Own pop-up", WS_POPUP | WS_CAPTION | WS_VISIBLE, 20, 20, 200,
                                  100, ownMain, nullptr, wc.hInstance, nullptr);
  HWND ownChild = CreateWindowExA(0, "BUTTON", "Own button", WS_CHILD | WS_VISIBLE, 5, 5, 80, 20, ownPopup, nullptr,
                                  wc.hInstance, nullptr);
  if (!ownMain || !ownPopup || !ownChild) throw std::runtime_error("CreateWindow own");

  // Firefox not running: no conversation, and no waiting for the time-out.
  {
    const ULONGLONG start = GetTickCount64();
    CheckEq(identifier.GetFirefoxAddress(), "", "Firefox address without a server");
    Check(GetTickCount64() - start < 5000, "no server is noticed without waiting for the time-out");
  }

  // All helpers start at once; each is waited for below.
  const std::string longTitle = "Tembric target, described " + std::string(300 - 26, '#');
  Helper described("described", "TembricTarget.exe", {"Tembric target, described"}, work, "-ready");
  Helper noVersion("noversion", "NOVERSION.EXE", {"Tembric target, no version"}, work, "-ready");
  Helper noDescription("nodescription", "NoDescription.exe", {"Tembric target, no description"}, work, "-ready");
  Helper ieEarly("ie-early", "FakeIE.exe", {"Start - Microsoft Internet Explorer", "http://early.example.test/"}, work);
  Helper ieLater("ie-later", "FakeIE.exe",
                 {"News - Windows Internet Explorer", "http://later.example.test/news?id=7", "band"}, work);

  const auto describedReady = described.WaitReady();
  HWND describedMain = described.Window(describedReady, "main");
  HWND describedDialog = described.Window(describedReady, "dialog");
  HWND describedButton = described.Window(describedReady, "button");
  const auto noVersionReady = noVersion.WaitReady();
  HWND noVersionMain = noVersion.Window(noVersionReady, "main");
  HWND noVersionDialog = noVersion.Window(noVersionReady, "dialog");
  HWND noDescriptionMain = noDescription.Window(noDescription.WaitReady(), "main");
  HWND ieEarlyMain = ieEarly.Window(ieEarly.WaitReady(), "main");
  HWND ieLaterMain = ieLater.Window(ieLater.WaitReady(), "main");

  // The executable behind a window: the file the helper was started from.
  Check(lstrcmpiA(identifier.GetExeFileName(H(describedMain)).c_str(), described.path().c_str()) == 0,
        "GetExeFileName gives " + identifier.GetExeFileName(H(describedMain)) + " for " + described.path());
  CheckEq(identifier.GetExeFileName(H(ownMain)), ownPath, "GetExeFileName of our own window");

  // A described application: main window, its owned dialog, a control.
  for (const auto& [window, what] : {std::pair{describedMain, "main window"},
                                     std::pair{describedDialog, "owned dialog"}, std::pair{describedButton, "button"}})
    CheckDescriptor(identifier.IdentifyWindow(H(window)), describedMain, "Tembric target, described",
                    "Tembric Test Target", "Tembric Test Target", "Tembrictarget", std::string("described, ") + what);
  CheckEq(identifier.GetVersionName(described.path()), "Tembric Test Target", "GetVersionName of the described");

  CheckDescriptor(identifier.IdentifyWindow(H(noVersionDialog)), noVersionMain, "Tembric target, no version",
                  "Noversion", "", "Noversion", "no version resource, owned dialog");
  CheckDescriptor(identifier.IdentifyWindow(H(noDescriptionMain)), noDescriptionMain, "Tembric target, no description",
                  "n/a", "n/a", "Nodescription", "translation without description");

  // A 300-character title is read as its first 254 characters.
  SetWindowTextA(describedMain, longTitle.c_str());
  {
    const auto got = identifier.IdentifyWindow(H(describedDialog));
    Check(got && got->WinTitle == longTitle.substr(0, 254),
          "300-character title cut to 254, got " + std::to_string(got ? got->WinTitle.size() : 0) + " characters");
  }
  SetWindowTextA(describedMain, "Tembric target, described");

  // Our own windows give nothing, and the target stays on what was seen.
  Check(!identifier.IdentifyWindow(H(ownMain)), "our main window gives nothing");
  Check(!identifier.IdentifyWindow(H(ownPopup)), "our owned pop-up gives nothing");
  Check(!identifier.IdentifyWindow(H(ownChild)), "our child window gives nothing");
  {
    TargetTracker tracker(identifier);
    tracker.Sample(H(describedDialog));
    Check(tracker.TargetWindow() == H(describedMain), "tracker takes the other application's main window");
    tracker.Sample(H(ownPopup));
    Check(tracker.TargetWindow() == H(describedMain), "tracker keeps the target when our pop-up is in front");
    SetForegroundWindow(ownMain);
    const WindowHandle front = tembric::platform::RealWindowSystem().ForegroundWindow();
    Check(front == H(ownMain), "our main window is in front after SetForegroundWindow");
    tracker.Sample(front);
    CheckEq(tracker.TargetInfo().FileName, "Tembric Test Target", "tracker keeps the target's name");
  }

  // Internet Explorer's address box, in either layout.
  CheckEq(identifier.GetIEAddress(H(ieEarlyMain)), "http://early.example.test/", "address box in the rebar");
  CheckEq(identifier.GetIEAddress(H(ieLaterMain)), "http://later.example.test/news?id=7",
          "address box in the address band");
  CheckEq(identifier.GetIEAddress(H(describedMain)), "", "no address for a window that is not a browser");

  // Firefox's address over DDE, while the server runs and after it ended.
  {
    Helper firefox("dde", "FakeFirefoxDde.exe", {}, work);
    firefox.WaitReady();
    const ULONGLONG start = GetTickCount64();
    CheckEq(identifier.GetFirefoxAddress(), "http://example.test/page", "Firefox address with the server running");
    Check(GetTickCount64() - start < 5000, "the server answered well within the time-out");
    firefox.Stop();
    CheckEq(identifier.GetFirefoxAddress(), "", "Firefox address after the server ended");
  }

  // Windows of an ended process: their executable can no longer be read.
  described.Stop();
  ieEarly.Stop();
  CheckEq(identifier.GetExeFileName(H(describedMain)), "", "executable of a window that is gone");
  CheckEq(identifier.GetIEAddress(H(ieEarlyMain)), "", "address of a browser window that is gone");

  DestroyWindow(ownMain);
  return 0;
}

}  // namespace

int main() {
  try {
    Run();
  } catch (const std::exception& e) {
    std::printf("FAIL %s\n", e.what());
    ++g_failures;
  }
  std::printf("%d checks, %d failed\n", g_checks, g_failures);
  return g_failures == 0 ? 0 : 1;
}
