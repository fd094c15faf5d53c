// The library search of the real loader code: a plugin's imports come from
// the plugin's own folder, never from the current folder or PATH. Copies of
// TembricMarker.dll (which tells where it was loaded from) are planted in the
// current folder and in a folder on PATH; MarkerPlugin.dll, which imports it,
// is loaded through the plugin layer, first with no copy in its own folder
// (the load must fail), then with one (that copy must be taken). The two
// libraries are built into dll-search beside this program, outside every
// searched folder. Prints every failed check and exits with 1 when there is one.
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

int g_failures = 0;

void Check(bool ok, const std::string& what) {
  std::printf("%s: %s\n", ok ? "ok  " : "FAIL", what.c_str());
  if (!ok) ++g_failures;
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\') + 1); }

bool SamePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

bool Copy(const std::string& from, const std::string& folder, const std::string& name) {
  return CopyFileA((from + name).c_str(), (folder + name).c_str(), FALSE) != FALSE;
}

// The subject of the plugin's one item: where its import was loaded from.
std::string LoadedMarker(const std::string& plugin) {
  const std::vector<plugins::PluginItem> items = plugins::ReadPluginItems(RealLibraries(), plugin);
  return items.size() == 1 ? items[0].subject : "(" + std::to_string(items.size()) + " items)";
}

}  // namespace

int main() {
  tembric::platform::win32::HardenLibrarySearch();  // as Tembric.exe does first
  const std::string marker = "TembricMarker.dll";
  const std::string built = FolderOf(tembric::platform::win32::OwnExecutablePath()) + "dll-search\\";

  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string root = std::string(temp) + "tembric-dll-search-" + std::to_string(GetCurrentProcessId()) + "\\";
  const std::string pluginFolder = root + "plugin\\", current = root + "current\\", onPath = root + "path\\";
  for (const std::string& folder : {root, pluginFolder, current, onPath}) CreateDirectoryA(folder.c_str(), nullptr);
  Check(Copy(built, pluginFolder, "MarkerPlugin.dll") && Copy(built, current, marker) && Copy(built, onPath, marker),
        "plugin and planted copies in place");

  char oldPath[32767] = {};
  GetEnvironmentVariableA("PATH", oldPath, sizeof oldPath);
  SetEnvironmentVariableA("PATH", (onPath + ";" + oldPath).c_str());
  Check(SetCurrentDirectoryA(current.c_str()) != FALSE, "current folder set");

  const std::string plugin = pluginFolder + "MarkerPlugin.dll";
  std::string message;
  try {
    message = "loaded " + LoadedMarker(plugin);
  } catch (const std::exception& e) {
    message = e.what();
  }
  Check(message == "Can not load library " + plugin,
        "without a copy in the plugin's folder the load fails (" + message + ")");
  Check(GetModuleHandleA(marker.c_str()) == nullptr, "no copy of the marker library left loaded");

  Check(Copy(built, pluginFolder, marker), "copy placed in the plugin's folder");
  try {
    const std::string loaded = LoadedMarker(plugin);
    Check(SamePath(loaded, pluginFolder + marker), "the plugin's import comes from its own folder (" + loaded + ")");
  } catch (const std::exception& e) {
    Check(false, std::string("plugin loaded: ") + e.what());
  }
  Check(GetModuleHandleA(marker.c_str()) == nullptr, "the marker library unloaded with the plugin");

  SetCurrentDirectoryA(temp);
  for (const std::string& file :
       {pluginFolder + "MarkerPlugin.dll", pluginFolder + marker, current + marker, onPath + marker})
    DeleteFileA(file.c_str());
  for (const std::string& folder : {pluginFolder, current, onPath, root}) RemoveDirectoryA(folder.c_str());

  std::printf("%s\n", g_failures ? "FAILED" : "PASSED");
  return g_failures == 0 ? 0 : 1;
}
