#pragma once
// Every call into a plugin library. Each use is one sequence: load the
// library by its full path, find the export, make the call or calls, then
// handle the pending window messages and unload it. No library stays loaded,
// whatever happens during the sequence.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "plugins/HotkeyGate.h"

namespace tembric::platform {
class Libraries;
}

namespace tembric::plugins {

// A library that cannot be loaded or lacks an export. what() is the message
// shown to the user: "Can not load library <path>" or "Method with name
// <export> was not found".
class PluginError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One item a plugin offers, as its PluginInfo held it after the item's call.
struct PluginItem {
  std::string subject;
  std::string category;  // below "*Plugins", backslash-separated; "" for "*Plugins" itself
  std::string memo;
  bool hasProperties = false;
  bool operator==(const PluginItem&) const = default;
};

// The items of the library at `path`, in index order: at most
// TEMBRIC_MAX_PLUGIN_ITEMS, whatever count the plugin reports. Throws
// PluginError.
std::vector<PluginItem> ReadPluginItems(platform::Libraries& libraries, const std::string& path);

// Has the plugin put item `index` on the clipboard; true when it asks for
// the paste (a result of 1). `hotkeys` is closed from before the load until
// after the unload, on every path. Throws PluginError.
bool GetPluginResult(platform::Libraries& libraries, const std::string& path, std::int32_t index, HotkeyGate& hotkeys);

// Lets the user configure item `index`. Throws PluginError.
void SetPluginProperties(platform::Libraries& libraries, const std::string& path, std::int32_t index);

}  // namespace tembric::plugins
