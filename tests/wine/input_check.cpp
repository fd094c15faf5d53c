// Key synthesis against the real input queue: a window of our own with an
// edit box in the foreground receives what the paste action sends. Backspace
// presses erase characters, the Ctrl+V sequence pastes the clipboard's text,
// and each event arrives as the plain key with its own scan code. For
// comparison, the same events sent with flag 4 (KEYEVENTF_UNICODE) and the
// scan code of Ctrl are printed, not checked: that is what the plain presses
// replace. Exit code 0 when every check passed.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Input.h"

namespace {

int failures = 0;

void Check(bool ok, const std::string& what) {
  std::printf("%s: %s\n", ok ? "ok  " : "FAIL", what.c_str());
  if (!ok) ++failures;
}

struct Seen {
  UINT message;
  WPARAM key;
  UINT scan;
};
std::vector<Seen> seen;
WNDPROC editProc = nullptr;

LRESULT CALLBACK RecordingEdit(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_KEYDOWN || msg == WM_KEYUP || msg == WM_CHAR)
    seen.push_back({msg, wp, static_cast<UINT>((lp >> 16) & 0xFF)});
  return CallWindowProcA(editProc, hwnd, msg, wp, lp);
}

// Handles messages until `done` or about two seconds have passed.
template <typename F>
bool PumpUntil(F done) {
  const ULONGLONG end = GetTickCount64() + 2000;
  MSG msg;
  while (GetTickCount64() < end) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (done()) return true;
    Sleep(5);
  }
  return done();
}

std::string TextOf(HWND edit) {
  char buffer[256] = {};
  GetWindowTextA(edit, buffer, sizeof buffer);
  return buffer;
}

void SetClipboardText(HWND owner, const char* text) {
  for (int i = 0; i < 100 && !OpenClipboard(owner); ++i) Sleep(10);
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, std::strlen(text) + 1);
  std::memcpy(GlobalLock(block), text, std::strlen(text) + 1);
  GlobalUnlock(block);
  if (!SetClipboardData(CF_TEXT, block)) GlobalFree(block);
  CloseClipboard();
}

constexpr DWORD kWrongText = 100000;

