#include "platform/FileSystem.h"

namespace tembric::platform {

std::string TemporaryPathFor(const std::string& path) { return path + ".saving"; }

void WriteFileAtomically(FileSystem& fs, const std::string& path, const std::vector<std::uint8_t>& bytes) {
  const std::string temp = TemporaryPathFor(path);
  try {
    fs.WriteAndFlush(temp, bytes);
    fs.Replace(temp, path);
  } catch (...) {
    fs.Remove(temp);
    throw;
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
