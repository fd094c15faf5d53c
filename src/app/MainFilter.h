#pragma once
// The main window's filter box with its commands: Insert runs "New", Enter
// and a double click on a record run the paste action, both through the
// main window's controller.

#include "tree/FilterBox.h"

namespace tembric::app {

class MainController;

class MainFilter final : public tree::FilterActions {
 public:
  MainFilter(tree::TreeModel& model, tree::SelectionSync& sync, tree::FilterView& view, MainController& controller);

  tree::FilterBox& Box() { return box_; }

  void NewRecord() override;
  void PasteCurrent() override;

 private:
  MainController& controller_;
  tree::FilterBox box_;
};

}  // namespace tembric::app
