#pragma once
// Passes every call to another file system, except the ones a test has told
// it to fail: those throw FileError as the system would, without touching
// the files.

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"

namespace tembric::fakes {

class FaultInjectingFileSystem : public platform::FileSystem {
 public:
  enum class Op {
    Exists,
    Stamp,
    CreateNew,
    ReadAll,
    WriteAndFlush,
    Replace,
    Rename,
    Remove,
    OpenExclusive,
    ListFolder
  };

  explicit FaultInjectingFileSystem(platform::FileSystem& inner) : inner_(inner) {}

  // Every later call of `op` fails with `reason` until Heal; with `times`,
  // only the next `times` calls fail.
  void Fail(Op op, std::string reason = "injected fault", platform::FileErrorKind kind = platform::FileErrorKind::Other,
            int times = -1) {
    faults_[op] = {std::move(reason), kind, times};
  }
  // Every later call of `op` on `path` alone fails as access denied, until Heal.
  void FailOn(Op op, std::string path) { pathFaults_.insert({op, std::move(path)}); }
  void Heal() {
    faults_.clear();
    pathFaults_.clear();
  }
  // The calls made so far, as "<op> <path>".
  const std::vector<std::string>& Calls() const { return calls_; }

  bool Exists(const std::string& path) override {
    Enter(Op::Exists, path);
    return inner_.Exists(path);
  }
  std::optional<platform::FileStamp> Stamp(const std::string& path) override {
    Enter(Op::Stamp, path);
    return inner_.Stamp(path);
  }
  bool CreateNew(const std::string& path) override {
    Enter(Op::CreateNew, path);
    return inner_.CreateNew(path);
  }
  std::string FinalPath(const std::string& path) override { return inner_.FinalPath(path); }
  void PauseBeforeRetry(int attempt) override { inner_.PauseBeforeRetry(attempt); }
  std::vector<std::uint8_t> ReadAll(const std::string& path) override {
    Enter(Op::ReadAll, path);
    return inner_.ReadAll(path);
  }
  void WriteAndFlush(const std::string& path, const std::vector<std::uint8_t>& bytes) override {
    Enter(Op::WriteAndFlush, path);
    inner_.WriteAndFlush(path, bytes);
  }
  void Replace(const std::string& from, const std::string& to) override {
    Enter(Op::Replace, from + " -> " + to);
    inner_.Replace(from, to);
  }
  void Rename(const std::string& from, const std::string& to) override {
    Enter(Op::Rename, from + " -> " + to);
    inner_.Rename(from, to);
  }
  void Remove(const std::string& path) override {
    Enter(Op::Remove, path);
    inner_.Remove(path);
  }
  std::unique_ptr<platform::ExclusiveFile> OpenExclusive(const std::string& path) override {
    Enter(Op::OpenExclusive, path);
    return inner_.OpenExclusive(path);
  }
  std::vector<platform::FolderEntry> ListFolder(const std::string& folder) override {
    Enter(Op::ListFolder, folder);
    return inner_.ListFolder(folder);
  }

 private:
  static const char* Name(Op op) {
    switch (op) {
      case Op::Exists:
        return "Exists";
      case Op::Stamp:
        return "Stamp";
      case Op::CreateNew:
        return "CreateNew";
      case Op::ReadAll:
        return "ReadAll";
      case Op::WriteAndFlush:
        return "WriteAndFlush";
      case Op::Replace:
        return "Replace";
      case Op::Rename:
        return "Rename";
      case Op::Remove:
        return "Remove";
      case Op::OpenExclusive:
        return "OpenExclusive";
      case Op::ListFolder:
        return "ListFolder";
    }
    return "?";
  }

  void Enter(Op op, const std::string& what) {
    calls_.push_back(std::string(Name(op)) + " " + what);
    if (pathFaults_.count({op, what}) != 0) throw platform::FileError(what, "access denied");
    const auto it = faults_.find(op);
    if (it == faults_.end()) return;
    Fault& fault = it->second;
    if (fault.times == 0) return;
    if (fault.times > 0) --fault.times;
    throw platform::FileError(what, fault.reason, fault.kind);
  }

  struct Fault {
    std::string reason;
    platform::FileErrorKind kind;
    int times;  // failures left; -1 for all
  };
  platform::FileSystem& inner_;
  std::map<Op, Fault> faults_;
  std::set<std::pair<Op, std::string>> pathFaults_;
  std::vector<std::string> calls_;
};

}  // namespace tembric::fakes
