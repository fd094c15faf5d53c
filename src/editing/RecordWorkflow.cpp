#include "editing/RecordWorkflow.h"

#include <algorithm>
#include <charconv>
#include <utility>
#include <vector>

#include "app/SettingsFile.h"
#include "editing/RecordDialog.h"
#include "paste/Bmp.h"
#include "platform/Collation.h"
#include "store/BlobFile.h"
#include "store/DataTable.h"
#include "tree/BuildTree.h"
#include "tree/FolderRows.h"
#include "tree/SelectionSync.h"
#include "tree/TreeModel.h"
#include "triggers/HotkeySlots.h"
#include "triggers/KeyString.h"

namespace tembric::editing {
namespace {

using store::RecordType;
using store::TableState;
using store::Value;
using tree::kNoNode;
using tree::NodeHandle;

constexpr std::int64_t TypeCode(RecordType type) { return static_cast<std::int64_t>(type); }

// Not null and not empty.
bool Present(const Value& value) { return value.IsText() && !value.Text().empty(); }

// Folders a record may be put into: not a system folder and nothing inside
// the plugins or the context folder, wherever such a part appears.
bool OffersAsParent(const std::string& fullName) {
  return fullName != store::kPluginsFolder && fullName.find("\\*Plugins\\") == std::string::npos &&
         fullName != store::kContextFolder && fullName.find("\\*WinContext\\") == std::string::npos;
}

// The used lists are compared without regard to letter case; so is the
// entry an edited record takes out of them.
void RemoveFirstEqual(std::vector<std::string>& list, const std::string& text) {
  const platform::Collation& letters = platform::UserCollation();
  std::string wanted;
  std::string folded;
  letters.FoldCase(text, wanted);
  const auto found = std::find_if(list.begin(), list.end(), [&](const std::string& item) {
    letters.FoldCase(item, folded);
    return folded == wanted;
  });
  if (found != list.end()) list.erase(found);
}

// The part of a Category after its last "\" or ":", which a context item
// shows after the record's name.
std::string FolderHint(const std::string& category) {
  const std::size_t cut = category.find_last_of("\\:");
  return cut == std::string::npos ? category : category.substr(cut + 1);
}

// Leaves the row as it was before the command: edits dropped.
void DropRowChanges(store::DataTable& records) {
  if (records.State() == TableState::Edit || records.State() == TableState::Insert) records.Cancel();
}

}  // namespace

RecordWorkflow::RecordWorkflow(RecordWorkflowDeps deps)
    : deps_(std::move(deps)), contexts_(deps_.library, deps_.files, deps_.random) {}

// ---- The lists -------------------------------------------------------------------

void RecordWorkflow::FillCatList(bool forNew) {
  store::DataTable& records = deps_.library.records;
  RecordDialogInputs& inputs = deps_.dialog.Inputs();
  const bool hasRow = records.State() != TableState::Inactive && !records.IsEmpty();
  const std::string currentFolder =
      hasRow && records.AsInteger("Type") == TypeCode(RecordType::Folder) ? records.AsString("FullName") : "";
  inputs.parentItems.assign(1, store::kRootCaption);
  if (!hasRow) return;

  // Every row is read in path order; the table's position, ordering and
  // reaction to scrolling come back afterwards.
  const bool reacting = deps_.sync.AfterScrollAttached();
  if (reacting) deps_.sync.DetachAfterScroll();
  records.DisableControls();
  records.CancelRange();
  const std::string remembered = records.AsString("FullName");
  const std::string index = records.IndexName();
  const std::string fields = records.IndexFieldNames();
  if (index != store::kRecordsIndex) records.SetIndexName(store::kRecordsIndex);
  inputs.usedNames.clear();
  inputs.usedKeystrokes.clear();
  inputs.usedHotKeys.clear();
  const std::string inside = currentFolder + "\\";
  for (records.First(); !records.Eof(); records.Next()) {
    const std::string fullName = records.AsString("FullName");
    if (records.AsInteger("Type") == TypeCode(RecordType::Folder) && OffersAsParent(fullName)) {
      const bool offered =
          currentFolder.empty() || (!fullName.starts_with(inside) && (forNew || fullName != currentFolder));
      if (offered) inputs.parentItems.push_back(fullName);
    }
    if (const Value keyString = records.Get("KeyString"); Present(keyString))
      inputs.usedKeystrokes.push_back(keyString.Text());
    if (const Value shortCut = records.Get("ShortCut"); Present(shortCut))
      inputs.usedHotKeys.push_back(shortCut.Text());
    inputs.usedNames.push_back(fullName);
  }
  deps_.sync.PositionOnKey(remembered);
  if (index != store::kRecordsIndex) {
    if (!index.empty()) {
      records.SetIndexName(index);
    } else {
      records.SetIndexFieldNames(fields);
    }
  }
  records.EnableControls();
  if (reacting) deps_.sync.AttachAfterScroll();
}

bool RecordWorkflow::aNewChildUpdate() const {
  const store::DataTable& records = deps_.library.records;
  if (records.State() != TableState::Browse || records.IsEmpty()) return false;
  return records.AsInteger("Type") == TypeCode(RecordType::Folder) && !tree::IsSystemPath(records.AsString("FullName"));
}

std::vector<std::string> RecordWorkflow::CollectUsedHotKeys() {
  deps_.sync.DisableDBControls();
  std::vector<std::string> used;
  try {
    FillCatList(false);
    used = deps_.dialog.Inputs().usedHotKeys;
  } catch (...) {
    Finish(true);
    throw;
  }
  Finish(true);
  return used;
}

void RecordWorkflow::Finish(bool clearLists) {
  deps_.dialog.SetPicture({});
  if (clearLists) {
    RecordDialogInputs& inputs = deps_.dialog.Inputs();
    inputs.usedNames.clear();
    inputs.usedKeystrokes.clear();
    inputs.usedHotKeys.clear();
  }
  deps_.sync.EnableDBControls();
}

// ---- New -----------------------------------------------------------------------------

void RecordWorkflow::aNewRecordExecute(std::string_view sender) {
  // Not while a row is being edited: the dialog is already open.
  if (deps_.library.records.State() != TableState::Browse) return;
  NewRecord(sender == kNewChildAction);
}

std::string RecordWorkflow::PresetCategory(bool addChild, NodeHandle focused) const {
  const tree::TNodeData* data = deps_.model.Data(focused);
  if (addChild) return data != nullptr ? data->FullName : std::string();
  if (data == nullptr || deps_.model.Parent(focused) == kNoNode) return {};
  // A record is never put among the plugin items: they are made anew at every start.
  const std::string& category = data->Category;
  if (category == store::kPluginsFolder || category.find("\\*Plugins\\") != std::string::npos) return {};
  return category;
}

void RecordWorkflow::NewRecord(bool addChild) {
  store::DataTable& records = deps_.library.records;
  tree::TreeModel& model = deps_.model;
  const NodeHandle focused = model.IsValid(model.Focused()) ? model.Focused() : kNoNode;
  NodeHandle node = kNoNode;
  store::DataTable::Bookmark row = 0;

  deps_.sync.DisableDBControls();
  try {
    records.CancelRange();
    FillCatList(true);
    deps_.sync.ResumeControls();
    deps_.dialog.Inputs().node = {};

    // Until Save the new row lives in the table's insert buffer only.
    records.Append();
    const std::string category = PresetCategory(addChild, focused);
    records.Set("Category", category.empty() ? store::kRootCaption : category);
    records.Set("Type", TypeCode(RecordType::Creating));
    records.Set("ContextEnabled", Value::Boolean(false));
    deps_.dialog.Contexts().Clear();
    if (!deps_.showDialog()) {
      records.Cancel();
      Finish(true);
      return;
    }

    records.Post();
    row = records.GetBookmark();
    records.Edit();
    const std::int32_t id = store::DrawRecordId(records, deps_.random);
    records.Set("ID", id);
    std::string parentPath = records.AsString("Category");
    if (parentPath == store::kRootCaption) parentPath.clear();
    records.Set("Category", parentPath);
    const bool folder = deps_.dialog.Folder();
    records.Set("Type", TypeCode(folder ? RecordType::Folder : RecordType::Text));
    const std::string fullName = store::MakeFullName(parentPath, records.AsString("Subject"));
    records.Set("FullName", fullName);
    records.Set("ShortCut", deps_.dialog.HotkeyText());

    tree::TNodeData data;
    data.Subject = tree::ShortString(records.AsString("Subject"));
    data.Category = tree::ShortString(parentPath);
    data.FullName = tree::ShortString(fullName);
    const NodeHandle parent = addChild ? focused : focused != kNoNode ? model.Parent(focused) : kNoNode;
    node = model.AddChild(parent, std::move(data));
    records.Set("Node", node);

    if (!records.IsNull("KeyDisplay")) triggers::SetKeyString(records, deps_.keyboard);
    if (!folder) StoreNewContent();
    records.Post();
    const auto type = static_cast<std::int32_t>(records.AsInteger("Type"));
    const Value shortCut = records.Get("ShortCut");
    const bool keystroke = Present(records.Get("KeyString"));

    // The tree is brought in line before the files are written, so that a
    // failed save still leaves the record with its node in place; the
    // records reach the file at the next save.
    const NodeHandle folderNode = FolderNode(parentPath);
    records.GotoBookmark(row);
    row = 0;  // the record is complete: it stays whatever follows
    if (model.Parent(node) != folderNode) model.MoveTo(node, folderNode);
    model.Data(node)->Type = type;
    model.NotifyChanged(node);
    const int slot =
        Present(shortCut) ? deps_.hotkeys.SetHotkeySlot(triggers::kRecordHotkeyName, shortCut.Text(), 0, true) : 0;
    model.SetMarks(node, slot, keystroke);
    model.SortChildren(model.Parent(node));
    deps_.sync.SetReturnPath(fullName);

    SaveContexts(id);
    records.Save(deps_.files);
  } catch (...) {
    // A record whose content could not be stored is not kept.
    DropRowChanges(records);
    if (row != 0 && records.GotoBookmark(row)) records.Delete();
    if (row != 0 && node != kNoNode) model.Delete(node);
    Finish(true);
    throw;
  }
  Finish(true);
}

void RecordWorkflow::StoreNewContent() {
  const store::BlobFile blob = store::BlobFile::InFolder(deps_.files, deps_.folder);
  store::DataTable& records = deps_.library.records;
  const bool file = deps_.dialog.Source() == ContentSource::ExternalFile;
  switch (deps_.dialog.Kind()) {
    case ContentKind::RawClipboard: {
      store::SystemClipboardCapture capture(deps_.clipboard, platform::kNoWindow);
      store::SaveToFile(blob, capture, records);
      break;
    }
    case ContentKind::Image:
      if (file) {
        records.Set("Type", TypeCode(RecordType::ImageFileLink));
      } else {
        store::SaveImageToFile(
            blob, [this] { return paste::EncodeBmp(deps_.dialog.Picture()); }, records);
      }
      break;
    case ContentKind::Text:
      if (file) records.Set("Type", TypeCode(RecordType::TextFileLink));
      break;  // otherwise the text is the row's Memo
  }
}

NodeHandle RecordWorkflow::FolderNode(const std::string& category) {
  if (category.empty() || !deps_.sync.PositionOnKey(category)) return kNoNode;
  return deps_.sync.CurrentRowNode();
}

// ---- Edit ----------------------------------------------------------------------------

void RecordWorkflow::aEditExecute() {
  store::DataTable& records = deps_.library.records;
  if (records.State() != TableState::Browse || records.IsEmpty()) return;
  const std::string fullName = records.AsString("FullName");
  if (fullName == store::kPluginsFolder || fullName == store::kContextFolder) return;
  EditRecord();
}

NodeHandle RecordWorkflow::ContextItemOf(NodeHandle focused, const std::string& fullName) const {
  const tree::TreeModel& model = deps_.model;
  if (const tree::TNodeData* data = model.Data(focused); data != nullptr && data->IsContextItem) return focused;
  const NodeHandle root = deps_.contextRoot ? deps_.contextRoot() : kNoNode;
  if (root == kNoNode || !model.IsValid(root)) return kNoNode;
  for (const NodeHandle item : model.Children(root)) {
    const tree::TNodeData* data = model.Data(item);
    if (data->IsContextItem && data->FullName == fullName) return item;
  }
  return kNoNode;
}

void RecordWorkflow::EditRecord() {
  store::DataTable& records = deps_.library.records;
  tree::TreeModel& model = deps_.model;
  RecordDialog& dialog = deps_.dialog;
  const NodeHandle focused = model.IsValid(model.Focused()) ? model.Focused() : kNoNode;
  dialog.Inputs().node = focused != kNoNode ? *model.Data(focused) : tree::TNodeData{};

  deps_.sync.DisableDBControls();
  try {
    const std::string oldPath = records.AsString("FullName");
    const Value oldKeystroke = records.Get("KeyString");
    const NodeHandle contextItem = ContextItemOf(focused, oldPath);
    FillCatList(false);
    RemoveFirstEqual(dialog.Inputs().usedNames, oldPath);
    if (oldKeystroke.IsText()) RemoveFirstEqual(dialog.Inputs().usedKeystrokes, oldKeystroke.Text());
    deps_.sync.ResumeControls();

    records.Edit();
    if (records.AsString("Category").empty()) records.Set("Category", store::kRootCaption);
    const std::int64_t typeBefore = records.AsInteger("Type");
    const bool plugin = typeBefore == TypeCode(RecordType::Plugin);
    const auto id = static_cast<std::int32_t>(records.AsInteger("ID"));
    if (typeBefore == TypeCode(RecordType::Image)) {
      const store::BlobFile blob = store::BlobFile::InFolder(deps_.files, deps_.folder);
      dialog.SetPicture(paste::DecodeBmp(store::ReadBlobExtent(blob, store::CurrentExtent(records))));
    }
    dialog.Contexts().Clear();
    if (!plugin) {
      for (context::TWinDescriptor& stored : contexts_.LoadContexts(id)) dialog.Contexts().Add(std::move(stored));
    }

    if (deps_.showDialog()) {
      records.Post();
      records.Edit();
      if (records.AsString("Category") == store::kRootCaption) records.Set("Category", "");
      if (!plugin) StoreEditedContent(typeBefore);
      const std::string fullName = store::MakeFullName(records.AsString("Category"), records.AsString("Subject"));
      records.Set("FullName", fullName);
      records.Set("ShortCut", dialog.HotkeyText());
      if (!records.IsNull("KeyDisplay")) {
        triggers::SetKeyString(records, deps_.keyboard);
      } else {
        records.SetNull("KeyString");
      }
      if (plugin) WritePluginKeys();
      records.Post();
      // The tree follows before any file is written, so that a failed save
      // leaves the nodes showing the rows as they are.
      RewriteNodes(contextItem);
      if (fullName != oldPath) MoveRecord(oldPath, fullName, dialog.Folder());
      // Leaving quiet mode lands on the edited row, under its new path too,
      // and shows it in the details pane.
      deps_.sync.SetReturnPath(fullName);
      if (!plugin) {
        std::vector<std::int32_t> deleted;
        for (const std::string& text : dialog.DeletedWinIDs()) {
          std::int32_t winId = 0;
          const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), winId);
          if (error == std::errc() && end == text.data() + text.size()) deleted.push_back(winId);
        }
        contexts_.DeleteContexts(id, deleted);
        SaveContexts(id);
      }
      records.Save(deps_.files);
    } else {
      records.Cancel();
    }
  } catch (...) {
    DropRowChanges(records);
    Finish(false);
    throw;
  }
  Finish(false);
  if (focused != kNoNode && model.IsValid(focused)) {
    model.SetFocused(focused);
    model.SetSelected(focused, true);
  }
}

