// The main window's controls and their places: toolbar at the top, the tree
// filling the middle, the splitter and the details pane below it, and the
// 33-pixel strip with the filter box at the bottom.
#include <algorithm>
#include <cstring>

#include "app/win32/Controls.h"
#include "app/win32/MainCommands.h"
#include "app/win32/MainForm.h"
#include "app/win32/Pictures.h"

namespace tembric::app::win32 {
namespace {

constexpr int kToolBarId = 1001;
constexpr int kTreeId = 1002;
constexpr int kInfoId = 1003;
constexpr int kPreviewId = 1004;
constexpr int kFilterId = 1005;
constexpr int kSpacerId = 1099;
constexpr int kSpacerIndex = 5;  // the separator before "Shut down"
constexpr int kFilterMargin = 6;
constexpr int kFilterHeight = 21;
constexpr int kToolPadding = 4;

struct ToolButton {
  int command;
  ToolPicture picture;
  bool caption;  // picture and caption; the others show the picture only
};

constexpr ToolButton kToolButtons[] = {
    {kCmdNewRecord, ToolPicture::New, true},        {kCmdNewChild, ToolPicture::AddChild, false},
    {kCmdTableShow, ToolPicture::ShowTable, false}, {kCmdEdit, ToolPicture::Edit, true},
    {kCmdDelete, ToolPicture::Delete, false},       {kCmdShutDown, ToolPicture::ShutDown, false},
};

// A separator of `width` pixels; hidden when there is no room for one.
TBBUTTON Spacer(int width) {
  TBBUTTON spacer{};
  spacer.iBitmap = width;
  spacer.idCommand = kSpacerId;
  spacer.fsStyle = BTNS_SEP;
  spacer.fsState = width > 0 ? 0 : TBSTATE_HIDDEN;
  return spacer;
}

}  // namespace

void MainForm::CreateControls() {
  menuBar_ = CreateMainMenuBar();
  SetMenu(Hwnd(), menuBar_.get());
  trayMenu_ = CreateTrayMenu();
  treePopup_ = CreateTreePopupMenu();
  accelerators_ = CreateMainAccelerators();
  CreateToolBar();
  treeView_.Create(Hwnd(), kTreeId);
  treeView_.SetDoubleClickHandler([box = filterBox_] { return box->TreeDblClick(); });
  treeView_.SetContextMenuHandler([this](POINT at) { OpenTreePopup(at); });
  treeView_.SetFocusMovedHandler([this] { UpdateRecordCommands(); });
  AddChildControl(treeView_);
  splitter_.CreateIn(Hwnd(), [this](int top) { DragSplitter(top); });
  infoLine_ = CreateEdit({.parent = Hwnd(), .id = kInfoId, .readOnly = true});
  preview_ =
      CreateEdit({.parent = Hwnd(), .id = kPreviewId, .readOnly = true, .multiLine = true, .verticalScroll = true});
  filterEdit_ = CreateEdit({.parent = Hwnd(), .id = kFilterId});
  filterKeys_.Bind(filterEdit_, treeView_.Hwnd(), filterBox_);
  AddChildControl(filterKeys_);
  tray_.Bind(Hwnd(), "Tembric");
  taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
}

void MainForm::CreateToolBar() {
  toolBar_ = CreateControl({
      .parent = Hwnd(),
      .className = TOOLBARCLASSNAMEA,
      .style = TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN,
      .exStyle = 0,
      .id = kToolBarId,
  });
  SendMessageA(toolBar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageA(toolBar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_MIXEDBUTTONS);
  // Narrow padding, so that all six buttons fit the designed width.
  SendMessageA(toolBar_, TB_SETPADDING, 0, MAKELPARAM(kToolPadding, kToolPadding));
  toolImages_ = CreateToolbarImages();
  SendMessageA(toolBar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(toolImages_.get()));

  for (const auto& button : kToolButtons) {
    const Command* command = FindCommand(button.command);
    if (button.command == kCmdShutDown) {
      const TBBUTTON spacer = Spacer(0);
      SendMessageA(toolBar_, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&spacer));
    }
    TBBUTTON b{};
    b.iBitmap = static_cast<int>(button.picture);
    b.idCommand = button.command;
    b.fsState = command->available ? TBSTATE_ENABLED : 0;
    b.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | (button.caption ? BTNS_SHOWTEXT : 0);
    b.iString = reinterpret_cast<INT_PTR>(command->caption);
    SendMessageA(toolBar_, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&b));
  }
  SendMessageA(toolBar_, TB_AUTOSIZE, 0, 0);
}

