#include "app/MainTree.h"

#include <utility>

#include "app/Notices.h"
#include "app/SettingsFile.h"
#include "app/Trace.h"
#include "context/Identification.h"
#include "platform/FileSystem.h"
#include "plugins/PluginScan.h"
#include "tree/BuildTree.h"
#include "tree/CollapseTree.h"
#include "tree/ContextFill.h"

namespace tembric::app {

MainTree::MainTree(tree::TreeModel& model, store::DataTable& records, tree::SyncView& view,
                   tree::HotkeyRegistrar& hotkeys, std::optional<MainTreePlugins> plugins,
                   std::optional<MainTreeContexts> contexts)
    : model_(model), records_(records), hotkeys_(hotkeys), sync_(model, records, view), contexts_(contexts) {
  if (!plugins) return;
  pluginsFolder_ = plugins->executableFolder + "\\Plugins";
  Notices& notices = plugins->notices;
  scanner_ = std::make_unique<plugins::PluginScanner>(plugins::PluginScanDeps{
      .tree = model_,
      .records = records_,
      .hotkeys = hotkeys_,
      .files = plugins->files,
      .libraries = plugins->libraries,
      .settingsText = [&settings = plugins->settings](
                          std::string_view section,
                          std::string_view key) { return settings.ReadString(section, key, ""); },
      .show = [&notices](const std::string& text) { notices.Show(NoticeKind::Plain, text); },
      .handlePendingMessages = std::move(plugins->handlePendingMessages),
  });
}

MainTree::~MainTree() = default;

void MainTree::InitSysItems() {
  tree::PluginScan scan;
  if (scanner_) scan = [this](tree::NodeHandle) { scanner_->ScanPluginFolder(pluginsFolder_); };
  systemFolders_ = tree::InitSystemFolders(model_, records_, scan);
}

void MainTree::BuildTree() { tree::BuildTree(model_, records_, hotkeys_); }

void MainTree::AlignAtStart() { sync_.AlignAtStart(); }

void MainTree::CollapseTree() { tree::CollapseTree(model_, sync_); }

void MainTree::FillContextTree() {
  if (!contexts_) return;
  context::Identifier& identifier = contexts_->identifier;
  const tree::ContextFillDeps deps{
      .tree = model_,
      .sync = sync_,
      .records = records_,
      .windows = contexts_->windows,
      .relations = contexts_->relations,
      .addresses = {
          .internetExplorer = [&identifier](platform::WindowHandle window) { return identifier.GetIEAddress(window); },
          .firefox = [&identifier] { return identifier.GetFirefoxAddress(); },
      },
      .log = [](const std::string& line) { Trace(line); },
  };
  tree::FillContextTree(deps, systemFolders_.contextRoot, contexts_->target.TargetInfo());
}

}  // namespace tembric::app
