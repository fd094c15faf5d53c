#include "store/Tables.h"

#include <chrono>
#include <ctime>
#include <memory>
#include <random>

#include "platform/FileSystem.h"

namespace tembric::store {

using platform::JoinPath;

namespace {

FieldDef Text(const char* name, std::uint32_t width) { return {name, FieldType::Text, width}; }
FieldDef Field(const char* name, FieldType type) { return {name, type, 0}; }

}  // namespace

TableSchema RecordsSchema() {
  return TableSchema{
      "TembricDB",
      {
          Text("Subject", 128),
          Text("Category", 256),
          Field("Memo", FieldType::Memo),
          Field("Node", FieldType::Int32),
          Field("Type", FieldType::Int16),
          Text("FullName", 300),
          Field("Blob", FieldType::Bytes),
          Field("FilePosition", FieldType::Int64),
          Field("Size", FieldType::Int64),
          Text("KeyString", 32),
          Text("KeyDisplay", 32),
          Text("FileName", 256),
          Text("ShortCut", 16),
          Field("ID", FieldType::Int32),
          Field("ContextEnabled", FieldType::Boolean),
      },
      {IndexDef{kRecordsIndex, "FullName"}},
      kRecordsIndex,
  };
}

TableSchema WindowsSchema() {
  return TableSchema{
      "WinDB",
      {
          Text("WinTitle", 100),
          Text("VersionName", 100),
          Text("FilePath", 256),
          Text("FileName", 100),
          Field("ID", FieldType::Int32),
          Field("WinType", FieldType::Int32),
      },
      {},
      "FileName;WinType",
  };
}

TableSchema RelationsSchema() {
  return TableSchema{
      "RelDB",
      {
          Field("ID", FieldType::Int32),
          Field("WinID", FieldType::Int32),
      },
      {},
      "",
  };
}

std::string MakeFullName(std::string_view category, std::string_view subject) {
  std::string full;
  full.reserve(category.size() + 1 + subject.size());
  full.append(category);
  full += '\\';
  full.append(subject);
  return full;
}

// ---- IDs ------------------------------------------------------------------------

RandomInt ClockSeededRandom() {
  const auto ticks = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
  auto engine = std::make_shared<std::mt19937_64>(ticks);
  return [engine](std::int64_t low, std::int64_t high) {
    return std::uniform_int_distribution<std::int64_t>(low, high)(*engine);
  };
}

std::int32_t DrawUnusedId(const DataTable& table, std::string_view field, std::int32_t low, std::int32_t high,
                          const RandomInt& random) {
  if (low > high) throw TableError("An ID range must not be empty");
  if (table.FieldIndex(field) < 0) {
    throw TableError("Table \"" + table.Schema().name + "\" has no field \"" + std::string(field) + "\"");
  }
  // A draw that meets a used value is repeated. After a run of such draws
  // the range may be full: that is checked then, so that an ordinary draw
  // costs one scan of the table.
  constexpr int kCollisionsBeforeCheck = 64;
  constexpr long kMaxDraws = 10'000'000;
  int collisions = 0;
  for (long draw = 0; draw < kMaxDraws; ++draw) {
    const std::int64_t v = random(low, high);
    if (v < low || v > high) {
      throw TableError("The random generator returned " + std::to_string(v) + " outside " + std::to_string(low) +
                       " ... " + std::to_string(high));
    }
    if (!table.ContainsValue(field, Value(v))) return static_cast<std::int32_t>(v);
    if (++collisions < kCollisionsBeforeCheck) continue;
    collisions = 0;
    bool anyFree = false;
    for (std::int64_t candidate = low; candidate <= high && !anyFree; ++candidate) {
      anyFree = !table.ContainsValue(field, Value(candidate));
    }
    if (!anyFree) {
      throw TableError("Every ID from " + std::to_string(low) + " to " + std::to_string(high) + " is in use");
    }
  }
  throw TableError("The random generator found no unused ID");
}

std::int32_t DrawRecordId(const DataTable& records, const RandomInt& random) {
  return DrawUnusedId(records, "ID", 0, kMaxRecordId, random);
}

std::int32_t DrawWindowId(const DataTable& windows, const RandomInt& random) {
  return DrawUnusedId(windows, "ID", 1, kMaxWindowId, random);
}

// ---- Opening a library ------------------------------------------------------------

std::string UnreadableTable::Message() const {
  std::string text = "Cannot read the table file \"" + file + "\": " + reason + ".";
  if (!keptAs.empty()) {
    text += " It was kept as \"" + keptAs + "\"; the table starts empty.";
  } else {
    text +=
        " It could not be moved aside, so it will not be written over; the table starts empty and its changes "
        "will not be saved.";
  }
  return text;
}

namespace {

// Moves an unreadable table file out of the way; "" when that fails.
std::string KeepAside(platform::FileSystem& fs, const std::string& path, const std::string& stamp) {
  const std::string base = path + ".unreadable-" + stamp;
  for (int attempt = 1; attempt <= 9; ++attempt) {
    const std::string candidate = attempt == 1 ? base : base + "-" + std::to_string(attempt);
    if (fs.Exists(candidate)) continue;
    try {
      fs.Rename(path, candidate);
      return candidate;
    } catch (const platform::FileError&) {
      return {};
    }
  }
  return {};
}

void OpenTable(DataTable& table, platform::FileSystem& fs, const std::string& path, const std::string& stamp,
               std::vector<UnreadableTable>& unreadable) {
  table.SetFileName(path);
  try {
    table.Open(fs);
  } catch (const TableFileError& e) {
    UnreadableTable report{path, e.Reason(), KeepAside(fs, path, stamp)};
    if (!report.keptAs.empty()) table.AllowSaveOverUnreadableFile();
    unreadable.push_back(std::move(report));
  }
}

}  // namespace

std::vector<UnreadableTable> OpenLibrary(Library& library, platform::FileSystem& fs, const std::string& folder,
                                         const std::string& stamp) {
  std::vector<UnreadableTable> unreadable;
  OpenTable(library.windows, fs, JoinPath(folder, kWindowsFile), stamp, unreadable);
  OpenTable(library.relations, fs, JoinPath(folder, kRelationsFile), stamp, unreadable);
  library.records.SetAfterScroll(nullptr);
  OpenTable(library.records, fs, JoinPath(folder, kRecordsFile), stamp, unreadable);
  PurgeIncompleteRecords(library.records);
  return unreadable;
}

std::size_t PurgeIncompleteRecords(DataTable& records) {
  records.DisableControls();
  std::size_t deleted = 0;
  try {
    records.CancelRange();
    records.First();
    while (!records.Eof()) {
      if (records.IsNull("Subject") || records.IsNull("Category") || records.IsNull("FullName")) {
        records.Delete();  // the next row becomes current; Eof once the last row went
        ++deleted;
      } else {
        records.Next();
      }
    }
    records.First();
  } catch (...) {
    records.EnableControls();
    throw;
  }
  records.EnableControls();
  return deleted;
}

std::string TimestampNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  char text[32];
  const std::size_t n = std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
  return std::string(text, n);
}

}  // namespace tembric::store
