#pragma once
// The record tree as the main window sets it up and uses it: the model, the
// selection sync with the details pane, the system folders, the build and
// the collapse command, behind the lifecycle's RecordTreeSeam.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/MainSeams.h"
#include "tree/SelectionSync.h"
#include "tree/SystemFolders.h"
#include "tree/TreeModel.h"

namespace tembric::context {
class Identifier;
class TargetTracker;
}  // namespace tembric::context
namespace tembric::platform {
class FileSystem;
class Libraries;
}  // namespace tembric::platform
namespace tembric::plugins {
class PluginScanner;
}
namespace tembric::store {
class DataTable;
}

namespace tembric::app {

class Notices;
class SettingsFile;

// Where the plugin records come from: the libraries below the "Plugins"
// folder beside the executable, with their keys from the settings file.
struct MainTreePlugins {
  platform::FileSystem& files;
  platform::Libraries& libraries;
  std::string executableFolder;
  const SettingsFile& settings;  // the Plugin\<Subject> sections
  Notices& notices;              // the scan's messages, shown plain
  std::function<void()> handlePendingMessages;
};

// What the context folder is filled from: the contexts (the windows and
// relations tables), the window the user came from, and the browsers'
// addresses.
struct MainTreeContexts {
  store::DataTable& windows;
  store::DataTable& relations;
  const context::TargetTracker& target;
  context::Identifier& identifier;
};

class MainTree final : public RecordTreeSeam {
 public:
  // Without `plugins` the plugins folder stays empty; without `contexts` the
  // context folder does.
  MainTree(tree::TreeModel& model, store::DataTable& records, tree::SyncView& view, tree::HotkeyRegistrar& hotkeys,
           std::optional<MainTreePlugins> plugins = std::nullopt,
           std::optional<MainTreeContexts> contexts = std::nullopt);
  ~MainTree() override;

  tree::TreeModel& Model() { return model_; }
  tree::SelectionSync& Sync() { return sync_; }
  const tree::SystemFolderNodes& SystemFolders() const { return systemFolders_; }

  void InitSysItems() override;
  void BuildTree() override;
  void AlignAtStart() override;
  void CollapseTree() override;
  // The records whose contexts fit TargetInfo, below the context folder; an
  // ill-formed stored mask is told in the debug window's log.
  void FillContextTree() override;

 private:
  tree::TreeModel& model_;
  store::DataTable& records_;
  tree::HotkeyRegistrar& hotkeys_;
  tree::SelectionSync sync_;
  tree::SystemFolderNodes systemFolders_;
  std::string pluginsFolder_;
  std::unique_ptr<plugins::PluginScanner> scanner_;
  std::optional<MainTreeContexts> contexts_;
};

}  // namespace tembric::app
