#pragma once
// A file system held in memory, with the semantics the store relies on:
// Replace swaps a file in whole, Rename refuses an existing target, and a
// file appears only once WriteAndFlush has returned.

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <set>
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

  // Refused while another exclusive open of the same path is alive. The
  // handle must not outlive the file system.
  std::unique_ptr<platform::ExclusiveFile> OpenExclusive(const std::string& path) override {
    if (files_.count(path) == 0) throw platform::FileError(path, "no such file");
    if (!open_.insert(path).second) throw platform::FileError(path, "in use by another handle");
    return std::make_unique<OpenFile>(*this, path);
  }
  // How many exclusive opens are alive now.
  std::size_t OpenCount() const { return open_.size(); }

 private:
  class OpenFile final : public platform::ExclusiveFile {
   public:
    OpenFile(MemoryFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
    ~OpenFile() override { fs_.open_.erase(path_); }
    std::uint64_t Size() override { return Data().size(); }
    void Append(std::span<const std::uint8_t> bytes) override {
      Data().insert(Data().end(), bytes.begin(), bytes.end());
    }
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) override {
      const Bytes& bytes = Data();
      if (offset >= bytes.size()) return 0;
      const std::size_t n = std::min<std::size_t>(into.size(), bytes.size() - offset);
      std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), n, into.begin());
      return n;
    }

   private:
    Bytes& Data() {
      const auto it = fs_.files_.find(path_);
      if (it == fs_.files_.end()) throw platform::FileError(path_, "the file is gone");
      return it->second;
    }
    MemoryFileSystem& fs_;
    std::string path_;
  };

  std::map<std::string, Bytes> files_;
  std::set<std::string> open_;
};

}  // namespace tembric::fakes
