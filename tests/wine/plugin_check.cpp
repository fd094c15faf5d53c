// The plugin calls on the real platform: the sample plugin built into
// Plugins\SampleDateTime.dll beside this program is discovered, pasted and
// unloaded through the plugin layer and the Windows library loader, and its
// properties dialog changes the date format it pastes; a
// missing library and a library without the exports give their messages.
// Prints every failed check and exits with 1 when there is one.

#include <windows.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Libraries.h"
#include "platform/win32/Win32Platform.h"
#include "plugins/PluginCalls.h"

namespace {

namespace plugins = tembric::plugins;
using tembric::platform::RealLibraries;

int g_checks = 0;
int g_failures = 0;

void Check(bool ok, const std::string& what) {
  ++g_checks;
  if (ok) return;
  ++g_failures;
  std::printf("FAIL %s\n", what.c_str());
}

void CheckEq(const std::string& got, const std::string& want, const std::string& what) {
  Check(got == want, what + ": got \"" + got + "\", want \"" + want + "\"");
}

template <typename F>
std::string MessageOf(F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

std::string ClipboardText() {
  std::string text;
  for (int attempt = 0; attempt < 50 && !OpenClipboard(nullptr); ++attempt) Sleep(20);
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const char* chars = static_cast<const char*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

bool StillLoaded(const std::string& path) { return GetModuleHandleA(path.c_str()) != nullptr; }

void CheckSamplePlugin(const std::string& dll) {
  const auto items = plugins::ReadPluginItems(RealLibraries(), dll);
  Check(!StillLoaded(dll), "the plugin is unloaded after discovery");
  const std::vector<std::string> subjects = {"Date", "Time", "Date and time", "ISO 8601"};
  Check(items.size() == subjects.size(), "four items, got " + std::to_string(items.size()));
  for (std::size_t i = 0; i < items.size() && i < subjects.size(); ++i) {
    CheckEq(items[i].subject, subjects[i], "subject of item " + std::to_string(i));
    CheckEq(items[i].category, "Date and time", "category of item " + std::to_string(i));
    Check(!items[i].memo.empty(), "memo of item " + std::to_string(i));
    Check(items[i].hasProperties == (i != 3), "properties flag of item " + std::to_string(i));
  }

  SYSTEMTIME before;
  GetLocalTime(&before);
  plugins::HotkeyGate hotkeys;
  const bool paste = plugins::GetPluginResult(RealLibraries(), dll, 3, hotkeys);
  Check(paste, "the ISO item asks for the paste");
  Check(hotkeys.Ready(), "hotkeys ready again after the call");
  Check(!StillLoaded(dll), "the plugin is unloaded after the paste");
  const std::string text = ClipboardText();
  char today[16];
  std::snprintf(today, sizeof today, "%04u-%02u-%02uT", before.wYear, before.wMonth, before.wDay);
  Check(text.size() == 19 && text.rfind(today, 0) == 0 && text[13] == ':' && text[16] == ':',
        "the clipboard holds today's date and time: \"" + text + "\"");

  Check(plugins::GetPluginResult(RealLibraries(), dll, 2, hotkeys), "the date and time item asks for the paste");
  Check(ClipboardText().find(std::to_string(before.wYear)) != std::string::npos,
        "the date and time item holds the year: \"" + ClipboardText() + "\"");
  Check(!plugins::GetPluginResult(RealLibraries(), dll, 99, hotkeys), "an unknown item pastes nothing");
  Check(!StillLoaded(dll), "the plugin is unloaded after every call");
}

void CheckFailures(const std::string& folder) {
  const std::string missing = folder + "Plugins\\NoSuchPlugin.dll";
  CheckEq(MessageOf([&] { plugins::ReadPluginItems(RealLibraries(), missing); }), "Can not load library " + missing,
          "a missing library");

  // A real library without any of the exports.
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  const std::string other = std::string(system) + "\\msimg32.dll";
  plugins::HotkeyGate hotkeys;
  CheckEq(MessageOf([&] { plugins::ReadPluginItems(RealLibraries(), other); }),
          "Method with name GetPluginInfo was not found", "discovery without the export");
  CheckEq(MessageOf([&] { plugins::GetPluginResult(RealLibraries(), other, 0, hotkeys); }),
          "Method with name GetPluginResult was not found", "paste without the export");
  CheckEq(MessageOf([&] { plugins::SetPluginProperties(RealLibraries(), other, 0); }),
          "Method with name SetPluginProperties was not found", "properties without the export");
  Check(hotkeys.Ready(), "hotkeys ready again after a failed paste");
  Check(!StillLoaded(other), "the library without the exports is unloaded");
}

// Answers the properties dialog from another thread, as a user would: once
// the dialog is on screen with the format it was opened with in its date
// field, types a date format, then presses OK or Cancel. The dialog fills its
// fields while it initialises, before it is shown; text typed earlier would
// be overwritten.
struct DialogAnswer {
  std::string shownFormat;  // the date field's text when the dialog is ready
  std::string dateFormat;
  bool ok = true;
  bool seen = false;   // shown, with shownFormat in its date field
  bool typed = false;  // the field held dateFormat before OK or Cancel
};

constexpr int kDateFormatField = 101;
constexpr ULONGLONG kDialogLimitMs = 20000;

std::string FieldText(HWND dialog, int id) {
  char text[256] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

DWORD WINAPI AnswerDialog(void* parameter) {
  auto& answer = *static_cast<DialogAnswer*>(parameter);
  const ULONGLONG deadline = GetTickCount64() + kDialogLimitMs;
  HWND dialog = nullptr;
  while (GetTickCount64() < deadline) {
    dialog = FindWindowA(nullptr, "Date and time formats");
    if (dialog && IsWindowVisible(dialog) && FieldText(dialog, kDateFormatField) == answer.shownFormat) {
      answer.seen = true;
      SetDlgItemTextA(dialog, kDateFormatField, answer.dateFormat.c_str());
      answer.typed = FieldText(dialog, kDateFormatField) == answer.dateFormat;
      PostMessageA(dialog, WM_COMMAND, answer.ok ? IDOK : IDCANCEL, 0);
      return 0;
    }
    Sleep(10);
  }
  // Never ready: close whatever is there, so that the modal call returns and
  // the check reports the failure instead of hanging.
  if (dialog) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  return 1;
}

std::string PasteText(const std::string& dll, int index) {
  plugins::HotkeyGate hotkeys;
  if (!plugins::GetPluginResult(RealLibraries(), dll, index, hotkeys)) return "(no paste)";
  return ClipboardText();
}

void CheckPropertiesDialog(const std::string& dll) {
  const std::string settings = dll.substr(0, dll.size() - 4) + ".ini";
  DeleteFileA(settings.c_str());
  SYSTEMTIME now;
  GetLocalTime(&now);
  char year[8];
  std::snprintf(year, sizeof year, "%04u", now.wYear);

  for (const bool ok : {false, true}) {
    DialogAnswer answer{"yyyy-MM-dd", "'Year 'yyyy", ok};
    HANDLE thread = CreateThread(nullptr, 0, AnswerDialog, &answer, 0, nullptr);
    plugins::SetPluginProperties(RealLibraries(), dll, 0);
    // The dialog has been answered (or given up on) once the call returns.
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    Check(answer.seen, "the properties dialog was shown with the default date format");
    Check(answer.typed, "the date format was typed into the dialog");
    Check(!StillLoaded(dll), "the plugin is unloaded after the dialog");
    const std::string date = PasteText(dll, 0);
    if (ok)
      CheckEq(date, std::string("Year ") + year, "the date in the format chosen with OK");
    else
      Check(date.rfind(std::string(year) + "-", 0) == 0, "Cancel keeps the default date format: \"" + date + "\"");
  }
  DeleteFileA(settings.c_str());
}

}  // namespace

int main() {
  try {
    const std::string exe = tembric::platform::win32::OwnExecutablePath();
    const std::string folder = exe.substr(0, exe.find_last_of('\\') + 1);
    CheckSamplePlugin(folder + "Plugins\\SampleDateTime.dll");
    CheckPropertiesDialog(folder + "Plugins\\SampleDateTime.dll");
    CheckFailures(folder);
  } catch (const std::exception& e) {
    ++g_failures;
    std::printf("FAIL unexpected error: %s\n", e.what());
  }
  std::printf("%d checks, %d failed\n", g_checks, g_failures);
  return g_failures == 0 ? 0 : 1;
}
