// The window picker's list on the real platform: starts the target
// application with 50 more visible, titled top-level windows, shows a
// visible window of its own, and fills the picker's list through the Windows
// window system and identification. Checks that each of the target's windows
// is listed once, under the target's application name, and that its own
// window is not; prints the median time of ten fillings. Exits with 1 on a
// failed check.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "context/Identification.h"
#include "editing/WindowPicker.h"
#include "platform/Clock.h"
#include "platform/Dde.h"
#include "platform/VersionInfo.h"
#include "platform/WindowSystem.h"
#include "platform/win32/Win32Platform.h"

namespace {

namespace win32 = tembric::platform::win32;

constexpr int kMoreWindows = 50;
constexpr int kFillings = 10;
constexpr const char* kTitle = "Picker load";
constexpr const char* kOwnTitle = "Picker check";

int g_failures = 0;

void Check(bool ok, const std::string& what) {
  if (ok) return;
  ++g_failures;
  std::printf("FAIL %s\n", what.c_str());
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\') + 1); }

// Waits, answering messages, until `ready` holds or `ms` have passed.
template <typename Condition>
bool WaitFor(Condition ready, int ms) {
  auto& clock = tembric::platform::RealClock();
  const auto end = clock.NowMs() + ms;
  while (!ready()) {
    if (clock.NowMs() >= end) return false;
    clock.SleepMs(20);
  }
  return true;
}

int Run() {
  const std::string target = FolderOf(win32::OwnExecutablePath()) + "TembricTarget.exe";
  std::string commandLine = "\"" + target + "\" -windows " + std::to_string(kMoreWindows) + " \"" + kTitle + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(target.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    std::printf("FAIL cannot start %s (error %lu)\n", target.c_str(), GetLastError());
    return 1;
  }
  const std::string last = std::string(kTitle) + " " + std::to_string(kMoreWindows);
  const bool ready =
      WaitFor([&] { return IsWindowVisible(FindWindowA("TembricTargetMore", last.c_str())) != FALSE; }, 20000);
  Check(ready, "the target's windows did not appear");

  const HWND own = CreateWindowExA(0, "STATIC", kOwnTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                   nullptr, GetModuleHandleA(nullptr), nullptr);
  Check(own != nullptr, "cannot create the check's own window");

  tembric::context::Identifier identifier(tembric::platform::RealWindowSystem(), tembric::platform::RealVersionInfo(),
                                          tembric::platform::RealDdeClient(), win32::OwnExecutablePath());
  tembric::editing::WindowPicker picker(tembric::platform::RealWindowSystem(), identifier);
  auto& clock = tembric::platform::RealClock();
  std::vector<long long> times;
  for (int i = 0; i < kFillings; ++i) {
    const auto start = clock.NowMs();
    picker.FillWindowList();
    times.push_back(clock.NowMs() - start);
  }

  std::map<std::string, int> listed;
  for (const auto& row : picker.Rows()) {
    ++listed[row.Title()];
    Check(row.Title() != kOwnTitle, "the check's own window is listed");
    if (row.Title().rfind(kTitle, 0) == 0)
      Check(row.Application() == "Tembric Test Target", "\"" + row.Title() + "\" listed as " + row.Application());
  }
  for (int i = 0; i <= kMoreWindows; ++i) {
    const std::string title = i == 0 ? std::string(kTitle) : std::string(kTitle) + " " + std::to_string(i);
    Check(listed[title] == 1, "\"" + title + "\" listed " + std::to_string(listed[title]) + " times");
  }

  std::sort(times.begin(), times.end());
  std::printf("FillWindowList, %zu rows (%d windows of the target): median %lld ms of %d, min %lld, max %lld\n",
              picker.Rows().size(), kMoreWindows + 1, (times[kFillings / 2 - 1] + times[kFillings / 2]) / 2, kFillings,
              times.front(), times.back());

  PostThreadMessageA(process.dwThreadId, WM_QUIT, 0, 0);
  if (WaitForSingleObject(process.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (own) DestroyWindow(own);
  std::printf("%s\n", g_failures == 0 ? "picker_check: all checks passed" : "picker_check: FAILED");
  return g_failures == 0 ? 0 : 1;
}

}  // namespace

int main() { return Run(); }
