#pragma once
// TSelWinForm, the window picker ("Add context items"): the thin window of
// editing::WindowPicker. Created once at start, hidden, and reused;
// ShowModal lists the windows open at that moment over its disabled owner
// until OK or Cancel. After OK the picker model holds the check marks, the
// mode and the mask texts, for the record dialog to take. Each list row's
// item data is its index in the model, whose row keeps the window handle.
#include <windows.h>

#include <functional>
#include <string>

#include "app/win32/Window.h"

namespace tembric::editing {
class WindowPicker;
}

namespace tembric::app::win32 {

class WindowPickerForm final : public Window {
 public:
  explicit WindowPickerForm(editing::WindowPicker& picker) : picker_(picker) {}

  // Creates the window hidden, owned by `owner` (the main window).
  void CreateHidden(HWND owner);
  // Messages the modal loop hands to `filter` before any window sees them;
  // true means taken (the keyboard hook's messages).
  void SetMessageFilter(std::function<bool(MSG&)> filter) { filter_ = std::move(filter); }

  // Runs the picker centred on `owner`, which is disabled meanwhile: the
  // list filled afresh, mode "Whole application", masks empty. True for OK,
  // false for Cancel, Esc or the close box.
  bool ShowModal(HWND owner);

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  int Scale(int value) const { return MulDiv(value, dpi_, 96); }
  void CreateControls();
  void FillList();
  void ShowMode();
  void OnModeClicked(int id);
  void TakeChoice();
  void EndModal(bool ok);
  LRESULT CustomDraw(LPARAM lp) const;

  editing::WindowPicker& picker_;
  std::function<bool(MSG&)> filter_;
  int dpi_ = 96;
  bool running_ = false;
  bool ended_ = false;
  bool result_ = false;
  HWND list_ = nullptr;
  HWND radios_[4] = {};
  HWND titleMask_ = nullptr;
  HWND addressMask_ = nullptr;
};

}  // namespace tembric::app::win32
