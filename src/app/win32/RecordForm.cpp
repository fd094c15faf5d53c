#include "app/win32/RecordForm.h"

#include <windows.h>
// Need the declarations of <windows.h> first.
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "app/win32/Controls.h"
#include "app/win32/DialogParts.h"
#include "app/win32/MessageBoxes.h"
#include "app/win32/RecordFormIds.h"

namespace tembric::app::win32 {
namespace {

using editing::DialogPart;
using editing::TextBox;

constexpr int kDesignedWidth = 355;
constexpr int kDesignedHeight = 480;

// "Text files (*.txt)|*.TXT|All files|*.*" as the open-file dialog takes it:
// each part ended by a zero, and one more zero at the end.
std::string FilterForDialog(const std::string& filter) {
  std::string out = filter;
  std::replace(out.begin(), out.end(), '|', '\0');
  out.push_back('\0');
  out.push_back('\0');
  return out;
}

// The hotkey control's value (virtual key, HOTKEYF_* flags in the high
// byte) as a key value (modifier bits 0x2000, 0x4000, 0x8000).
triggers::KeyValue FromControl(WORD value) {
  const BYTE flags = HIBYTE(value);
  auto key = static_cast<triggers::KeyValue>(LOBYTE(value));
  if (key == 0) return 0;
  if (flags & HOTKEYF_SHIFT) key |= triggers::kShiftBit;
  if (flags & HOTKEYF_CONTROL) key |= triggers::kCtrlBit;
  if (flags & HOTKEYF_ALT) key |= triggers::kAltBit;
  return key;
}

WORD ToControl(triggers::KeyValue value) {
  BYTE flags = 0;
  if (value & triggers::kShiftBit) flags |= HOTKEYF_SHIFT;
  if (value & triggers::kCtrlBit) flags |= HOTKEYF_CONTROL;
  if (value & triggers::kAltBit) flags |= HOTKEYF_ALT;
  return MAKEWORD(static_cast<BYTE>(triggers::VirtualKeyOf(value)), flags);
}

}  // namespace

RecordForm::RecordForm() = default;

RecordForm::~RecordForm() = default;

void RecordForm::CreateHidden(HWND owner) {
  owner_ = owner;
  dpi_ = ScreenDpi();
  Create({
      .className = "TRecordForm",
      .title = editing::kRecordDialogCaption,
      .style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN,
      .exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT,
      .width = Scale(kDesignedWidth),
      .height = Scale(kDesignedHeight),
      .owner = owner,
  });
}

// ---- The modal run ---------------------------------------------------------------

bool RecordForm::ShowModal() {
  if (running_ || !events_) return false;
  running_ = true;
  ended_ = false;
  result_ = false;
  RunGuarded([this] { events_->Shown(); });

  CentreDialog(Hwnd(), nullptr);

  if (owner_) EnableWindow(owner_, FALSE);
  ShowWindow(Hwnd(), SW_SHOW);
  SetForegroundWindow(Hwnd());
  if (lastFocus_) ::SetFocus(lastFocus_);
  AddClipboardFormatListener(Hwnd());
  RefreshClipboardViewer();

  RunModalLoop(Hwnd(), filter_, ended_);

  RemoveClipboardFormatListener(Hwnd());
  // The owner is enabled before the dialog hides, so that it becomes the
  // active window again instead of some other program's.
  if (owner_) EnableWindow(owner_, TRUE);
  ShowWindow(Hwnd(), SW_HIDE);
  RunGuarded([this] { events_->Hidden(); });
  running_ = false;
  return result_;
}

void RecordForm::EndModal(bool ok) {
  result_ = ok;
  ended_ = true;
  PostMessageA(Hwnd(), WM_NULL, 0, 0);  // wakes the loop
}

// ---- Messages ---------------------------------------------------------------------

LRESULT RecordForm::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      CreateControls();
      Layout();
      return 0;
    case WM_DESTROY:
      // The main window, our owner, may take this window with it.
      RemoveWindowSubclass(keystroke_, &RecordForm::KeystrokeProc, 1);
      if (running_) EndModal(false);
      return 0;
    case WM_SIZE:
      Layout();
      if (running_ && events_) events_->Resized();
      return 0;
    case WM_GETMINMAXINFO:
      if (minimum_.cx > 0 || minimum_.cy > 0)
        reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = {Scale(minimum_.cx), Scale(minimum_.cy)};
      return 0;
    case WM_CLOSE:
      if (running_ && events_) events_->Cancel();
      EndModal(false);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus && IsChild(Hwnd(), focus)) lastFocus_ = focus;
      } else if (lastFocus_ && IsWindowVisible(lastFocus_)) {
        ::SetFocus(lastFocus_);
        return 0;
      }
      break;
    case WM_COMMAND:
      if (lp != 0 || LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
        OnCommand(LOWORD(wp), HIWORD(wp));
        return 0;
      }
      break;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lp);
      if (header->hwndFrom == tabs_ && header->code == TCN_SELCHANGE) {
        contextTab_ = SendMessageA(tabs_, TCM_GETCURSEL, 0, 0) == 1;
        ApplyVisibility();
        RefreshClipboardViewer();
        return 0;
      }
      break;
    }
    case WM_CTLCOLORSTATIC: {
      const auto control = reinterpret_cast<HWND>(lp);
      const auto dc = reinterpret_cast<HDC>(wp);
      if (control == note_) {
        // The stored-content note has the window background colour.
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
      }
      if (control == hotkeyWarning_) {
        const LRESULT brush = DefaultHandling(msg, wp, lp);
        SetTextColor(dc, RGB(192, 0, 0));
        return brush;
      }
      break;
    }
    case WM_CLIPBOARDUPDATE:
      RefreshClipboardViewer();
      return 0;
  }
  return DefaultHandling(msg, wp, lp);
}

