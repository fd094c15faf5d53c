#pragma once
// The base of every window of the program. One static window procedure binds
// the C++ object to its window when the window is created (WM_NCCREATE, kept
// in GWLP_USERDATA) and hands every message to the object's OnMessage.
// Exceptions never leave the window procedure: they are shown as an error
// box and the message gets the system's default handling. A child control
// whose object handles its own notifications (ChildControl) gets them from
// its parent before the parent's OnMessage sees them.
#include <windows.h>

#include <string>
#include <vector>

namespace tembric::app::win32 {

struct WindowCreateArgs {
  const char* className = nullptr;  // registered on first use with this module's icon
  std::string title;
  DWORD style = WS_OVERLAPPEDWINDOW;
  DWORD exStyle = 0;
  int x = CW_USEDEFAULT;
  int y = CW_USEDEFAULT;
  // The window's outer size; when clientSize is set the size given is the
  // client area's and the frame is added.
  int width = CW_USEDEFAULT;
  int height = CW_USEDEFAULT;
  bool clientSize = false;
  HWND owner = nullptr;
  HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
};

// The object that owns a child control and handles the notifications the
// control sends to its parent (WM_NOTIFY, WM_COMMAND).
class ChildControl {
 public:
  virtual ~ChildControl() = default;
  virtual HWND ControlHwnd() const = 0;
  // True when handled; `*result` is then the message's result.
  virtual bool OnNotify(NMHDR* header, LRESULT* result);
  // `code` is the notification code (EN_CHANGE, ...); true when handled.
  virtual bool OnCommand(WORD code);
};

class Window {
 public:
  Window() = default;
  virtual ~Window();  // destroys the window if it still exists
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Creates the window (never shown here: WS_VISIBLE is removed). Throws
  // std::runtime_error when the system refuses.
  void Create(const WindowCreateArgs& args);

  HWND Hwnd() const { return hwnd_; }
  void SetText(const std::string& text);
  void Hide();
  bool IsVisible() const;

 protected:
  // Handles one message; the default passes it on to DefWindowProc.
  virtual LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT DefaultHandling(UINT msg, WPARAM wp, LPARAM lp);
  // The notifications of the child's control go to `child` from now on; the
  // child outlives this window.
  void AddChildControl(ChildControl& child) { children_.push_back(&child); }

 private:
  static LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  // True when a child control's object handled the message.
  bool ForwardToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);

  HWND hwnd_ = nullptr;
  std::vector<ChildControl*> children_;
};

}  // namespace tembric::app::win32
