#pragma once
// The main window's controls as the selection sync sees them: which control
// has the input focus, whether the window shows, and what was put into the
// details pane and the filter box.

#include <functional>
#include <string>
#include <vector>

#include "tree/SelectionSync.h"

namespace tembric::fakes {

class FakeSyncView : public tree::SyncView {
 public:
  bool treeFocus = false;
  bool filterFocus = false;
  bool showing = false;

  std::string info;
  std::string preview;
  std::string filterText;
  std::vector<std::string> filterTexts;  // every text set, in order
  int infoUpdates = 0;
  int repaints = 0;
  // Runs when the filter text is set, as the filter box's own change handling would.
  std::function<void(const std::string&)> onFilterText;

  void SetInfoText(const std::string& text) override {
    info = text;
    ++infoUpdates;
  }
  void SetPreview(const std::string& text) override { preview = text; }
  bool TreeHasInputFocus() const override { return treeFocus; }
  bool FilterHasInputFocus() const override { return filterFocus; }
  bool WindowShowing() const override { return showing; }
  void SetFilterText(const std::string& text) override {
    filterText = text;
    filterTexts.push_back(text);
    if (onFilterText) onFilterText(text);
  }
  void RepaintTree() override { ++repaints; }
};

}  // namespace tembric::fakes
