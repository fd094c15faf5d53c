// Libraries loaded at run time through the ANSI API, and the library search
// of the process: no library is taken from the current folder, nor from PATH
// where the system has the LOAD_LIBRARY_SEARCH_* flags.
#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/Libraries.h"
#include "platform/win32/Win32Platform.h"

namespace tembric::platform {
namespace {

HMODULE Kernel32() { return GetModuleHandleA("kernel32.dll"); }

// The LOAD_LIBRARY_SEARCH_* flags exist where AddDllDirectory does (Windows 8,
// and Windows 7 with update KB2533623); elsewhere the loader rejects them.
bool SearchFlagsSupported() {
  static const bool supported = GetProcAddress(Kernel32(), "AddDllDirectory") != nullptr;
  return supported;
}

class Win32Libraries final : public Libraries {
 public:
  Handle Load(const std::string& path) override {
    // No "insert a disk" or "entry point not found" boxes for a broken plugin.
    DWORD previousMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
    // The library's own folder is searched for what it imports, then the
    // program's folder and the system folder; never the current folder or
    // PATH. Without the search flags, the altered search order puts the
    // library's folder first (and HardenLibrarySearch took the current
    // folder out; PATH stays last).
    const HMODULE module =
        SearchFlagsSupported()
            ? LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS)
            : LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    SetThreadErrorMode(previousMode, nullptr);
    // Results of 32 and below were error codes once and are refused as such.
    if (reinterpret_cast<std::uintptr_t>(module) <= 32) return nullptr;
    return module;
  }

  LibraryEntry Find(Handle library, const std::string& name) override {
    return reinterpret_cast<LibraryEntry>(GetProcAddress(static_cast<HMODULE>(library), name.c_str()));
  }

  void Unload(Handle library) noexcept override {
    win32::HandlePendingMessages();
    FreeLibrary(static_cast<HMODULE>(library));
  }
};

}  // namespace

Libraries& RealLibraries() {
  static Win32Libraries libraries;
  return libraries;
}

namespace win32 {

void HandlePendingMessages() noexcept {
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

void HardenLibrarySearch() noexcept {
  SetDllDirectoryA("");  // the current folder out of the legacy search order
  using SetDefaultDllDirectoriesProc = BOOL(WINAPI*)(DWORD);
  const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesProc>(
      reinterpret_cast<void (*)()>(GetProcAddress(Kernel32(), "SetDefaultDllDirectories")));
  if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_APPLICATION_DIR);
}

std::string SystemLibraryPath(const std::string& name) {
  char folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::string(folder, length) + "\\" + name;
}

}  // namespace win32
}  // namespace tembric::platform
