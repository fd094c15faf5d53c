// MarkerPlugin.dll: a plugin that imports TembricMarker.dll and offers one
// item whose subject is the path the loader took that library from.
#include <windows.h>

#include "TembricPlugin.h"

extern "C" __declspec(dllimport) DWORD WINAPI MarkerLocation(char* out, DWORD size);

extern "C" __declspec(dllexport) void TEMBRIC_PLUGIN_CALL GetPluginInfo(TembricPluginInfo* info, int32_t) {
  char path[MAX_PATH] = {};
  MarkerLocation(path, MAX_PATH);
  TembricSetCountedString(&info->Subject, path);
  info->Count = 1;
}
