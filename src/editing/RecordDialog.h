#pragma once
// The record dialog's logic ("Record properties"): the one modal dialog in
// which a record or folder is created or edited. It edits the records
// table's current row, which the new/edit workflow has put in edit or insert
// state, through its bound boxes (Name → Subject, Parent → Category,
// Keystroke → KeyDisplay, memo → Memo, file path → FileName, "Enable context
// dependence" → ContextEnabled), validates on Save, and leaves the rest for
// the workflow to read: Folder, content kind and source, hotkey, picture,
// whether the stored clipboard content is kept, and the context list with
// the IDs of deleted stored contexts. It never posts the row and never
// writes the windows or relation tables.
//
// One object lives for the whole run and is shown again and again; every
// showing starts with Shown().

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "editing/ContextList.h"
#include "editing/RecordDialogView.h"
#include "paste/Image.h"
#include "tree/NodeData.h"

namespace tembric::platform {
class Clipboard;
class FileSystem;
class Hotkeys;
class Input;
class Keyboard;
class Libraries;
}  // namespace tembric::platform
namespace tembric::store {
class DataTable;
}
namespace tembric::context {
class TargetTracker;
}
namespace tembric::app {
class SettingsFile;
}

namespace tembric::editing {

class WindowPicker;

inline constexpr const char* kNewRecordCaption = "New record";
inline constexpr const char* kPropertiesCaptionSuffix = " - Properites";
inline constexpr const char* kClipboardExplanation =
    "\r\nClipboard at the same time contains a lot of different types of data.\r\nViewer can not display all types "
    "of these ones, but when you save record whole clipboard content will be saved to database. ";
inline constexpr const char* kTextFilter = "Text files (*.txt)|*.TXT|All files|*.*";
inline constexpr const char* kImageFilter = "JPEG images (*.jpg)|*.jpg|Bitmap images (*.bmp)|*.BMP";
// Shown under the hotkey box when a test registration of the typed
// combination fails: the system would refuse it when the record is saved.
inline constexpr const char* kHotkeyHeldWarning = "This hot key is held by another program and will not work";
inline constexpr const char* kHotkeyProgramWarning = "This hot key is one of Tembric's own and will not work";
// The id of the test registration; above every hotkey slot.
inline constexpr int kHotkeyProbeId = 256;

// Sizes, in pixels at 96 dots per inch.
inline constexpr int kShortDialogHeight = 400;  // below this the dialog is made kShownHeight high
inline constexpr int kShownHeight = 477;
inline constexpr int kFolderHeight = 160;
inline constexpr int kRecordHeight = 480;
inline constexpr int kRecordMinWidth = 355;
inline constexpr int kRecordMinHeight = 470;

struct RecordDialogServices {
  store::DataTable& records;  // TembricDB, its current row in edit or insert state
  platform::Keyboard& keyboard;
  platform::Hotkeys& hotkeys;
  platform::Clipboard& clipboard;
  platform::FileSystem& files;
  platform::Libraries& libraries;
  platform::Input& input;
  const context::TargetTracker& target;
  const app::SettingsFile& settings;
  WindowPicker& picker;
  RecordDialogHost& host;
};

// What the workflow sets before each showing.
struct RecordDialogInputs {
  // Full names of the records (the edited record's own left out); letter case is ignored.
  std::vector<std::string> usedNames;
  std::vector<std::string> usedKeystrokes;  // KeyString values (the edited record's own left out)
  std::vector<std::string> usedHotKeys;     // ShortCut texts of the records
  std::vector<std::string> parentItems;     // "[Root]" first, then the folder paths
  tree::TNodeData node;                     // the edited node's plugin data
};

// Centring in one direction: the offset that centres `content` in
// `viewport`, 0 when it does not fit. An odd difference leaves half a pixel:
// it rounds up (away from zero), so the extra pixel goes to the left or top.
constexpr int CentredOffset(int viewport, int content) { return viewport > content ? (viewport - content + 1) / 2 : 0; }

// A typed character as the Keystroke box takes it: A to Z in small letters.
constexpr char KeystrokeCharacter(char typed) { return typed >= 'A' && typed <= 'Z' ? typed - 'A' + 'a' : typed; }

class RecordDialog final : public RecordDialogEvents {
 public:
  RecordDialog(const RecordDialogServices& services, RecordDialogView& view);

