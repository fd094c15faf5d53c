// Version resources: the program's own file version, and the values of any
// executable's VERSIONINFO resource, through version.dll.
#include <windows.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/Libraries.h"
#include "platform/VersionInfo.h"
#include "platform/win32/Win32Platform.h"

namespace tembric::platform::win32 {
namespace {

// version.dll is not a known DLL: imported, or loaded by its bare name, it
// would be taken from the program's folder first. It is loaded once from the
// system folder by its full path and stays loaded.
struct VersionLibrary {
  decltype(&GetFileVersionInfoSizeA) infoSize = nullptr;
  decltype(&GetFileVersionInfoA) info = nullptr;
  decltype(&VerQueryValueA) query = nullptr;
  explicit operator bool() const { return infoSize && info && query; }
};

const VersionLibrary& Version() {
  static const VersionLibrary library = [] {
    VersionLibrary entries;
    Libraries& libraries = RealLibraries();
    const std::string path = SystemLibraryPath("version.dll");
    const Libraries::Handle module = path.empty() ? nullptr : libraries.Load(path);
    if (!module) return entries;
    entries.infoSize = reinterpret_cast<decltype(entries.infoSize)>(libraries.Find(module, "GetFileVersionInfoSizeA"));
    entries.info = reinterpret_cast<decltype(entries.info)>(libraries.Find(module, "GetFileVersionInfoA"));
    entries.query = reinterpret_cast<decltype(entries.query)>(libraries.Find(module, "VerQueryValueA"));
    return entries;
  }();
  return library;
}

// The whole version resource of `path`; empty when it has none or the
// library is missing.
std::vector<char> ReadVersionBlock(const std::string& path) {
  const VersionLibrary& version = Version();
  if (!version) return {};
  DWORD ignored = 0;
  const DWORD size = version.infoSize(path.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<char> block(size);
  if (!version.info(path.c_str(), 0, size, block.data())) return {};
  return block;
}

// One executable's version resource, read whole once and queried by path.
class Win32Resource final : public VersionInfo::Resource {
 public:
  explicit Win32Resource(std::vector<char> block) : block_(std::move(block)) {}

  std::optional<std::string> Query(const std::string& subBlock) const override {
    void* value = nullptr;
    UINT length = 0;
    // VerQueryValueA may write converted texts into the block, hence the
    // mutable copy held here.
    if (!Version().query(block_.data(), subBlock.c_str(), &value, &length) || value == nullptr) return std::nullopt;
    std::string bytes(static_cast<const char*>(value), length);
    if (IsStringValue(subBlock)) {
      // A string value's length counts characters, its terminating zero
      // included on some systems; the text ends at the first zero.
      const std::size_t zero = bytes.find('\0');
      if (zero != std::string::npos) bytes.resize(zero);
    }
    return bytes;
  }

 private:
  static bool IsStringValue(const std::string& subBlock) {
    static constexpr char kPrefix[] = "\\StringFileInfo\\";
    return subBlock.size() >= sizeof kPrefix - 1 &&
           CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, subBlock.data(), sizeof kPrefix - 1, kPrefix,
                          sizeof kPrefix - 1) == CSTR_EQUAL;
  }

  mutable std::vector<char> block_;
};

class Win32VersionInfo final : public VersionInfo {
 public:
  std::optional<FileVersion> OwnFileVersion() override {
    std::string path;
    try {
      path = OwnExecutablePath();
    } catch (const std::runtime_error&) {
      return std::nullopt;
    }
    std::vector<char> block = ReadVersionBlock(path);
    if (block.empty()) return std::nullopt;
    void* value = nullptr;
    UINT length = 0;
    if (!Version().query(block.data(), "\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO)) return std::nullopt;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    if (fixed->dwSignature != VS_FFI_SIGNATURE) return std::nullopt;
    return FileVersion{
        .major = HIWORD(fixed->dwFileVersionMS),
        .minor = LOWORD(fixed->dwFileVersionMS),
        .release = HIWORD(fixed->dwFileVersionLS),
        .build = LOWORD(fixed->dwFileVersionLS),
    };
  }

  std::unique_ptr<Resource> ReadResource(const std::string& executablePath) override {
    std::vector<char> block = ReadVersionBlock(executablePath);
    if (block.empty()) return nullptr;
    return std::make_unique<Win32Resource>(std::move(block));
  }
};

}  // namespace

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

namespace tembric::platform {

VersionInfo& RealVersionInfo() {
  static win32::Win32VersionInfo info;
  return info;
}

}  // namespace tembric::platform
