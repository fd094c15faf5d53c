// Windows of the desktop through user32, and the executable behind a window
// through the process-status library, loaded from the system folder once for
// the window system's life: a window picker asks for every window on the
// desktop, and loading the library per window cost more than the query.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/WindowSystem.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32Platform.h"

namespace tembric::platform::win32 {
namespace {

HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
WindowHandle FromHwnd(HWND window) { return reinterpret_cast<WindowHandle>(window); }

// A system library loaded from the system folder, unloaded with its owner.
class LoadedLibrary {
 public:
  explicit LoadedLibrary(const char* name) : module_(LoadLibraryA(SystemLibraryPath(name).c_str())) {}
  ~LoadedLibrary() {
    if (module_) FreeLibrary(module_);
  }
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;

  explicit operator bool() const { return module_ != nullptr; }

  // The export `name` as a function of type F; null when it is missing.
  template <typename F>
  F Entry(const char* name) const {
    // Through void (*)(), which converts to every function pointer type
    // without a cast-function-type warning.
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module_, name)));
  }

 private:
  HMODULE module_;
};

using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* needed);
using GetModuleFileNameExAFn = DWORD(WINAPI*)(HANDLE process, HMODULE module, LPSTR name, DWORD chars);

// Query-information and read-memory rights: what the module queries need.
constexpr DWORD kProcessQueryAndRead = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;
static_assert(kProcessQueryAndRead == 0x410);
constexpr DWORD kModulePathChars = 1025;

class Win32WindowSystem final : public WindowSystem {
 public:
  WindowHandle ForegroundWindow() override { return FromHwnd(GetForegroundWindow()); }

  WindowHandle ParentOrOwner(WindowHandle window) override { return FromHwnd(GetParent(ToHwnd(window))); }

  std::string WindowText(WindowHandle window, int bufferChars) override {
    if (bufferChars <= 0) return {};
    std::string text(static_cast<std::size_t>(bufferChars), '\0');
    const int length = GetWindowTextA(ToHwnd(window), text.data(), bufferChars);
    text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return text;
  }

  WindowHandle FindTopLevel(const std::string& className, const std::string& title) override {
    return FromHwnd(FindWindowA(className.c_str(), title.c_str()));
  }

  WindowHandle FindChild(WindowHandle parent, const std::string& className,
                         const std::optional<std::string>& title) override {
    return FromHwnd(FindWindowExA(ToHwnd(parent), nullptr, className.c_str(), title ? title->c_str() : nullptr));
  }

  std::string ClassName(WindowHandle window) override {
    char name[256] = {};
    const int length = GetClassNameA(reinterpret_cast<HWND>(window), name, static_cast<int>(sizeof name));
    return length > 0 ? std::string(name, static_cast<std::size_t>(length)) : std::string();
  }

  std::vector<WindowHandle> TopLevelWindows() override {
    std::vector<WindowHandle> windows;
    // The callback answers TRUE, so the enumeration runs to the end.
    EnumWindows(
        [](HWND window, LPARAM list) -> BOOL {
          try {
            reinterpret_cast<std::vector<WindowHandle>*>(list)->push_back(FromHwnd(window));
          } catch (...) {
            return FALSE;  // out of memory: no exception crosses user32
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
  }

  bool IsVisible(WindowHandle window) override { return IsWindowVisible(ToHwnd(window)) != FALSE; }

  unsigned long ProcessIdOf(WindowHandle window) override {
    DWORD processId = 0;
    GetWindowThreadProcessId(ToHwnd(window), &processId);
    return processId;
  }

  std::string ExecutablePathOf(WindowHandle window) override {
    if (!moduleFileName_ || !enumModules_) return {};

    DWORD processId = 0;
    GetWindowThreadProcessId(ToHwnd(window), &processId);
    if (processId == 0) return {};
    const ObjectHandle process(OpenProcess(kProcessQueryAndRead, FALSE, processId));
    if (!process) return {};

    // One module slot is enough: the question is only whether the process's
    // modules can be read at all; the path asked for is the main module's.
    HMODULE first = nullptr;
    DWORD needed = 0;
    if (!enumModules_(process.get(), &first, sizeof first, &needed)) return {};
    std::string path(kModulePathChars, '\0');
    const DWORD length = moduleFileName_(process.get(), nullptr, path.data(), kModulePathChars);
    path.resize(length < kModulePathChars ? length : kModulePathChars - 1);
    return path;
  }

 private:
  LoadedLibrary psapi_{"psapi.dll"};
  GetModuleFileNameExAFn moduleFileName_ =
      psapi_ ? psapi_.Entry<GetModuleFileNameExAFn>("GetModuleFileNameExA") : nullptr;
  EnumProcessModulesFn enumModules_ = psapi_ ? psapi_.Entry<EnumProcessModulesFn>("EnumProcessModules") : nullptr;
};

}  // namespace

}  // namespace tembric::platform::win32

namespace tembric::platform {

WindowSystem& RealWindowSystem() {
  static win32::Win32WindowSystem windows;
  return windows;
}

}  // namespace tembric::platform