void RecordWorkflow::SaveContexts(std::int32_t id) {
  std::vector<context::TWinDescriptor> descriptors;
  for (const ContextRow& context : deps_.dialog.Contexts().Rows()) descriptors.push_back(context.descriptor);
  contexts_.SaveContexts(id, descriptors);
}

void RecordWorkflow::StoreEditedContent(std::int64_t typeBefore) {
  store::DataTable& records = deps_.library.records;
  const RecordDialog& dialog = deps_.dialog;
  if (dialog.Folder()) {
    records.Set("Type", TypeCode(RecordType::Folder));
    return;
  }
  const store::BlobFile blob = store::BlobFile::InFolder(deps_.files, deps_.folder);
  const bool file = dialog.Source() == ContentSource::ExternalFile;
  records.Set("Type", TypeCode(RecordType::ClipboardInBlob));
  if (!dialog.StoredContentNoteVisible()) {
    if (dialog.Kind() == ContentKind::Image && !file) {
      store::SaveImageToFile(
          blob, [&dialog] { return paste::EncodeBmp(dialog.Picture()); }, records);
    } else if (dialog.Kind() == ContentKind::RawClipboard) {
      store::SystemClipboardCapture capture(deps_.clipboard, platform::kNoWindow);
      store::SaveToFile(blob, capture, records);
    }
  } else if (typeBefore == TypeCode(RecordType::ClipboardInRow)) {
    // The snapshot kept in the row moves to the blob file, where a record
    // of this type has its bytes; left in the row it could not be pasted.
    const store::BlobExtent extent = store::AppendToBlobFile(blob, records.AsBytes("Blob"));
    records.Set("FilePosition", extent.filePosition);
    records.Set("Size", extent.size);
    records.SetNull("Blob");
  }
  if (file) records.Set("Memo", "");
  if (dialog.Kind() == ContentKind::Text) {
    records.Set("Type", TypeCode(file ? RecordType::TextFileLink : RecordType::Text));
  } else if (dialog.Kind() == ContentKind::Image && file) {
    records.Set("Type", TypeCode(RecordType::ImageFileLink));
  }
}

