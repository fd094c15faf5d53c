#include "app/win32/MainForm.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "app/win32/Controls.h"
#include "app/win32/MainCommands.h"
#include "app/win32/MessageBoxes.h"
#include "app/win32/TablesForm.h"
#include "platform/VirtualKeys.h"
#include "store/Tables.h"

namespace tembric::app::win32 {
namespace {

constexpr UINT_PTR kSamplingTimer = 2;
// Opens the tray menu once the tray's mouse message has been handled.
constexpr UINT kOpenTrayMenu = WM_APP + 11;

// Test-only, inert in normal use: with TEMBRIC_TEST_HOOKS=1 in the
// program's environment at start, the registered message "TembricTestBusy"
// sent to the main window answers its sender with 1 and then keeps the
// user-interface thread busy for wParam milliseconds (at most 10 s), so that
// the end-to-end tests can show that typing in other programs never waits
// for this thread. Without the variable the message is never registered and
// nothing matches it.
UINT TestBusyMessage() {
  char value[4] = {};
  if (GetEnvironmentVariableA("TEMBRIC_TEST_HOOKS", value, sizeof value) != 1 || value[0] != '1') return 0;
  return RegisterWindowMessageA("TembricTestBusy");
}

void BeBusyForTest(WPARAM ms) {
  ReplyMessage(1);
  // A plain Sleep, not the clock's wait: a thread busy with long work
  // answers nothing, not even messages sent by other programs.
  Sleep(static_cast<DWORD>(std::min<WPARAM>(ms, 10000)));
}

}  // namespace

MainForm::MainForm(std::string caption, tree::TreeModel& model) : caption_(std::move(caption)), treeView_(model) {}

MainForm::~MainForm() { Destroy(); }

void MainForm::Destroy() {
  if (Hwnd()) DestroyWindow(Hwnd());
  if (tables_) tables_->Unbind();
  tables_ = nullptr;
}

void MainForm::CreateHidden(MainController& controller, tree::FilterBox& filter) {
  controller_ = &controller;
  filterBox_ = &filter;
  Create({
      .className = "TForm1",
      .title = caption_,
      // Resizable, with a close box and no minimise or maximise box.
      .style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN,
      .width = kDesignedWidth,
      .height = kDesignedHeight,
  });
}

void MainForm::SetTableViewer(TablesForm* tables) {
  tables_ = tables;
  if (tables_) {
    tables_->Bind(controller_->Library());
    tables_->ShowClipboardFormats(clipboardFormats_);
  }
}

void MainForm::ShowClipboardFormats(const std::vector<std::string>& formats) {
  clipboardFormats_ = formats;
  if (tables_) tables_->ShowClipboardFormats(formats);
}

bool MainForm::TranslateAccelerators(MSG* msg) {
  if (!Hwnd() || !accelerators_ || !IsVisible()) return false;
  if (treeView_.Dragging()) return false;  // Esc ends the drag, not the window
  if (msg->hwnd != Hwnd() && !IsChild(Hwnd(), msg->hwnd)) return false;
  // An Esc that was already down (held, or pressed when the window was
  // hidden and released elsewhere) does not hide the window shown meanwhile.
  if (msg->message == WM_KEYDOWN && msg->wParam == platform::vk::kEscape && (msg->lParam & (1 << 30))) return false;
  return TranslateAcceleratorA(Hwnd(), accelerators_.get(), msg) != 0;
}

// ---- MainView ------------------------------------------------------------------

int MainForm::Width() const {
  RECT r{};
  GetWindowRect(Hwnd(), &r);
  return r.right - r.left;
}

int MainForm::Height() const {
  RECT r{};
  GetWindowRect(Hwnd(), &r);
  return r.bottom - r.top;
}

void MainForm::SetSize(int width, int height) {
  SetWindowPos(Hwnd(), nullptr, 0, 0, std::max(width, kMinimumWidth), std::max(height, kMinimumHeight),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainForm::SetPaneHeight(int height) {
  paneHeight_ = std::max(0, height);
  Layout();
}

void MainForm::SetMenuBarVisible(bool visible) {
  SetMenu(Hwnd(), visible ? menuBar_.get() : nullptr);
  Layout();
}

void MainForm::SetToolBarVisible(bool visible) {
  toolBarVisible_ = visible;
  ShowWindow(toolBar_, visible ? SW_SHOWNA : SW_HIDE);
  Layout();
}

void MainForm::SetMenuBarChecked(bool checked) {
  menuBarChecked_ = checked;
  CheckMenuItem(menuBar_.get(), kCmdShowMainMenu, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void MainForm::SetToolBarChecked(bool checked) {
  toolBarChecked_ = checked;
  CheckMenuItem(menuBar_.get(), kCmdShowToolBar, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void MainForm::SetTranslucency(bool enabled, std::uint8_t alpha) {
  const LONG_PTR exStyle = GetWindowLongPtrA(Hwnd(), GWL_EXSTYLE);
  if (enabled) {
    SetWindowLongPtrA(Hwnd(), GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    SetLayeredWindowAttributes(Hwnd(), 0, alpha, LWA_ALPHA);
  } else if (exStyle & WS_EX_LAYERED) {
    SetWindowLongPtrA(Hwnd(), GWL_EXSTYLE, exStyle & ~WS_EX_LAYERED);
    RedrawWindow(Hwnd(), nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
  }
}

void MainForm::CenterOnScreen() {
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const int width = Width();
  const int height = Height();
  SetWindowPos(Hwnd(), nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainForm::ShowInFront() {
  if (!IsVisible()) {
    ShowWindow(Hwnd(), SW_SHOW);
    controller_->FormShow();
  }
  SetForegroundWindow(Hwnd());
}

void MainForm::SetTrayIconShown(bool shown) {
  trayIconWanted_ = shown;
  if (startupComplete_) tray_.SetShown(shown);
}

void MainForm::StartupComplete() {
  startupComplete_ = true;
  tray_.SetShown(trayIconWanted_);
}

void MainForm::HideWindow() {
  if (!IsVisible()) return;
  ShowWindow(Hwnd(), SW_HIDE);
  controller_->FormHide();
}

void MainForm::FocusFilterBox() { SetFocus(filterEdit_); }

void MainForm::ShowTableViewer() {
  if (tables_) tables_->ShowViewer();
}

void MainForm::EndApplication() { DestroyWindow(Hwnd()); }

void MainForm::StartSamplingTimer() { SetTimer(Hwnd(), kSamplingTimer, kSamplingIntervalMs, nullptr); }

void MainForm::StopSamplingTimer() { KillTimer(Hwnd(), kSamplingTimer); }

void MainForm::ShowSeconds(int seconds) {
  if (tables_) tables_->SetSeconds(seconds);
}

void MainForm::ShowKeystrokeBuffer(const std::string& text) {
  if (tables_) tables_->SetKeystrokeText(text);
}

bool MainForm::ProgramActive() const {
  const HWND foreground = GetForegroundWindow();
  DWORD process = 0;
  return foreground != nullptr && GetWindowThreadProcessId(foreground, &process) != 0 &&
         process == GetCurrentProcessId();
}

// ---- tree::SyncView --------------------------------------------------------------

// Called whenever the focused record changes.
void MainForm::SetInfoText(const std::string& text) {
  SetWindowTextA(infoLine_, text.c_str());
  UpdateRecordCommands();
}

void MainForm::SetPreview(const std::string& text) { SetWindowTextA(preview_, WithCrLf(text).c_str()); }

bool MainForm::TreeHasInputFocus() const { return GetFocus() == treeView_.Hwnd(); }

bool MainForm::FilterHasInputFocus() const { return GetFocus() == filterEdit_; }

void MainForm::SetFilterText(const std::string& text) {
  SetWindowTextA(filterEdit_, text.c_str());
  const auto end = static_cast<WPARAM>(text.size());
  SendMessageA(filterEdit_, EM_SETSEL, end, static_cast<LPARAM>(end));
}

void MainForm::RepaintTree() { InvalidateRect(treeView_.Hwnd(), nullptr, FALSE); }

// ---- Events ------------------------------------------------------------------------

void MainForm::SetRecordCommands(editing::RecordWorkflow* commands) {
  recordCommands_ = commands;
  UpdateRecordCommands();
}

void MainForm::SetTreeEditing(tree::TreeEditing* editing) {
  treeEditing_ = editing;
  treeView_.SetDragHandlers({
      .allowed =
          [this](tree::NodeHandle node) {
            bool allowed = false;
            RunGuarded(
                [&] { allowed = treeEditing_ && !RecordDialogShowing() && treeEditing_->TreeDragAllowed(node); });
            return allowed;
          },
      .over =
          [this](tree::NodeHandle target) {
            bool accepted = false;
            RunGuarded([&] { accepted = treeEditing_ && treeEditing_->TreeDragOver(target); });
            return accepted;
          },
      .drop = [this](tree::NodeHandle target) { RunGuarded([&] { treeEditing_->TreeDragDrop(target); }); },
  });
  UpdateRecordCommands();
}

void MainForm::SetCommandEnabled(int id, bool enabled) {
  if (enabled) {
    disabledCommands_.erase(id);
  } else {
    disabledCommands_.insert(id);
  }
  if (menuBar_)
    EnableMenuItem(menuBar_.get(), static_cast<UINT>(id), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
  if (toolBar_) SendMessageA(toolBar_, TB_ENABLEBUTTON, static_cast<WPARAM>(id), MAKELPARAM(enabled ? TRUE : FALSE, 0));
}

void MainForm::SetCollapseTreeEnabled(bool enabled) { SetCommandEnabled(kCmdCollapseTree, enabled); }

void MainForm::UpdateRecordCommands() {
  bool enabled = false;
  RunGuarded([&] { enabled = recordCommands_ && recordCommands_->aNewChildUpdate(); });
  SetCommandEnabled(kCmdNewChild, enabled);
  std::optional<bool> deletable;
  RunGuarded([&] { deletable = treeEditing_ ? treeEditing_->aDeleteUpdate() : std::optional<bool>(false); });
  if (deletable) SetCommandEnabled(kCmdDelete, *deletable);
}

void MainForm::OpenTreePopup(POINT at) {
  if (!treePopup_) return;
  UpdateRecordCommands();
  const HMENU menu = treePopup_.get();
  for (int id :
       {kCmdNewRecord, kCmdNewChild, kCmdEdit, kCmdDelete, kCmdCollapseTree, kCmdShowMainMenu, kCmdShowToolBar}) {
    const Command* command = FindCommand(id);
    const bool enabled = command && command->available && !disabledCommands_.count(id);
    EnableMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
  }
  CheckMenuItem(menu, kCmdShowMainMenu, MF_BYCOMMAND | (menuBarChecked_ ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(menu, kCmdShowToolBar, MF_BYCOMMAND | (toolBarChecked_ ? MF_CHECKED : MF_UNCHECKED));
  const int chosen = static_cast<int>(
      TrackPopupMenu(menu, TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, 0, Hwnd(), nullptr));
  // Run once the tree's notification is over.
  if (chosen) PostMessageA(Hwnd(), WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
}

void MainForm::RunCommand(int id) {
  const Command* command = FindCommand(id);
  if (!command || !command->available || disabledCommands_.count(id)) return;
  RunGuarded([&] {
    switch (id) {
      case kCmdNewRecord:
        controller_->aNewRecord();
        break;
      case kCmdNewChild:
        if (recordCommands_ && recordCommands_->aNewChildUpdate()) recordCommands_->aNewChildExecute();
        break;
      case kCmdEdit:
        if (recordCommands_) recordCommands_->aEditExecute();
        break;
      case kCmdDelete:
        if (treeEditing_ && treeEditing_->aDeleteUpdate() == true) treeEditing_->aDeleteExecute();
        UpdateRecordCommands();
        break;
      case kCmdCollapseTree:
        controller_->aCollapseTree();
        break;
      case kCmdHide:
        controller_->aHide();
        break;
      case kCmdShutDown:
        controller_->aShutDown();
        break;
      case kCmdTableShow:
        controller_->aTableShow();
        break;
      case kCmdShowToolBar:
        controller_->aShowToolBar();
        break;
      case kCmdShowMainMenu:
        controller_->aShowMainMenu();
        break;
      case kCmdShow1:
        controller_->Show1Click();
        break;
      case kCmdHelp:
        if (help_) help_();
        break;
      case kCmdOptions:
        if (companion_) companion_->aOptionsExecute();
        break;
      case kCmdAbout:
        if (companion_) companion_->aAboutExecute();
        break;
    }
  });
}

void MainForm::OnTrayMessage(LPARAM event) {
  switch (LOWORD(event)) {
    case WM_LBUTTONDOWN:
      RunGuarded([this] { controller_->TrayIconMouseDown(MouseButton::Left); });
      break;
    case WM_RBUTTONDOWN:
      RunGuarded([this] { controller_->TrayIconMouseDown(MouseButton::Right); });
      break;
    case WM_MBUTTONDOWN:
      RunGuarded([this] { controller_->TrayIconMouseDown(MouseButton::Middle); });
      break;
  }
}

void MainForm::ShowTrayMenu() { PostMessageA(Hwnd(), kOpenTrayMenu, 0, 0); }

void MainForm::DetachTrayMenu() {
  if (trayMenu_) detachedTrayMenu_ = std::move(trayMenu_);
}

void MainForm::AttachTrayMenu() {
  if (!trayMenu_ && detachedTrayMenu_) trayMenu_ = std::move(detachedTrayMenu_);
}

void MainForm::OpenTrayMenu() {
  if (!trayMenu_) return;  // detached while the about box is up
  POINT at{};
  GetCursorPos(&at);
  // The menu closes when the user clicks elsewhere only while its owner is
  // the foreground window.
  SetForegroundWindow(Hwnd());
  const int chosen = static_cast<int>(
      TrackPopupMenu(trayMenu_.get(), TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, 0, Hwnd(), nullptr));
  PostMessageA(Hwnd(), WM_NULL, 0, 0);
  if (chosen) RunCommand(chosen);
}

LRESULT MainForm::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      CreateControls();
      Layout();
      RunGuarded([this] { controller_->FormCreate(store::TimestampNow()); });
      treeView_.Attach();
      return 0;
    case WM_DESTROY:
      StopSamplingTimer();
      treeView_.Detach();
      filterKeys_.Unbind();
      controller_->FormDestroy();
      tray_.SetShown(false);
      SetMenu(Hwnd(), nullptr);  // menuBar_ destroys it
      PostQuitMessage(0);
      return 0;
    case WM_CLOSE:
      // Hides; ends the program only while shutting down.
      RunGuarded([this] { controller_->FormClose(); });
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // The session ends: end as "Shut down" does, so that the records are
      // saved before the system stops the process.
      if (wp) RunGuarded([this] { controller_->aShutDown(); });
      return 0;
    case WM_SIZE:
      Layout();
      return 0;
    case WM_GETMINMAXINFO:
      reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = {kMinimumWidth, kMinimumHeight};
      return 0;
    case WM_SETFOCUS:
      SetFocus(filterEdit_);
      return 0;
    case WM_TIMER:
      if (wp == kSamplingTimer) {
        RunGuarded([this] { controller_->SamplingTimerTick(); });
        return 0;
      }
      break;
    case WM_HOTKEY:
      if (hotkeys_) RunGuarded([this, wp] { hotkeys_->DoHotKey(static_cast<int>(wp)); });
      return 0;
    case WM_RENDERFORMAT:
      if (clipboardRequests_)
        RunGuarded([this, wp] { clipboardRequests_->RenderFormat(static_cast<platform::ClipFormat>(wp)); });
      return 0;
    case WM_RENDERALLFORMATS:
      if (clipboardRequests_) RunGuarded([this] { clipboardRequests_->RenderAllFormats(); });
      return 0;
    case WM_DRAWCLIPBOARD:
      if (clipboardMonitor_) RunGuarded([this] { clipboardMonitor_->ClipboardChanged(); });
      return 0;
    case WM_CHANGECBCHAIN:
      if (clipboardMonitor_)
        RunGuarded([this, wp, lp] {
          clipboardMonitor_->ChainChanged(static_cast<platform::WindowHandle>(wp),
                                          static_cast<platform::WindowHandle>(lp));
        });
      return 0;
    case WM_DESTROYCLIPBOARD:
      if (clipboardRequests_) RunGuarded([this] { clipboardRequests_->ClipboardDestroyed(); });
      return 0;
    case WM_ACTIVATEAPP:
      RunGuarded([this, wp] {
        if (wp) {
          controller_->AppActivate();
        } else {
          controller_->AppDeactivate();
        }
      });
      return 0;
    case WM_COMMAND:
      if (lp == 0 || reinterpret_cast<HWND>(lp) == toolBar_) {
        RunCommand(LOWORD(wp));
        return 0;
      }
      break;
    case WM_NOTIFY: {
      // The tree's and the filter box's notifications went to their objects.
      auto* header = reinterpret_cast<NMHDR*>(lp);
      if (header->code == TBN_GETINFOTIPA || header->code == TBN_GETINFOTIPW) return ToolTip(header);
      break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT: {
      const auto control = reinterpret_cast<HWND>(lp);
      if (control == infoLine_ || control == preview_) {
        const auto dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, control == infoLine_ ? RGB(0, 0, 128) : GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
      }
      break;
    }
  }
  if (msg == kOpenTrayMenu) {
    OpenTrayMenu();
    return 0;
  }
  if (msg == TrayIcon::kMessage) {
    OnTrayMessage(lp);
    return 0;
  }
  static const UINT testBusy = TestBusyMessage();
  if (testBusy != 0 && msg == testBusy) {
    BeBusyForTest(wp);
    return 1;
  }
  if (taskbarCreated_ && msg == taskbarCreated_) {
    tray_.Restore();
    return 0;
  }
  return DefaultHandling(msg, wp, lp);
}

}  // namespace tembric::app::win32
