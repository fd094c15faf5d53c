#include <windows.h>

#include "platform/Input.h"

namespace tembric::platform::win32 {
namespace {

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
  void SleepMs(int ms) override { ::Sleep(static_cast<DWORD>(ms)); }
  std::int64_t NowMs() override { return static_cast<std::int64_t>(GetTickCount64()); }
  std::string SystemDefaultLanguage() override {
    char buffer[19] = {};
    if (GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTLANGUAGE, buffer, sizeof buffer) == 0) return {};
    return buffer;
  }
};

}  // namespace

Input& RealInput() {
  static Win32Input input;
  return input;
}

}  // namespace tembric::platform::win32
