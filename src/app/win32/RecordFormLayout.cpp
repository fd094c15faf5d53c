// The record dialog's controls and their places: Name, Parent and Folder at
// the top, Keystroke and Hot key below with the warning line, the page area
// with the tabs "Content" and "Context", and "Save" and "Cancel" at the
// bottom left. The plugin description panel takes the page area's place.
// Every place is at 96 DPI and scaled.
#include <windows.h>
// Needs the declarations of <windows.h> first.
#include <commctrl.h>

#include <algorithm>
#include <initializer_list>

#include "app/win32/Controls.h"
#include "app/win32/DialogParts.h"
#include "app/win32/RecordForm.h"
#include "app/win32/RecordFormIds.h"

namespace tembric::app::win32 {
namespace {

using editing::DialogPart;

constexpr int kMargin = 8;
constexpr int kLabelWidth = 62;
constexpr int kRowHeight = 21;
constexpr int kRowStep = 27;
constexpr int kFolderWidth = 64;
constexpr int kKeystrokeWidth = 90;
constexpr int kHotkeyLabelWidth = 48;
constexpr int kWarningTop = 89;
constexpr int kWarningHeight = 16;
constexpr int kPageTop = 108;
constexpr int kPageLeft = 6;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kBottomStrip = 38;
constexpr int kGap = 4;
constexpr int kPasteWidth = 48;
constexpr int kLoadWidth = 84;
constexpr int kExplanationHeight = 96;
constexpr int kFileTextHeight = 44;
constexpr int kBrowseWidth = 25;
constexpr int kCheckHeight = 20;
constexpr int kDropDownHeight = 160;

HWND Button(HWND parent, int id, const char* text, DWORD style = BS_PUSHBUTTON) {
  return CreateControl({.parent = parent, .className = "BUTTON", .style = WS_TABSTOP | style, .id = id, .text = text});
}

HWND DropDownList(HWND parent, int id, std::initializer_list<const char*> items) {
  const HWND list = CreateControl(
      {.parent = parent, .className = "COMBOBOX", .style = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, .id = id});
  for (const char* item : items) SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  return list;
}

void AddTab(HWND tabs, int index, const char* caption) {
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<char*>(caption);
  SendMessageA(tabs, TCM_INSERTITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

int RecordForm::Scale(int value) const { return MulDiv(value, dpi_, 96); }

int RecordForm::Unscale(int value) const { return MulDiv(value, 96, dpi_); }

void RecordForm::CreateControls() {
  const HWND self = Hwnd();
  nameLabel_ = CreateLabel({.parent = self, .text = "Name:"});
  name_ = CreateEdit({.parent = self, .id = kNameId});
  parentLabel_ = CreateLabel({.parent = self, .text = "Parent:"});
  parentList_ = DropDownList(self, kParentListId, {});
  parentText_ = CreateEdit({.parent = self, .id = kParentTextId, .readOnly = true});
  folder_ = Button(self, kFolderId, "Folder", BS_AUTOCHECKBOX);
  keystrokeLabel_ = CreateLabel({.parent = self, .text = "Keystroke:"});
  keystroke_ = CreateEdit({.parent = self, .id = kKeystrokeId});
  SetWindowSubclass(keystroke_, &RecordForm::KeystrokeProc, 1, reinterpret_cast<DWORD_PTR>(this));
  hotkeyLabel_ = CreateLabel({.parent = self, .text = "Hot key:"});
  hotkey_ = CreateControl(
      {.parent = self, .className = HOTKEY_CLASSA, .style = WS_TABSTOP, .exStyle = WS_EX_CLIENTEDGE, .id = kHotkeyId});
  // A combination with no modifier, Shift alone or Alt alone is taken with Ctrl.
  SendMessageA(hotkey_, HKM_SETRULES, HKCOMB_NONE | HKCOMB_S | HKCOMB_A, MAKELPARAM(HOTKEYF_CONTROL, 0));
  hotkeyWarning_ = CreateLabel({.parent = self, .text = ""});

  // The pages' controls are the dialog's own children laid over the tab
  // control, which stays below them and does not paint over them.
  tabs_ = CreateControl(
      {.parent = self, .className = WC_TABCONTROLA, .style = WS_TABSTOP | WS_CLIPSIBLINGS, .id = kTabsId});
  AddTab(tabs_, 0, "Content");
  AddTab(tabs_, 1, "Context");

  kind_ = DropDownList(self, kKindId, {"Text", "Image", "Raw clipboard"});
  source_ = DropDownList(self, kSourceId, {"Database", "External file"});
  paste_ = Button(self, kPasteId, "Paste");
  load_ = Button(self, kLoadId, "Load from file");
  memo_ = CreateControl(
      {.parent = self,
       .className = "EDIT",
       .style = WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN,
       .exStyle = WS_EX_CLIENTEDGE,
       .id = kMemoId});
  picture_.CreateIn(self);
  note_ = CreateControl({.parent = self,
                         .className = "STATIC",
                         .style = SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX,
                         .id = kNoteId,
                         .text = editing::kStoredContentNote});
  viewer_ = CreateEdit({.parent = self, .id = kViewerId, .readOnly = true, .multiLine = true, .verticalScroll = true});
  explanation_ = CreateLabel({.parent = self, .text = ""});
  fileText_ = CreateLabel({.parent = self, .text = editing::kFilePanelText});
  fileLabel_ = CreateLabel({.parent = self, .text = "File path:"});
  filePath_ = CreateEdit({.parent = self, .id = kFilePathId});
  browse_ = Button(self, kBrowseId, "...");

  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    metrics.lfMessageFont.lfWeight = FW_BOLD;
    boldFont_ = platform::win32::FontHandle(CreateFontIndirectA(&metrics.lfMessageFont));
  }
  pluginLabel_ = CreateLabel({.parent = self, .text = "Description:", .font = boldFont_.get()});
  pluginText_ =
      CreateEdit({.parent = self, .id = kPluginTextId, .readOnly = true, .multiLine = true, .verticalScroll = true});
  properties_ = Button(self, kPropertiesId, "Properties");

  contextEnabled_ = Button(self, kContextEnabledId, "Enable context dependence", BS_AUTOCHECKBOX);
  contextList_ = CreateControl({.parent = self,
                                .className = WC_LISTVIEWA,
                                .style = WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                                .exStyle = WS_EX_CLIENTEDGE,
                                .id = kContextListId});
  SendMessageA(contextList_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  AddListColumn(contextList_, 0, "Application", Scale(100));
  AddListColumn(contextList_, 1, "Type", Scale(45));
  AddListColumn(contextList_, 2, "Window title/mask", Scale(160));
  newItem_ = Button(self, kNewItemId, "New item");
  deleteItem_ = Button(self, kDeleteItemId, "Delete");

  save_ = Button(self, IDOK, "Save", BS_DEFPUSHBUTTON);
  cancel_ = Button(self, IDCANCEL, "Cancel");

  // The hint of "Paste".
  tooltip_ = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, self, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (tooltip_) {
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = self;
    tool.uId = reinterpret_cast<UINT_PTR>(paste_);
    tool.lpszText = const_cast<char*>("Paste from clipboard");
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
  SetWindowPos(tabs_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  shown_.fill(true);
  ApplyVisibility();
}

void RecordForm::Layout() {
  if (!save_) return;
  RECT client{};
  GetClientRect(Hwnd(), &client);
  const int width = client.right;
  const int left = Scale(kMargin);
  const int fieldLeft = left + Scale(kLabelWidth);
  const int row = Scale(kRowHeight);
  const int labelOffset = Scale(3);
  const int right = width - left;

  const int folderLeft = right - Scale(kFolderWidth);
  Place(nameLabel_, left, Scale(kMargin) + labelOffset, Scale(kLabelWidth), row);
  Place(name_, fieldLeft, Scale(kMargin), folderLeft - Scale(kGap) - fieldLeft, row);
  Place(folder_, folderLeft, Scale(kMargin), Scale(kFolderWidth), row);
  const int parentTop = Scale(kMargin + kRowStep);
  Place(parentLabel_, left, parentTop + labelOffset, Scale(kLabelWidth), row);
  Place(parentList_, fieldLeft, parentTop, right - fieldLeft, Scale(kDropDownHeight));
  Place(parentText_, fieldLeft, parentTop, right - fieldLeft, row);
  const int keyTop = Scale(kMargin + 2 * kRowStep);
  Place(keystrokeLabel_, left, keyTop + labelOffset, Scale(kLabelWidth), row);
  Place(keystroke_, fieldLeft, keyTop, Scale(kKeystrokeWidth), row);
  const int hotkeyLabelLeft = fieldLeft + Scale(kKeystrokeWidth + 2 * kGap);
  Place(hotkeyLabel_, hotkeyLabelLeft, keyTop + labelOffset, Scale(kHotkeyLabelWidth), row);
  const int hotkeyLeft = hotkeyLabelLeft + Scale(kHotkeyLabelWidth);
  Place(hotkey_, hotkeyLeft, keyTop, right - hotkeyLeft, row);
  Place(hotkeyWarning_, fieldLeft, Scale(kWarningTop), right - fieldLeft, Scale(kWarningHeight));

  const int buttonTop = client.bottom - Scale(kBottomStrip) + Scale(kGap + 2);
  Place(save_, left, buttonTop, Scale(kButtonWidth), Scale(kButtonHeight));
  Place(cancel_, left + Scale(kButtonWidth + kGap), buttonTop, Scale(kButtonWidth), Scale(kButtonHeight));

  // The page area sizes with the dialog.
  const int pageLeft = Scale(kPageLeft);
  const int pageTop = Scale(kPageTop);
  const RECT page{pageLeft, pageTop, width - pageLeft, std::max<LONG>(pageTop, client.bottom - Scale(kBottomStrip))};
  Place(tabs_, page.left, page.top, page.right - page.left, page.bottom - page.top);
  RECT inner{0, 0, page.right - page.left, page.bottom - page.top};
  SendMessageA(tabs_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&inner));
  OffsetRect(&inner, page.left, page.top);
  LayoutContentPage(inner);
  LayoutContextPage(inner);

  // The plugin item's description in the page area's place.
  const int labelHeight = Scale(18);
  Place(pluginLabel_, page.left, page.top, page.right - page.left, labelHeight);
  const int propertiesTop = page.bottom - Scale(kButtonHeight);
  Place(pluginText_, page.left, page.top + labelHeight, page.right - page.left,
        propertiesTop - Scale(kGap) - page.top - labelHeight);
  Place(properties_, page.left, propertiesTop, Scale(kButtonWidth), Scale(kButtonHeight));
}

void RecordForm::LayoutContentPage(const RECT& page) {
  const int width = page.right - page.left;
  const int gap = Scale(kGap);
  const int bar = Scale(kButtonHeight);
  const int listWidth = std::max(0, (width - Scale(kPasteWidth) - Scale(kLoadWidth) - 3 * gap) / 2);
  int x = page.left;
  Place(kind_, x, page.top, listWidth, Scale(kDropDownHeight));
  x += listWidth + gap;
  Place(source_, x, page.top, listWidth, Scale(kDropDownHeight));
  x += listWidth + gap;
  Place(paste_, x, page.top, Scale(kPasteWidth), bar);
  x += Scale(kPasteWidth) + gap;
  Place(load_, x, page.top, page.right - x, bar);

  // The content area below the kind bar; it fills the page when the bar is hidden.
  const int top = Shown(DialogPart::ContentKindBar) ? page.top + bar + gap : page.top;
  const int height = std::max(0, static_cast<int>(page.bottom - top));
  Place(memo_, page.left, top, width, height);
  Place(picture_.Hwnd(), page.left, top, width, height);
  Place(note_, page.left, top, width, height);
  const int explanation = std::min(height, Scale(kExplanationHeight));
  Place(viewer_, page.left, top, width, height - explanation);
  Place(explanation_, page.left, top + height - explanation, width, explanation);
  Place(fileText_, page.left, top, width, Scale(kFileTextHeight));
  const int labelTop = top + Scale(kFileTextHeight + kGap);
  Place(fileLabel_, page.left, labelTop, width, Scale(16));
  const int pathTop = labelTop + Scale(18);
  Place(filePath_, page.left, pathTop, width - Scale(kBrowseWidth + kGap), Scale(kRowHeight));
  Place(browse_, page.right - Scale(kBrowseWidth), pathTop, Scale(kBrowseWidth), Scale(kRowHeight));
}

void RecordForm::LayoutContextPage(const RECT& page) {
  const int width = page.right - page.left;
  Place(contextEnabled_, page.left, page.top, width, Scale(kCheckHeight));
  const int buttonTop = page.bottom - Scale(kButtonHeight);
  const int listTop = page.top + Scale(kCheckHeight + kGap);
  Place(contextList_, page.left, listTop, width, buttonTop - Scale(kGap) - listTop);
  Place(newItem_, page.left, buttonTop, Scale(kButtonWidth), Scale(kButtonHeight));
  Place(deleteItem_, page.left + Scale(kButtonWidth + kGap), buttonTop, Scale(kButtonWidth), Scale(kButtonHeight));
}

void RecordForm::ApplyVisibility() {
  const bool page = Shown(DialogPart::PageArea);
  const bool content = page && !contextTab_;
  const bool context = page && contextTab_;
  const bool bar = content && Shown(DialogPart::ContentKindBar);
  auto show = [](HWND control, bool visible) {
    if (control) ShowWindow(control, visible ? SW_SHOWNA : SW_HIDE);
  };
  show(keystrokeLabel_, Shown(DialogPart::KeystrokeLabel));
  show(keystroke_, Shown(DialogPart::KeystrokeBox));
  show(hotkeyLabel_, Shown(DialogPart::HotkeyLabel));
  show(hotkey_, Shown(DialogPart::HotkeyBox));
  show(hotkeyWarning_, Shown(DialogPart::HotkeyWarning) && GetWindowTextLengthA(hotkeyWarning_) > 0);
  show(folder_, Shown(DialogPart::FolderBox));
  show(parentList_, !parentReadOnly_);
  show(parentText_, parentReadOnly_);
  show(tabs_, page);
  show(kind_, bar);
  show(source_, bar && Shown(DialogPart::SourceList));
  show(paste_, bar);
  show(load_, bar && Shown(DialogPart::LoadFromFile));
  // The file panel covers the content area.
  const bool file = content && Shown(DialogPart::FilePanel);
  for (HWND control : {fileText_, fileLabel_, filePath_, browse_}) show(control, file);
  const bool area = content && !file;
  show(memo_, area && Shown(DialogPart::Memo));
  show(picture_.Hwnd(), area && Shown(DialogPart::Picture));
  show(note_, area && Shown(DialogPart::StoredContentNote));
  const bool viewer = area && Shown(DialogPart::ClipboardViewer);
  show(viewer_, viewer);
  show(explanation_, viewer);
  const bool plugin = Shown(DialogPart::PluginInfo);
  show(pluginLabel_, plugin);
  show(pluginText_, plugin);
  show(properties_, plugin && Shown(DialogPart::PropertiesButton));
  show(contextEnabled_, context);
  show(contextList_, context && Shown(DialogPart::ContextList));
  show(newItem_, context && Shown(DialogPart::NewItemButton));
  show(deleteItem_, context && Shown(DialogPart::DeleteButton));
}

}  // namespace tembric::app::win32
