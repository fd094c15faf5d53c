#pragma once
// The contexts of a record, kept in the windows table (WinDB: one row per
// distinct window description) and the relations table (RelDB: one row per
// record-to-window link). Only those two tables are used: the records
// table's cursor stays where it is.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "context/WinDescriptor.h"
#include "store/Tables.h"

namespace tembric::platform {
class FileSystem;
}

namespace tembric::context {

// `text` cut to at most `width` characters, as a Text field of that width
// stores it. Stored contexts are compared with the cut text, since that is
// all the table keeps of a longer one.
std::string_view CutToField(std::string_view text, std::size_t width);

// The width of the windows table's Text field `field` (WinTitle, FileName,
// VersionName, FilePath).
std::size_t WindowsFieldWidth(std::string_view field);

class ContextStore {
 public:
  // The tables must be open; their files are set (store::OpenLibrary).
  ContextStore(store::Library& library, platform::FileSystem& fs, store::RandomInt random);

  // Links every descriptor with ID 0, in order, to `recordId`: to the
  // windows row with its (cut) FileName, WinTitle and WinType, appended with
  // a fresh ID when there is none. Then saves both tables, even when nothing
  // was new. Returns the windows IDs linked, one per descriptor with ID 0.
  // Throws store::TableError when a save fails (after trying the other
  // table too).
  std::vector<std::int32_t> SaveContexts(std::int32_t recordId, std::span<const TWinDescriptor> descriptors);

  // The windows linked to `recordId`, in the order the links were made. A
  // link to a missing windows row is passed over.
  std::vector<TWinDescriptor> LoadContexts(std::int32_t recordId);

  // Removes, for each windows ID, the first link of `recordId` to it, then
  // saves the relations table (throws store::TableError when that fails).
  // Windows rows stay, since other records may share them.
  void DeleteContexts(std::int32_t recordId, std::span<const std::int32_t> deletedWinIds);

 private:
  std::int32_t FindOrAppendWindow(const TWinDescriptor& descriptor);

  store::Library& library_;
  platform::FileSystem& fs_;
  store::RandomInt random_;
};

}  // namespace tembric::context