  RecordDialogInputs& Inputs() { return inputs_; }
  // The picture shown, as the workflow loads it for an edit or clears it
  // for a new record; Paste and Load from file replace it.
  void SetPicture(paste::DecodedImage image);

  // ---- Results, read by the workflow after OK ----------------------------------
  bool Folder() const { return folder_; }
  ContentKind Kind() const { return kind_; }
  ContentSource Source() const { return source_; }
  triggers::KeyValue HotkeyValue() const { return hotkey_; }
  std::string HotkeyText() const;  // "" for no hotkey
  const paste::DecodedImage& Picture() const { return picture_; }
  // True: keep the stored clipboard content; false with "Raw clipboard":
  // store the current clipboard.
  bool StoredContentNoteVisible() const { return storedNoteVisible_; }
  // The Context tab's list. The workflow empties it for a new record and
  // fills it for an edit; the dialog never clears it.
  ContextList& Contexts() { return contexts_; }
  const ContextList& Contexts() const { return contexts_; }
  const std::vector<std::string>& DeletedWinIDs() const { return contexts_.DeletedWinIDs(); }
  // The context rows changed outside the dialog: shows them again.
  void ShowContexts();

  // ---- RecordDialogEvents ---------------------------------------------------------
  void Shown() override;
  void Hidden() override;
  void Resized() override;
  void TextChanged(TextBox box, const std::string& text) override;
  char KeystrokeChar(char typed) override { return KeystrokeCharacter(typed); }
  void HotkeyChanged(triggers::KeyValue value) override;
  void ContentKindChanged(ContentKind kind) override;
  void ContentSourceChanged(ContentSource source) override;
  void FolderToggled(bool checked) override;
  void ContextEnabledToggled(bool checked) override;
  bool Save() override;
  // Nothing to do: the workflow drops the row's changes after Cancel.
  void Cancel() override {}
  void Paste() override;
  void LoadFromFile() override;
  void BrowseFile() override;
  void PluginProperties() override;
  void NewContextItem() override;
  void DeleteContextItem() override;

 private:
  // Set-up on show, step by step.
  void BindBoxes();
  void ShowHotkeyOfRow();
  void LayOut();
  void ShowAsType(std::int64_t type);
  void ShowNewRecordContent();
  void MakeNameReadOnly(bool readOnly);

  void SetFolder(bool checked);
  void SetKind(ContentKind kind);
  void SetSource(ContentSource source);
  void ApplyKind();    // the content kind change
  void ApplySource();  // the source change
  void EnableContexts(bool enabled);
  void CentrePicture();

  // Writes a bound box's field of the row and shows the text in the box.
  void SetBound(TextBox box, const std::string& text);
  bool RowEditable() const;
  std::int64_t RowType() const;
  bool ClipboardHoldsText();
  bool ClipboardHoldsPicture();
  // The clipboard's picture: its bitmap, else a JPEG it holds; none when it holds neither.
  std::optional<paste::DecodedImage> ClipboardPicture();
  std::optional<std::string> ClipboardText();  // nothing when the clipboard cannot be opened
  bool RowHoldsStoredClipboard() const;
  bool Refuse(const std::string& message, FocusTarget focus);
  bool ListHolds(const std::vector<std::string>& list, const std::string& text) const;
  const char* FilterForKind() const;

  RecordDialogServices s_;
  RecordDialogView& view_;
  RecordDialogInputs inputs_;
  ContextList contexts_;
  bool folder_ = false;
  bool layoutShown_ = false;  // a folder or record layout has been applied since creation
  ContentKind kind_ = ContentKind::Text;
  ContentSource source_ = ContentSource::Database;
  triggers::KeyValue hotkey_ = 0;
  paste::DecodedImage picture_;
  bool storedNoteVisible_ = false;
};

// The picture a packed DIB from the clipboard (CF_DIB) shows. Throws
// paste::ImageError for bytes that are not such a DIB.
paste::DecodedImage DecodeClipboardDib(const std::vector<std::uint8_t>& dib);

}  // namespace tembric::editing
