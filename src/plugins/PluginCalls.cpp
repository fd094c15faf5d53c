#include "plugins/PluginCalls.h"

#include <algorithm>
#include <cstring>

#include "platform/Libraries.h"
#include "plugins/TembricPlugin.h"

namespace tembric::plugins {
namespace {

platform::LoadedLibrary Load(platform::Libraries& libraries, const std::string& path) {
  platform::LoadedLibrary library(libraries, path);
  if (!library) throw PluginError("Can not load library " + path);
  return library;
}

template <typename Proc>
Proc Find(const platform::LoadedLibrary& library, const char* name) {
  const platform::LibraryEntry entry = library.Find(name);
  if (!entry) throw PluginError(std::string("Method with name ") + name + " was not found");
  return reinterpret_cast<Proc>(entry);
}

std::string Counted(const TembricCountedString& s) {
  return std::string(reinterpret_cast<const char*>(s.Text + 1), s.Text[0]);
}

}  // namespace

std::vector<PluginItem> ReadPluginItems(platform::Libraries& libraries, const std::string& path) {
  const platform::LoadedLibrary library = Load(libraries, path);
  const auto getInfo = Find<TembricGetPluginInfoProc>(library, "GetPluginInfo");
  TembricPluginInfo info;
  std::memset(&info, 0, sizeof info);  // once: the plugin sees the previous item's values
  getInfo(&info, 0);
  // The count is the plugin's word: held to the documented maximum, so that
  // a broken plugin cannot have us call it two billion times.
  const std::int32_t count = std::clamp<std::int32_t>(info.Count, 0, TEMBRIC_MAX_PLUGIN_ITEMS);
  std::vector<PluginItem> items;
  items.reserve(static_cast<std::size_t>(count));
  for (std::int32_t index = 0; index < count; ++index) {
    getInfo(&info, index);
    items.push_back({Counted(info.Subject), Counted(info.Category), Counted(info.Memo), info.HasProperties != 0});
  }
  return items;
}

bool GetPluginResult(platform::Libraries& libraries, const std::string& path, std::int32_t index, HotkeyGate& hotkeys) {
  const HotkeyGate::Busy busy(hotkeys);  // declared first: released after the unload
  const platform::LoadedLibrary library = Load(libraries, path);
  const auto getResult = Find<TembricGetPluginResultProc>(library, "GetPluginResult");
  return getResult(index) == 1;
}

void SetPluginProperties(platform::Libraries& libraries, const std::string& path, std::int32_t index) {
  const platform::LoadedLibrary library = Load(libraries, path);
  Find<TembricSetPluginPropertiesProc>(library, "SetPluginProperties")(index);
}

}  // namespace tembric::plugins
