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
  std::string text;  // class name, or title when by_title
  bool visible_only = false;
  std::string dialog_class;  // when set, the class must match too (title queries)
};
// Reads "[-visible] (CLASS | -name TITLE)" from args starting at *pos.
bool ParseQuery(const Args& args, std::size_t* pos, Query* query);
std::vector<HWND> Find(const Query& query);
// The one window that "[-visible] (CLASS | -name TITLE)" at args[*pos]
// names; on no match or several prints why and returns kNo or kAmbiguous.
int FindOne(const Args& args, std::size_t* pos, HWND* window);
// Every descendant of `parent` of that class (any class when empty), in
// the order EnumChildWindows gives.
std::vector<HWND> Descendants(HWND parent, const std::string& cls = "");
// The first visible descendant of that class, else the first hidden one.
HWND FirstDescendant(HWND parent, const std::string& cls);

// ---- memory of another process (remote.cpp) ----

// A block allocated in the process that owns `window`, freed again at
// destruction.
class RemoteMemory {
 public:
  RemoteMemory(HWND window, std::size_t size);
  ~RemoteMemory();
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;

  bool Ok() const { return address_ != nullptr; }
  // The block's address in the other process, plus offset.
  void* At(std::size_t offset) const { return static_cast<char*>(address_) + offset; }
  LPARAM Param(std::size_t offset = 0) const { return reinterpret_cast<LPARAM>(At(offset)); }
  bool Write(std::size_t offset, const void* data, std::size_t size);
  bool Read(std::size_t offset, void* data, std::size_t size) const;
  // A zero-terminated single-byte text of at most `max` bytes.
  std::string ReadText(std::size_t offset, std::size_t max) const;

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
  std::size_t size_;
};

// ---- controls of another process (controls.cpp) ----

// Window text through WM_GETTEXT, which the system copies across processes
// (unlike GetWindowText, which does not read other processes' controls).
std::string ControlText(HWND control);
// Captions of a tab control's pages.
std::vector<std::string> TabCaptions(HWND tabs);
// Sends a message with a deadline; false when the window does not answer.
bool SendWithin(HWND window, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result, DWORD timeout_ms = 5000);

// ---- commands ----

int WaitWindow(const Args& args);        // wait-window [-visible] CLASS|-name TITLE SECONDS
int WaitGone(const Args& args);          // wait-gone CLASS|-name TITLE SECONDS
int WindowsOfExe(const Args& args);      // windows-of-exe NAME
int DialogText(const Args& args);        // dialog-text TITLE
int Press(const Args& args);             // press TITLE BUTTON
int MutexExists(const Args& args);       // mutex-exists NAME
int RecordOpen(const Args& args);        // record-open LOG ARG...
int WatchClass(const Args& args);        // watch-class CLASS SECONDS
int Answers(const Args& args);           // answers CLASS SECONDS
int Busy(const Args& args);              // busy CLASS MS
int WaitStarted(const Args& args);       // wait-started MAIN SPLASH SECONDS
int TreeItems(const Args& args);         // tree-items WINDOW
int TreeItemRect(const Args& args);      // tree-item-rect WINDOW TEXT
int WaitTree(const Args& args);          // wait-tree WINDOW MIN_ITEMS SECONDS
int WindowState(const Args& args);       // window-state WINDOW
int CloseBox(const Args& args);          // close-box WINDOW
int Controls(const Args& args);          // controls WINDOW
int Hotkey(const Args& args);            // hotkey HWND [VK MODIFIERS]
int EditText(const Args& args);          // edit-text [-multiline | -single] WINDOW
int Toolbar(const Args& args);           // toolbar WINDOW
int ListItems(const Args& args);         // list-items WINDOW
int WaitPainted(const Args& args);       // wait-painted WINDOW SECONDS
int ClipboardSetText(const Args& args);  // clipboard-set-text TEXT
int ClipboardText(const Args& args);     // clipboard-text
int ClipboardFormats(const Args& args);  // clipboard-formats

}  // namespace probe
