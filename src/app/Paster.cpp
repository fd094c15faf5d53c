#include "app/Paster.h"

#include <utility>

#include "app/MainSeams.h"
#include "app/Notices.h"
#include "app/SettingsKeys.h"
#include "app/Trace.h"
#include "context/Identification.h"
#include "store/BlobFile.h"
#include "store/DataTable.h"
#include "tree/NodeData.h"

namespace tembric::app {

Paster::Paster(PasterDeps deps) : deps_(std::move(deps)) {}

paste::PasteResult Paster::Paste(const PasteCall& call) {
  const store::DataTable& records = deps_.records;
  const bool hasRow = records.State() != store::TableState::Inactive && !records.IsEmpty();
  if (call.mode == PasteMode::Window) app::Trace("Paste: " + (hasRow ? records.AsString("FullName") : std::string()));
  if (!hasRow) return {};

  paste::PasteRecord record = paste::RecordFromRow(records);
  if (record.type == store::RecordType::Plugin && call.node) {
    record.pluginLibrary = call.node->PluginLibrary;
    record.pluginIndex = call.node->PluginIndex;
  }
  const paste::PasteRequest request{
      .fromKeystroke = call.mode == PasteMode::Keystroke,
      .keystrokeLength = call.keystrokeLength,
      .targetWindow = deps_.target.TargetWindow(),
  };
  // The blob file is looked up at every paste: it may have been deleted or
  // put back since the last one.
  const store::BlobFile blob = store::BlobFile::InFolder(deps_.files, deps_.folder);
  paste::PasteAction action({deps_.clipboard, deps_.input, deps_.clock, deps_.files, blob, deps_.libraries,
                             deps_.decoder, deps_.hotkeys, *this, owner_, &offer_});
  return action.CopyClose(record, request);
}

void Paster::HideMainWindow() { deps_.window.HideMainWindow(); }

void Paster::ShowMessage(const std::string& text) { deps_.notices.Show(NoticeKind::Plain, text); }

void Paster::Trace(const std::string& line) { app::Trace(line); }

void Paster::RenderFormat(platform::ClipFormat format) {
  const std::uint32_t opener = deps_.input.ThreadOf(deps_.clipboard.OpenerWindow());
  if (!offer_.Render(deps_.clipboard, format, opener))
    app::Trace("Paste: asked to render format " + std::to_string(format) + ", which is not offered");
}

void Paster::RenderAllFormats() {
  if (!offer_.Offering()) return;
  const platform::ClipboardOpen open(deps_.clipboard, owner_);
  if (open) offer_.RenderAll(deps_.clipboard);
  offer_.Clear();
}

void Paster::ClipboardDestroyed() { offer_.Clear(); }

bool Paster::RestoreText() { return settings::Read(deps_.settings, settings::kRestoreText); }

}  // namespace tembric::app
