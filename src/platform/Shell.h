#pragma once
// Documents opened with the program the system associates with their kind.

#include <string>

namespace tembric::platform {

class Shell {
 public:
  virtual ~Shell() = default;
  // Opens `file` (relative names resolve below `workingFolder`) with its
  // associated program, shown normally. False when the system could not
  // start one (no such file, no associated program).
  virtual bool OpenDocument(const std::string& file, const std::string& workingFolder) = 0;
};

#ifdef _WIN32
// ShellExecuteExA with the verb "open", no parameters and no error boxes of
// the system's own.
Shell& RealShell();
#endif

}  // namespace tembric::platform
