#pragma once
// Version resources of executables.

#include <cstdint>
#include <optional>
#include <string>

namespace tembric::platform {

// The four 16-bit numbers of a file version: major.minor.release.build.
struct FileVersion {
  std::uint16_t major = 0;
  std::uint16_t minor = 0;
  std::uint16_t release = 0;
  std::uint16_t build = 0;
};

class VersionInfo {
 public:
  virtual ~VersionInfo() = default;
  // The file version of the running executable; none when it has no version
  // resource or the resource cannot be read.
  virtual std::optional<FileVersion> OwnFileVersion() = 0;
};

}  // namespace tembric::platform
