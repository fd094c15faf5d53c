#pragma once
// "Help" (F1): the help file below the executable's folder, opened with the
// system's viewer for it. Neither a missing file nor a missing viewer is
// reported: the command then does nothing visible.

#include <string>

#include "platform/Shell.h"

namespace tembric::app {

inline constexpr const char* kHelpFile = "Help\\tembric.chm";

inline void aHelpExecute(platform::Shell& shell, const std::string& executableFolder) {
  shell.OpenDocument(kHelpFile, executableFolder);
}

}  // namespace tembric::app
