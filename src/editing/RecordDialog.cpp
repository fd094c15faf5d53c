// The record dialog: set-up on show, the layouts, the bound boxes, the
// context list and hiding. Content, saving and the hotkey box are in
// RecordDialogContent.cpp and RecordDialogSave.cpp.

#include "editing/RecordDialog.h"

#include <string_view>

#include "app/SettingsFile.h"
#include "app/SettingsKeys.h"
#include "context/Identification.h"
#include "editing/WindowPicker.h"
#include "platform/Input.h"
#include "store/DataTable.h"
#include "store/Tables.h"
#include "triggers/HotkeyText.h"

namespace tembric::editing {

namespace {

struct BoundBox {
  TextBox box;
  const char* field;
};
constexpr BoundBox kBoundBoxes[] = {
    {TextBox::Name, "Subject"}, {TextBox::Parent, "Category"},   {TextBox::Keystroke, "KeyDisplay"},
    {TextBox::Memo, "Memo"},    {TextBox::FilePath, "FileName"},
};

const char* FieldOf(TextBox box) {
  for (const BoundBox& b : kBoundBoxes)
    if (b.box == box) return b.field;
  return "";
}

// The widest text a field takes; 0 for a memo.
std::size_t WidthOf(const store::DataTable& table, std::string_view field) {
  for (const store::FieldDef& def : table.Schema().fields)
    if (def.name == field) return def.type == store::FieldType::Text ? def.width : 0;
  return 0;
}

}  // namespace

RecordDialog::RecordDialog(const RecordDialogServices& services, RecordDialogView& view) : s_(services), view_(view) {}

std::string RecordDialog::HotkeyText() const {
  return hotkey_ == 0 ? std::string() : triggers::HotkeyToText(hotkey_, s_.hotkeys);
}

std::int64_t RecordDialog::RowType() const { return s_.records.AsInteger("Type"); }

bool RecordDialog::RowHoldsStoredClipboard() const {
  const std::int64_t type = RowType();
  return type == static_cast<std::int64_t>(store::RecordType::ClipboardInRow) ||
         type == static_cast<std::int64_t>(store::RecordType::ClipboardInBlob);
}

bool RecordDialog::RowEditable() const {
  const store::TableState state = s_.records.State();
  return state == store::TableState::Edit || state == store::TableState::Insert;
}

void RecordDialog::SetBound(TextBox box, const std::string& text) {
  TextChanged(box, text);
  view_.SetText(box, text);
}

void RecordDialog::TextChanged(TextBox box, const std::string& text) {
  if (RowEditable()) s_.records.Set(FieldOf(box), text);
}

// ---- Set-up on show --------------------------------------------------------

void RecordDialog::Shown() {
  s_.host.SetCollapseTreeEnabled(false);
  contexts_.ClearDeletedWinIDs();
  view_.ShowContentTab();
  view_.SetVisible(DialogPart::PluginInfo, false);
  view_.SetHotkeyWarning("");
  BindBoxes();

  ShowHotkeyOfRow();
  LayOut();

  const std::int64_t type = RowType();
  view_.SetCaption(type > -1 ? s_.records.AsString("Subject") + kPropertiesCaptionSuffix : kNewRecordCaption);

  SetFolder(false);
  view_.SetEnabled(DialogPart::FolderBox, false);

  ShowAsType(type);

  ApplyKind();
  if (type == static_cast<std::int64_t>(store::RecordType::TextFileLink) ||
      type == static_cast<std::int64_t>(store::RecordType::ImageFileLink)) {
    SetSource(ContentSource::ExternalFile);
    ApplySource();
  }

  view_.SetFocus(type == static_cast<std::int64_t>(store::RecordType::Plugin) ? FocusTarget::Keystroke
                                                                              : FocusTarget::Name);
  CentrePicture();
  EnableContexts(s_.records.AsBoolean("ContextEnabled"));
  view_.BringToForeground();
}

// The boxes show the row's fields and take at most their widths.
void RecordDialog::BindBoxes() {
  view_.SetParentItems(inputs_.parentItems);
  for (const BoundBox& b : kBoundBoxes) {
    view_.SetTextLimit(b.box, WidthOf(s_.records, b.field));
    view_.SetText(b.box, s_.records.AsString(b.field));
  }
  // A top-level record's Category is empty; the list names the top level.
  if (s_.records.AsString("Category").empty()) view_.SetText(TextBox::Parent, store::kRootCaption);
  view_.SetContextEnabledChecked(s_.records.AsBoolean("ContextEnabled"));
  view_.SetClipboardExplanation(kClipboardExplanation);
  ShowContexts();
}

void RecordDialog::ShowHotkeyOfRow() {
  hotkey_ = s_.records.IsNull("ShortCut") ? 0 : triggers::TextToHotkey(s_.records.AsString("ShortCut"), s_.hotkeys);
  view_.SetHotkey(hotkey_);
}

void RecordDialog::LayOut() {
  view_.SetVisible(DialogPart::PageArea, true);
  view_.SetClientWidth(view_.PageAreaWidth() + 2 * view_.PageAreaLeft());
  if (view_.Height() < kShortDialogHeight) view_.SetHeight(kShownHeight);
  view_.SetVisible(DialogPart::ContentKindBar, true);
  storedNoteVisible_ = false;
  view_.SetVisible(DialogPart::StoredContentNote, false);
}

void RecordDialog::ShowAsType(std::int64_t type) {
  switch (type) {
    case static_cast<std::int64_t>(store::RecordType::Creating):
      ShowNewRecordContent();
      break;
    case static_cast<std::int64_t>(store::RecordType::Text):
    case static_cast<std::int64_t>(store::RecordType::TextFileLink):
      SetKind(ContentKind::Text);
      SetSource(ContentSource::Database);
      break;
    case static_cast<std::int64_t>(store::RecordType::Image):
    case static_cast<std::int64_t>(store::RecordType::ImageFileLink):
      SetKind(ContentKind::Image);
      SetSource(ContentSource::Database);
      break;
    case static_cast<std::int64_t>(store::RecordType::ClipboardInRow):
    case static_cast<std::int64_t>(store::RecordType::ClipboardInBlob):
      SetKind(ContentKind::RawClipboard);
      SetSource(ContentSource::Database);
      storedNoteVisible_ = true;
      view_.SetVisible(DialogPart::StoredContentNote, true);
      break;
    case static_cast<std::int64_t>(store::RecordType::Folder):
      view_.SetVisible(DialogPart::PageArea, false);
      view_.SetVisible(DialogPart::FilePanel, false);
      view_.SetVisible(DialogPart::ContentKindBar, false);
      MakeNameReadOnly(store::IsAtOrBelow(s_.records.AsString("FullName"), store::kPluginsFolder));
      SetFolder(true);
      break;
    case static_cast<std::int64_t>(store::RecordType::Plugin):
      view_.SetVisible(DialogPart::PageArea, false);
      view_.SetVisible(DialogPart::FilePanel, false);
      view_.SetVisible(DialogPart::ContentKindBar, false);
      view_.SetPluginDescription(s_.records.AsString("Memo"));
      view_.SetVisible(DialogPart::PluginInfo, true);
      view_.SetEnabled(DialogPart::PropertiesButton, inputs_.node.PluginHasProperties);
      MakeNameReadOnly(true);
      break;
    default:
      break;
  }
}

// A new record: the kind the NewContent setting names, taken from the
// clipboard at once when it says "Auto" and AutoPaste is on.
void RecordDialog::ShowNewRecordContent() {
  namespace keys = app::settings;
  SetSource(ContentSource::Database);
  const std::string choice =
      s_.settings.ReadString(keys::kNewContent.section, keys::kNewContent.name, keys::kNewContent.defaultValue);
  if (choice == "Auto") {
    SetKind(ClipboardHoldsText()      ? ContentKind::Text
            : ClipboardHoldsPicture() ? ContentKind::Image
                                      : ContentKind::Text);
    if (keys::Read(s_.settings, keys::kAutoPaste)) Paste();
  } else if (choice == "Text") {
    SetKind(ContentKind::Text);
  } else if (choice == "Image") {
    SetKind(ContentKind::Image);
  } else if (choice == "Clip") {
    SetKind(ContentKind::RawClipboard);
  }
  SetSource(ContentSource::Database);
  view_.SetEnabled(DialogPart::FolderBox, true);
}

void RecordDialog::MakeNameReadOnly(bool readOnly) {
  view_.SetReadOnly(TextBox::Name, readOnly);
  view_.SetReadOnly(TextBox::Parent, readOnly);
}

// ---- Folder and record layouts ---------------------------------------------

void RecordDialog::FolderToggled(bool checked) { SetFolder(checked); }

void RecordDialog::SetFolder(bool checked) {
  view_.SetFolderChecked(checked);
  if (checked == folder_ && layoutShown_) return;
  folder_ = checked;
  layoutShown_ = true;
  for (const DialogPart part :
       {DialogPart::PageArea, DialogPart::ContentKindBar, DialogPart::KeystrokeLabel, DialogPart::KeystrokeBox,
        DialogPart::HotkeyLabel, DialogPart::HotkeyBox, DialogPart::HotkeyWarning})
    view_.SetVisible(part, !checked);
  if (checked) {
    view_.SetMinimumSize(0, 0);
    view_.SetHeight(kFolderHeight);
  } else {
    view_.SetMinimumSize(kRecordMinWidth, kRecordMinHeight);
    view_.SetHeight(kRecordHeight);
    ApplyKind();
  }
}

// ---- Context tab ---------------------------------------------------------------

void RecordDialog::ShowContexts() {
  std::vector<ContextRowText> rows;
  rows.reserve(contexts_.Count());
  for (const ContextRow& row : contexts_.Rows()) rows.push_back({row.Application(), row.Type(), row.TitleOrMask()});
  view_.SetContextRows(rows);
}

void RecordDialog::EnableContexts(bool enabled) {
  for (const DialogPart part : {DialogPart::ContextList, DialogPart::NewItemButton, DialogPart::DeleteButton})
    view_.SetEnabled(part, enabled);
}

void RecordDialog::ContextEnabledToggled(bool checked) {
  if (RowEditable()) s_.records.Set("ContextEnabled", store::Value::Boolean(checked));
  EnableContexts(checked);
}

void RecordDialog::NewContextItem() {
  if (!view_.ShowWindowPicker()) return;
  contexts_.AddFromPicker(s_.picker.TakeResult());
  ShowContexts();
}

void RecordDialog::DeleteContextItem() {
  const int selected = view_.SelectedContextRow();
  if (selected < 0 || static_cast<std::size_t>(selected) >= contexts_.Count()) return;
  contexts_.DeleteRow(static_cast<std::size_t>(selected));
  ShowContexts();
}

// ---- Hiding -----------------------------------------------------------------------

// A dialog opened by the new-record hotkey while another program was in
// front returns the user to that program.
void RecordDialog::Hidden() {
  MakeNameReadOnly(false);
  s_.host.SetCollapseTreeEnabled(true);
  const platform::WindowHandle target = s_.target.TargetWindow();
  if (!s_.host.MainWindowShowing() && target != platform::kNoWindow) {
    s_.input.EnableWindow(target);
    s_.input.SetForegroundWindow(target);
  }
}

}  // namespace tembric::editing
