#include "app/MainTree.h"

#include "tree/BuildTree.h"
#include "tree/CollapseTree.h"

namespace tembric::app {

MainTree::MainTree(tree::TreeModel& model, store::DataTable& records, tree::SyncView& view,
                   tree::HotkeyRegistrar& hotkeys)
    : model_(model), records_(records), hotkeys_(hotkeys), sync_(model, records, view) {}

void MainTree::InitSysItems() { systemFolders_ = tree::InitSystemFolders(model_, records_); }

void MainTree::BuildTree() { tree::BuildTree(model_, records_, hotkeys_); }

void MainTree::AlignAtStart() { sync_.AlignAtStart(); }

void MainTree::CollapseTree() { tree::CollapseTree(model_, sync_); }

}  // namespace tembric::app
