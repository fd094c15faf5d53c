// ItemsPlugin.dll: a plugin offering as many items as the [Items] Count of
// the settings file beside it says (ItemsPlugin.ini; 50 when there is none),
// "Item 1", "Item 2", ..., twenty to a folder "Items\Group N", for timing
// the start-up with many plugin records. A paste puts the item's subject on
// the clipboard.
#include <windows.h>

#include <cstring>
#include <string>

#include "TembricPlugin.h"

namespace {

HINSTANCE module = nullptr;

int ItemCount() {
  char path[MAX_PATH] = {};
  std::string ini(path, GetModuleFileNameA(module, path, MAX_PATH));
  ini.replace(ini.find_last_of('.'), std::string::npos, ".ini");
  const UINT count = GetPrivateProfileIntA("Items", "Count", 50, ini.c_str());
  return count > TEMBRIC_MAX_PLUGIN_ITEMS ? TEMBRIC_MAX_PLUGIN_ITEMS : static_cast<int>(count);
}

std::string Subject(int32_t index) { return "Item " + std::to_string(index + 1); }

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) module = instance;
  return TRUE;
}

extern "C" __declspec(dllexport) void TEMBRIC_PLUGIN_CALL GetPluginInfo(TembricPluginInfo* info, int32_t index) {
  info->Count = ItemCount();
  if (index < 0 || index >= info->Count) return;
  TembricSetCountedString(&info->Subject, Subject(index).c_str());
  TembricSetCountedString(&info->Category, ("Items\\Group " + std::to_string(index / 20 + 1)).c_str());
  TembricSetCountedString(&info->Memo, "an item for timings");
}

extern "C" __declspec(dllexport) unsigned char TEMBRIC_PLUGIN_CALL GetPluginResult(int32_t index) {
  const std::string text = Subject(index);
  const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  if (!memory) return 0;
  std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
  GlobalUnlock(memory);
  if (!OpenClipboard(nullptr)) {
    GlobalFree(memory);
    return 0;
  }
  EmptyClipboard();
  const bool placed = SetClipboardData(CF_TEXT, memory) != nullptr;
  CloseClipboard();
  if (!placed) GlobalFree(memory);
  return placed ? 1 : 0;
}
