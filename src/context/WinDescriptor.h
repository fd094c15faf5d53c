#pragma once
// A window named by application, title, version name and executable name.

#include <cstdint>
#include <string>

#include "platform/WindowSystem.h"

namespace tembric::context {

inline constexpr std::size_t kDescriptorTextMax = 255;

struct TWinDescriptor {
  std::string WinTitle;                              // title of the root window (or, in stored contexts, a mask)
  std::string FileName;                              // application name: VersionName when not empty, else FilePath
  std::string VersionName;                           // FileDescription; "n/a" with a translation but no description
  std::string FilePath;                              // executable name without folder and extension, "Notepad"
  std::int32_t ID = 0;                               // WinDB row of a stored context; 0 when not stored
  platform::WindowHandle Wnd = platform::kNoWindow;  // the identified root window
  std::uint8_t WinType = 0;

  bool operator==(const TWinDescriptor&) const = default;
};

}  // namespace tembric::context
