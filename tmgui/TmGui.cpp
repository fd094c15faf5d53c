// tmgui.dll: the options dialog and the about box of Tembric,
// raw Win32 dialogs over the platform-free logic of app/OptionsModel. The
// program hands plain C structs (app/TmGuiApi.h) for the length of one call;
// nothing leaves a call but its result: every error is caught here.
#include <windows.h>
// Needs the declarations of <windows.h> first.
#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/OptionsModel.h"
#include "app/SettingsFile.h"
#include "app/TmGuiApi.h"
#include "platform/FileSystem.h"
#include "platform/Hotkeys.h"
#include "platform/win32/DialogBasics.h"
#include "triggers/HotkeyText.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace tembric::tmgui {
namespace {

using app::OptionsValues;
using platform::win32::CentreDialog;
using platform::win32::ControlText;
using platform::win32::ScreenDpi;

HINSTANCE Instance() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

// ---- Shared pieces -------------------------------------------------------------------

// The system's message font, as the program's dialogs use it; made per
// showing and deleted with it.
class DialogFont {
 public:
  DialogFont() {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
      font_ = CreateFontIndirectA(&metrics.lfMessageFont);
  }
  ~DialogFont() {
    if (font_) DeleteObject(font_);
  }
  DialogFont(const DialogFont&) = delete;
  DialogFont& operator=(const DialogFont&) = delete;
  HFONT Get() const { return font_ ? font_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

 private:
  HFONT font_ = nullptr;
};

// An empty modal dialog template (caption only); the controls are made in
// WM_INITDIALOG in pixels scaled to the screen's DPI.
std::vector<WORD> DialogTemplate(const wchar_t* caption) {
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
  auto* dialog = reinterpret_cast<DLGTEMPLATE*>(words.data());
  dialog->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  dialog->cx = 100;
  dialog->cy = 50;
  words.push_back(0);  // no menu
  words.push_back(0);  // the standard dialog class
  for (const wchar_t* c = caption; *c; ++c) words.push_back(static_cast<WORD>(*c));
  words.push_back(0);
  return words;
}

struct Layout {
  int dpi = 96;
  int S(int value) const { return MulDiv(value, dpi, 96); }
};

HWND Make(HWND parent, HFONT font, const char* className, const char* text, DWORD style, int id, RECT place,
          DWORD exStyle = 0) {
  const HWND control = CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, place.left, place.top,
                                       place.right - place.left, place.bottom - place.top, parent,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(), nullptr);
  if (!control) throw std::runtime_error(std::string("Cannot create a control of class ") + className);
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

// Sizes the dialog's client area and centres it over `owner` (or the work area).
void SizeAndCentre(HWND dialog, HWND owner, int clientWidth, int clientHeight) {
  RECT frame{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_EXSTYLE)));
  SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  CentreDialog(dialog, owner && IsWindowVisible(owner) ? owner : nullptr);
}

void ShowFailure(HWND owner, const char* what) {
  MessageBoxA(owner, what, "Tembric", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

// ---- Hotkey controls -------------------------------------------------------------------

bool ExtendedKey(BYTE vk) {
  return (vk >= VK_PRIOR && vk <= VK_DOWN) || vk == VK_INSERT || vk == VK_DELETE || vk == VK_DIVIDE || vk == VK_NUMLOCK;
}

WORD ControlValue(triggers::KeyValue value) {
  const BYTE vk = static_cast<BYTE>(value & 0xFF);
  BYTE flags = 0;
  if (value & triggers::kShiftBit) flags |= HOTKEYF_SHIFT;
  if (value & triggers::kCtrlBit) flags |= HOTKEYF_CONTROL;
  if (value & triggers::kAltBit) flags |= HOTKEYF_ALT;
  if (vk != 0 && ExtendedKey(vk)) flags |= HOTKEYF_EXT;
  return vk == 0 ? 0 : MAKEWORD(vk, flags);
}

triggers::KeyValue KeyValueOf(WORD control) {
  const BYTE vk = LOBYTE(control);
  const BYTE flags = HIBYTE(control);
  if (vk == 0) return 0;
  triggers::KeyValue value = vk;
  if (flags & HOTKEYF_SHIFT) value |= triggers::kShiftBit;
  if (flags & HOTKEYF_CONTROL) value |= triggers::kCtrlBit;
  if (flags & HOTKEYF_ALT) value |= triggers::kAltBit;
  return value;
}

// A modal dialog made from an in-memory template. Its handler runs inside
// the system's dialog procedure, so no exception may leave it: one ends the
// dialog, and its text is shown once the dialog has closed.
class ModalDialog {
 public:
  virtual ~ModalDialog() = default;
  ModalDialog(const ModalDialog&) = delete;
  ModalDialog& operator=(const ModalDialog&) = delete;

 protected:
  ModalDialog(HWND owner, const char* failureText) : owner_(owner), failureText_(failureText) {}

  void RunModal(const wchar_t* title) {
    const std::vector<WORD> words = DialogTemplate(title);
    DialogBoxIndirectParamA(Instance(), reinterpret_cast<const DLGTEMPLATE*>(words.data()), owner_, &Proc,
                            reinterpret_cast<LPARAM>(this));
    if (!failure_.empty()) ShowFailure(owner_, failure_.c_str());
  }

  virtual INT_PTR Handle(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) = 0;

  HWND owner_;

 private:
  static INT_PTR CALLBACK Proc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lp);
    auto* self = reinterpret_cast<ModalDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!self) return FALSE;
    try {
      return self->Handle(dialog, msg, wp, lp);
    } catch (const std::exception& error) {
      self->failure_ = error.what();
    } catch (...) {
      self->failure_ = self->failureText_;
    }
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  }

  const char* failureText_;
  std::string failure_;
};