// The child process: how long it took to open the clipboard and read its
// text as CF_UNICODETEXT, in ms, or kWrongText when the text is not "placed".
int ReadClipboard() {
  const ULONGLONG start = GetTickCount64();
  for (int i = 0; i < 500 && !OpenClipboard(nullptr); ++i) Sleep(5);
  std::string text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      for (const wchar_t* p = chars; *p; ++p) text += static_cast<char>(*p);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text == "placed" ? static_cast<int>(GetTickCount64() - start) : static_cast<int>(kWrongText);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--read-clipboard") == 0) return ReadClipboard();
  using tembric::platform::KeyEvent;
  namespace vk = tembric::platform::vk;
  tembric::platform::Input& input = tembric::platform::RealInput();

  HWND window = CreateWindowExA(0, "STATIC", "input_check", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 120, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
  HWND edit = CreateWindowExA(0, "EDIT", "hello", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 5, 5, 280, 24, window,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
  editProc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingEdit)));
  input.SetForegroundWindow(reinterpret_cast<tembric::platform::WindowHandle>(window));
  SetFocus(edit);
  SendMessageA(edit, EM_SETSEL, 5, 5);
  Check(PumpUntil([&] { return GetForegroundWindow() == window && GetFocus() == edit; }),
        "the test window is in the foreground with the edit focused");
  // What the paste checks before its keys: the foreground window and the
  // thread that made a window (here the window and its edit alike).
  const auto handle = [](HWND w) { return reinterpret_cast<tembric::platform::WindowHandle>(w); };
  Check(input.ForegroundWindow() == handle(window), "ForegroundWindow gives the test window");
  Check(input.ThreadOf(handle(window)) == GetCurrentThreadId() && input.ThreadOf(handle(edit)) == GetCurrentThreadId(),
        "ThreadOf gives the creating thread for the window and its child");
  Check(input.ThreadOf(tembric::platform::kNoWindow) == 0, "ThreadOf gives 0 for no window");

  const std::uint16_t back = input.ScanCodeOf(vk::kBack);
  const std::uint16_t ctrl = input.ScanCodeOf(vk::kControl);
  const std::uint16_t v = input.ScanCodeOf(vk::kV);
  Check(back != 0 && ctrl != 0 && v != 0 && back != ctrl, "Backspace, Ctrl and V have scan codes of their own");

  // Two Backspace presses erase two characters.
  seen.clear();
  for (int i = 0; i < 2; ++i) {
    input.SendKey({vk::kBack, back, false});
    input.SendKey({vk::kBack, back, true});
  }
  const bool erased = PumpUntil([&] { return TextOf(edit) == "hel"; });
  Check(erased, "two Backspaces erase two characters (\"hello\" -> \"" + TextOf(edit) + "\")");
  bool plain = !seen.empty();
  for (const Seen& s : seen)
    if (s.message != WM_CHAR && (s.key != VK_BACK || s.scan != back)) plain = false;
  Check(plain, "Backspace arrives as VK_BACK with its own scan code");

  // Ctrl+V pastes the clipboard's text.
  SetClipboardText(window, " world");
  seen.clear();
  input.SendKey({vk::kControl, ctrl, false});
  input.SendKey({vk::kV, v, false});
  input.SendKey({vk::kV, v, true});
  input.SendKey({vk::kControl, ctrl, true});
  const bool pasted = PumpUntil([&] { return TextOf(edit) == "hel world"; });
  Check(pasted, "Ctrl+V pastes the clipboard (\"" + TextOf(edit) + "\")");
  bool sawV = false;
  for (const Seen& s : seen)
    if (s.message == WM_KEYDOWN && s.key == 'V' && s.scan == v) sawV = true;
  Check(sawV, "V arrives as a key press with its own scan code");
  input.RefreshKeyState();
  Check(!input.IsKeyDown(vk::kControl) && !input.IsKeyDown(vk::kV), "no key is left held");

  // For comparison only: the events with flag 4 and Ctrl's scan code.
  SetWindowTextA(edit, "abc");
  SendMessageA(edit, EM_SETSEL, 3, 3);
  seen.clear();
  keybd_event(VK_BACK, static_cast<BYTE>(ctrl), KEYEVENTF_UNICODE, 0);
  keybd_event(VK_BACK, static_cast<BYTE>(ctrl), KEYEVENTF_UNICODE | KEYEVENTF_KEYUP, 0);
  keybd_event(VK_CONTROL, static_cast<BYTE>(ctrl), KEYEVENTF_UNICODE, 0);
  keybd_event('V', static_cast<BYTE>(v), KEYEVENTF_UNICODE, 0);
  keybd_event('V', static_cast<BYTE>(v), KEYEVENTF_UNICODE | KEYEVENTF_KEYUP, 0);
  keybd_event(VK_CONTROL, static_cast<BYTE>(ctrl), KEYEVENTF_UNICODE | KEYEVENTF_KEYUP, 0);
  PumpUntil([] { return false; });
  std::printf("note: with flag 4 the edit holds \"%s\"; messages:", TextOf(edit).c_str());
  for (const Seen& s : seen)
    std::printf(" %s %#x/%#x",
                s.message == WM_KEYDOWN ? "down"
                : s.message == WM_KEYUP ? "up"
                                        : "char",
                static_cast<unsigned>(s.key), s.scan);
  std::printf("\n");
  input.RefreshKeyState();
  if (input.IsKeyDown(vk::kControl)) keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);

  // While the paste sleeps before the restore, Tembric owns the clipboard;
  // another program that reads it then must not wait for the sleep to end.
  SetClipboardText(window, "placed");
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string command = std::string("\"") + self + "\" --read-clipboard";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  const bool started =
      CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child) != FALSE;
  Check(started, "the reading process started");
  tembric::platform::RealClock().SleepMs(2000);
  DWORD readMs = kWrongText;
  if (started) {
    WaitForSingleObject(child.hProcess, 10000);
    GetExitCodeProcess(child.hProcess, &readMs);
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);
  }
  Check(readMs != kWrongText, "the other program reads the text placed before the sleep");
  Check(readMs < 1000, "and does not wait for the sleep to end (" + std::to_string(readMs) + " ms)");

  DestroyWindow(window);
  std::printf("%d failure(s)\n", failures);
  return failures == 0 ? 0 : 1;
}