void RecordForm::OnCommand(int id, WORD code) {
  if (!events_) return;
  const bool clicked = code == BN_CLICKED;
  switch (id) {
    case IDOK:
      if (events_->Save()) EndModal(true);
      return;
    case IDCANCEL:
      events_->Cancel();
      EndModal(false);
      return;
    case kPasteId:
      if (clicked) events_->Paste();
      return;
    case kLoadId:
      if (clicked) events_->LoadFromFile();
      return;
    case kBrowseId:
      if (clicked) events_->BrowseFile();
      return;
    case kPropertiesId:
      if (clicked) events_->PluginProperties();
      return;
    case kNewItemId:
      if (clicked) events_->NewContextItem();
      return;
    case kDeleteItemId:
      if (clicked) events_->DeleteContextItem();
      return;
    case kFolderId:
      if (clicked) events_->FolderToggled(SendMessageA(folder_, BM_GETCHECK, 0, 0) == BST_CHECKED);
      return;
    case kContextEnabledId:
      if (clicked) events_->ContextEnabledToggled(SendMessageA(contextEnabled_, BM_GETCHECK, 0, 0) == BST_CHECKED);
      return;
  }
  if (quiet_ > 0) return;
  switch (id) {
    case kKindId:
      if (code == CBN_SELCHANGE)
        events_->ContentKindChanged(
            static_cast<editing::ContentKind>(std::max<LRESULT>(0, SendMessageA(kind_, CB_GETCURSEL, 0, 0))));
      return;
    case kSourceId:
      if (code == CBN_SELCHANGE)
        events_->ContentSourceChanged(
            static_cast<editing::ContentSource>(std::max<LRESULT>(0, SendMessageA(source_, CB_GETCURSEL, 0, 0))));
      return;
    case kParentListId:
      if (code == CBN_SELCHANGE) events_->TextChanged(TextBox::Parent, Text(TextBox::Parent));
      return;
    case kHotkeyId:
      if (code == EN_CHANGE) events_->HotkeyChanged(Hotkey());
      return;
  }
  if (code != EN_CHANGE) return;
  for (TextBox box : {TextBox::Name, TextBox::Keystroke, TextBox::Memo, TextBox::FilePath}) {
    if (TextBoxHwnd(box) == GetDlgItem(Hwnd(), id)) {
      events_->TextChanged(box, Text(box));
      return;
    }
  }
}

