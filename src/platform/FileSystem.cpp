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
