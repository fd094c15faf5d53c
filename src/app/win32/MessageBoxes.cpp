#include "app/win32/MessageBoxes.h"

#include "app/Startup.h"

namespace tembric::app::win32 {
namespace {

std::string& Caption() {
  static std::string caption = kApplicationTitle;
  return caption;
}

}  // namespace

void SetMessageBoxCaption(const std::string& caption) { Caption() = caption; }

void ShowMessageBox(NoticeKind kind, const std::string& text) { ShowMessageBox(nullptr, kind, text); }

void ShowMessageBox(HWND owner, NoticeKind kind, const std::string& text) {
  UINT icon = 0;  // plain: no icon
  if (kind == NoticeKind::Information) icon = MB_ICONINFORMATION;
  if (kind == NoticeKind::Warning) icon = MB_ICONWARNING;
  MessageBoxA(owner, text.c_str(), Caption().c_str(), MB_OK | icon);
}

bool AskYesNo(const std::string& text) {
  return MessageBoxA(nullptr, text.c_str(), Caption().c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

MessageBoxNotices& ProgramNotices() {
  static MessageBoxNotices notices;
  return notices;
}

}  // namespace tembric::app::win32