// Each character typed into the Keystroke box goes through the logic first.
LRESULT CALLBACK RecordForm::KeystrokeProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
  auto* form = reinterpret_cast<RecordForm*>(self);
  if (msg == WM_CHAR && wp >= 0x20 && wp < 0x100 && form->events_) {
    char typed = static_cast<char>(wp);
    RunGuarded([&] { typed = form->events_->KeystrokeChar(typed); });
    wp = static_cast<unsigned char>(typed);
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

// What the clipboard holds: its text, else the size of its picture, else
// the names of its formats.
void RecordForm::RefreshClipboardViewer() {
  // Opening the clipboard can wait for the program that owns its data: only
  // for a viewer the user sees.
  if (!viewer_ || !running_ || !IsWindowVisible(viewer_)) return;
  std::string shown;
  if (OpenClipboard(Hwnd())) {
    if (const HANDLE text = GetClipboardData(CF_TEXT)) {
      if (const auto* chars = static_cast<const char*>(GlobalLock(text))) {
        shown.assign(chars, strnlen(chars, GlobalSize(text)));
        GlobalUnlock(text);
      }
    } else if (const HANDLE dib = GetClipboardData(CF_DIB)) {
      if (const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(dib))) {
        shown = "Picture " + std::to_string(header->biWidth) + " x " + std::to_string(std::abs(header->biHeight));
        GlobalUnlock(dib);
      }
    } else {
      for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
        char name[128] = {};
        if (GetClipboardFormatNameA(format, name, sizeof(name)) <= 0) snprintf(name, sizeof(name), "Format %u", format);
        shown += std::string(name) + "\r\n";
      }
    }
    CloseClipboard();
  }
  SetWindowTextA(viewer_, WithCrLf(shown).c_str());
}

// ---- RecordDialogView: controls ------------------------------------------------------

HWND RecordForm::TextBoxHwnd(TextBox box) const {
  switch (box) {
    case TextBox::Name:
      return name_;
    case TextBox::Parent:
      return parentReadOnly_ ? parentText_ : parentList_;
    case TextBox::Keystroke:
      return keystroke_;
    case TextBox::Memo:
      return memo_;
    case TextBox::FilePath:
      return filePath_;
  }
  return nullptr;
}

void RecordForm::SetVisible(DialogPart part, bool visible) {
  if (Shown(part) == visible) return;
  Shown(part) = visible;
  if (part == DialogPart::ContentKindBar || part == DialogPart::PageArea) Layout();
  ApplyVisibility();
  if (part == DialogPart::ClipboardViewer && visible) RefreshClipboardViewer();
}

void RecordForm::SetEnabled(DialogPart part, bool enabled) {
  std::vector<HWND> controls;
  switch (part) {
    case DialogPart::PageArea:
      controls = {tabs_};
      break;
    case DialogPart::ContentKindBar:
      controls = {kind_, source_, paste_, load_};
      break;
    case DialogPart::SourceList:
      controls = {source_};
      break;
    case DialogPart::LoadFromFile:
      controls = {load_};
      break;
    case DialogPart::FilePanel:
      controls = {filePath_, browse_};
      break;
    case DialogPart::StoredContentNote:
      controls = {note_};
      break;
    case DialogPart::ClipboardViewer:
      controls = {viewer_};
      break;
    case DialogPart::Memo:
      controls = {memo_};
      break;
    case DialogPart::Picture:
      controls = {picture_.Hwnd()};
      break;
    case DialogPart::PluginInfo:
      controls = {pluginText_};
      break;
    case DialogPart::KeystrokeLabel:
      controls = {keystrokeLabel_};
      break;
    case DialogPart::KeystrokeBox:
      controls = {keystroke_};
      break;
    case DialogPart::HotkeyLabel:
      controls = {hotkeyLabel_};
      break;
    case DialogPart::HotkeyBox:
      controls = {hotkey_};
      break;
    case DialogPart::HotkeyWarning:
      controls = {hotkeyWarning_};
      break;
    case DialogPart::FolderBox:
      controls = {folder_};
      break;
    case DialogPart::PropertiesButton:
      controls = {properties_};
      break;
    case DialogPart::ContextList:
      controls = {contextList_};
      break;
    case DialogPart::NewItemButton:
      controls = {newItem_};
      break;
    case DialogPart::DeleteButton:
      controls = {deleteItem_};
      break;
  }
  for (HWND control : controls) EnableWindow(control, enabled);
}

