// An application to paste into, for the end-to-end tests: one top-level
// window holding a multi-line edit box with the focus, which records every
// paste that reaches it in a log file and then pastes as an edit box does.
//
// Usage: tembric-paste-target.exe TITLE LOG_FILE
//
// Each paste appends one line to LOG_FILE, written and closed at once so that
// a script polling the file sees it, fields separated by tabs:
//   paste  at MS  waited MS  formats F,F,...  [text ESCAPED]  [bitmap W H]
// `at` is the wall-clock time of the paste in milliseconds since 1970 (the
// clock of Linux's `date +%s%3N`); `waited` how long opening the clipboard
// then took (another program held it, or, under Wine, the thread of the
// clipboard's owner did not answer). F is a clipboard format number on
// offer, registered formats as NUMBER=NAME. `text` is the CF_TEXT text with
// \, CR, LF and tab escaped; `bitmap` the size of the CF_BITMAP object. In
// place of the formats, "error clipboard busy" means the clipboard could not
// be opened within a second.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "../common/escape.h"

namespace {

std::string g_log_path;
WNDPROC g_edit_proc = nullptr;
HWND g_edit = nullptr;

std::int64_t UnixMs() {
  FILETIME ft;
  GetSystemTimePreciseAsFileTime(&ft);
  const std::uint64_t ticks = (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  constexpr std::uint64_t kEpochDelta = 116444736000000000ULL;  // 1601 to 1970 in 100 ns
  return static_cast<std::int64_t>((ticks - kEpochDelta) / 10000);
}

using e2e::Escape;

// Another program (the one that just placed the content) may still hold the
// clipboard for a moment.
bool OpenClipboardWithin(HWND owner, DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  while (!OpenClipboard(owner)) {
    if (GetTickCount64() >= end) return false;
    Sleep(5);
  }
  return true;
}

// What is on offer at this moment; expects the clipboard open.
std::string DescribeClipboard() {
  std::string formats;
  bool has_text = false, has_bitmap = false;
  for (UINT f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f)) {
    if (!formats.empty()) formats += ',';
    formats += std::to_string(f);
    char name[256];
    if (f >= 0xC000 && GetClipboardFormatNameA(f, name, sizeof name) > 0) formats += std::string("=") + name;
    has_text |= f == CF_TEXT;
    has_bitmap |= f == CF_BITMAP;
  }
  std::string out = "\tformats " + formats;
  if (has_text) {
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
      if (const char* p = static_cast<const char*>(GlobalLock(data))) {
        const SIZE_T size = GlobalSize(data);
        std::string text;
        for (SIZE_T i = 0; i < size && p[i] != '\0'; ++i) text += p[i];
        GlobalUnlock(data);
        out += "\ttext " + Escape(text);
      }
    }
  }
  if (has_bitmap) {
    BITMAP bm{};
    HANDLE data = GetClipboardData(CF_BITMAP);
    if (data != nullptr && GetObjectA(data, sizeof bm, &bm) == sizeof bm)
      out += "\tbitmap " + std::to_string(bm.bmWidth) + " " + std::to_string(bm.bmHeight);
    else
      out += "\tbitmap unreadable";
  }
  return out;
}

void RecordPaste() {
  const std::int64_t at = UnixMs();
  std::string line = "paste\tat " + std::to_string(at);
  if (OpenClipboardWithin(g_edit, 1000)) {
    line += "\twaited " + std::to_string(UnixMs() - at);
    line += DescribeClipboard();
    CloseClipboard();
  } else {
    line += "\terror clipboard busy";
  }
  line += '\n';
  if (FILE* f = std::fopen(g_log_path.c_str(), "ab")) {
    std::fwrite(line.data(), 1, line.size(), f);
    std::fclose(f);
  }
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  // Ctrl+V in an edit box, typed or injected, ends in WM_PASTE to the box
  // (under Wine as on Windows); so do Shift+Insert and the context menu's
  // Paste.
  if (msg == WM_PASTE) RecordPaste();
  return CallWindowProcA(g_edit_proc, hwnd, msg, wp, lp);
}

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      MoveWindow(g_edit, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
      return 0;
    case WM_SETFOCUS:  // the window activated: the keys go to the edit box
      SetFocus(g_edit);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (__argc != 3) {
    MessageBoxA(nullptr, "usage: tembric-paste-target.exe TITLE LOG_FILE", "tembric-paste-target", MB_OK);
    return 2;
  }
  g_log_path = __argv[2];
  WNDCLASSA wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = "TembricE2EPasteTarget";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, wc.lpszClassName, __argv[1], WS_OVERLAPPEDWINDOW, 120, 120, 480, 320, nullptr,
                                nullptr, instance, nullptr);
  g_edit =
      CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
                      0, 0, 0, 0, window, nullptr, instance, nullptr);
  g_edit_proc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(g_edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditProc)));
  RECT client;
  GetClientRect(window, &client);
  MoveWindow(g_edit, 0, 0, client.right, client.bottom, FALSE);
  ShowWindow(window, SW_SHOW);
  SetFocus(g_edit);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
