#pragma once
// What the record dialog's logic (RecordDialog) needs of its window, and
// what the window tells the logic. The Win32 dialog implements
// RecordDialogView and calls RecordDialogEvents for what the user does; the
// unit tests use a recording fake.
//
// The logic owns every rule; the window only shows. Calls from the logic
// that change a control (SetText, SetContentKind, SetFolderChecked, ...) do
// not report back as events: the logic has already done what follows from
// them. Only the user's own edits come back.
//
// Sizes and margins are in pixels at 96 dots per inch; the window scales
// them to the system's DPI. Picture positions and extents are in the
// window's own pixels (the picture is never scaled).

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "paste/Image.h"
#include "triggers/HotkeyText.h"

namespace tembric::editing {

// "Text", "Image", "Raw clipboard": the order of the content kind list.
enum class ContentKind { Text = 0, Image = 1, RawClipboard = 2 };
// "Database", "External file": the order of the source list.
enum class ContentSource { Database = 0, ExternalFile = 1 };

// Control groups the logic shows, hides or enables.
enum class DialogPart {
  PageArea,           // the tabs "Content" and "Context" with everything on them
  ContentKindBar,     // the kind and source lists with "Paste" and "Load from file"
  SourceList,         // the source list alone (disabled for "Raw clipboard")
  LoadFromFile,       // the "Load from file" command
  FilePanel,          // the linked-file panel, covering the content area
  StoredContentNote,  // kStoredContentNote, covering the content area
  ClipboardViewer,    // the live clipboard viewer with its explanation below it
  Memo,               // the text content
  Picture,            // the scroll box holding the picture
  PluginInfo,         // "Description:" (bold) and the plugin item's description
  KeystrokeLabel,
  KeystrokeBox,
  HotkeyLabel,
  HotkeyBox,
  HotkeyWarning,  // the line under the hotkey box (SetHotkeyWarning)
  FolderBox,
  PropertiesButton,
  ContextList,    // the Context tab's list of windows
  NewItemButton,  // "New item"
  DeleteButton,   // "Delete"
};

// The edit boxes. Name, Parent, Keystroke, Memo and FilePath are bound to
// the row's Subject, Category, KeyDisplay, Memo and FileName.
enum class TextBox { Name, Parent, Keystroke, Memo, FilePath };

// Where the focus can be put.
enum class FocusTarget { Name, Keystroke, Hotkey, Memo, ContentArea, FilePath };

// The extent of a client area, in the window's pixels.
struct Extent {
  int width = 0;
  int height = 0;
  bool operator==(const Extent&) const = default;
};

// One row of the Context tab's list, as shown.
struct ContextRowText {
  std::string application;  // "Application"
  std::string type;         // "Type": "Appl", "Title", "URL" or "Mask"
  std::string title;        // "Window title/mask"
  bool operator==(const ContextRowText&) const = default;
};

inline constexpr const char* kRecordDialogCaption = "Record properties";
inline constexpr const char* kStoredContentNote = "This record already has a stored clipboard content";
inline constexpr const char* kFilePanelText =
    "Defined file will be uploaded to the clipboard everytime when you select this record for paste.";

// The hotkey box's entry rule: a combination typed without a modifier, with
// Shift alone or with Alt alone is taken with Ctrl instead of its modifiers
// (Shift+F becomes Ctrl+F), as the Win32 control does it itself with
// HKM_SETRULES; this is the same rule for everything else that takes a typed
// combination. 0 (no key) stays 0.
constexpr triggers::KeyValue ApplyHotkeyEntryRule(triggers::KeyValue value) {
  if (value == 0) return 0;
  const triggers::KeyValue modifiers = value & (triggers::kShiftBit | triggers::kCtrlBit | triggers::kAltBit);
  if (modifiers == 0 || modifiers == triggers::kShiftBit || modifiers == triggers::kAltBit)
    return static_cast<triggers::KeyValue>((value & ~modifiers) | triggers::kCtrlBit);
  return value;
}

class RecordDialogView {
 public:
  virtual ~RecordDialogView() = default;

  // ---- Control groups -------------------------------------------------------
  virtual void SetVisible(DialogPart part, bool visible) = 0;
  virtual void SetEnabled(DialogPart part, bool enabled) = 0;

  // ---- Edit boxes -------------------------------------------------------------
  virtual void SetText(TextBox box, const std::string& text) = 0;
  virtual std::string Text(TextBox box) const = 0;
  // The most characters the user can enter; 0 for no limit.
  virtual void SetTextLimit(TextBox box, std::size_t characters) = 0;
  // Read-only Name box; for Parent, a read-only text box instead of the
  // drop-down list of folder paths.
  virtual void SetReadOnly(TextBox box, bool readOnly) = 0;
  // The Parent drop-down's items: "[Root]" first, then the folder paths.
  virtual void SetParentItems(const std::vector<std::string>& items) = 0;

