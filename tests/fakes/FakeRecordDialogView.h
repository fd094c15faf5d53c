#pragma once
// The record dialog's window, recorded: the state each control would hold,
// the boxes and dialogs it was asked to show, and the main window's seam.
// A part or box never set reads as visible, enabled and editable. Answers
// for the file dialog and the picker are set by the test beforehand.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "editing/RecordDialogView.h"

namespace tembric::fakes {

class FakeRecordDialogView : public editing::RecordDialogView, public editing::RecordDialogHost {
 public:
  using Part = editing::DialogPart;
  using Box = editing::TextBox;

  std::map<Part, bool> visible, enabled;
  std::map<Box, std::string> texts;
  std::map<Box, std::size_t> limits;
  std::map<Box, bool> readOnly;
  std::vector<std::string> parentItems;
  triggers::KeyValue hotkey = 0;
  std::string hotkeyWarning;
  editing::ContentKind kind = editing::ContentKind::Text;
  editing::ContentSource source = editing::ContentSource::Database;
  bool folderChecked = false, contextChecked = false;
  std::string pluginDescription, clipboardExplanation, caption;
  std::vector<editing::ContextRowText> contextRows;
  int selectedContextRow = -1;
  std::optional<editing::FocusTarget> focus;
  bool active = true;
  int contentTabShown = 0, broughtToFront = 0;
  int height = 300, minWidth = -1, minHeight = -1, clientWidth = 0;
  int pageWidth = 400, pageLeft = 8;
  paste::DecodedImage picture;
  editing::Extent viewport{300, 200};
  int pictureX = -1, pictureY = -1;
  std::vector<std::string> warnings, messages, filters;
  std::optional<std::string> chosenFile;  // the file dialog's answer
  bool pickerAnswer = false;
  int pickerShown = 0;
  // The main window.
  bool collapseTreeEnabled = true, mainShowing = false;

  bool Visible(Part p) const { return !visible.contains(p) || visible.at(p); }
  bool Enabled(Part p) const { return !enabled.contains(p) || enabled.at(p); }
  bool ReadOnly(Box b) const { return readOnly.contains(b) && readOnly.at(b); }

  void SetVisible(Part p, bool v) override { visible[p] = v; }
  void SetEnabled(Part p, bool e) override { enabled[p] = e; }
  void SetText(Box b, const std::string& t) override { texts[b] = t; }
  std::string Text(Box b) const override { return texts.contains(b) ? texts.at(b) : std::string(); }
  void SetTextLimit(Box b, std::size_t n) override { limits[b] = n; }
  void SetReadOnly(Box b, bool r) override { readOnly[b] = r; }
  void SetParentItems(const std::vector<std::string>& items) override { parentItems = items; }
  void SetHotkey(triggers::KeyValue v) override { hotkey = v; }
  triggers::KeyValue Hotkey() const override { return hotkey; }
  void SetHotkeyWarning(const std::string& t) override { hotkeyWarning = t; }
  void SetContentKind(editing::ContentKind k) override { kind = k; }
  void SetContentSource(editing::ContentSource s) override { source = s; }
  void SetFolderChecked(bool c) override { folderChecked = c; }
  void SetContextEnabledChecked(bool c) override { contextChecked = c; }
  void SetPluginDescription(const std::string& t) override { pluginDescription = t; }
  void SetClipboardExplanation(const std::string& t) override { clipboardExplanation = t; }
  void SetContextRows(const std::vector<editing::ContextRowText>& rows) override { contextRows = rows; }
  int SelectedContextRow() const override { return selectedContextRow; }
  void SetCaption(const std::string& c) override { caption = c; }
  void SetFocus(editing::FocusTarget t) override { focus = t; }
  bool IsActive() const override { return active; }
  void ShowContentTab() override { ++contentTabShown; }
  void BringToForeground() override { ++broughtToFront; }
  int Height() const override { return height; }
  void SetHeight(int h) override { height = h; }
  void SetMinimumSize(int w, int h) override {
    minWidth = w;
    minHeight = h;
  }
  int PageAreaWidth() const override { return pageWidth; }
  int PageAreaLeft() const override { return pageLeft; }
  void SetClientWidth(int w) override { clientWidth = w; }
  void SetPicture(const paste::DecodedImage& image) override { picture = image; }
  editing::Extent PictureViewport() const override { return viewport; }
  void SetPicturePosition(int x, int y) override {
    pictureX = x;
    pictureY = y;
  }
  void ShowWarning(const std::string& t) override { warnings.push_back(t); }
  void ShowMessage(const std::string& t) override { messages.push_back(t); }
  std::optional<std::string> ChooseFile(const std::string& filter) override {
    filters.push_back(filter);
    return chosenFile;
  }
  bool ShowWindowPicker() override {
    ++pickerShown;
    return pickerAnswer;
  }

  void SetCollapseTreeEnabled(bool e) override { collapseTreeEnabled = e; }
  bool MainWindowShowing() const override { return mainShowing; }
};

}  // namespace tembric::fakes
