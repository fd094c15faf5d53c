#pragma once
// A file system held in memory, with the semantics the store relies on:
// Replace swaps a file in whole, Rename refuses an existing target, and a
// file appears only once WriteAndFlush has returned.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace tembric::fakes {

class MemoryFileSystem : public platform::FileSystem {
 public:
  using Bytes = std::vector<std::uint8_t>;

  void Put(const std::string& path, Bytes bytes) { files_[path] = std::move(bytes); }
  std::optional<Bytes> Get(const std::string& path) const {
    const auto it = files_.find(path);
    if (it == files_.end()) return std::nullopt;
    return it->second;
  }
  std::vector<std::string> Paths() const {
    std::vector<std::string> paths;
    for (const auto& [path, bytes] : files_) paths.push_back(path);
    return paths;
  }

  bool Exists(const std::string& path) override { return files_.count(path) != 0; }

  Bytes ReadAll(const std::string& path) override {
    const auto it = files_.find(path);
    if (it == files_.end()) throw platform::FileError(path, "no such file");
    return it->second;
  }

  void WriteAndFlush(const std::string& path, const Bytes& bytes) override { files_[path] = bytes; }

  void Replace(const std::string& from, const std::string& to) override {
    const auto it = files_.find(from);
    if (it == files_.end()) throw platform::FileError(from, "no such file");
    Bytes bytes = std::move(it->second);
    files_.erase(it);
    files_[to] = std::move(bytes);
  }

  void Rename(const std::string& from, const std::string& to) override {
    if (files_.count(to) != 0) throw platform::FileError(to, "already exists");
    Replace(from, to);
  }

  void Remove(const std::string& path) override { files_.erase(path); }

 private:
  std::map<std::string, Bytes> files_;
};

}  // namespace tembric::fakes