void RecordForm::SetText(TextBox box, const std::string& text) {
  ++quiet_;
  if (box == TextBox::Parent) {
    SetWindowTextA(parentText_, text.c_str());
    LRESULT index =
        SendMessageA(parentList_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
    // A folder that is not listed is listed, so that the value is kept.
    if (index == CB_ERR && !text.empty())
      index = SendMessageA(parentList_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(parentList_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  } else {
    SetWindowTextA(TextBoxHwnd(box), box == TextBox::Memo ? WithCrLf(text).c_str() : text.c_str());
  }
  --quiet_;
}

std::string RecordForm::Text(TextBox box) const { return ControlText(TextBoxHwnd(box)); }

void RecordForm::SetTextLimit(TextBox box, std::size_t characters) {
  const auto limit = static_cast<WPARAM>(characters);
  if (box == TextBox::Parent) {
    SendMessageA(parentText_, EM_LIMITTEXT, limit, 0);
    SendMessageA(parentList_, CB_LIMITTEXT, limit, 0);
  } else {
    SendMessageA(TextBoxHwnd(box), EM_LIMITTEXT, limit, 0);
  }
}

void RecordForm::SetReadOnly(TextBox box, bool readOnly) {
  if (box == TextBox::Parent) {
    if (readOnly) SetWindowTextA(parentText_, ControlText(parentList_).c_str());
    parentReadOnly_ = readOnly;
    ApplyVisibility();
    return;
  }
  SendMessageA(TextBoxHwnd(box), EM_SETREADONLY, readOnly, 0);
}

void RecordForm::SetParentItems(const std::vector<std::string>& items) {
  ++quiet_;
  const std::string current = ControlText(parentList_);
  SendMessageA(parentList_, CB_RESETCONTENT, 0, 0);
  for (const auto& item : items) SendMessageA(parentList_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  --quiet_;
  if (!current.empty()) SetText(TextBox::Parent, current);
}

void RecordForm::SetHotkey(triggers::KeyValue value) {
  ++quiet_;
  SendMessageA(hotkey_, HKM_SETHOTKEY, ToControl(value), 0);
  --quiet_;
}

triggers::KeyValue RecordForm::Hotkey() const {
  return FromControl(static_cast<WORD>(SendMessageA(hotkey_, HKM_GETHOTKEY, 0, 0)));
}

void RecordForm::SetHotkeyWarning(const std::string& text) {
  SetWindowTextA(hotkeyWarning_, text.c_str());
  ApplyVisibility();
}

void RecordForm::SetContentKind(editing::ContentKind kind) {
  ++quiet_;
  SendMessageA(kind_, CB_SETCURSEL, static_cast<WPARAM>(kind), 0);
  --quiet_;
}

void RecordForm::SetContentSource(editing::ContentSource source) {
  ++quiet_;
  SendMessageA(source_, CB_SETCURSEL, static_cast<WPARAM>(source), 0);
  --quiet_;
}

void RecordForm::SetFolderChecked(bool checked) {
  SendMessageA(folder_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void RecordForm::SetContextEnabledChecked(bool checked) {
  SendMessageA(contextEnabled_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void RecordForm::SetPluginDescription(const std::string& text) { SetWindowTextA(pluginText_, WithCrLf(text).c_str()); }

void RecordForm::SetClipboardExplanation(const std::string& text) {
  SetWindowTextA(explanation_, WithCrLf(text).c_str());
}

void RecordForm::SetContextRows(const std::vector<editing::ContextRowText>& rows) {
  SendMessageA(contextList_, WM_SETREDRAW, FALSE, 0);
  SendMessageA(contextList_, LVM_DELETEALLITEMS, 0, 0);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::string* texts[] = {&rows[i].application, &rows[i].type, &rows[i].title};
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = const_cast<char*>(texts[0]->c_str());
    const auto index =
        static_cast<int>(SendMessageA(contextList_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    for (int column = 1; column < 3; ++column) {
      LVITEMA sub{};
      sub.iSubItem = column;
      sub.pszText = const_cast<char*>(texts[column]->c_str());
      SendMessageA(contextList_, LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&sub));
    }
  }
  SendMessageA(contextList_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(contextList_, nullptr, TRUE);
}

int RecordForm::SelectedContextRow() const {
  return static_cast<int>(SendMessageA(contextList_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

// ---- RecordDialogView: the dialog ---------------------------------------------------------

void RecordForm::SetFocus(editing::FocusTarget target) {
  HWND control = nullptr;
  switch (target) {
    case editing::FocusTarget::Name:
      control = name_;
      break;
    case editing::FocusTarget::Keystroke:
      control = keystroke_;
      break;
    case editing::FocusTarget::Hotkey:
      control = hotkey_;
      break;
    case editing::FocusTarget::Memo:
      control = memo_;
      break;
    case editing::FocusTarget::FilePath:
      control = filePath_;
      break;
    case editing::FocusTarget::ContentArea:
      control = Shown(DialogPart::Picture) ? picture_.Hwnd() : Shown(DialogPart::ClipboardViewer) ? viewer_ : kind_;
      break;
  }
  lastFocus_ = control;
  // The window may not be shown yet; ShowModal and activation put the focus
  // where it was asked.
  if (control && IsVisible()) ::SetFocus(control);
}

bool RecordForm::IsActive() const { return IsVisible() && GetActiveWindow() == Hwnd(); }

void RecordForm::ShowContentTab() {
  SendMessageA(tabs_, TCM_SETCURSEL, 0, 0);
  contextTab_ = false;
  ApplyVisibility();
}

void RecordForm::BringToForeground() {
  if (IsVisible()) SetForegroundWindow(Hwnd());
}

int RecordForm::Height() const {
  RECT r{};
  GetWindowRect(Hwnd(), &r);
  return Unscale(r.bottom - r.top);
}

void RecordForm::SetHeight(int height) {
  RECT r{};
  GetWindowRect(Hwnd(), &r);
  SetWindowPos(Hwnd(), nullptr, 0, 0, r.right - r.left, Scale(height), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void RecordForm::SetMinimumSize(int width, int height) { minimum_ = {width, height}; }

int RecordForm::PageAreaWidth() const {
  RECT r{};
  GetWindowRect(tabs_, &r);
  return Unscale(r.right - r.left);
}

int RecordForm::PageAreaLeft() const {
  RECT r{};
  GetWindowRect(tabs_, &r);
  POINT at{r.left, r.top};
  ScreenToClient(Hwnd(), &at);
  return Unscale(at.x);
}

void RecordForm::SetClientWidth(int width) {
  RECT client{};
  GetClientRect(Hwnd(), &client);
  RECT outer{0, 0, Scale(width), client.bottom};
  AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongPtrA(Hwnd(), GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrA(Hwnd(), GWL_EXSTYLE)));
  RECT window{};
  GetWindowRect(Hwnd(), &window);
  SetWindowPos(Hwnd(), nullptr, 0, 0, outer.right - outer.left, window.bottom - window.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void RecordForm::SetPicture(const paste::DecodedImage& image) {
  if (image.width <= 0) {
    picture_.SetImage(std::nullopt);
  } else {
    picture_.SetImage(image);
  }
}

editing::Extent RecordForm::PictureViewport() const {
  const SIZE extent = picture_.ClientExtent();
  return {static_cast<int>(extent.cx), static_cast<int>(extent.cy)};
}

void RecordForm::ShowWarning(const std::string& text) { ShowMessageBox(Hwnd(), NoticeKind::Warning, text); }

void RecordForm::ShowMessage(const std::string& text) { ShowMessageBox(Hwnd(), NoticeKind::Plain, text); }

std::optional<std::string> RecordForm::ChooseFile(const std::string& filter) {
  const std::string filters = FilterForDialog(filter);
  char path[MAX_PATH] = {};
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = Hwnd();
  dialog.lpstrFilter = filters.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path;
  dialog.nMaxFile = sizeof(path);
  dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameA(&dialog)) return std::nullopt;
  return std::string(path);
}

bool RecordForm::ShowWindowPicker() { return showPicker_ && showPicker_(Hwnd()); }

}  // namespace tembric::app::win32