// ---- Options ------------------------------------------------------------------------------

enum OptionsId : int {
  kTranslucentId = 1001,
  kOpacityId,
  kTrayIconId,
  kCollapseId,
  kMinutesId,
  kTrackId,
  kRestoreId,
  kNewContentId,
  kAutoPasteId,
  kShowHotkeyId,
  kNewHotkeyId,
  kMessageId,
};

class OptionsDialog final : public ModalDialog {
 public:
  OptionsDialog(app::OptionsDialogLogic& logic, platform::Hotkeys& names, HWND owner)
      : ModalDialog(owner, "The options dialog failed"), logic_(logic), names_(names) {}

  void Run() { RunModal(L"Options"); }

 private:
  INT_PTR Handle(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_INITDIALOG:
        dialog_ = dialog;
        Create();
        Show(logic_.Initial());
        SetFocus(GetDlgItem(dialog, kTranslucentId));
        return FALSE;  // the focus is set
      case WM_COMMAND:
        switch (LOWORD(wp)) {
          case IDOK:
            Ok();
            return TRUE;
          case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
          case kTranslucentId:
          case kCollapseId:
          case kNewContentId:
            if (HIWORD(wp) == BN_CLICKED || HIWORD(wp) == CBN_SELCHANGE) UpdateEnabled();
            return TRUE;
        }
        return FALSE;
      case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lp) == GetDlgItem(dialog, kMessageId)) {
          const auto dc = reinterpret_cast<HDC>(wp);
          SetTextColor(dc, RGB(192, 0, 0));
          SetBkMode(dc, TRANSPARENT);
          return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
        }
        return FALSE;
    }
    return FALSE;
  }

  HWND Item(int id) const { return GetDlgItem(dialog_, id); }
  bool Checked(int id) const { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }
  void Check(int id, bool on) { CheckDlgButton(dialog_, id, on ? BST_CHECKED : BST_UNCHECKED); }

  // Every place at 96 DPI, scaled.
  void Create() {
    const Layout l{ScreenDpi()};
    const HFONT f = font_.Get();
    constexpr int kMargin = 10, kWidth = 380, kRow = 24, kCheck = 20, kEdit = 21;
    const auto check = [&](int id, const char* text, int y, int width = -1) {
      if (width < 0) width = kWidth - 2 * kMargin;
      Make(dialog_, f, "BUTTON", text, WS_TABSTOP | BS_AUTOCHECKBOX, id,
           {l.S(kMargin), l.S(y), l.S(kMargin + width), l.S(y + kCheck)});
    };
    const auto label = [&](const char* text, int x, int y, int width) {
      Make(dialog_, f, "STATIC", text, SS_LEFT | SS_NOPREFIX, 0, {l.S(x), l.S(y + 3), l.S(x + width), l.S(y + kCheck)});
    };
    const auto edit = [&](int id, int x, int y, int width) {
      Make(dialog_, f, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL | ES_NUMBER, id,
           {l.S(x), l.S(y), l.S(x + width), l.S(y + kEdit)}, WS_EX_CLIENTEDGE);
    };
    const auto hotkey = [&](int id, int x, int y, int width) {
      const HWND control = Make(dialog_, f, HOTKEY_CLASSA, "", WS_TABSTOP, id,
                                {l.S(x), l.S(y), l.S(x + width), l.S(y + kEdit)}, WS_EX_CLIENTEDGE);
      SendMessageA(control, HKM_SETRULES, HKCOMB_NONE, MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_ALT, 0));
    };

    int y = kMargin;
    check(kTranslucentId, "Translucent main window", y, 200);
    label("Opacity (0-255):", kMargin + 215, y, 100);
    edit(kOpacityId, kWidth - kMargin - 45, y - 1, 45);
    y += kRow;
    check(kTrayIconId, "Show the tray icon", y);
    y += kRow;
    check(kCollapseId, "Collapse the tree when not used", y, 200);
    label("After minutes:", kMargin + 215, y, 100);
    edit(kMinutesId, kWidth - kMargin - 45, y - 1, 45);
    y += kRow;
    check(kTrackId, "Watch typed abbreviations (keystrokes)", y);
    y += kRow;
    check(kRestoreId, "Put the clipboard text back after a paste", y);
    y += kRow + 4;
    label("Content of a new record:", kMargin, y, 150);
    const HWND kinds = Make(dialog_, f, "COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, kNewContentId,
                            {l.S(kMargin + 156), l.S(y), l.S(kMargin + 256), l.S(y + 160)});
    for (const char* kind : app::kNewContentChoices)
      SendMessageA(kinds, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kind));
    y += kRow + 2;
    check(kAutoPasteId, "With Auto, take the clipboard into a new record at once", y);
    y += kRow + 6;
    label("Show hotkey:", kMargin, y, 100);
    hotkey(kShowHotkeyId, kMargin + 106, y, 150);
    y += kRow + 2;
    label("New hotkey:", kMargin, y, 100);
    hotkey(kNewHotkeyId, kMargin + 106, y, 150);
    y += kRow + 4;
    Make(dialog_, f, "STATIC", "", SS_LEFT | SS_NOPREFIX, kMessageId,
         {l.S(kMargin), l.S(y), l.S(kWidth - kMargin), l.S(y + 34)});
    y += 38;
    constexpr int kButtonWidth = 75, kButtonHeight = 25;
    Make(dialog_, f, "BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK,
         {l.S(kWidth - kMargin - 2 * kButtonWidth - 6), l.S(y), l.S(kWidth - kMargin - kButtonWidth - 6),
          l.S(y + kButtonHeight)});
    Make(dialog_, f, "BUTTON", "Cancel", WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL,
         {l.S(kWidth - kMargin - kButtonWidth), l.S(y), l.S(kWidth - kMargin), l.S(y + kButtonHeight)});
    y += kButtonHeight + kMargin;
    SizeAndCentre(dialog_, owner_, l.S(kWidth), l.S(y));
  }

  void Show(const OptionsValues& v) {
    Check(kTranslucentId, v.translucent);
    SetDlgItemInt(dialog_, kOpacityId, v.opacity, FALSE);
    Check(kTrayIconId, v.trayIcon);
    Check(kCollapseId, v.inactiveCollapse);
    SetDlgItemInt(dialog_, kMinutesId, static_cast<UINT>(v.inactiveMinutes), TRUE);
    Check(kTrackId, v.trackKeystroke);
    Check(kRestoreId, v.restoreText);
    const HWND kinds = Item(kNewContentId);
    const LRESULT found = SendMessageA(kinds, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(v.newContent.c_str()));
    if (found == CB_ERR) {
      // A value the program reads as none of the four: shown as it is, kept unless chosen anew.
      SendMessageA(kinds, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(v.newContent.c_str()));
    }
    SendMessageA(kinds, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(v.newContent.c_str()));
    Check(kAutoPasteId, v.autoPaste);
    showInitial_ = triggers::TextToHotkey(v.showHotkey, names_);
    newInitial_ = triggers::TextToHotkey(v.newHotkey, names_);
    SendMessageA(Item(kShowHotkeyId), HKM_SETHOTKEY, ControlValue(showInitial_), 0);
    SendMessageA(Item(kNewHotkeyId), HKM_SETHOTKEY, ControlValue(newInitial_), 0);
    UpdateEnabled();
  }

  void UpdateEnabled() {
    EnableWindow(Item(kOpacityId), Checked(kTranslucentId));
    EnableWindow(Item(kMinutesId), Checked(kCollapseId));
    EnableWindow(Item(kAutoPasteId), ControlText(Item(kNewContentId)) == "Auto");
  }

  std::string HotkeyText(int id, triggers::KeyValue initial, const std::string& initialText) {
    const triggers::KeyValue value =
        KeyValueOf(static_cast<WORD>(SendMessageA(Item(id), HKM_GETHOTKEY, 0, 0) & 0xFFFF));
    if (value == initial) return initialText;  // as the file spells it
    return value == 0 ? std::string() : triggers::HotkeyToText(value, names_);
  }

  void Message(const std::string& line, int focus) {
    SetDlgItemTextA(dialog_, kMessageId, line.c_str());
    if (focus) SetFocus(Item(focus));
  }

  void Ok() {
    const OptionsValues& initial = logic_.Initial();
    OptionsValues chosen = initial;
    chosen.translucent = Checked(kTranslucentId);
    if (!app::ParseOpacity(ControlText(Item(kOpacityId)), chosen.opacity)) {
      if (chosen.translucent) return Message(app::kBadOpacityText, kOpacityId);
      chosen.opacity = initial.opacity;  // not in use: left as it was
    }
    chosen.trayIcon = Checked(kTrayIconId);
    chosen.inactiveCollapse = Checked(kCollapseId);
    if (!app::ParseMinutes(ControlText(Item(kMinutesId)), chosen.inactiveMinutes)) {
      if (chosen.inactiveCollapse) return Message(app::OptionsDialogLogic::BadMinutesText(), kMinutesId);
      chosen.inactiveMinutes = initial.inactiveMinutes;
    }
    chosen.trackKeystroke = Checked(kTrackId);
    chosen.restoreText = Checked(kRestoreId);
    chosen.newContent = ControlText(Item(kNewContentId));
    chosen.autoPaste = Checked(kAutoPasteId);
    chosen.showHotkey = HotkeyText(kShowHotkeyId, showInitial_, initial.showHotkey);
    chosen.newHotkey = HotkeyText(kNewHotkeyId, newInitial_, initial.newHotkey);
    const std::string line = logic_.Ok(chosen);
    if (!line.empty()) {
      const bool newKey = line.find(" New ") != std::string::npos && line.find("differ") == std::string::npos;
      return Message(line, line.find("hotkey") != std::string::npos ? (newKey ? kNewHotkeyId : kShowHotkeyId) : 0);
    }
    EndDialog(dialog_, IDOK);
  }

  app::OptionsDialogLogic& logic_;
  platform::Hotkeys& names_;
  HWND dialog_ = nullptr;
  DialogFont font_;
  triggers::KeyValue showInitial_ = 0;
  triggers::KeyValue newInitial_ = 0;
};

