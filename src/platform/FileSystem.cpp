#include "platform/FileSystem.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace tembric::platform {

std::string TemporaryPathFor(const std::string& path) { return path + ".saving"; }

void FileSystem::PauseBeforeRetry(int attempt) {
  std::this_thread::sleep_for(std::chrono::milliseconds(std::min(400, 25 << std::clamp(attempt, 1, 4))));
}

void WriteFileAtomically(FileSystem& fs, const std::string& path, const std::vector<std::uint8_t>& bytes) {
  const std::string temp = TemporaryPathFor(path);
  try {
    // A stale temporary file (read-only, say) must not make every save fail.
    fs.Remove(temp);
    fs.WriteAndFlush(temp, bytes);
  } catch (const FileError& e) {
    fs.Remove(temp);
    throw SaveError(e, "");
  }
  try {
    // Sharing violations (a backup or sync client reading the file) pass
    // quickly; a missing temporary file will not come back.
    RetryFileOperation(
        fs, [&] { fs.Replace(temp, path); }, [](const FileError& e) { return e.Kind() != FileErrorKind::NotFound; });
  } catch (const FileError& e) {
    // The temporary file holds the only copy of the new bytes: keep it.
    throw SaveError(e, temp);
  }
}

}  // namespace tembric::platform

namespace tembric::platform {

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  if (last == '\\' || last == '/') return folder + name;
#ifdef _WIN32
  constexpr char kNative = '\\';
#else
  constexpr char kNative = '/';
#endif
  const std::size_t sep = folder.find_last_of("\\/");
  return folder + (sep != std::string::npos ? folder[sep] : kNative) + name;
}

std::string FolderOf(const std::string& path) {
  const auto cut = path.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

}  // namespace tembric::platform
