#pragma once
// The program's message boxes: one OK button, caption "Tembric", no owner.
#include <windows.h>

#include <functional>
#include <string>

#include "app/Notices.h"

namespace tembric::app::win32 {

// The caption of every message box; "Tembric" until set otherwise.
void SetMessageBoxCaption(const std::string& caption);

// Shows `text` with the icon that fits `kind` and returns when it is answered.
void ShowMessageBox(NoticeKind kind, const std::string& text);
// The same, modal over `owner` (a dialog that must wait for the answer).
void ShowMessageBox(HWND owner, NoticeKind kind, const std::string& text);

// A confirmation box (question icon, Yes and No, no owner); true for Yes.
bool AskYesNo(const std::string& text);

// app::Notices shown as message boxes.
class MessageBoxNotices final : public Notices {
 public:
  void Show(NoticeKind kind, const std::string& text) override { ShowMessageBox(kind, text); }
  bool Confirm(const std::string& text) override { return AskYesNo(text); }
};

// The notices of the whole program.
MessageBoxNotices& ProgramNotices();

// app::RunHandler with message boxes: for every Win32 callback.
inline bool RunGuarded(const std::function<void()>& handler) noexcept { return RunHandler(ProgramNotices(), handler); }

}  // namespace tembric::app::win32
