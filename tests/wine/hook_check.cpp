// The keyboard hook library against the real input queue. A typist thread
// with a window of its own in the foreground sends key events with SendInput;
// the main thread plays the program: its window is named in the exchange's
// section and collects the key messages the library posts there. Checked: the
// messages and their flags with the hook on, none with it off, typing not
// held up while the receiving thread is blocked, and the hook installed again
// (and reported) after it was removed behind the library's back. Exit code 0
// when every check passed.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "HookDLL.h"
#include "platform/KeystrokeExchange.h"

namespace {

namespace keybits = tembric::platform::keybits;

int failures = 0;

void Check(bool ok, const std::string& what) {
  std::printf("%s: %s\n", ok ? "ok  " : "FAIL", what.c_str());
  if (!ok) ++failures;
}

struct Key {
  WORD vk;
  bool up;
  bool extended = false;
};

UINT ScanOf(WORD vk) { return MapVirtualKeyA(vk, MAPVK_VK_TO_VSC) & 0xFF; }

// ---- The typist: a thread with a focused window of its own ------------------

struct Arrival {
  WPARAM vk;
  bool up;
};
std::vector<Arrival> arrivals;  // the typist thread's; read by main between tasks

LRESULT CALLBACK TypistProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) arrivals.push_back({wp, false});
  if (msg == WM_KEYUP || msg == WM_SYSKEYUP) arrivals.push_back({wp, true});
  if (msg == WM_SYSKEYDOWN || msg == WM_SYSKEYUP || msg == WM_SYSCHAR) return 0;  // no menu loop
  return DefWindowProcA(hwnd, msg, wp, lp);
}

class Typist {
 public:
  Typist() {
    done_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    thread_ = std::thread([this] { Run(); });
    WaitForSingleObject(done_, 10000);
  }
  ~Typist() {
    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    thread_.join();
    CloseHandle(done_);
  }
  bool InFront() const { return inFront_; }

  // Runs `task` on the typist's thread; Wait() returns when it is over.
  void Start(std::function<void()> task) {
    task_ = std::move(task);
    PostThreadMessageA(threadId_, WM_APP, 0, 0);
  }
  bool Wait(DWORD ms = 20000) { return WaitForSingleObject(done_, ms) == WAIT_OBJECT_0; }

  // On the typist's thread: sends each event and waits (up to 2 s) until its
  // window has it. Returns each event's delay in ms, or -1 when it never came.
  static std::vector<long> Type(const std::vector<Key>& keys) {
    std::vector<long> delays;
    for (const Key& key : keys) {
      const std::size_t before = arrivals.size();
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = key.vk;
      input.ki.wScan = static_cast<WORD>(ScanOf(key.vk));
      input.ki.dwFlags = (key.up ? KEYEVENTF_KEYUP : 0) | (key.extended ? KEYEVENTF_EXTENDEDKEY : 0);
      const ULONGLONG sent = GetTickCount64();
      SendInput(1, &input, sizeof input);
      long delay = -1;
      while (GetTickCount64() - sent < 2000) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        if (arrivals.size() > before) {
          delay = static_cast<long>(GetTickCount64() - sent);
          break;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
      }
      delays.push_back(delay);
    }
    return delays;
  }

 private:
  void Run() {
    threadId_ = GetCurrentThreadId();
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    WNDCLASSA wc{};
    wc.lpfnWndProc = TypistProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "HookCheckTypist";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "typist", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 120,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    SetForegroundWindow(window);
    SetFocus(window);
    const ULONGLONG end = GetTickCount64() + 5000;
    while (GetTickCount64() < end && !(GetForegroundWindow() == window && GetFocus() == window)) {
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    inFront_ = GetForegroundWindow() == window && GetFocus() == window;
    SetEvent(done_);
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
      if (!msg.hwnd && msg.message == WM_APP) {
        task_();
        SetEvent(done_);
      } else {
        DispatchMessageA(&msg);
      }
    }
    DestroyWindow(window);
  }

  std::thread thread_;
  DWORD threadId_ = 0;
  HANDLE done_ = nullptr;
  bool inFront_ = false;
  std::function<void()> task_;
};

