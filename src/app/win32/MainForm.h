#pragma once
// TForm1, the main window. The window itself is thin: it lays out its
// controls, forwards its events to MainController and does what MainView and
// the tree's SyncView ask. The parts behind it are built and owned by
// MainComposition. It lives hidden most of the time; its close box only
// hides it, and "Shut down" ends the program.
#include <windows.h>

#include <functional>
#include <memory>
#include <set>
#include <string>

#include "app/CompanionCommands.h"
#include "app/HotkeyCommands.h"
#include "app/KeystrokeCommands.h"
#include "app/MainController.h"
#include "app/MainView.h"
#include "app/win32/FilterKeys.h"
#include "app/win32/RecordTreeView.h"
#include "app/win32/Splitter.h"
#include "app/win32/TrayIcon.h"
#include "app/win32/Window.h"
#include "editing/RecordDialogView.h"
#include "editing/RecordWorkflow.h"
#include "paste/ClipboardMonitor.h"
#include "paste/ClipboardOffer.h"
#include "platform/win32/Handles.h"
#include "tree/SelectionSync.h"
#include "tree/TreeEditing.h"
#include "tree/TreeModel.h"

namespace tembric::app::win32 {

class TablesForm;

class MainForm final : public Window,
                       public MainView,
                       public tree::SyncView,
                       public KeystrokeView,
                       public HotkeyContext,
                       public editing::RecordDialogHost,
                       public paste::ClipboardListingView,
                       public TrayMenuSeam {
 public:
  static constexpr int kBottomStripHeight = 33;
  static constexpr int kInfoHeight = 21;

  // `caption`: "Tembric 1.2"; `model`: the record tree the tree control shows.
  MainForm(std::string caption, tree::TreeModel& model);
  ~MainForm() override;

  // Creates the window hidden and runs FormCreate; its events go to
  // `controller` and the filter box's to `filter` from now on. An error in
  // FormCreate is shown and the rest of it skipped; the window exists either
  // way.
  void CreateHidden(MainController& controller, tree::FilterBox& filter);
  // Destroys the window (FormDestroy runs) while the parts it calls exist.
  void Destroy();
  // The filter box as the filter logic sees it.
  tree::FilterView& FilterBoxView() { return filterKeys_; }
  // The debug window, created after the main window.
  void SetTableViewer(TablesForm* tables);
  // The record dialog, created after the main window.
  void SetRecordDialog(const Window* dialog) { recordDialog_ = dialog; }
  // "Add child" (Ctrl+A) and "Edit" (Ctrl+E) run there; "Add child" is
  // enabled as it says whenever the current record changes. "New" (Insert)
  // goes through the controller, as Insert in the filter box and the New
  // hotkey do.
  void SetRecordCommands(editing::RecordWorkflow* commands);
  // "Options..." and the about entry run there (the companion library).
  void SetCompanionCommands(CompanionCommands* commands) { companion_ = commands; }
  // "Delete" (Ctrl+Del, enabled as aDeleteUpdate says whenever the focus
  // moves), drag and drop in the tree, and the tree's context menu.
  void SetTreeEditing(tree::TreeEditing* editing);
  // Greys a command out in the menus and on the toolbar; a disabled command
  // does not run from its shortcut either.
  void SetCommandEnabled(int id, bool enabled);
  // Where the global hotkeys' messages go (WM_HOTKEY carries the slot).
  void SetHotkeyHandler(HotkeyCommands* hotkeys) { hotkeys_ = hotkeys; }
  // Where the clipboard's render requests go (the window owns what a paste
  // offers on the clipboard).
  void SetClipboardRequests(paste::ClipboardRequests* requests) { clipboardRequests_ = requests; }
  // "Help" (F1).
  void SetHelpCommand(std::function<void()> help) { help_ = std::move(help); }
  // Where the clipboard viewer chain's notices go.
  void SetClipboardMonitor(paste::ClipboardMonitor* monitor) { clipboardMonitor_ = monitor; }
  // The command keys; true when the message was one of them and was handled.
  bool TranslateAccelerators(MSG* msg);
  // The start-up sequence is over and the message loop runs. The tray icon
  // asked for while the windows were being made appears only now: a click on
  // it during the start-up would show the window that the start-up then
  // hides, and the user's click would be lost.
  void StartupComplete();

  // ---- MainView ----------------------------------------------------------------
  int Width() const override;
  int Height() const override;
  void SetSize(int width, int height) override;
  int PaneHeight() const override { return paneHeight_; }
  void SetPaneHeight(int height) override;
  void SetMenuBarVisible(bool visible) override;
  void SetToolBarVisible(bool visible) override;
  void SetMenuBarChecked(bool checked) override;
  void SetToolBarChecked(bool checked) override;
  void SetCaption(const std::string& caption) override { SetText(caption); }
  void SetTranslucency(bool enabled, std::uint8_t alpha) override;
  void SetTrayIconShown(bool shown) override;
  void SetTrayImage(int index) override { tray_.SetImage(index); }
  void ShowTrayMenu() override;
  bool IsShowing() const override { return IsVisible(); }
  void CenterOnScreen() override;
  void ShowInFront() override;
  void HideWindow() override;
  void FocusFilterBox() override;
  void ShowTableViewer() override;
  void EndApplication() override;
  void StartSamplingTimer() override;
  void StopSamplingTimer() override;
  void ShowSeconds(int seconds) override;

  // ---- tree::SyncView -----------------------------------------------------------
  void SetInfoText(const std::string& text) override;
  void SetPreview(const std::string& text) override;
  bool TreeHasInputFocus() const override;
  bool FilterHasInputFocus() const override;
  bool WindowShowing() const override { return IsVisible(); }
  void SetFilterText(const std::string& text) override;
  void RepaintTree() override;

  // ---- paste::ClipboardListingView -------------------------------------------------
  void ShowClipboardFormats(const std::vector<std::string>& formats) override;

  // ---- KeystrokeView --------------------------------------------------------------
  void ShowKeystrokeBuffer(const std::string& text) override;
  bool RecordDialogShowing() const override { return recordDialog_ != nullptr && recordDialog_->IsVisible(); }

  // ---- HotkeyContext ---------------------------------------------------------------
  // A window of this process is the foreground window.
  bool ProgramActive() const override;

  // ---- editing::RecordDialogHost ------------------------------------------------------
  void SetCollapseTreeEnabled(bool enabled) override;
  bool MainWindowShowing() const override { return IsVisible(); }

  // ---- TrayMenuSeam ---------------------------------------------------------------------
  void DetachTrayMenu() override;
  void AttachTrayMenu() override;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  // MainFormLayout.cpp
  void CreateControls();
  void CreateToolBar();
  void Layout();
  void PlaceToolBarSpacer(int clientWidth);
  void DragSplitter(int top);
  int BottomStripTop() const;
  int TreeTop() const;
  LRESULT ToolTip(NMHDR* header);

  // MainForm.cpp
  void RunCommand(int id);
  void OnTrayMessage(LPARAM event);
  void OpenTrayMenu();
  void UpdateRecordCommands();
  void OpenTreePopup(POINT at);

  std::string caption_;
  MainController* controller_ = nullptr;
  tree::FilterBox* filterBox_ = nullptr;
  RecordTreeView treeView_;
  FilterKeys filterKeys_;
  Splitter splitter_;
  TrayIcon tray_;
  TablesForm* tables_ = nullptr;
  const Window* recordDialog_ = nullptr;
  HotkeyCommands* hotkeys_ = nullptr;
  paste::ClipboardRequests* clipboardRequests_ = nullptr;
  paste::ClipboardMonitor* clipboardMonitor_ = nullptr;
  std::function<void()> help_;
  // The last listing, for a debug window that attaches after it came.
  std::vector<std::string> clipboardFormats_;
  editing::RecordWorkflow* recordCommands_ = nullptr;
  CompanionCommands* companion_ = nullptr;
  tree::TreeEditing* treeEditing_ = nullptr;
  std::set<int> disabledCommands_;

  HWND toolBar_ = nullptr;
  platform::win32::OwnedImageList toolImages_;
  HWND infoLine_ = nullptr;
  HWND preview_ = nullptr;
  HWND filterEdit_ = nullptr;
  // Taken off the window when it is destroyed, so that it is destroyed here
  // whether it is shown or not.
  platform::win32::OwnedMenu menuBar_;
  platform::win32::OwnedMenu trayMenu_;
  // The tray menu while the about box is up; a right click then opens none.
  platform::win32::OwnedMenu detachedTrayMenu_;
  platform::win32::OwnedMenu treePopup_;
  bool menuBarChecked_ = true;  // as "Show main menu" and "Show toolbar" show it
  bool toolBarChecked_ = true;
  platform::win32::OwnedAccelerators accelerators_;
  UINT taskbarCreated_ = 0;
  bool trayIconWanted_ = false;
  bool startupComplete_ = false;
  int paneHeight_ = kDesignedPaneHeight;
  int spacerWidth_ = -1;
  bool toolBarVisible_ = true;
};

}  // namespace tembric::app::win32
