#include <windows.h>

#include "platform/Input.h"

namespace tembric::platform::win32 {
namespace {

// The table of virtual keys holds the system's own values.
static_assert(vk::kBack == VK_BACK && vk::kReturn == VK_RETURN && vk::kShift == VK_SHIFT &&
              vk::kControl == VK_CONTROL && vk::kMenu == VK_MENU && vk::kEscape == VK_ESCAPE &&
              vk::kPageUp == VK_PRIOR && vk::kEnd == VK_END && vk::kHome == VK_HOME && vk::kLeft == VK_LEFT &&
              vk::kUp == VK_UP && vk::kRight == VK_RIGHT && vk::kDown == VK_DOWN && vk::kInsert == VK_INSERT &&
              vk::kDelete == VK_DELETE && vk::kA == 'A' && vk::kE == 'E' && vk::kV == 'V' && vk::kZ == 'Z' &&
              vk::kMultiply == VK_MULTIPLY && vk::kF1 == VK_F1);

HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }

class Win32Input final : public Input {
 public:
  void RefreshKeyState() override {
    BYTE state[256];
    GetKeyboardState(state);  // brings the thread's key state up to date; the array is not used
  }
  bool IsKeyDown(VirtualKey key) override { return (GetKeyState(key) & 0x80) != 0; }
  std::uint16_t ScanCodeOf(VirtualKey key) override {
    return static_cast<std::uint16_t>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
  }
  void SendKey(const KeyEvent& event) override {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = event.key;
    input.ki.wScan = event.scanCode;
    input.ki.dwFlags = event.release ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
  }
  void EnableWindow(WindowHandle window) override { ::EnableWindow(ToHwnd(window), TRUE); }
  void SetForegroundWindow(WindowHandle window) override { ::SetForegroundWindow(ToHwnd(window)); }
  WindowHandle ForegroundWindow() override { return reinterpret_cast<WindowHandle>(GetForegroundWindow()); }
  std::uint32_t ThreadOf(WindowHandle window) override {
    return window == kNoWindow ? 0 : GetWindowThreadProcessId(ToHwnd(window), nullptr);
  }
  bool WaitForMessageDone(WindowHandle window, int limitMs) override {
    // A sent message is taken only when the thread next asks for messages:
    // after the handler it is in has returned.
    DWORD_PTR answer = 0;
    return SendMessageTimeoutA(ToHwnd(window), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, static_cast<UINT>(limitMs), &answer) !=
           0;
  }
  std::string SystemDefaultLanguage() override {
    char buffer[19] = {};
    if (GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTLANGUAGE, buffer, sizeof buffer) == 0) return {};
    return buffer;
  }
};

}  // namespace

}  // namespace tembric::platform::win32

namespace tembric::platform {

Input& RealInput() {
  static win32::Win32Input input;
  return input;
}

}  // namespace tembric::platform
