// Libraries loaded at run time through the ANSI API.
#include <windows.h>

#include <cstdint>

#include "platform/Libraries.h"

namespace tembric::platform {
namespace {

// Dispatches what is queued for this thread, as the message loop would. A
// quit request is put back so that the message loop still sees it.
void HandlePendingMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

class Win32Libraries final : public Libraries {
 public:
  Handle Load(const std::string& path) override {
    // No "insert a disk" or "entry point not found" boxes for a broken plugin.
    DWORD previousMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
    const HMODULE module = LoadLibraryA(path.c_str());
    SetThreadErrorMode(previousMode, nullptr);
    // Results of 32 and below were error codes once and are refused as such.
    if (reinterpret_cast<std::uintptr_t>(module) <= 32) return nullptr;
    return module;
  }

  LibraryEntry Find(Handle library, const std::string& name) override {
    return reinterpret_cast<LibraryEntry>(GetProcAddress(static_cast<HMODULE>(library), name.c_str()));
  }

  void Unload(Handle library) noexcept override {
    HandlePendingMessages();
    FreeLibrary(static_cast<HMODULE>(library));
  }
};

}  // namespace

Libraries& RealLibraries() {
  static Win32Libraries libraries;
  return libraries;
}

}  // namespace tembric::platform
