// SampleDateTime.dll: the current date and time for Tembric, in four items
// below "*Plugins\Date and time". The date and time formats are Windows
// format pictures kept in SampleDateTime.ini beside the DLL and changed in
// the properties dialog. No exception leaves an export.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "Resource.h"
#include "TembricPlugin.h"

namespace {

HINSTANCE module = nullptr;

constexpr const char* kDefaultDateFormat = "yyyy-MM-dd";
constexpr const char* kDefaultTimeFormat = "HH:mm:ss";

enum Item : std::int32_t { kDate, kTime, kDateAndTime, kIso, kItemCount };

struct ItemText {
  const char* subject;
  const char* memo;
  bool hasProperties;
};
constexpr ItemText kItems[kItemCount] = {
    {"Date", "Today's date in the chosen date format", true},
    {"Time", "The time now in the chosen time format", true},
    {"Date and time", "Date and time now in the chosen formats, separated by a space", true},
    {"ISO 8601", "Date and time now as yyyy-mm-ddThh:mm:ss", false},
};

std::string SettingsPath() {
  char path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
  std::string result(path, n);
  const auto dot = result.find_last_of('.');
  const auto slash = result.find_last_of("\\/");
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) result.erase(dot);
  return result + ".ini";
}

std::string ReadFormat(const char* key, const char* fallback) {
  char text[256] = {};
  GetPrivateProfileStringA("Formats", key, fallback, text, sizeof text, SettingsPath().c_str());
  return text[0] ? text : fallback;
}

std::string FormatDate(const SYSTEMTIME& now, const std::string& picture) {
  char text[256] = {};
  if (!GetDateFormatA(LOCALE_USER_DEFAULT, 0, &now, picture.c_str(), text, sizeof text)) return {};
  return text;
}

std::string FormatTime(const SYSTEMTIME& now, const std::string& picture) {
  char text[256] = {};
  if (!GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &now, picture.c_str(), text, sizeof text)) return {};
  return text;
}

std::string ItemContent(std::int32_t index, const SYSTEMTIME& now) {
  switch (index) {
    case kDate:
      return FormatDate(now, ReadFormat("Date", kDefaultDateFormat));
    case kTime:
      return FormatTime(now, ReadFormat("Time", kDefaultTimeFormat));
    case kDateAndTime:
      return FormatDate(now, ReadFormat("Date", kDefaultDateFormat)) + " " +
             FormatTime(now, ReadFormat("Time", kDefaultTimeFormat));
    case kIso: {
      char text[32];
      std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                    now.wMinute, now.wSecond);
      return text;
    }
    default:
      return {};
  }
}

// Puts `text` on the clipboard as CF_TEXT, owned by a window of our own for
// the moment of the change.
bool PlaceText(const std::string& text) {
  const HWND owner = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, nullptr);
  bool placed = false;
  if (OpenClipboard(owner)) {
    if (EmptyClipboard()) {
      if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        if (void* bytes = GlobalLock(memory)) {
          std::memcpy(bytes, text.c_str(), text.size() + 1);
          GlobalUnlock(memory);
          placed = SetClipboardData(CF_TEXT, memory) != nullptr;
        }
        if (!placed) GlobalFree(memory);
      }
    }
    CloseClipboard();
  }
  if (owner) DestroyWindow(owner);
  return placed;
}

std::string DialogText(HWND dialog, int control) {
  char text[256] = {};
  GetDlgItemTextA(dialog, control, text, sizeof text);
  return text;
}

void UpdatePreview(HWND dialog) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  const std::string preview = FormatDate(now, DialogText(dialog, IDC_DATE_FORMAT)) + "   " +
                              FormatTime(now, DialogText(dialog, IDC_TIME_FORMAT));
  SetDlgItemTextA(dialog, IDC_PREVIEW, ("Now: " + preview).c_str());
}

INT_PTR CALLBACK FormatsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  try {
    switch (message) {
      case WM_INITDIALOG:
        SetDlgItemTextA(dialog, IDC_DATE_FORMAT, ReadFormat("Date", kDefaultDateFormat).c_str());
        SetDlgItemTextA(dialog, IDC_TIME_FORMAT, ReadFormat("Time", kDefaultTimeFormat).c_str());
        UpdatePreview(dialog);
        return TRUE;
      case WM_COMMAND:
        switch (LOWORD(wParam)) {
          case IDC_DATE_FORMAT:
          case IDC_TIME_FORMAT:
            if (HIWORD(wParam) == EN_CHANGE) UpdatePreview(dialog);
            return TRUE;
          case IDOK: {
            const std::string settings = SettingsPath();
            WritePrivateProfileStringA("Formats", "Date", DialogText(dialog, IDC_DATE_FORMAT).c_str(),
                                       settings.c_str());
            WritePrivateProfileStringA("Formats", "Time", DialogText(dialog, IDC_TIME_FORMAT).c_str(),
                                       settings.c_str());
            EndDialog(dialog, IDOK);
            return TRUE;
          }
          case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
  } catch (...) {
    EndDialog(dialog, IDCANCEL);
  }
  return FALSE;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

void TEMBRIC_PLUGIN_CALL GetPluginInfo(TembricPluginInfo* info, std::int32_t index) {
  if (!info) return;
  info->Count = kItemCount;
  if (index < 0 || index >= kItemCount) return;
  TembricSetCountedString(&info->Subject, kItems[index].subject);
  TembricSetCountedString(&info->Category, "Date and time");
  TembricSetCountedString(&info->Memo, kItems[index].memo);
  info->HasProperties = kItems[index].hasProperties ? 1 : 0;
}

unsigned char TEMBRIC_PLUGIN_CALL GetPluginResult(std::int32_t index) {
  try {
    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::string text = ItemContent(index, now);
    if (text.empty()) return 0;
    return PlaceText(text) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

void TEMBRIC_PLUGIN_CALL SetPluginProperties(std::int32_t index) {
  if (index < 0 || index >= kItemCount || !kItems[index].hasProperties) return;
  DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_FORMATS), GetActiveWindow(), FormatsDialog, 0);
}

}  // extern "C"
