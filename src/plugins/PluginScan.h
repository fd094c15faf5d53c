#pragma once
// The plugin part of the record tree, made anew at every start: every plugin
// library below a folder is asked for its items, and each item becomes a
// plugin record (a row and its node) below "*Plugins", in the sub-folder its
// Category names. The keys a user gives a plugin record live in the settings
// file, section "Plugin\<Subject>", so that they outlive the rebuild.

#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "tree/NodeData.h"

namespace tembric::platform {
class FileSystem;
class Libraries;
}  // namespace tembric::platform
namespace tembric::store {
class DataTable;
}
namespace tembric::tree {
class HotkeyRegistrar;
class TreeModel;
}  // namespace tembric::tree

namespace tembric::plugins {

struct PluginScanDeps {
  tree::TreeModel& tree;
  store::DataTable& records;
  tree::HotkeyRegistrar& hotkeys;
  platform::FileSystem& files;
  platform::Libraries& libraries;
  // The text of `key` in `section` of the settings file, "" when there is
  // none; names match without regard to case.
  std::function<std::string(std::string_view section, std::string_view key)> settingsText;
  // Shows a message to the user; returns when it was answered.
  std::function<void(const std::string& text)> show;
  // Handles the window messages pending for this thread.
  std::function<void()> handlePendingMessages;
};

class PluginScanner {
 public:
  explicit PluginScanner(PluginScanDeps deps) : deps_(std::move(deps)) {}

  // Visits the entries of `folder` in the order the file system lists them:
  // a file whose last extension is "dll" in any letter case (or that is
  // named just "dll") is loaded, a sub-folder is scanned in turn, and the
  // pending window messages are handled after each entry. A folder that
  // does not exist holds nothing. Any other failure shows "Error in getfiles
  // with <folder>\<entry>" and skips the rest of this folder only.
  void ScanPluginFolder(const std::string& folder);

  // Appends a plugin record with its node for every item of the library at
  // `path`. A library that cannot be loaded or lacks its info entry shows
  // why and adds nothing. Other failures propagate.
  void LoadPluginLibrary(const std::string& path);

  // The node of the folder "\A\B..." (`path`), looked for below the root by
  // Subject, letter case counting, the first in sibling order winning; each
  // missing folder is created with its row on the way.
  tree::NodeHandle EnsureFolderPath(std::string_view path);

 private:
  tree::NodeHandle AddFolder(tree::NodeHandle parent, std::string_view name);

  PluginScanDeps deps_;
};

}  // namespace tembric::plugins
