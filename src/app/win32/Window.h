#pragma once
// The base of every window of the program. One static window procedure binds
// the C++ object to its window when the window is created (WM_NCCREATE, kept
// in GWLP_USERDATA) and hands every message to the object's OnMessage.
// Exceptions never leave the window procedure: they are shown as an error
// box and the message gets the system's default handling.
#include <windows.h>

#include <string>

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

 private:
  static LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  HWND hwnd_ = nullptr;
};

}  // namespace tembric::app::win32
