#include <windows.h>
// after windows.h
#include <shellapi.h>

#include "platform/Shell.h"

namespace tembric::platform {
namespace {

class Win32Shell final : public Shell {
 public:
  bool OpenDocument(const std::string& file, const std::string& workingFolder) override {
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    // The system's own error boxes stay away: the caller decides what a
    // failure tells the user.
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = "open";
    info.lpFile = file.c_str();
    info.lpDirectory = workingFolder.empty() ? nullptr : workingFolder.c_str();
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExA(&info) != FALSE;
  }
};

}  // namespace

Shell& RealShell() {
  static Win32Shell shell;
  return shell;
}

}  // namespace tembric::platform
