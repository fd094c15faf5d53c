#pragma once
// Windows of the desktop, as identification and the main window need them.
// Handles are opaque numbers; 0 is "no window".

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tembric::platform {

using WindowHandle = std::uintptr_t;
inline constexpr WindowHandle kNoWindow = 0;

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;
  virtual WindowHandle ForegroundWindow() = 0;
  // The parent of a child window, or the owner of an owned top-level window
  // (GetParent's meaning); kNoWindow for an unowned top-level window.
  virtual WindowHandle ParentOrOwner(WindowHandle window) = 0;
  // The window's text read into a buffer of `bufferChars` characters
  // including the terminating zero, so at most bufferChars - 1 characters.
  virtual std::string WindowText(WindowHandle window, int bufferChars) = 0;
  // First top-level window with this class and exactly this title.
  virtual WindowHandle FindTopLevel(const std::string& className, const std::string& title) = 0;
  // First child of `parent` with this class (and this title when given).
  virtual WindowHandle FindChild(WindowHandle parent, const std::string& className,
                                 const std::optional<std::string>& title) = 0;
  // Full path of the executable of the process that owns the window; empty on failure.
  virtual std::string ExecutablePathOf(WindowHandle window) = 0;
  // The identifier of the process that owns the window; 0 when unknown, and
  // always 0 on a system that cannot tell (callers then never share answers
  // between windows).
  virtual unsigned long ProcessIdOf(WindowHandle) { return 0; }
  // The name of the window's class; empty when the window does not exist.
  virtual std::string ClassName(WindowHandle window) = 0;
  // Every top-level window, in the system's order (front to back).
  // A system without windows lists none.
  virtual std::vector<WindowHandle> TopLevelWindows() { return {}; }
  // Whether the window and its parents have the visible style.
  virtual bool IsVisible(WindowHandle) { return false; }
};

// A window system with no windows, for builds that have none.
WindowSystem& NoWindowSystem();

#ifdef _WIN32
// The windows of the running Windows session.
WindowSystem& RealWindowSystem();
#endif

}  // namespace tembric::platform
