#pragma once
// The main window's filter box with its commands: Insert runs "New" through
// the main window's controller; Enter and a double click on a record paste
// the current record in window mode.

#include "tree/FilterBox.h"

namespace tembric::app {

class MainController;
class Paster;

class MainFilter final : public tree::FilterActions {
 public:
  MainFilter(tree::TreeModel& model, tree::SelectionSync& sync, tree::FilterView& view, MainController& controller,
             Paster& paster);

  tree::FilterBox& Box() { return box_; }

  void NewRecord() override;
  void PasteCurrent() override;

 private:
  tree::TreeModel& model_;
  MainController& controller_;
  Paster& paster_;
  tree::FilterBox box_;
};

}  // namespace tembric::app
