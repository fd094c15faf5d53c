#pragma once
// What the helper programs of the identification check share: announcing
// their windows in a ready file, and ending when told or when forgotten.
#include <windows.h>

#include <cstdio>
#include <string>

namespace helper {

// Writes `text` to `path` whole: into a temporary file first, then renamed,
// so that a reader polling for `path` never sees half of it.
inline bool WriteReadyFile(const std::string& path, const std::string& text) {
  const std::string temp = path + ".tmp";
  FILE* file = std::fopen(temp.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (std::fclose(file) != 0 || !written) return false;
  return MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

inline std::string HandleLine(const char* name, HWND window) {
  return std::string(name) + "=" + std::to_string(reinterpret_cast<unsigned long long>(window)) + "\n";
}

// Runs the message loop until WM_QUIT: posted by the last window's
// WM_DESTROY, by the test with PostThreadMessage, or by the safety timer
// that ends a helper the test forgot (a minute is far beyond any check).
inline void CALLBACK GiveUp(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(3); }

inline int RunUntilQuit() {
  SetTimer(nullptr, 0, 60000, GiveUp);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

inline bool RegisterPlainClass(const char* name, WNDPROC proc = DefWindowProcA) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = name;
  return RegisterClassA(&wc) != 0;
}

// A top-level window whose closing ends the helper.
inline LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

inline int Fail(const char* what) {
  std::fprintf(stderr, "helper: %s failed (error %lu)\n", what, GetLastError());
  return 2;
}

}  // namespace helper