// ---- The program's side: the receiving window on the main thread ------------

struct Posted {
  WPARAM vk;
  DWORD flags;
};
std::vector<Posted> posted;
std::vector<WPARAM> restored;

// Takes the exchange's messages from the main thread's queue until `done` or
// `ms` have passed; true when `done`.
template <typename Done>
bool Collect(const tembric::platform::KeystrokeExchange& exchange, DWORD ms, Done done) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == exchange.KeyMessage())
        posted.push_back({msg.wParam, static_cast<DWORD>(msg.lParam)});
      else if (msg.message == exchange.HookRestoredMessage())
        restored.push_back(msg.wParam);
      else
        DispatchMessageA(&msg);
    }
    if (done()) return true;
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(end - now, 20)), QS_ALLINPUT);
  }
}

std::string Hex(DWORD value) {
  char text[16];
  std::snprintf(text, sizeof text, "%08lx", static_cast<unsigned long>(value));
  return text;
}

bool AllArrived(const std::vector<long>& delays, long limit) {
  return std::all_of(delays.begin(), delays.end(), [&](long d) { return d >= 0 && d <= limit; });
}

std::string Delays(const std::vector<long>& delays) {
  std::string text;
  for (long d : delays) {
    if (!text.empty()) text += ' ';
    text += std::to_string(d);
  }
  return text + " ms";
}

}  // namespace