// ---- About ------------------------------------------------------------------------------

class AboutBox final : public ModalDialog {
 public:
  AboutBox(std::vector<std::string> lines, HWND owner)
      : ModalDialog(owner, "The about box failed"), lines_(std::move(lines)) {}

  void Run() { RunModal(L"About Tembric"); }

 private:
  INT_PTR Handle(HWND dialog, UINT msg, WPARAM wp, LPARAM) override {
    switch (msg) {
      case WM_INITDIALOG:
        Create(dialog);
        SetFocus(GetDlgItem(dialog, IDOK));
        return FALSE;
      case WM_COMMAND:
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
          EndDialog(dialog, IDOK);
          return TRUE;
        }
        return FALSE;
    }
    return FALSE;
  }

  void Create(HWND dialog) {
    const Layout l{ScreenDpi()};
    constexpr int kMargin = 12, kWidth = 360, kLine = 20, kButtonWidth = 75, kButtonHeight = 25;
    int y = kMargin;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      const HFONT font = i == 0 && title_.Get() ? title_.Get() : font_.Get();
      // The name larger; the last line (the licence) may take two.
      const int height = i == 0 ? kLine + 8 : i + 1 == lines_.size() ? 2 * kLine : kLine;
      Make(dialog, font, "STATIC", lines_[i].c_str(), SS_LEFT | SS_NOPREFIX, 2000 + static_cast<int>(i),
           {l.S(kMargin), l.S(y), l.S(kWidth - kMargin), l.S(y + height)});
      y += height + (i == 1 ? 8 : 0);
    }
    y += 10;
    Make(dialog, font_.Get(), "BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK,
         {l.S((kWidth - kButtonWidth) / 2), l.S(y), l.S((kWidth + kButtonWidth) / 2), l.S(y + kButtonHeight)});
    y += kButtonHeight + kMargin;
    SizeAndCentre(dialog, owner_, l.S(kWidth), l.S(y));
  }

  // The program's name, larger and bold.
  class TitleFont {
   public:
    TitleFont() {
      NONCLIENTMETRICSA metrics{};
      metrics.cbSize = sizeof(metrics);
      if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        LOGFONTA font = metrics.lfMessageFont;
        font.lfHeight = font.lfHeight * 3 / 2;
        font.lfWeight = FW_BOLD;
        font_ = CreateFontIndirectA(&font);
      }
    }
    ~TitleFont() {
      if (font_) DeleteObject(font_);
    }
    TitleFont(const TitleFont&) = delete;
    TitleFont& operator=(const TitleFont&) = delete;
    HFONT Get() const { return font_; }

   private:
    HFONT font_ = nullptr;
  };

  std::vector<std::string> lines_;
  DialogFont font_;
  TitleFont title_;
};

