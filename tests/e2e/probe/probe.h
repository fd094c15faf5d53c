// tembric-probe: looks at Tembric.exe from outside, the way a user's other
// programs see it (windows, message boxes, named objects), for the
// end-to-end tests. Every command prints plain lines on stdout and ends with
// one of the exit codes below.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace probe {

// Exit codes shared by all commands.
enum Exit : int {
  kYes = 0,        // found / done / condition met
  kNo = 1,         // not found / condition not met before the deadline
  kUsage = 2,      // bad command line
  kAmbiguous = 3,  // more than one window matched where one was required
};

using Args = std::vector<std::string>;

// ---- time (time.cpp) ----

// A deadline measured with the performance counter.
class Deadline {
 public:
  explicit Deadline(double seconds);
  bool Passed() const;
  DWORD RemainingMs() const;  // at least 1 while not passed

 private:
  std::int64_t end_;
};

// Milliseconds since the first call (performance counter).
double ElapsedMs();
// Wall-clock time in seconds since 1970, the same clock as Linux's `date`.
double UnixNow();
// Sleeps about one millisecond (raises the timer resolution on first use).
void TinySleep();
// Parses a number of seconds; false on anything that is not a number >= 0.
bool ParseSeconds(const std::string& text, double* seconds);

// ---- windows (windows.cpp) ----

std::string ClassOf(HWND hwnd);
std::string TitleOf(HWND hwnd);
// Base name of the executable of the process that owns the window ("" when
// it cannot be read).
std::string ExeOf(HWND hwnd);
DWORD ProcessOf(HWND hwnd);
std::vector<HWND> TopLevelWindows();
// Backslash-escapes \, line feeds, carriage returns and tabs so that any text
// prints on one line.
std::string Escape(const std::string& text);
bool SameText(const std::string& a, const std::string& b);  // ASCII case-insensitive
std::string Hex(HWND hwnd);

// A top-level window selected by class or by exact title.
struct Query {
  bool by_title = false;
  std::string text;       // class name, or title when by_title
  bool visible_only = false;
  std::string dialog_class;  // when set, the class must match too (title queries)
};
// Reads "[-visible] (CLASS | -name TITLE)" from args starting at *pos.
bool ParseQuery(const Args& args, std::size_t* pos, Query* query);
std::vector<HWND> Find(const Query& query);

// ---- commands ----

int WaitWindow(const Args& args);    // wait-window [-visible] CLASS|-name TITLE SECONDS
int WaitGone(const Args& args);      // wait-gone CLASS|-name TITLE SECONDS
int WindowsOfExe(const Args& args);  // windows-of-exe NAME
int DialogText(const Args& args);    // dialog-text TITLE
int Press(const Args& args);         // press TITLE BUTTON
int MutexExists(const Args& args);   // mutex-exists NAME
int WatchClass(const Args& args);    // watch-class CLASS SECONDS
int Answers(const Args& args);       // answers CLASS SECONDS
int WaitStarted(const Args& args);   // wait-started MAIN SPLASH SECONDS

}  // namespace probe
