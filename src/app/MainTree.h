#pragma once
// The record tree as the main window sets it up and uses it: the model, the
// selection sync with the details pane, the system folders, the build and
// the collapse command, behind the lifecycle's RecordTreeSeam.

#include <memory>

#include "app/MainSeams.h"
#include "tree/SelectionSync.h"
#include "tree/SystemFolders.h"
#include "tree/TreeModel.h"

namespace tembric::store {
class DataTable;
}

namespace tembric::app {

class MainTree final : public RecordTreeSeam {
 public:
  MainTree(tree::TreeModel& model, store::DataTable& records, tree::SyncView& view, tree::HotkeyRegistrar& hotkeys);

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
};

}  // namespace tembric::app
