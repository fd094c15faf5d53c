#pragma once
// Small helpers for the application's tests over the in-memory file system.

#include <string>
#include <string_view>
#include <vector>

#include "fakes/FaultInjectingFileSystem.h"
#include "fakes/MemoryFileSystem.h"

namespace tembric::fakes {

inline MemoryFileSystem::Bytes Text(std::string_view text) { return {text.begin(), text.end()}; }

// The calls that would create, change, move or remove a file.
inline std::vector<std::string> FileChanges(const FaultInjectingFileSystem& files) {
  std::vector<std::string> changes;
  for (const auto& call : files.Calls())
    if (!call.starts_with("Exists ") && !call.starts_with("ReadAll ") && !call.starts_with("Stamp "))
      changes.push_back(call);
  return changes;
}

}  // namespace tembric::fakes
