#include "app/MainFilter.h"

#include "app/MainController.h"

namespace tembric::app {

MainFilter::MainFilter(tree::TreeModel& model, tree::SelectionSync& sync, tree::FilterView& view,
                       MainController& controller)
    : controller_(controller), box_(model, sync, view, *this) {}

void MainFilter::NewRecord() { controller_.aNewRecord(); }

void MainFilter::PasteCurrent() { controller_.PasteCurrent(); }

}  // namespace tembric::app