// The hotkey control's class, from the common controls the program has
// loaded already (its manifest picks version 6). The library imports no
// comctl32 of its own: an import would be looked for in the program's folder
// first (tests/wine/check_imports.cmake).
void RegisterHotkeyClass() {
  const HMODULE controls = GetModuleHandleA("comctl32.dll");
  if (!controls) return;
  using InitProc = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  const auto init =
      reinterpret_cast<InitProc>(reinterpret_cast<void*>(GetProcAddress(controls, "InitCommonControlsEx")));
  if (!init) return;
  const INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_HOTKEY_CLASS | ICC_STANDARD_CLASSES};
  init(&classes);
}

const char* OrEmpty(const char* text) { return text ? text : ""; }

bool Usable(const TmGuiMainWindow* main) { return main != nullptr && main->size >= sizeof(TmGuiMainWindow); }

}  // namespace
}  // namespace tembric::tmgui

extern "C" int TMGUI_CALL ShowOptions(void* applicationWindow, const TmGuiMainWindow* mainWindow,
                                      const TmGuiHotKeyList* usedHotKeys) {
  using namespace tembric;
  const HWND owner = static_cast<HWND>(applicationWindow);
  try {
    if (!tmgui::Usable(mainWindow) || !*tmgui::OrEmpty(mainWindow->settingsPath)) return 0;
    tmgui::RegisterHotkeyClass();
    std::vector<std::string> used;
    if (usedHotKeys && usedHotKeys->items) {
      for (unsigned i = 0; i < usedHotKeys->count; ++i) used.emplace_back(tmgui::OrEmpty(usedHotKeys->items[i]));
    }
    app::SettingsFile settings(platform::RealFileSystem(), mainWindow->settingsPath);
    const std::unique_ptr<platform::Hotkeys> names = platform::RealHotkeys([] { return platform::WindowHandle{}; });
    app::OptionsDialogLogic logic(settings, std::move(used), *names);
    tmgui::OptionsDialog dialog(logic, *names, owner);
    dialog.Run();
    return logic.Result();
  } catch (const std::exception& error) {
    tmgui::ShowFailure(owner, error.what());
  } catch (...) {
  }
  return 0;
}

extern "C" void TMGUI_CALL ShowAbout(void* applicationWindow, const TmGuiMainWindow* mainWindow, const void*) {
  using namespace tembric;
  const HWND owner = static_cast<HWND>(applicationWindow);
  try {
    const bool usable = tmgui::Usable(mainWindow);
    const std::string name = usable && *tmgui::OrEmpty(mainWindow->programName) ? mainWindow->programName : "Tembric";
    const std::string version = usable ? tmgui::OrEmpty(mainWindow->versionText) : "";
    tmgui::AboutBox box(app::AboutLines(name, version), owner);
    box.Run();
  } catch (const std::exception& error) {
    tmgui::ShowFailure(owner, error.what());
  } catch (...) {
  }
}
