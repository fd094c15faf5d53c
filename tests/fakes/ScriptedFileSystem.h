#pragma once
// Files held in memory, for the settings file tests and fuzz target. A test
// scripts refusals: an operation, on one path or on every path, throws
// FileError as the system does for a file that is read-only, locked by
// another program or on a full disk. Replace swaps a file in whole, as the
// real implementations do.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"

namespace tembric::fakes {

class ScriptedFileSystem : public platform::FileSystem {
 public:
  enum class Op { kExists, kReadAll, kWriteAndFlush, kReplace, kRename, kRemove };

  void Put(const std::string& path, std::string_view text) {
    files_[path] = std::string(text);
    stamps_[path] = ++clock_;
  }
  std::optional<std::string> Text(const std::string& path) const {
    const auto it = files_.find(path);
    if (it == files_.end()) return std::nullopt;
    return it->second;
  }
  std::vector<std::string> Paths() const {
    std::vector<std::string> paths;
    for (const auto& entry : files_) paths.push_back(entry.first);
    return paths;
  }

  // Every later `op` on `path` (on any path when empty) throws FileError.
  void Refuse(Op op, const std::string& path = {}) { refusals_.insert({op, path}); }
  // How many files were replaced so far.
  int Replacements() const { return replacements_; }

  bool Exists(const std::string& path) override {
    Enter(Op::kExists, path);
    return files_.count(path) != 0;
  }

  // The stamp changes at every write, as a real file's time and size would.
  std::optional<platform::FileStamp> Stamp(const std::string& path) override {
    Enter(Op::kExists, path);
    const auto it = files_.find(path);
    if (it == files_.end()) return std::nullopt;
    return platform::FileStamp{it->second.size(), stamps_[path]};
  }

  bool CreateNew(const std::string& path) override {
    Enter(Op::kWriteAndFlush, path);
    if (files_.count(path)) return false;
    Put(path, "");
    return true;
  }

  void PauseBeforeRetry(int) override {}

  std::vector<std::uint8_t> ReadAll(const std::string& path) override {
    Enter(Op::kReadAll, path);
    const auto it = files_.find(path);
    if (it == files_.end()) throw platform::FileError(path, "not found");
    return std::vector<std::uint8_t>(it->second.begin(), it->second.end());
  }

  void WriteAndFlush(const std::string& path, const std::vector<std::uint8_t>& bytes) override {
    Enter(Op::kWriteAndFlush, path);
    Put(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  }

  void Replace(const std::string& from, const std::string& to) override {
    Enter(Op::kReplace, to);
    const auto it = files_.find(from);
    if (it == files_.end()) throw platform::FileError(from, "not found");
    std::string moved = std::move(it->second);
    files_.erase(from);
    Put(to, moved);
    ++replacements_;
  }

  void Rename(const std::string& from, const std::string& to) override {
    Enter(Op::kRename, from);
    if (files_.count(to)) throw platform::FileError(to, "already exists");
    Replace(from, to);
  }

  void Remove(const std::string& path) override {
    if (Refused(Op::kRemove, path)) return;  // failures of Remove are ignored by contract
    files_.erase(path);
  }

 private:
  bool Refused(Op op, const std::string& path) const {
    return refusals_.count({op, path}) != 0 || refusals_.count({op, std::string()}) != 0;
  }
  void Enter(Op op, const std::string& path) const {
    if (Refused(op, path)) throw platform::FileError(path, "access denied");
  }

  std::map<std::string, std::string> files_;
  std::map<std::string, std::int64_t> stamps_;
  std::int64_t clock_ = 0;
  std::set<std::pair<Op, std::string>> refusals_;
  int replacements_ = 0;
};

}  // namespace tembric::fakes
