#pragma once
// The main window's controls as the filter box sees them, together with the
// selection sync's view of them: the box's text and selection, which
// control has the input focus, keys handed on from the tree, and the
// commands the keys ran.

#include <functional>
#include <string>
#include <vector>

#include "fakes/FakeSyncView.h"
#include "tree/FilterBox.h"

namespace tembric::fakes {

class FakeFilterView final : public FakeSyncView, public tree::FilterView, public tree::FilterActions {
 public:
  bool wholeTextSelected = false;
  std::vector<int> redelivered;
  std::vector<std::string> pastes;  // the current FullName at each paste
  int newRecords = 0;
  // Handles a key handed on from the tree, as the box would on receiving it.
  std::function<void(int key)> onRedeliver;
  // The current row's FullName, asked at each paste.
  std::function<std::string()> currentRow;

  // ---- Typing into the box, as the edit control does it -----------------------------------------
  // Appends the characters one by one, each a change of the text.
  void Type(const std::string& characters) {
    for (char c : characters) {
      filterText += c;
      wholeTextSelected = false;
      if (onFilterText) onFilterText(filterText);
    }
  }

  // ---- tree::SyncView (the caret after the text) ------------------------------------------------
  void SetFilterText(const std::string& text) override {
    wholeTextSelected = false;
    FakeSyncView::SetFilterText(text);
  }
  bool FilterHasInputFocus() const override { return filterFocus; }

  // ---- tree::FilterView -------------------------------------------------------------------------
  std::string FilterText() const override { return filterText; }
  void SetFilterTextSelected(const std::string& text) override {
    filterText = text;
    filterTexts.push_back(text);
    wholeTextSelected = true;
    if (onFilterText) onFilterText(text);
  }
  void FocusFilterBox() override {
    filterFocus = true;
    treeFocus = false;
  }
  void RedeliverKey(int key) override {
    redelivered.push_back(key);
    if (onRedeliver) onRedeliver(key);
  }

  // ---- tree::FilterActions ----------------------------------------------------------------------
  void NewRecord() override { ++newRecords; }
  void PasteCurrent() override { pastes.push_back(currentRow ? currentRow() : std::string()); }
};

}  // namespace tembric::fakes
