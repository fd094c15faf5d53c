#include "app/win32/FilterKeys.h"

// Needs the declarations of <windows.h> first.
#include <commctrl.h>

#include "app/win32/MessageBoxes.h"
#include "platform/VirtualKeys.h"

namespace tembric::app::win32 {
namespace {

constexpr UINT_PTR kSubclassId = 0x46494C54;  // "FILT"

tree::ShiftState CurrentShiftState() {
  namespace vk = platform::vk;
  return {.shift = (GetKeyState(vk::kShift) & 0x8000) != 0,
          .ctrl = (GetKeyState(vk::kControl) & 0x8000) != 0,
          .alt = (GetKeyState(vk::kMenu) & 0x8000) != 0};
}

}  // namespace

FilterKeys::~FilterKeys() { Unbind(); }

void FilterKeys::Bind(HWND edit, HWND tree, tree::FilterBox* box) {
  Unbind();
  edit_ = edit;
  tree_ = tree;
  box_ = box;
  SetWindowSubclass(edit_, &EditProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  SetWindowSubclass(tree_, &TreeProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void FilterKeys::Unbind() {
  if (edit_ && IsWindow(edit_)) RemoveWindowSubclass(edit_, &EditProc, kSubclassId);
  if (tree_ && IsWindow(tree_)) RemoveWindowSubclass(tree_, &TreeProc, kSubclassId);
  edit_ = tree_ = nullptr;
  box_ = nullptr;
}

std::string FilterKeys::FilterText() const {
  const int length = GetWindowTextLengthA(edit_);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(edit_, text.data(), length + 1)));
  return text;
}

void FilterKeys::SetFilterTextSelected(const std::string& text) {
  SetWindowTextA(edit_,
                 text.c_str());  // EN_CHANGE: the window runs TextChanged
  SendMessageA(edit_, EM_SETSEL, 0, -1);
}

bool FilterKeys::OnCommand(WORD code) {
  if (code != EN_CHANGE || !box_) return false;
  box_->TextChanged();
  return true;
}

void FilterKeys::RedeliverKey(int key) {
  SendMessageA(edit_, WM_KEYDOWN, static_cast<WPARAM>(key), keyData_);
  forwardChar_ = true;
}

bool FilterKeys::KeyDown(WPARAM wp) {
  if (!box_) return false;
  int key = static_cast<int>(wp);
  RunGuarded([&] { box_->KeyDown(key, CurrentShiftState()); });
  return key == 0;
}

LRESULT FilterKeys::OnEdit(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_KEYDOWN:
      keyData_ = lp;
      if (KeyDown(wp)) return 0;
      break;
    case WM_CHAR:
      if (box_) {
        char ch = static_cast<char>(wp);
        box_->KeyPress(ch);
        if (ch == 0) return 0;
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, &EditProc, kSubclassId);
      edit_ = nullptr;
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT FilterKeys::OnTree(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_KEYDOWN:
      keyData_ = lp;
      forwardChar_ = false;
      if (KeyDown(wp)) return 0;
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      // The input focus first, so that the focus move the click makes is
      // one made in the tree (its name goes into the box).
      if (GetFocus() != hwnd) SetFocus(hwnd);
      break;
    case WM_CHAR:
      // The character of a key handed on to the box.
      if (forwardChar_ && edit_) {
        forwardChar_ = false;
        SendMessageA(edit_, WM_CHAR, wp, lp);
        return 0;
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, &TreeProc, kSubclassId);
      tree_ = nullptr;
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT CALLBACK FilterKeys::EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
  return reinterpret_cast<FilterKeys*>(self)->OnEdit(hwnd, msg, wp, lp);
}

LRESULT CALLBACK FilterKeys::TreeProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
  return reinterpret_cast<FilterKeys*>(self)->OnTree(hwnd, msg, wp, lp);
}

}  // namespace tembric::app::win32
