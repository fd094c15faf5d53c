// TembricMarker.dll: a library that tells the full path it was loaded from.
// Copies of it planted in several folders show which one the loader took.
#include <windows.h>

namespace {
HMODULE self = nullptr;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
  if (reason == DLL_PROCESS_ATTACH) self = instance;
  return TRUE;
}

// Writes this library's full path into `out` (at most `size` bytes with the
// terminating zero); returns its length.
extern "C" __declspec(dllexport) DWORD WINAPI MarkerLocation(char* out, DWORD size) {
  return GetModuleFileNameA(self, out, size);
}
