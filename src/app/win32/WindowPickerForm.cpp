#include "app/win32/WindowPickerForm.h"

#include <windows.h>

// Need the declarations of <windows.h> first.
#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <string>

#include "app/win32/Controls.h"
#include "app/win32/DialogParts.h"
#include "editing/WindowPicker.h"

namespace tembric::app::win32 {
namespace {

using editing::MapMode;

// Sizes at 96 dots per inch, scaled to the system's DPI.
constexpr int kClientWidth = 400;
constexpr int kClientHeight = 398;
constexpr int kMargin = 8;
constexpr int kListTop = 26;
constexpr int kListHeight = 200;
constexpr int kGroupTop = 232;
constexpr int kRadioLeft = 20;
constexpr int kRadioWidth = 170;
constexpr int kRadioHeight = 20;
constexpr int kMaskLeft = 196;
constexpr int kMaskHeight = 21;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;

constexpr int kListId = 100;
constexpr int kRadioIds[] = {101, 102, 103, 104};  // in MapMode's order
constexpr int kTitleMaskId = 105;
constexpr int kAddressMaskId = 106;

constexpr COLORREF kApplicationColour = RGB(0, 0, 128);
constexpr COLORREF kTitleColour = RGB(0, 0, 0);

constexpr const char* kModeCaptions[] = {"Whole application", "Selected window title", "Window title through mask:",
                                         "Web-address or mask:\r\n(works with IE or Firefox)"};

}  // namespace

void WindowPickerForm::CreateHidden(HWND owner) {
  dpi_ = ScreenDpi();
  Create({
      .className = "TSelWinForm",
      .title = "Add context items",
      // No WS_CLIPCHILDREN: the group box paints no background of its own.
      .style = WS_POPUP | WS_CAPTION | WS_SYSMENU,
      .exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT,
      .width = Scale(kClientWidth),
      .height = Scale(kClientHeight),
      .clientSize = true,
      .owner = owner,
  });
}

void WindowPickerForm::CreateControls() {
  const HWND self = Hwnd();
  const int width = Scale(kClientWidth - 2 * kMargin);
  CreateLabel({.parent = self,
               .text = "Select needed applications:",
               .x = Scale(kMargin),
               .y = Scale(kMargin),
               .width = width,
               .height = Scale(16)});
  list_ = CreateControl({.parent = self,
                         .className = WC_LISTVIEWA,
                         .style = WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL,
                         .exStyle = WS_EX_CLIENTEDGE,
                         .id = kListId,
                         .x = Scale(kMargin),
                         .y = Scale(kListTop),
                         .width = width,
                         .height = Scale(kListHeight)});
  SendMessageA(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  AddListColumn(list_, 0, "Application", Scale(130));
  AddListColumn(list_, 1, "Window title", Scale(230));
  AddListColumn(list_, 2, "", 0);  // unseen: the window's handle in decimal, for tools that read the list

  CreateControl({.parent = self,
                 .className = "BUTTON",
                 .style = BS_GROUPBOX,
                 .text = " Map mode ",
                 .x = Scale(kMargin),
                 .y = Scale(kGroupTop),
                 .width = width,
                 .height = Scale(124)});
  // Rows of the modes; the web-address caption takes two lines.
  const int radioTops[] = {kGroupTop + 18, kGroupTop + 40, kGroupTop + 62, kGroupTop + 86};
  for (std::size_t i = 0; i < std::size(kRadioIds); ++i) {
    const bool twoLines = i == 3;
    radios_[i] = CreateControl({.parent = self,
                                .className = "BUTTON",
                                .style = BS_AUTORADIOBUTTON | WS_TABSTOP | (i == 0 ? WS_GROUP : 0u) |
                                         (twoLines ? static_cast<DWORD>(BS_MULTILINE) : 0u),
                                .id = kRadioIds[i],
                                .text = kModeCaptions[i],
                                .x = Scale(kRadioLeft),
                                .y = Scale(radioTops[i]),
                                .width = Scale(kRadioWidth),
                                .height = Scale(twoLines ? 2 * kRadioHeight - 4 : kRadioHeight)});
  }
  const int maskWidth = Scale(kClientWidth - kMargin - 8 - kMaskLeft);
  titleMask_ = CreateControl({.parent = self,
                              .className = "EDIT",
                              .style = WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL,
                              .exStyle = WS_EX_CLIENTEDGE,
                              .id = kTitleMaskId,
                              .x = Scale(kMaskLeft),
                              .y = Scale(radioTops[2]),
                              .width = maskWidth,
                              .height = Scale(kMaskHeight)});
  addressMask_ = CreateControl({.parent = self,
                                .className = "EDIT",
                                .style = WS_TABSTOP | ES_AUTOHSCROLL,
                                .exStyle = WS_EX_CLIENTEDGE,
                                .id = kAddressMaskId,
                                .x = Scale(kMaskLeft),
                                .y = Scale(radioTops[3] + 4),
                                .width = maskWidth,
                                .height = Scale(kMaskHeight)});

  const int buttonTop = Scale(kClientHeight - kMargin - kButtonHeight);
  CreateControl({.parent = self,
                 .className = "BUTTON",
                 .style = BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP,
                 .id = IDOK,
                 .text = "OK",
                 .x = Scale(kClientWidth - 2 * kMargin - 2 * kButtonWidth),
                 .y = buttonTop,
                 .width = Scale(kButtonWidth),
                 .height = Scale(kButtonHeight)});
  CreateControl({.parent = self,
                 .className = "BUTTON",
                 .style = BS_PUSHBUTTON | WS_TABSTOP,
                 .id = IDCANCEL,
                 .text = "Cancel",
                 .x = Scale(kClientWidth - kMargin - kButtonWidth),
                 .y = buttonTop,
                 .width = Scale(kButtonWidth),
                 .height = Scale(kButtonHeight)});
}

// ---- The modal run ---------------------------------------------------------------

bool WindowPickerForm::ShowModal(HWND owner) {
  if (running_ || !Hwnd()) return false;
  // Filled before anything changes on the screen: a failure leaves the owner as it was.
  picker_.Show();
  FillList();
  ShowMode();
  SetWindowTextA(titleMask_, "");
  SetWindowTextA(addressMask_, "");

  running_ = true;
  ended_ = false;
  result_ = false;
  if (owner) SetWindowLongPtrA(Hwnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));

  CentreDialog(Hwnd(), owner);

  if (owner) EnableWindow(owner, FALSE);
  ShowWindow(Hwnd(), SW_SHOW);
  SetForegroundWindow(Hwnd());
  SetFocus(list_);

  RunModalLoop(Hwnd(), filter_, ended_);

  // The owner is enabled before the picker hides, so that it becomes the
  // active window again instead of some other program's.
  if (owner) EnableWindow(owner, TRUE);
  ShowWindow(Hwnd(), SW_HIDE);
  running_ = false;
  return result_;
}

void WindowPickerForm::FillList() {
  SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
  SendMessageA(list_, LVM_DELETEALLITEMS, 0, 0);
  const auto& rows = picker_.Rows();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = static_cast<int>(i);
    item.pszText = const_cast<char*>(rows[i].Application().c_str());
    item.lParam = static_cast<LPARAM>(i);
    const auto index = static_cast<int>(SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    LVITEMA title{};
    title.iSubItem = 1;
    title.pszText = const_cast<char*>(rows[i].Title().c_str());
    SendMessageA(list_, LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&title));
    std::string handle = std::to_string(rows[i].window);
    LVITEMA handleItem{};
    handleItem.iSubItem = 2;
    handleItem.pszText = handle.data();
    SendMessageA(list_, LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&handleItem));
  }
  SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list_, nullptr, TRUE);
}

