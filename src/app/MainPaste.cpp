#include "app/MainPaste.h"

#include "app/MainController.h"
#include "app/Notices.h"
#include "app/Trace.h"
#include "context/Identification.h"
#include "store/BlobFile.h"
#include "store/DataTable.h"
#include "tree/TreeModel.h"

namespace tembric::app {

MainPaste::MainPaste(MainPasteDeps deps) : deps_(deps) {}

void MainPaste::PasteInWindowMode(std::string_view fullName) {
  app::Trace("Paste: " + std::string(fullName));
  CopyClose(false);
}

paste::PasteResult MainPaste::CopyClose(bool fromKeystroke) {
  MainController& controller = deps_.controller;
  store::DataTable& records = controller.Library().records;
  if (records.State() == store::TableState::Inactive || records.IsEmpty()) return {};

  paste::PasteRecord record = paste::RecordFromRow(records);
  if (record.type == paste::record_type::kPlugin) {
    if (const tree::TNodeData* data = deps_.tree.Data(deps_.tree.Focused())) {
      record.pluginLibrary = data->PluginLibrary;
      record.pluginIndex = data->PluginIndex;
    }
  }
  const paste::PasteRequest request{
      .fromKeystroke = fromKeystroke,
      .keystrokeLength = controller.Keystrokes().buffer.size(),
      .targetWindow = deps_.target.TargetWindow(),
  };
  // The blob file is looked up at every paste: it may have been deleted or
  // put back since the last one.
  const store::BlobFile blob = store::BlobFile::InFolder(deps_.files, controller.Folder());
  paste::PasteAction action(
      {deps_.clipboard, deps_.input, deps_.files, blob, deps_.libraries, deps_.decoder, *this, owner_},
      controller.HotkeysReady());
  return action.CopyClose(record, request);
}

void MainPaste::HideMainWindow() { deps_.controller.aHide(); }

void MainPaste::ShowMessage(const std::string& text) { deps_.notices.Show(NoticeKind::Error, text); }

void MainPaste::Trace(const std::string& line) { app::Trace(line); }

bool MainPaste::RestoreText() { return deps_.controller.Settings().ReadBool("Basic", "RestoreText", true); }

}  // namespace tembric::app
