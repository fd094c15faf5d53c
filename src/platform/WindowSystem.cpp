#include "platform/WindowSystem.h"

namespace tembric::platform {
namespace {

// No windows at all: every query finds nothing, so identification gives
// empty results instead of failing.
class NoWindows final : public WindowSystem {
 public:
  WindowHandle ForegroundWindow() override { return kNoWindow; }
  WindowHandle ParentOrOwner(WindowHandle) override { return kNoWindow; }
  std::string WindowText(WindowHandle, int) override { return {}; }
  WindowHandle FindTopLevel(const std::string&, const std::string&) override { return kNoWindow; }
  WindowHandle FindChild(WindowHandle, const std::string&, const std::optional<std::string>&) override {
    return kNoWindow;
  }
  std::string ExecutablePathOf(WindowHandle) override { return {}; }
  std::string ClassName(WindowHandle) override { return {}; }
};

}  // namespace

WindowSystem& NoWindowSystem() {
  static NoWindows windows;
  return windows;
}

}  // namespace tembric::platform
