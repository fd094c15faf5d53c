// The program's entry: no arguments are used and the exit code stays 0.
#include <windows.h>
// Needs the declarations of <windows.h> first.
#include <commctrl.h>

#include "app/Startup.h"
#include "app/win32/MessageBoxes.h"
#include "app/win32/Win32StartupHost.h"
#include "platform/win32/Win32Platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Before anything loads a library: none from the current folder or PATH.
  tembric::platform::win32::HardenLibrarySearch();
  using namespace tembric::app;
  const INITCOMMONCONTROLSEX controls{.dwSize = sizeof(INITCOMMONCONTROLSEX),
                                      .dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  win32::RunGuarded([] {
    win32::Win32StartupHost host;
    RunStartup(host);
  });
  return 0;
}