void WindowPickerForm::ShowMode() {
  const auto mode = static_cast<std::size_t>(picker_.Mode());
  for (std::size_t i = 0; i < std::size(radios_); ++i)
    SendMessageA(radios_[i], BM_SETCHECK, i == mode ? BST_CHECKED : BST_UNCHECKED, 0);
  EnableWindow(titleMask_, picker_.TitleMaskEnabled());
  EnableWindow(addressMask_, picker_.AddressMaskEnabled());
}

void WindowPickerForm::OnModeClicked(int id) {
  const auto* const found = std::find(std::begin(kRadioIds), std::end(kRadioIds), id);
  picker_.SetMode(static_cast<MapMode>(found - std::begin(kRadioIds)));
  ShowMode();
}

// The check marks and the mask texts into the model.
void WindowPickerForm::TakeChoice() {
  const auto count = static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = i;
    if (!SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) continue;
    const auto row = static_cast<std::size_t>(item.lParam);
    if (row >= picker_.Rows().size()) continue;
    const auto state = SendMessageA(list_, LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_STATEIMAGEMASK);
    // State image 2 is the checked box, 1 the empty one.
    picker_.SetChecked(row, ((static_cast<UINT>(state) & LVIS_STATEIMAGEMASK) >> 12) == 2);
  }
  picker_.SetTitleMask(ControlText(titleMask_));
  picker_.SetAddressMask(ControlText(addressMask_));
}

void WindowPickerForm::EndModal(bool ok) {
  result_ = ok;
  ended_ = true;
  PostMessageA(Hwnd(), WM_NULL, 0, 0);  // wakes the loop
}

// ---- Messages ---------------------------------------------------------------------

LRESULT WindowPickerForm::CustomDraw(LPARAM lp) const {
  auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lp);
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
      draw->clrText = draw->iSubItem == 0 ? kApplicationColour : kTitleColour;
      return CDRF_NEWFONT;
    default:
      return CDRF_DODEFAULT;
  }
}

LRESULT WindowPickerForm::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      CreateControls();
      return 0;
    case WM_DESTROY:
      if (running_) EndModal(false);
      return 0;
    case WM_CLOSE:
      // Closing hides: the window is reused for the whole run.
      if (running_) EndModal(false);
      return 0;
    case DM_GETDEFID:
      return MAKELRESULT(IDOK, DC_HASDEFID);
    case WM_COMMAND: {
      const int id = LOWORD(wp);
      if (id == IDOK && running_) {
        TakeChoice();
        EndModal(true);
        return 0;
      }
      if (id == IDCANCEL) {
        if (running_) EndModal(false);
        return 0;
      }
      if (HIWORD(wp) == BN_CLICKED &&
          std::find(std::begin(kRadioIds), std::end(kRadioIds), id) != std::end(kRadioIds)) {
        OnModeClicked(id);
        return 0;
      }
      break;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lp);
      if (header->hwndFrom == list_ && header->code == NM_CUSTOMDRAW) return CustomDraw(lp);
      break;
    }
    default:
      break;
  }
  return DefaultHandling(msg, wp, lp);
}

}  // namespace tembric::app::win32
