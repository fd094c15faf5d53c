#include "app/MainFilter.h"

#include "app/MainController.h"
#include "app/Paster.h"
#include "tree/TreeModel.h"

namespace tembric::app {

MainFilter::MainFilter(tree::TreeModel& model, tree::SelectionSync& sync, tree::FilterView& view,
                       MainController& controller, Paster& paster)
    : model_(model), controller_(controller), paster_(paster), box_(model, sync, view, *this) {}

void MainFilter::NewRecord() { controller_.aNewRecord(); }

// The focus is on the current row's node here: the filter box and the tree
// move both together.
void MainFilter::PasteCurrent() { paster_.Paste({.mode = PasteMode::Window, .node = model_.Data(model_.Focused())}); }

}  // namespace tembric::app
