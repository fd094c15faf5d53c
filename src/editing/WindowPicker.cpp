#include "editing/WindowPicker.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "context/Identification.h"

namespace tembric::editing {
namespace {

// Titles of windows that are no work places: the desktop and the task manager.
constexpr const char* kUnlistedTitles[] = {"Program Manager", "Windows TaskManager"};

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

WindowPicker::WindowPicker(platform::WindowSystem& windows, context::Identifier& identifier)
    : windows_(windows), identifier_(identifier) {}

void WindowPicker::Show() {
  FillWindowList();
  mode_ = MapMode::WholeApplication;
  titleMask_.clear();
  addressMask_.clear();
}

void WindowPicker::FillWindowList() {
  rows_.clear();
  const context::Identifier::VersionNameWalk walk(identifier_);
  for (const platform::WindowHandle window : windows_.TopLevelWindows()) ListWindowProc(window);
}

void WindowPicker::ListWindowProc(platform::WindowHandle window) {
  if (!windows_.IsVisible(window)) return;
  auto descriptor = identifier_.IdentifyWindow(window);
  if (!descriptor || descriptor->FileName.empty()) return;
  const std::string& title = descriptor->WinTitle;
  if (title.empty() ||
      std::find(std::begin(kUnlistedTitles), std::end(kUnlistedTitles), title) != std::end(kUnlistedTitles))
    return;
  // Windows of one program that climb to the same root (a main window and
  // the tool windows it owns) are listed once.
  const bool listed = std::any_of(rows_.begin(), rows_.end(), [&](const PickerRow& row) {
    return SameTextIgnoringCase(row.Application(), descriptor->FileName) && SameTextIgnoringCase(row.Title(), title);
  });
  if (listed) return;
  rows_.push_back({.descriptor = std::move(*descriptor), .window = window});
}

void WindowPicker::SetChecked(std::size_t row, bool checked) { rows_.at(row).checked = checked; }

PickerResult WindowPicker::TakeResult() {
  PickerResult result{.mode = mode_, .titleMask = titleMask_, .addressMask = addressMask_, .checked = {}};
  for (PickerRow& row : rows_)
    if (row.checked) result.checked.push_back(std::move(row.descriptor));
  return result;
}

}  // namespace tembric::editing
