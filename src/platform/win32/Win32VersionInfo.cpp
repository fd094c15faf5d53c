// The program's own file version from its VERSIONINFO resource.
#include <windows.h>

#include <stdexcept>
#include <vector>

#include "platform/VersionInfo.h"
#include "platform/win32/Win32Platform.h"

namespace tembric::platform::win32 {
namespace {

class Win32VersionInfo final : public VersionInfo {
 public:
  std::optional<FileVersion> OwnFileVersion() override {
    std::string path;
    try {
      path = OwnExecutablePath();
    } catch (const std::runtime_error&) {
      return std::nullopt;
    }
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return std::nullopt;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO)) return std::nullopt;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    if (fixed->dwSignature != VS_FFI_SIGNATURE) return std::nullopt;
    return FileVersion{
        .major = HIWORD(fixed->dwFileVersionMS),
        .minor = LOWORD(fixed->dwFileVersionMS),
        .release = HIWORD(fixed->dwFileVersionLS),
        .build = LOWORD(fixed->dwFileVersionLS),
    };
  }
};

}  // namespace

VersionInfo& RealVersionInfo() {
  static Win32VersionInfo info;
  return info;
}

std::string OwnExecutablePath() {
  // The path may be longer than MAX_PATH; grow until it fits.
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) throw std::runtime_error("The program's own path cannot be read");
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    if (path.size() >= 32768) throw std::runtime_error("The program's own path is too long");
    path.resize(path.size() * 2);
  }
}

}  // namespace tembric::platform::win32
