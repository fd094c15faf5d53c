#pragma once
// The record dialog (TRecordForm) and the window picker (TSelWinForm):
// created once at start, hidden, and reused.
// Their contents come with the commands that open them.
#include <windows.h>

#include "app/win32/Window.h"

namespace tembric::app::win32 {

class HiddenForm : public Window {
 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
};

class RecordForm final : public HiddenForm {
 public:
  void CreateHidden();
};

class SelWinForm final : public HiddenForm {
 public:
  void CreateHidden();
};

}  // namespace tembric::app::win32
