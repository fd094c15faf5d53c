#include <windows.h>

#include <map>
#include <utility>

#include "platform/Hotkeys.h"

namespace tembric::platform::win32 {
namespace {

static_assert(hotkey_mod::kAlt == MOD_ALT && hotkey_mod::kCtrl == MOD_CONTROL && hotkey_mod::kShift == MOD_SHIFT);

class Win32Hotkeys final : public Hotkeys {
 public:
  explicit Win32Hotkeys(std::function<WindowHandle()> window) : window_(std::move(window)) {}

  bool Register(int id, std::uint32_t modifiers, VirtualKey key) override {
    const HWND window = reinterpret_cast<HWND>(window_());
    if (window == nullptr || !RegisterHotKey(window, id, modifiers, key)) return false;
    held_[id] = window;
    return true;
  }
  void Unregister(int id) override {
    const auto found = held_.find(id);
    if (found == held_.end()) return;
    // A destroyed window's hotkeys went with it.
    if (IsWindow(found->second)) UnregisterHotKey(found->second, id);
    held_.erase(found);
  }
  std::string KeyName(VirtualKey key) override {
    const UINT scan = MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
    if (scan == 0) return {};
    char name[64] = {};
    const int length = GetKeyNameTextA(static_cast<LONG>(scan << 16), name, sizeof name);
    return length > 0 ? std::string(name, static_cast<std::size_t>(length)) : std::string();
  }

 private:
  std::function<WindowHandle()> window_;
  std::map<int, HWND> held_;  // the window each id was registered for
};

}  // namespace
}  // namespace tembric::platform::win32

namespace tembric::platform {

std::unique_ptr<Hotkeys> RealHotkeys(std::function<WindowHandle()> window) {
  return std::make_unique<win32::Win32Hotkeys>(std::move(window));
}

}  // namespace tembric::platform
