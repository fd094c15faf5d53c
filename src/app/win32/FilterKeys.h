#pragma once
// The keys of the filter box and the tree control, routed to the
// filter logic: both controls are subclassed, so that a key reaches
// FilterBox::KeyDown before the control acts on it, and Enter never reaches the
// box as a character. A key the tree hands on arrives at the box as its own
// key-down and character messages. The box's own notifications (EN_CHANGE)
// come here from the parent window (ChildControl).
#include <windows.h>

#include <string>

#include "app/win32/Window.h"
#include "tree/FilterBox.h"

namespace tembric::app::win32 {

class FilterKeys final : public tree::FilterView, public ChildControl {
 public:
  FilterKeys() = default;
  ~FilterKeys() override;
  FilterKeys(const FilterKeys&) = delete;
  FilterKeys& operator=(const FilterKeys&) = delete;

  // Subclasses both controls; their keys go to `box` from now on.
  void Bind(HWND edit, HWND tree, tree::FilterBox* box);
  void Unbind();

  // ---- tree::FilterView -------------------------------------------------------------------------
  std::string FilterText() const override;
  void SetFilterTextSelected(const std::string& text) override;
  bool FilterHasInputFocus() const override { return edit_ && GetFocus() == edit_; }
  void FocusFilterBox() override { SetFocus(edit_); }
  void RedeliverKey(int key) override;

  // ---- ChildControl: the box's edit control ----------------------------------------------------
  HWND ControlHwnd() const override { return edit_; }
  // EN_CHANGE runs FilterBox::TextChanged.
  bool OnCommand(WORD code) override;

 private:
  static LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);
  static LRESULT CALLBACK TreeProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);
  LRESULT OnEdit(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT OnTree(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  // Runs FilterBox::KeyDown guarded; true when the key was swallowed.
  bool KeyDown(WPARAM wp);

  HWND edit_ = nullptr;
  HWND tree_ = nullptr;
  tree::FilterBox* box_ = nullptr;
  LPARAM keyData_ = 0;        // of the key-down being handled
  bool forwardChar_ = false;  // the tree's next character belongs to the box
};

}  // namespace tembric::app::win32
