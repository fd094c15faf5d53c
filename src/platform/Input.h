#pragma once
// Keyboard input, key state and focus for the paste action: plain virtual-key
// presses and releases sent to the foreground window, the state of held keys,
// bringing a window to the foreground and asking which window is there, and
// the system language. Time is platform::Clock's.

#include <cstdint>
#include <string>

#include "platform/VirtualKeys.h"
#include "platform/WindowSystem.h"

namespace tembric::platform {

// One synthesised key event: a press or a release of `key` with its scan code.
struct KeyEvent {
  VirtualKey key = 0;
  std::uint16_t scanCode = 0;
  bool release = false;
  bool operator==(const KeyEvent&) const = default;
};

class Input {
 public:
  virtual ~Input() = default;

  // Brings the thread's view of the keyboard up to date before IsKeyDown.
  virtual void RefreshKeyState() = 0;
  // True while `key` is held down.
  virtual bool IsKeyDown(VirtualKey key) = 0;
  // The scan code the current keyboard layout gives `key`.
  virtual std::uint16_t ScanCodeOf(VirtualKey key) = 0;
  // Sends one event to the foreground window.
  virtual void SendKey(const KeyEvent& event) = 0;

  virtual void EnableWindow(WindowHandle window) = 0;
  // Asks for `window` to become the foreground window. The system may refuse
  // (foreground lock) or hand the foreground to another window moments later,
  // so callers check ForegroundWindow instead of trusting the request.
  virtual void SetForegroundWindow(WindowHandle window) = 0;
  // The window that receives the keys sent now; kNoWindow when there is none.
  virtual WindowHandle ForegroundWindow() = 0;
  // The thread that created `window` (keys go to the focus of that thread);
  // 0 when the window does not exist.
  virtual std::uint32_t ThreadOf(WindowHandle window) = 0;
  // Returns once the thread of `window` has finished the message it is
  // handling and answered one sent to it, or after `limitMs`; false then, or
  // when the window is gone. Messages sent to the calling thread meanwhile
  // are answered.
  virtual bool WaitForMessageDone(WindowHandle window, int limitMs) = 0;

  // The system default language as the platform reports it: hexadecimal text such as "0409".
  virtual std::string SystemDefaultLanguage() = 0;
};

}  // namespace tembric::platform

#ifdef _WIN32
namespace tembric::platform {
// The keyboard and foreground of the running Windows session.
Input& RealInput();
}  // namespace tembric::platform
#endif
