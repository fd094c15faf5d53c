#pragma once
// Version resources of executables.

#include <cstdint>
#include <memory>
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

  // The version resource of any executable: its size query gives 0 → none.
  // Otherwise `Query` returns the raw bytes of a sub-block value
  // ("\\VarFileInfo\\Translation", "\\StringFileInfo\\040904B0\\FileDescription"),
  // nothing when the query fails; texts come without their terminating zero.
  class Resource {
   public:
    virtual ~Resource() = default;
    virtual std::optional<std::string> Query(const std::string& subBlock) const = 0;
  };
  virtual std::unique_ptr<Resource> ReadResource(const std::string& executablePath) = 0;
};

#ifdef _WIN32
// The version resources of the running system's executables.
VersionInfo& RealVersionInfo();
#endif

}  // namespace tembric::platform