int main() {
  using namespace tembric::platform;
  KeystrokeExchange& exchange = RealKeystrokeExchange();
  Check(exchange.KeyMessage() >= 0xC000 && exchange.HookRestoredMessage() >= 0xC000 &&
            exchange.KeyMessage() != exchange.HookRestoredMessage(),
        "the key message and the notice are registered messages of their own");
  Check(RegisterWindowMessageA(kExchangeName) == exchange.KeyMessage(), "the key message is registered by its name");

  HWND receiver = CreateWindowExA(0, "STATIC", "receiver", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  exchange.SetReceiver(reinterpret_cast<WindowHandle>(receiver));
  // What the library reads: the section under its name, the window's low 32 bits.
  if (HANDLE section = OpenFileMappingA(FILE_MAP_READ, FALSE, kExchangeName)) {
    const auto* view = static_cast<const DWORD*>(MapViewOfFile(section, FILE_MAP_READ, 0, 0, 4));
    Check(view && *view == static_cast<DWORD>(HandleToLong(receiver)), "the section holds the receiving window");
    if (view) UnmapViewOfFile(view);
    CloseHandle(section);
  } else {
    Check(false, "the section can be opened by its name");
  }

  Typist typist;
  Check(typist.InFront(), "the typist's window is in the foreground with the focus");
  std::vector<long> delays;

  // (a) With the hook on, every key event is posted with its flags.
  exchange.SetHook(true);
  const std::vector<Key> keys = {
      {'A', false},           {'A', true},       {'B', false}, {'B', false}, {'B', true},     {VK_RIGHT, false, true},
      {VK_RIGHT, true, true}, {VK_LMENU, false}, {'C', false}, {'C', true},  {VK_LMENU, true}};
  typist.Start([&] { delays = Typist::Type(keys); });
  bool ok = typist.Wait() && AllArrived(delays, 2000);
  Check(ok, "the typist's window gets every key (" + Delays(delays) + ")");
  ok = Collect(exchange, 3000, [&] { return posted.size() >= keys.size(); }) && posted.size() == keys.size();
  Check(ok,
        "one key message per key event (" + std::to_string(posted.size()) + " of " + std::to_string(keys.size()) + ")");
  const bool autorepeat[] = {false, false, false, true, false, false, false, false, false, false, false};
  for (std::size_t i = 0; i < std::min(posted.size(), keys.size()); ++i) {
    const Key& key = keys[i];
    const DWORD f = posted[i].flags;
    const bool wasDown = key.up || autorepeat[i];
    const bool altKey = key.vk == VK_LMENU;  // its own flag is the system's business
    const bool altHeld = key.vk == 'C';
    ok = posted[i].vk == key.vk && (f & keybits::kRepeatMask) == 1 &&
         ((f >> keybits::kScanShift) & 0xFF) == ScanOf(key.vk) && ((f & keybits::kExtended) != 0) == key.extended &&
         ((f & keybits::kKeyUp) != 0) == key.up && ((f & keybits::kWasDown) != 0) == wasDown &&
         (altKey || ((f & keybits::kAltDown) != 0) == altHeld);
    Check(ok, "event " + std::to_string(i) + ": vk " + Hex(static_cast<DWORD>(posted[i].vk)) + " flags " + Hex(f));
  }

  // (b) With the hook off (twice), nothing is posted; on again (twice), each
  // event once.
  exchange.SetHook(false);
  exchange.SetHook(false);
  posted.clear();
  typist.Start([&] { delays = Typist::Type({{'D', false}, {'D', true}}); });
  // The hook is called before the key reaches the typist: once the typist
  // has the key, a posted message would already be in our queue.
  ok = typist.Wait() && AllArrived(delays, 2000);
  Check(ok, "keys reach the typist with the hook off");
  Collect(exchange, 0, [] { return false; });
  Check(posted.empty(), "no key message with the hook off (" + std::to_string(posted.size()) + ")");
  exchange.SetHook(true);
  exchange.SetHook(true);
  typist.Start([&] { delays = Typist::Type({{'E', false}, {'E', true}}); });
  typist.Wait();
  Collect(exchange, 3000, [] { return posted.size() >= 2; });
  Collect(exchange, 0, [] { return false; });
  Check(posted.size() == 2 && posted[0].vk == 'E',
        "installed twice, each event is posted once (" + std::to_string(posted.size()) + ")");

  // (c) The receiving thread blocked for 3 s does not hold up typing; its
  // messages wait for it.
  posted.clear();
  const std::vector<Key> blocked = {{'F', false}, {'F', true}, {'G', false}, {'G', true}, {'H', false}, {'H', true}};
  typist.Start([&] { delays = Typist::Type(blocked); });
  Sleep(3000);  // the user interface thread busy
  const bool typedMeanwhile = typist.Wait(0);
  if (!typedMeanwhile) typist.Wait();
  Check(typedMeanwhile && AllArrived(delays, 100),
        "typing while the receiver is blocked: each key within 100 ms (" + Delays(delays) + ")");
  ok = Collect(exchange, 3000, [&] { return posted.size() >= blocked.size(); }) && posted.size() == blocked.size();
  Check(ok, "the blocked receiver gets every key message afterwards (" + std::to_string(posted.size()) + ")");

  // (d) Removed behind the library's back, the hook is installed again once
  // keys are typed, and the notice is posted.
  TestDropHook();
  posted.clear();
  typist.Start([&] { delays = Typist::Type({{'J', false}, {'J', true}}); });
  typist.Wait();
  Collect(exchange, 0, [] { return false; });
  Check(posted.empty(), "the dropped hook posts nothing (" + std::to_string(posted.size()) + ")");
  const ULONGLONG dropped = GetTickCount64();
  bool back = false;
  while (!back && GetTickCount64() - dropped < 15000) {
    // A key held half a second, then released, until the library notices.
    typist.Start([&] { delays = Typist::Type({{'K', false}}); });
    typist.Wait();
    back = Collect(exchange, 500, [] { return !restored.empty(); });
    typist.Start([&] { delays = Typist::Type({{'K', true}}); });
    typist.Wait();
  }
  const ULONGLONG restoredAfter = GetTickCount64() - dropped;
  Check(back && restored.size() == 1 && restored[0] == 1,
        "the hook is installed again and reported, after " + std::to_string(restoredAfter) + " ms of typing");
  Collect(exchange, 0, [] { return false; });
  posted.clear();
  typist.Start([&] { delays = Typist::Type({{'L', false}, {'L', true}}); });
  typist.Wait();
  ok = Collect(exchange, 3000, [] { return posted.size() >= 2; }) && posted[0].vk == 'L';
  Check(ok, "keys are posted again after the re-install");

  exchange.SetHook(false);
  DestroyWindow(receiver);
  std::printf("%s\n", failures ? "FAILED" : "all checks passed");
  return failures ? 1 : 0;
}
