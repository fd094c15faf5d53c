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

class MainTree final : public RecordTreeSeam {
 public:
  // Without `plugins` the plugins folder stays empty.
  MainTree(tree::TreeModel& model, store::DataTable& records, tree::SyncView& view, tree::HotkeyRegistrar& hotkeys,
           std::optional<MainTreePlugins> plugins = std::nullopt);
  ~MainTree() override;

  tree::TreeModel& Model() { return model_; }
  tree::SelectionSync& Sync() { return sync_; }
  const tree::SystemFolderNodes& SystemFolders() const { return systemFolders_; }

  void InitSysItems() override;
  void BuildTree() override;
  void AlignAtStart() override;
  void CollapseTree() override;
  // The context folder's contents come with the context matching; until
  // then it stays empty.
  void FillContextTree() override {}

 private:
  tree::TreeModel& model_;
  store::DataTable& records_;
  tree::HotkeyRegistrar& hotkeys_;
  tree::SelectionSync sync_;
  tree::SystemFolderNodes systemFolders_;
  std::string pluginsFolder_;
  std::unique_ptr<plugins::PluginScanner> scanner_;
};

}  // namespace tembric::app
