#include <windows.h>

#include <cstring>

#include "HookDLL.h"
#include "platform/KeystrokeExchange.h"
#include "platform/win32/Handles.h"

namespace tembric::platform {
namespace {

class SectionExchange final : public KeystrokeExchange {
 public:
  SectionExchange()
      : section_(
            CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kExchangeSectionSize, kExchangeName)),
        view_(section_ ? MapViewOfFile(section_.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0) : nullptr),
        keyMessage_(RegisterWindowMessageA(kExchangeName)),
        restoredMessage_(RegisterWindowMessageA(kHookRestoredName)) {}

  std::uint32_t KeyMessage() const override { return keyMessage_; }
  std::uint32_t HookRestoredMessage() const override { return restoredMessage_; }

  void SetReceiver(WindowHandle window) override {
    if (!view_) return;
    // The low 32 bits: window handles are 32-bit values widened by sign.
    const auto low = static_cast<std::uint32_t>(HandleToLong(reinterpret_cast<HWND>(window)));
    std::memcpy(view_.get(), &low, sizeof low);
  }

  void SetHook(bool on) override { ::SetHook(on ? -1 : 0); }

 private:
  win32::ObjectHandle section_;
  win32::MappedView view_;
  UINT keyMessage_;
  UINT restoredMessage_;
};

}  // namespace

KeystrokeExchange& RealKeystrokeExchange() {
  static SectionExchange exchange;
  return exchange;
}

}  // namespace tembric::platform
