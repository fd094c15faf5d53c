#pragma once
// Libraries a test registers by path, each with named entries that are real
// functions of the test. Every load, find and unload is logged, and the
// number of libraries loaded at the moment is kept.

#include <map>
#include <string>
#include <vector>

#include "platform/Libraries.h"

namespace tembric::fakes {

class FakeLibraries : public platform::Libraries {
 public:
  // Makes `path` loadable; entries are added with AddEntry.
  void AddLibrary(const std::string& path) { libraries_[path]; }
  template <typename F>
  void AddEntry(const std::string& path, const std::string& name, F* function) {
    libraries_[path][name] = reinterpret_cast<platform::LibraryEntry>(function);
  }

  // "load <path>", "find <name>", "unload <path>" in call order.
  const std::vector<std::string>& Log() const { return log_; }
  int LoadedNow() const { return loaded_; }

  Handle Load(const std::string& path) override {
    log_.push_back("load " + path);
    const auto it = libraries_.find(path);
    if (it == libraries_.end()) return nullptr;
    ++loaded_;
    return &*it;
  }
  platform::LibraryEntry Find(Handle library, const std::string& name) override {
    log_.push_back("find " + name);
    const auto& entries = static_cast<Entry*>(library)->second;
    const auto it = entries.find(name);
    return it == entries.end() ? nullptr : it->second;
  }
  void Unload(Handle library) noexcept override {
    log_.push_back("unload " + static_cast<Entry*>(library)->first);
    --loaded_;
  }

 private:
  using Entries = std::map<std::string, platform::LibraryEntry>;
  using Entry = std::pair<const std::string, Entries>;
  std::map<std::string, Entries> libraries_;
  std::vector<std::string> log_;
  int loaded_ = 0;
};

}  // namespace tembric::fakes