void RecordWorkflow::WritePluginKeys() {
  const store::DataTable& records = deps_.library.records;
  const std::string section = "Plugin\\" + records.AsString("Subject");
  deps_.settings.WriteString(section, "Keydisplay", records.AsString("KeyDisplay"));
  deps_.settings.WriteString(section, "Keystring", records.AsString("KeyString"));
  deps_.settings.WriteString(section, "ShortCut", records.AsString("ShortCut"));
}

void RecordWorkflow::RewriteNodes(NodeHandle contextItem) {
  const store::DataTable& records = deps_.library.records;
  tree::TreeModel& model = deps_.model;
  const std::string subject = records.AsString("Subject");
  const std::string category = records.AsString("Category");
  const std::string fullName = records.AsString("FullName");
  const auto type = static_cast<std::int32_t>(records.AsInteger("Type"));
  const NodeHandle own = deps_.sync.CurrentRowNode();
  if (own != kNoNode) {
    tree::TNodeData* data = model.Data(own);
    data->Subject = tree::ShortString(subject);
    data->Category = tree::ShortString(category);
    data->FullName = tree::ShortString(fullName);
    data->Type = type;
    model.NotifyChanged(own);
  }
  if (contextItem != kNoNode && contextItem != own && model.IsValid(contextItem)) {
    const std::string hint = FolderHint(category);
    tree::TNodeData* data = model.Data(contextItem);
    data->Subject = tree::ShortString(hint.empty() ? subject : subject + " (" + hint + ")");
    data->Category = tree::ShortString(category);
    data->FullName = tree::ShortString(fullName);
    data->Type = type;
    model.NotifyChanged(contextItem);
  }
  if (own == kNoNode) return;
  const Value shortCut = records.Get("ShortCut");
  const int previous = model.Data(own)->HotkeySlot;
  const int slot = Present(shortCut)
                       ? deps_.hotkeys.SetHotkeySlot(triggers::kRecordHotkeyName, shortCut.Text(), previous, true)
                       : deps_.hotkeys.SetHotkeySlot(triggers::kRecordHotkeyName, "", previous, false);
  model.SetMarks(own, slot, Present(records.Get("KeyString")));
}

void RecordWorkflow::MoveRecord(const std::string& oldPath, const std::string& newPath, bool folder) {
  store::DataTable& records = deps_.library.records;
  tree::TreeModel& model = deps_.model;
  records.CancelRange();
  if (folder) tree::MoveRowsInFolder(records, model, deps_.sync, oldPath, newPath);
  deps_.sync.PositionOnKey(newPath);
  const NodeHandle own = deps_.sync.CurrentRowNode();
  const NodeHandle parent = FolderNode(records.AsString("Category"));
  if (own != kNoNode && model.Parent(own) != parent) model.MoveTo(own, parent);
  deps_.sync.PositionOnKey(newPath);
  if (own != kNoNode) model.SortChildren(model.Parent(own));
}

}  // namespace tembric::editing