LRESULT MainForm::ToolTip(NMHDR* header) {
  // The hint with the shortcut, such as "New record (Ins)".
  if (header->code == TBN_GETINFOTIPA) {
    auto* tip = reinterpret_cast<NMTBGETINFOTIPA*>(header);
    if (const Command* command = FindCommand(tip->iItem); command && tip->cchTextMax > 0) {
      const std::string text = ToolTipText(*command);
      const auto n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(tip->cchTextMax - 1));
      std::memcpy(tip->pszText, text.data(), n);
      tip->pszText[n] = '\0';
    }
  } else {
    auto* tip = reinterpret_cast<NMTBGETINFOTIPW*>(header);
    if (const Command* command = FindCommand(tip->iItem); command && tip->cchTextMax > 0) {
      MultiByteToWideChar(CP_ACP, 0, ToolTipText(*command).c_str(), -1, tip->pszText, tip->cchTextMax);
      tip->pszText[tip->cchTextMax - 1] = L'\0';
    }
  }
  return 0;
}

int MainForm::TreeTop() const {
  if (!toolBarVisible_ || !toolBar_) return 0;
  RECT r{};
  GetWindowRect(toolBar_, &r);
  return r.bottom - r.top;
}

int MainForm::BottomStripTop() const {
  RECT client{};
  GetClientRect(Hwnd(), &client);
  return client.bottom - kBottomStripHeight;
}

void MainForm::PlaceToolBarSpacer(int clientWidth) {
  // "Shut down" sits at the right end: the separator before it takes the rest.
  RECT before{}, last{};
  SendMessageA(toolBar_, TB_GETITEMRECT, kSpacerIndex - 1, reinterpret_cast<LPARAM>(&before));
  SendMessageA(toolBar_, TB_GETITEMRECT, kSpacerIndex + 1, reinterpret_cast<LPARAM>(&last));
  const int width = std::max(0, static_cast<int>(clientWidth - before.right - (last.right - last.left) - 2));
  if (width == spacerWidth_) return;
  spacerWidth_ = width;
  SendMessageA(toolBar_, TB_DELETEBUTTON, kSpacerIndex, 0);
  const TBBUTTON spacer = Spacer(width);
  SendMessageA(toolBar_, TB_INSERTBUTTONA, kSpacerIndex, reinterpret_cast<LPARAM>(&spacer));
}

void MainForm::Layout() {
  if (!filterEdit_) return;
  RECT client{};
  GetClientRect(Hwnd(), &client);
  const int width = client.right;

  int top = 0;
  if (toolBarVisible_) {
    RECT button{};
    SendMessageA(toolBar_, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button));
    const int height = button.bottom + 2;
    Place(toolBar_, 0, 0, width, height);
    PlaceToolBarSpacer(width);
    top = height;
  }

  const int stripTop = BottomStripTop();
  Place(filterEdit_, kFilterMargin, stripTop + (kBottomStripHeight - kFilterHeight) / 2, width - 2 * kFilterMargin,
        kFilterHeight);

  const int paneTop = stripTop - paneHeight_;
  const int splitterTop = paneTop - Splitter::kThickness;
  Place(treeView_.Hwnd(), 0, top, width, splitterTop - top);
  Place(splitter_.Hwnd(), 0, splitterTop, width, Splitter::kThickness);
  const bool paneShown = paneHeight_ > 0;
  ShowWindow(infoLine_, paneShown ? SW_SHOWNA : SW_HIDE);
  ShowWindow(preview_, paneShown ? SW_SHOWNA : SW_HIDE);
  if (paneShown) {
    const int infoHeight = std::min(kInfoHeight, paneHeight_);
    Place(infoLine_, 0, paneTop, width, infoHeight);
    Place(preview_, 0, paneTop + infoHeight, width, paneHeight_ - infoHeight);
  }
}

void MainForm::DragSplitter(int top) {
  const int stripTop = BottomStripTop();
  int pane = stripTop - (top + Splitter::kThickness);
  pane = std::min(pane, stripTop - TreeTop() - Splitter::kThickness);
  // A pane dragged this low closes.
  if (pane <= kClosedPaneLimit) pane = 0;
  if (pane == paneHeight_) return;
  paneHeight_ = pane;
  Layout();
  UpdateWindow(Hwnd());
}

}  // namespace tembric::app::win32
