#pragma once
// Control identifiers of the record dialog; "Save" and "Cancel" are IDOK and
// IDCANCEL, so that Enter and Esc reach them through the modal loop.
namespace tembric::app::win32 {

enum RecordFormControlId : int {
  kNameId = 2001,
  kParentListId,
  kParentTextId,
  kFolderId,
  kKeystrokeId,
  kHotkeyId,
  kTabsId,
  kKindId,
  kSourceId,
  kPasteId,
  kLoadId,
  kMemoId,
  kNoteId,
  kViewerId,
  kFilePathId,
  kBrowseId,
  kPluginTextId,
  kPropertiesId,
  kContextEnabledId,
  kContextListId,
  kNewItemId,
  kDeleteItemId,
};

}  // namespace tembric::app::win32
