#pragma once
// A file system held in memory, with the semantics the store relies on:
// Replace swaps a file in whole, Rename refuses an existing target, a file
// appears only once WriteAndFlush has returned, read-only files refuse to be
// written or replaced (Remove still removes them), symbolic links name other
// files, and a file's stamp changes at every write. A folder lists its files
// and folders in the order they were first put.

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

  void Put(const std::string& path, Bytes bytes) {
    firstPut_.emplace(path, firstPut_.size());
    files_[path] = std::move(bytes);
    Touch(path);
  }
  // `path` names a folder: it exists, has a folder's stamp and cannot be read.
  void PutFolder(const std::string& path) {
    folders_.insert(path);
    firstPut_.emplace(path, firstPut_.size());
  }
  // `path` refuses writes and replaces until it is removed.
  void SetReadOnly(const std::string& path) { readOnly_.insert(path); }
  // `link` is a symbolic link to `target`: reads and writes of `link` reach
  // `target`, and FinalPath resolves it.
  void Link(const std::string& link, const std::string& target) { links_[link] = target; }

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

  bool Exists(const std::string& path) override {
    return files_.count(Resolve(path)) != 0 || folders_.count(path) != 0;
  }

  std::optional<platform::FileStamp> Stamp(const std::string& path) override {
    if (folders_.count(path) != 0) return platform::FileStamp{0, 0, true};
    const auto it = files_.find(Resolve(path));
    if (it == files_.end()) return std::nullopt;
    return platform::FileStamp{it->second.size(), stamps_[it->first]};
  }

  bool CreateNew(const std::string& path) override {
    if (files_.count(Resolve(path)) != 0) return false;
    Put(Resolve(path), {});
    return true;
  }

  std::string FinalPath(const std::string& path) override { return Resolve(path); }

  void PauseBeforeRetry(int) override { ++pauses_; }
  // How many retries the code under test paused for.
  int Pauses() const { return pauses_; }

  Bytes ReadAll(const std::string& path) override {
    if (folders_.count(path) != 0) throw platform::FileError(path, "access denied");  // as the system answers
    const auto it = files_.find(Resolve(path));
    if (it == files_.end()) throw platform::FileError(path, "no such file", platform::FileErrorKind::NotFound);
    return it->second;
  }

  void WriteAndFlush(const std::string& path, const Bytes& bytes) override {
    RefuseReadOnly(path);
    Put(Resolve(path), bytes);
  }

  // Replaces a link itself, as a rename does.
  void Replace(const std::string& from, const std::string& to) override {
    const auto it = files_.find(from);
    if (it == files_.end()) throw platform::FileError(from, "no such file", platform::FileErrorKind::NotFound);
    RefuseReadOnly(to);
    Bytes bytes = std::move(it->second);
    files_.erase(it);
    links_.erase(to);
    Put(to, std::move(bytes));
  }

  void Rename(const std::string& from, const std::string& to) override {
    if (files_.count(to) != 0) throw platform::FileError(to, "already exists");
    Replace(from, to);
  }

  void Remove(const std::string& path) override {
    files_.erase(path);
    readOnly_.erase(path);
  }

  // Refused while another exclusive open of the same path is alive. The
  // handle must not outlive the file system.
  std::unique_ptr<platform::ExclusiveFile> OpenExclusive(const std::string& path) override {
    if (files_.count(path) == 0) throw platform::FileError(path, "no such file");
    if (!open_.insert(path).second)
      throw platform::FileError(path, "in use by another handle", platform::FileErrorKind::Transient);
    return std::make_unique<OpenFile>(*this, path);
  }
  // How many exclusive opens are alive now.
  std::size_t OpenCount() const { return open_.size(); }

  // Only folders put with PutFolder exist.
  std::vector<platform::FolderEntry> ListFolder(const std::string& folder) override {
    if (folders_.count(folder) == 0)
      throw platform::FileError(folder, "no such folder", platform::FileErrorKind::NotFound);
    std::map<std::size_t, platform::FolderEntry> inOrder;
    for (const auto& [path, when] : firstPut_) {
      const bool isFolder = folders_.count(path) != 0;
      if (platform::FolderOf(path) != folder || (!isFolder && files_.count(path) == 0)) continue;
      inOrder.emplace(when, platform::FolderEntry{path.substr(folder.size() + 1), isFolder});
    }
    std::vector<platform::FolderEntry> entries;
    for (auto& [when, entry] : inOrder) entries.push_back(std::move(entry));
    return entries;
  }

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

  std::string Resolve(const std::string& path) const {
    const auto link = links_.find(path);
    return link == links_.end() ? path : link->second;
  }
  void RefuseReadOnly(const std::string& path) const {
    if (readOnly_.count(Resolve(path)) != 0) throw platform::FileError(path, "access denied");
  }
  void Touch(const std::string& path) { stamps_[path] = ++clock_; }

  std::map<std::string, Bytes> files_;
  std::set<std::string> open_;
  std::set<std::string> readOnly_;
  std::set<std::string> folders_;
  std::map<std::string, std::size_t> firstPut_;  // files and folders: when first put
  std::map<std::string, std::string> links_;
  std::map<std::string, std::int64_t> stamps_;
  std::int64_t clock_ = 0;
  int pauses_ = 0;
};

}  // namespace tembric::fakes
