#include "editing/ContextList.h"

#include <algorithm>
#include <stdexcept>

#include "editing/WindowPicker.h"

namespace tembric::editing {
namespace {

std::string CutToField(std::string text) {
  if (text.size() > context::kDescriptorTextMax) text.resize(context::kDescriptorTextMax);
  return text;
}

}  // namespace

std::string ContextRow::Type() const {
  switch (descriptor.WinType) {
    case kContextApplication:
      return "Appl";
    case kContextTitle:
      return "Title";
    case kContextAddress:
      return "URL";
    case kContextTitleMask:
      return "Mask";
    default:
      return {};
  }
}

std::string ContextRow::TitleOrMask() const {
  return descriptor.WinType == kContextApplication ? std::string(kWholeApplicationText) : descriptor.WinTitle;
}

ContextList::ContextList(const platform::Collation& collation) : collation_(collation) {}

std::size_t ContextList::Add(context::TWinDescriptor descriptor) {
  const auto place = std::upper_bound(rows_.begin(), rows_.end(), descriptor.FileName,
                                      [&](const std::string& application, const ContextRow& row) {
                                        return collation_.Compare(application, row.Application()) < 0;
                                      });
  const auto inserted = rows_.insert(place, ContextRow{std::move(descriptor)});
  return static_cast<std::size_t>(inserted - rows_.begin());
}

bool ContextList::WinExistsInList(const context::TWinDescriptor& candidate) const {
  if (candidate.WinType > kContextTitleMask) return false;
  return std::any_of(rows_.begin(), rows_.end(), [&](const ContextRow& row) {
    const context::TWinDescriptor& d = row.descriptor;
    if (d.WinType != candidate.WinType || d.FileName != candidate.FileName) return false;
    return candidate.WinType == kContextApplication || d.WinTitle == candidate.WinTitle;
  });
}

std::size_t ContextList::AddFromPicker(PickerResult result) {
  if (result.mode == MapMode::WebAddress) {
    // Address contexts are added as they come: two alike do no harm.
    Add({.WinTitle = CutToField(std::move(result.addressMask)),
         .FileName = kAddressApplication,
         .VersionName = {},
         .FilePath = {},
         .ID = 0,
         .Wnd = platform::kNoWindow,
         .WinType = kContextAddress});
    return 1;
  }
  std::size_t added = 0;
  for (context::TWinDescriptor& descriptor : result.checked) {
    switch (result.mode) {
      case MapMode::WholeApplication:
        descriptor.WinType = kContextApplication;
        break;
      case MapMode::SelectedTitle:
        descriptor.WinType = kContextTitle;
        break;
      case MapMode::TitleMask:
        descriptor.WinType = kContextTitleMask;
        descriptor.WinTitle = CutToField(result.titleMask);
        break;
      case MapMode::WebAddress:
        break;
    }
    if (WinExistsInList(descriptor)) continue;
    if (descriptor.WinType == kContextApplication) descriptor.WinTitle = kWholeApplicationText;
    descriptor.ID = 0;
    Add(std::move(descriptor));
    ++added;
  }
  return added;
}

void ContextList::DeleteRow(std::size_t index) {
  if (index >= rows_.size()) throw std::out_of_range("no such context row");
  const std::int32_t id = rows_[index].descriptor.ID;
  if (id > 0) deletedWinIds_.push_back(std::to_string(id));
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace tembric::editing
