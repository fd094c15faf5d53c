#include "context/ContextStore.h"

#include <array>
#include <exception>
#include <initializer_list>
#include <utility>

#include "store/DataTable.h"
#include "store/KeepPosition.h"

namespace tembric::context {

namespace {

using store::DataTable;
using store::KeepPosition;
using store::Value;

// Saves every table, even after one failed; then throws the first failure.
void SaveAll(platform::FileSystem& fs, std::initializer_list<DataTable*> tables) {
  std::exception_ptr first;
  for (DataTable* table : tables) {
    try {
      table->Save(fs);
    } catch (const store::TableError&) {
      if (!first) first = std::current_exception();
    }
  }
  if (first) std::rethrow_exception(first);
}

}  // namespace

std::string_view CutToField(std::string_view text, std::size_t width) { return text.substr(0, width); }

std::size_t WindowsFieldWidth(std::string_view field) {
  static const store::TableSchema schema = store::WindowsSchema();
  for (const store::FieldDef& def : schema.fields) {
    if (def.name == field && def.type == store::FieldType::Text) return def.width;
  }
  throw store::TableError("WinDB has no text field \"" + std::string(field) + "\"");
}

ContextStore::ContextStore(store::Library& library, platform::FileSystem& fs, store::RandomInt random)
    : library_(library), fs_(fs), random_(std::move(random)) {}

std::int32_t ContextStore::FindOrAppendWindow(const TWinDescriptor& descriptor) {
  // The table cuts texts to their field widths, both those it stores and
  // those it looks for, so a title longer than its field finds its row.
  DataTable& windows = library_.windows;
  {
    KeepPosition keep(windows);
    const std::array<std::string, 3> fields{"FileName", "WinTitle", "WinType"};
    const std::array<Value, 3> values{Value(descriptor.FileName), Value(descriptor.WinTitle),
                                      Value(descriptor.WinType)};
    if (windows.Locate(fields, values)) return static_cast<std::int32_t>(windows.AsInteger("ID"));
  }
  const std::int32_t id = store::DrawWindowId(windows, random_);
  windows.Append();
  windows.Set("WinTitle", descriptor.WinTitle);
  windows.Set("FileName", descriptor.FileName);
  windows.Set("VersionName", descriptor.VersionName);
  windows.Set("FilePath", descriptor.FilePath);
  windows.Set("ID", id);
  windows.Set("WinType", descriptor.WinType);
  windows.Post();
  return id;
}

std::vector<std::int32_t> ContextStore::SaveContexts(std::int32_t recordId,
                                                     std::span<const TWinDescriptor> descriptors) {
  std::vector<std::int32_t> linked;
  for (const TWinDescriptor& descriptor : descriptors) {
    if (descriptor.ID != 0) continue;  // stored before
    const std::int32_t winId = FindOrAppendWindow(descriptor);
    DataTable& relations = library_.relations;
    relations.Append();
    relations.Set("ID", recordId);
    relations.Set("WinID", winId);
    relations.Post();
    linked.push_back(winId);
  }
  SaveAll(fs_, {&library_.windows, &library_.relations});
  return linked;
}

std::vector<TWinDescriptor> ContextStore::LoadContexts(std::int32_t recordId) {
  std::vector<std::int64_t> winIds;
  {
    DataTable& relations = library_.relations;
    KeepPosition keep(relations);
    relations.SetIndexFieldNames("ID");  // equal IDs keep their order of addition
    const std::array<Value, 1> key{Value(recordId)};
    relations.SetRange(key, key);
    for (; !relations.Eof(); relations.Next()) winIds.push_back(relations.AsInteger("WinID"));
    relations.CancelRange();
  }
  std::vector<TWinDescriptor> out;
  DataTable& windows = library_.windows;
  KeepPosition keep(windows);
  const std::array<std::string, 1> fields{"ID"};
  for (const std::int64_t winId : winIds) {
    const std::array<Value, 1> values{Value(winId)};
    if (!windows.Locate(fields, values)) continue;  // its windows row is gone
    TWinDescriptor d;
    d.WinTitle = windows.AsString("WinTitle");
    d.FileName = windows.AsString("FileName");
    d.VersionName = windows.AsString("VersionName");
    d.FilePath = windows.AsString("FilePath");
    d.ID = static_cast<std::int32_t>(windows.AsInteger("ID"));
    d.WinType = static_cast<std::uint8_t>(windows.AsInteger("WinType"));
    out.push_back(std::move(d));
  }
  return out;
}

void ContextStore::DeleteContexts(std::int32_t recordId, std::span<const std::int32_t> deletedWinIds) {
  DataTable& relations = library_.relations;
  {
    KeepPosition keep(relations);
    relations.SetIndexFieldNames("");  // the first link is the one made first
    const std::array<std::string, 2> fields{"ID", "WinID"};
    for (const std::int32_t winId : deletedWinIds) {
      const std::array<Value, 2> values{Value(recordId), Value(winId)};
      if (relations.Locate(fields, values)) relations.Delete();
    }
  }
  relations.Save(fs_);
}

}  // namespace tembric::context
