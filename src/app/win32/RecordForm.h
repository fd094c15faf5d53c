#pragma once
// TRecordForm, the record dialog ("Record properties"): the thin window of
// editing::RecordDialog. It is created once at start, hidden, and reused;
// ShowModal runs it over its owner until "Save" passes or the user cancels.
// It shows what the logic asks through RecordDialogView and reports the
// user's edits and commands through RecordDialogEvents; every rule is the
// logic's. Sizes from the logic are at 96 dots per inch and scaled to the
// system's DPI here.
#include <windows.h>

#include <array>
#include <cstddef>
#include <functional>
#include <string>

#include "app/win32/PictureBox.h"
#include "app/win32/Window.h"
#include "editing/RecordDialogView.h"
#include "platform/win32/Handles.h"

namespace tembric::app::win32 {

class RecordForm final : public Window, public editing::RecordDialogView {
 public:
  RecordForm();
  ~RecordForm() override;

  // Creates the window hidden, owned by `owner` (the main window).
  void CreateHidden(HWND owner);
  // Where the user's edits and commands go; set before the first ShowModal.
  void SetEvents(editing::RecordDialogEvents* events) { events_ = events; }
  // Messages the modal loop hands to `filter` before any window sees them;
  // true means taken (the keyboard hook's messages).
  void SetMessageFilter(std::function<bool(MSG&)> filter) { filter_ = std::move(filter); }
  // How "New item" shows the window picker: modally over this dialog, true
  // for OK.
  void SetWindowPicker(std::function<bool(HWND owner)> showPicker) { showPicker_ = std::move(showPicker); }

  // Runs the dialog: the logic's set-up, the window shown over the disabled
  // owner, a message loop until Save passed (true) or Cancel, Esc or the
  // close box (false); then hidden and the owner enabled again.
  bool ShowModal();

  // ---- editing::RecordDialogView --------------------------------------------
  void SetVisible(editing::DialogPart part, bool visible) override;
  void SetEnabled(editing::DialogPart part, bool enabled) override;
  void SetText(editing::TextBox box, const std::string& text) override;
  std::string Text(editing::TextBox box) const override;
  void SetTextLimit(editing::TextBox box, std::size_t characters) override;
  void SetReadOnly(editing::TextBox box, bool readOnly) override;
  void SetParentItems(const std::vector<std::string>& items) override;
  void SetHotkey(triggers::KeyValue value) override;
  triggers::KeyValue Hotkey() const override;
  void SetHotkeyWarning(const std::string& text) override;
  void SetContentKind(editing::ContentKind kind) override;
  void SetContentSource(editing::ContentSource source) override;
  void SetFolderChecked(bool checked) override;
  void SetContextEnabledChecked(bool checked) override;
  void SetPluginDescription(const std::string& text) override;
  void SetClipboardExplanation(const std::string& text) override;
  void SetContextRows(const std::vector<editing::ContextRowText>& rows) override;
  int SelectedContextRow() const override;
  void SetCaption(const std::string& caption) override { SetText(caption); }
  void SetFocus(editing::FocusTarget target) override;
  bool IsActive() const override;
  void ShowContentTab() override;
  void BringToForeground() override;
  int Height() const override;
  void SetHeight(int height) override;
  void SetMinimumSize(int width, int height) override;
  int PageAreaWidth() const override;
  int PageAreaLeft() const override;
  void SetClientWidth(int width) override;
  void SetPicture(const paste::DecodedImage& image) override;
  editing::Extent PictureViewport() const override;
  void SetPicturePosition(int x, int y) override { picture_.SetPicturePosition(x, y); }
  void ShowWarning(const std::string& text) override;
  void ShowMessage(const std::string& text) override;
  std::optional<std::string> ChooseFile(const std::string& filter) override;
  bool ShowWindowPicker() override;

  using Window::SetText;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  static constexpr std::size_t kPartCount = static_cast<std::size_t>(editing::DialogPart::DeleteButton) + 1;

  // RecordFormLayout.cpp
  void CreateControls();
  void Layout();
  void LayoutContentPage(const RECT& page);
  void LayoutContextPage(const RECT& page);
  // Shows each control as its part's flag, the page area's and the tab in
  // front say.
  void ApplyVisibility();
  int Scale(int value) const;
  int Unscale(int value) const;

  // RecordForm.cpp
  void OnCommand(int id, WORD code);
  void EndModal(bool ok);
  void RefreshClipboardViewer();
  HWND TextBoxHwnd(editing::TextBox box) const;
  bool& Shown(editing::DialogPart part) { return shown_[static_cast<std::size_t>(part)]; }
  bool Shown(editing::DialogPart part) const { return shown_[static_cast<std::size_t>(part)]; }
  static LRESULT CALLBACK KeystrokeProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);

  editing::RecordDialogEvents* events_ = nullptr;
  std::function<bool(MSG&)> filter_;
  std::function<bool(HWND)> showPicker_;
  HWND owner_ = nullptr;
  // The control that gets the focus when the dialog is shown or activated.
  HWND lastFocus_ = nullptr;
  int dpi_ = 96;
  SIZE minimum_{0, 0};  // at 96 DPI
  bool running_ = false;
  bool result_ = false;
  bool ended_ = false;
  // Set while the logic changes a control, so that the change is not
  // reported back as the user's.
  int quiet_ = 0;
  std::array<bool, kPartCount> shown_{};
  bool contextTab_ = false;  // the "Context" tab is in front
  bool parentReadOnly_ = false;

  platform::win32::FontHandle boldFont_;
  HWND nameLabel_ = nullptr, name_ = nullptr;
  HWND parentLabel_ = nullptr, parentList_ = nullptr, parentText_ = nullptr;
  HWND folder_ = nullptr;
  HWND keystrokeLabel_ = nullptr, keystroke_ = nullptr;
  HWND hotkeyLabel_ = nullptr, hotkey_ = nullptr, hotkeyWarning_ = nullptr;
  HWND tabs_ = nullptr;
  HWND kind_ = nullptr, source_ = nullptr, paste_ = nullptr, load_ = nullptr;
  HWND memo_ = nullptr;
  PictureBox picture_;
  HWND note_ = nullptr;
  HWND viewer_ = nullptr, explanation_ = nullptr;
  HWND fileText_ = nullptr, fileLabel_ = nullptr, filePath_ = nullptr, browse_ = nullptr;
  HWND pluginLabel_ = nullptr, pluginText_ = nullptr, properties_ = nullptr;
  HWND contextEnabled_ = nullptr, contextList_ = nullptr, newItem_ = nullptr, deleteItem_ = nullptr;
  HWND save_ = nullptr, cancel_ = nullptr;
  HWND tooltip_ = nullptr;
};

}  // namespace tembric::app::win32