  // ---- Other controls -----------------------------------------------------------
  virtual void SetHotkey(triggers::KeyValue value) = 0;  // 0 clears the box
  virtual triggers::KeyValue Hotkey() const = 0;
  // One line beside the hotkey box; empty hides it.
  virtual void SetHotkeyWarning(const std::string& text) = 0;
  virtual void SetContentKind(ContentKind kind) = 0;
  virtual void SetContentSource(ContentSource source) = 0;
  virtual void SetFolderChecked(bool checked) = 0;
  virtual void SetContextEnabledChecked(bool checked) = 0;  // "Enable context dependence"
  virtual void SetPluginDescription(const std::string& text) = 0;
  // The text below the live clipboard viewer.
  virtual void SetClipboardExplanation(const std::string& text) = 0;
  // The Context tab's list, in this order; the selected row, -1 for none.
  virtual void SetContextRows(const std::vector<ContextRowText>& rows) = 0;
  virtual int SelectedContextRow() const = 0;

  // ---- The dialog -----------------------------------------------------------------
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetFocus(FocusTarget target) = 0;
  virtual bool IsActive() const = 0;  // the dialog is the active window
  virtual void ShowContentTab() = 0;  // brings the "Content" tab to the front
  virtual void BringToForeground() = 0;
  virtual int Height() const = 0;  // outer height
  virtual void SetHeight(int height) = 0;
  // The smallest size the user can drag the dialog to; 0, 0 for none.
  virtual void SetMinimumSize(int width, int height) = 0;
  // The page area's width and left margin; the client width is set to hold
  // the page area with that margin on both sides.
  virtual int PageAreaWidth() const = 0;
  virtual int PageAreaLeft() const = 0;
  virtual void SetClientWidth(int width) = 0;

  // ---- Picture ----------------------------------------------------------------------
  // The picture shown; an image of width 0 shows none.
  virtual void SetPicture(const paste::DecodedImage& image) = 0;
  // The client extent of the scroll box holding the picture.
  virtual Extent PictureViewport() const = 0;
  virtual void SetPicturePosition(int x, int y) = 0;

  // ---- Boxes and other dialogs ----------------------------------------------------------
  virtual void ShowWarning(const std::string& text) = 0;  // warning icon, single OK
  virtual void ShowMessage(const std::string& text) = 0;  // plain message box
  // An open-file dialog with `filter` ("Text files (*.txt)|*.TXT|All files|*.*");
  // the chosen path, nothing when cancelled.
  virtual std::optional<std::string> ChooseFile(const std::string& filter) = 0;
  // Shows the window picker modally; true when it ended with OK. Its result
  // is read from the picker's model.
  virtual bool ShowWindowPicker() = 0;
};

// The main window, as the record dialog touches it.
class RecordDialogHost {
 public:
  virtual ~RecordDialogHost() = default;
  // The main window's "Collapse tree" command.
  virtual void SetCollapseTreeEnabled(bool enabled) = 0;
  virtual bool MainWindowShowing() const = 0;
};

// What the user does in the dialog, reported by the window to the logic.
class RecordDialogEvents {
 public:
  virtual ~RecordDialogEvents() = default;
  // The window is about to be shown modally / has been hidden.
  virtual void Shown() = 0;
  virtual void Hidden() = 0;
  virtual void Resized() = 0;
  // The user edited a box (for Parent: picked an item).
  virtual void TextChanged(TextBox box, const std::string& text) = 0;
  // A character typed into the Keystroke box; returns the one to insert.
  virtual char KeystrokeChar(char typed) = 0;
  virtual void HotkeyChanged(triggers::KeyValue value) = 0;
  virtual void ContentKindChanged(ContentKind kind) = 0;
  virtual void ContentSourceChanged(ContentSource source) = 0;
  virtual void FolderToggled(bool checked) = 0;
  virtual void ContextEnabledToggled(bool checked) = 0;
  // "Save": true when every check passed and the dialog ends with OK; false
  // keeps it open (the logic has shown why and put the focus).
  virtual bool Save() = 0;
  virtual void Cancel() = 0;  // "Cancel", Esc or closing the window
  virtual void Paste() = 0;
  virtual void LoadFromFile() = 0;
  virtual void BrowseFile() = 0;  // the button beside the file path
  virtual void PluginProperties() = 0;
  virtual void NewContextItem() = 0;
  virtual void DeleteContextItem() = 0;
};

}  // namespace tembric::editing
