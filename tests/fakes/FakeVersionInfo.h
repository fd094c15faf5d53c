#pragma once
// Version resources of executables held in memory. Like VerQueryValue, a
// query matches sub-block paths without regard to letter case; every query
// is recorded so that tests can see the exact path asked for.

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/VersionInfo.h"

namespace tembric::fakes {

class FakeVersionInfo : public platform::VersionInfo {
 public:
  using Values = std::map<std::string, std::string>;  // sub-block path → raw value

  // The bytes of one translation entry as the resource stores it: two
  // little-endian 16-bit numbers, language first.
  static std::string Translation(std::uint16_t language, std::uint16_t codePage) {
    return {static_cast<char>(language & 0xFF), static_cast<char>(language >> 8), static_cast<char>(codePage & 0xFF),
            static_cast<char>(codePage >> 8)};
  }

  void AddResource(const std::string& executablePath, Values values) { resources_[executablePath] = std::move(values); }
  // A resource in US English, Unicode, that has a FileDescription.
  void AddDescribed(const std::string& executablePath, const std::string& description) {
    AddResource(executablePath, {{"\\VarFileInfo\\Translation", Translation(0x0409, 0x04B0)},
                                 {"\\StringFileInfo\\040904B0\\FileDescription", description}});
  }

  void SetOwnFileVersion(std::optional<platform::FileVersion> version) { own_ = version; }
  const std::vector<std::string>& Queries() const { return *queries_; }
  const std::vector<std::string>& ReadPaths() const { return reads_; }

  std::optional<platform::FileVersion> OwnFileVersion() override { return own_; }

  std::unique_ptr<Resource> ReadResource(const std::string& executablePath) override {
    reads_.push_back(executablePath);
    const auto it = resources_.find(executablePath);
    if (it == resources_.end()) return nullptr;
    return std::make_unique<FakeResource>(it->second, queries_);
  }

 private:
  class FakeResource : public Resource {
   public:
    FakeResource(Values values, std::shared_ptr<std::vector<std::string>> queries)
        : values_(std::move(values)), queries_(std::move(queries)) {}
    std::optional<std::string> Query(const std::string& subBlock) const override {
      queries_->push_back(subBlock);
      for (const auto& [path, value] : values_)
        if (SameText(path, subBlock)) return value;
      return std::nullopt;
    }

   private:
    Values values_;
    std::shared_ptr<std::vector<std::string>> queries_;
  };

  static bool SameText(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
  }

  std::map<std::string, Values> resources_;
  std::optional<platform::FileVersion> own_;
  std::shared_ptr<std::vector<std::string>> queries_ = std::make_shared<std::vector<std::string>>();
  std::vector<std::string> reads_;
};

}  // namespace tembric::fakes
