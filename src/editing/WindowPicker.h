#pragma once
// The window picker's model: the windows open at the moment it is shown
// (other programs' visible, titled windows, each identified), a check mark
// per row, and the map mode that says what of a chosen window becomes a
// context. It stores nothing; the record dialog takes the result after OK.

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "context/WinDescriptor.h"
#include "platform/WindowSystem.h"

namespace tembric::context {
class Identifier;
}

namespace tembric::editing {

// What of a chosen window becomes the context.
enum class MapMode {
  WholeApplication,  // the application
  SelectedTitle,     // the application with this exact title
  TitleMask,         // the application with titles matching the title mask
  WebAddress,        // web addresses matching the address mask; the list is not used
};

struct PickerRow {
  context::TWinDescriptor descriptor;                   // owned by the row until taken
  platform::WindowHandle window = platform::kNoWindow;  // the listed window (the descriptor names its root)
  bool checked = false;

  const std::string& Application() const { return descriptor.FileName; }
  const std::string& Title() const { return descriptor.WinTitle; }
};

// What the record dialog reads after OK.
struct PickerResult {
  MapMode mode = MapMode::WholeApplication;
  std::string titleMask;
  std::string addressMask;
  std::vector<context::TWinDescriptor> checked;  // the checked rows' descriptors, in list order
};

class WindowPicker {
 public:
  WindowPicker(platform::WindowSystem& windows, context::Identifier& identifier);

  // Each showing starts afresh: the list rebuilt from the windows open now,
  // no check marks, mode "Whole application", both masks empty.
  void Show();

  // Empties the list, then offers every top-level window, front to back, to
  // ListWindowProc.
  void FillWindowList();
  // Adds a row for `window` unless it is invisible, one of ours, of no
  // application, untitled, the desktop or the task manager, or has the same
  // application and title as a row already listed (letter case ignored).
  void ListWindowProc(platform::WindowHandle window);

  const std::vector<PickerRow>& Rows() const { return rows_; }
  void SetChecked(std::size_t row, bool checked);

  MapMode Mode() const { return mode_; }
  void SetMode(MapMode mode) { mode_ = mode; }
  // Each mask box is enabled exactly in its own mode; a disabled box keeps its text.
  bool TitleMaskEnabled() const { return mode_ == MapMode::TitleMask; }
  bool AddressMaskEnabled() const { return mode_ == MapMode::WebAddress; }
  const std::string& TitleMask() const { return titleMask_; }
  const std::string& AddressMask() const { return addressMask_; }
  void SetTitleMask(std::string text) { titleMask_ = std::move(text); }
  void SetAddressMask(std::string text) { addressMask_ = std::move(text); }

  // The mode, the masks and the checked rows' descriptors, moved out of the
  // rows; the rows stay listed but hold their descriptors no longer.
  PickerResult TakeResult();

 private:
  platform::WindowSystem& windows_;
  context::Identifier& identifier_;
  std::vector<PickerRow> rows_;
  MapMode mode_ = MapMode::WholeApplication;
  std::string titleMask_;
  std::string addressMask_;
};

}  // namespace tembric::editing
