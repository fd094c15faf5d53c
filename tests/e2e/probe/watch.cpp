// Watching windows over time: where a window goes while it exists, whether
// its thread handles messages, and when a program has finished starting.
#include <cstdio>

#include "probe.h"

namespace probe {
namespace {

struct Placement {
  RECT window{};
  RECT client{};
  bool visible = false;

  bool operator==(const Placement& o) const {
    return EqualRect(&window, &o.window) && EqualRect(&client, &o.client) && visible == o.visible;
  }
};

Placement PlacementOf(HWND hwnd) {
  Placement p;
  GetWindowRect(hwnd, &p.window);
  GetClientRect(hwnd, &p.client);
  p.visible = IsWindowVisible(hwnd) != FALSE;
  return p;
}

bool Answers(HWND hwnd, DWORD timeout_ms) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeout_ms, &result) != 0;
}

}  // namespace

// Prints "screen W H" (the primary screen) at once, then a line
// "rect L T R B client W H visible|hidden at MS" whenever the window of that
// class first appears or changes, and "gone at MS" when it disappears.
// Ends when the window has come and gone (exit 0) or at the deadline (exit 1).
int WatchClass(const Args& args) {
  double seconds = 0;
  if (args.size() != 2 || !ParseSeconds(args[1], &seconds)) return kUsage;
  const std::string& cls = args[0];
  // A window that lives a tenth of a second must not slip between two polls
  // while other programs keep the processors busy.
  SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
  std::printf("screen %d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  std::fflush(stdout);
  const Deadline deadline(seconds);
  ElapsedMs();
  bool seen = false;
  HWND last_hwnd = nullptr;
  Placement last;
  while (!deadline.Passed()) {
    HWND hwnd = FindWindowA(cls.c_str(), nullptr);
    if (hwnd == nullptr) {
      if (seen) {
        std::printf("gone at %.1f\n", ElapsedMs());
        return kYes;
      }
    } else {
      const Placement now = PlacementOf(hwnd);
      // The window may have been destroyed between the two calls.
      if (IsWindow(hwnd) && (!seen || hwnd != last_hwnd || !(now == last))) {
        std::printf("rect %ld %ld %ld %ld client %ld %ld %s at %.1f\n", now.window.left, now.window.top,
                    now.window.right, now.window.bottom, now.client.right, now.client.bottom,
                    now.visible ? "visible" : "hidden", ElapsedMs());
        std::fflush(stdout);
        seen = true;
        last_hwnd = hwnd;
        last = now;
      }
    }
    TinySleep();
  }
  std::printf(seen ? "still there after %gs\n" : "never seen in %gs\n", seconds);
  return kNo;
}

// Exit 0 once a window of the class exists and its thread answers WM_NULL.
int Answers(const Args& args) {
  double seconds = 0;
  if (args.size() != 2 || !ParseSeconds(args[1], &seconds)) return kUsage;
  const Deadline deadline(seconds);
  bool found = false;
  while (!deadline.Passed()) {
    if (HWND hwnd = FindWindowA(args[0].c_str(), nullptr)) {
      found = true;
      const DWORD timeout = deadline.RemainingMs() < 1000 ? deadline.RemainingMs() : 1000;
      if (Answers(hwnd, timeout)) {
        std::printf("%s answers\n", Hex(hwnd).c_str());
        return kYes;
      }
    }
    TinySleep();
  }
  std::printf(found ? "window of class %s does not answer after %gs\n" : "no window of class %s after %gs\n",
              args[0].c_str(), seconds);
  return kNo;
}

// Sends the registered message "TembricTestBusy" with MS to the window of
// that class, which a program started with TEMBRIC_TEST_HOOKS=1 answers with 1
// before its thread stays busy for MS. Prints "busy sent UNIXMS answered
// UNIXMS": the thread is busy from a moment between the two until MS after
// it. Exit 1 when the window is missing or does not take the message.
int Busy(const Args& args) {
  double ms = 0;
  if (args.size() != 2 || !ParseSeconds(args[1], &ms)) return kUsage;
  HWND hwnd = FindWindowA(args[0].c_str(), nullptr);
  if (hwnd == nullptr) {
    std::printf("no window of class %s\n", args[0].c_str());
    return kNo;
  }
  const UINT message = RegisterWindowMessageA("TembricTestBusy");
  const double sent = UnixNow();
  DWORD_PTR result = 0;
  const bool answered =
      SendMessageTimeoutA(hwnd, message, static_cast<WPARAM>(ms), 0, SMTO_NORMAL, 10000, &result) != 0;
  const double at = UnixNow();
  if (!answered || result != 1) {
    std::printf("not taken (answered %d, result %d)\n", answered ? 1 : 0, static_cast<int>(result));
    return kNo;
  }
  std::printf("busy sent %.0f answered %.0f\n", sent * 1000, at * 1000);
  return kYes;
}

// Prints "watching" at once, then waits until a window of class MAIN exists,
// no window of class SPLASH does and MAIN's thread answers messages: the
// program has finished starting and runs its message loop. Prints
// "started UNIXTIME splash-seen 0|1" with the moment that was first seen.
int WaitStarted(const Args& args) {
  double seconds = 0;
  if (args.size() != 3 || !ParseSeconds(args[2], &seconds)) return kUsage;
  const std::string& main_class = args[0];
  const std::string& splash_class = args[1];
  std::printf("watching\n");
  std::fflush(stdout);
  const Deadline deadline(seconds);
  bool splash_seen = false;
  while (!deadline.Passed()) {
    if (FindWindowA(splash_class.c_str(), nullptr) != nullptr) {
      splash_seen = true;
    } else if (HWND main = FindWindowA(main_class.c_str(), nullptr)) {
      const double when = UnixNow();
      if (Answers(main, 200) && FindWindowA(splash_class.c_str(), nullptr) == nullptr) {
        std::printf("started %.6f splash-seen %d\n", when, splash_seen ? 1 : 0);
        return kYes;
      }
    }
    TinySleep();
  }
  std::printf("not started after %gs (splash seen: %d)\n", seconds, splash_seen ? 1 : 0);
  return kNo;
}

}  // namespace probe
