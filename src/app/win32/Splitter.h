#pragma once
// A horizontal bar between two panes, dragged up and down. While dragging it
// reports where its top edge would be, in the parent's client coordinates;
// the parent lays the panes out again (live resizing).
#include <windows.h>

#include <functional>

#include "app/win32/Window.h"

namespace tembric::app::win32 {

class Splitter final : public Window {
 public:
  static constexpr int kThickness = 6;

  // `onDrag` gets the wanted top edge on every mouse move while dragging.
  void CreateIn(HWND parent, std::function<void(int top)> onDrag);

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  std::function<void(int)> onDrag_;
  int grabOffset_ = 0;
  bool dragging_ = false;
};

}  // namespace tembric::app::win32
