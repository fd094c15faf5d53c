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
      {IndexDef{kRecordsIndex, "FullName"}, IndexDef{kRecordsByIdIndex, "ID"}},
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
      {IndexDef{kWindowsByFileNameTypeIndex, "FileName;WinType"}, IndexDef{kWindowsByTypeIndex, "WinType"}},
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
      {IndexDef{kRelationsByWinIdIndex, "WinID"}},
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

bool IsAtOrBelow(std::string_view path, std::string_view folder) {
  return path.starts_with(folder) && (path.size() == folder.size() || path[folder.size()] == '\\');
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

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Renames `path` to "<path><suffix>-<stamp>" (or "-2" ... "-9" after it when
// taken); "" when that fails.
std::string KeepAside(platform::FileSystem& fs, const std::string& path, const std::string& suffix,
                      const std::string& stamp) {
  const std::string base = path + suffix + "-" + stamp;
  for (int attempt = 1; attempt <= 9; ++attempt) {
    const std::string candidate = attempt == 1 ? base : base + "-" + std::to_string(attempt);
    try {
      if (fs.Exists(candidate)) continue;
      fs.Rename(path, candidate);
      return candidate;
    } catch (const platform::FileError&) {
      return {};
    }
  }
  return {};
}

enum class Outcome { Loaded, Missing, Damaged, Refused };

// Opens `table` from its file. Damaged: the bytes are not a table; Refused:
// the system would not read them (after Open's retry of passing errors).
Outcome TryOpen(DataTable& table, platform::FileSystem& fs, std::string& reason) {
  try {
    return table.Open(fs) ? Outcome::Loaded : Outcome::Missing;
  } catch (const TableFileError& e) {
    reason = e.Reason();
    return e.Damaged() ? Outcome::Damaged : Outcome::Refused;
  }
}

// True when `saving` was written after `path`: a save whose replace did not happen.
bool WrittenAfter(platform::FileSystem& fs, const std::string& saving, const std::string& path) {
  const auto copy = fs.Stamp(saving);
  const auto table = fs.Stamp(path);
  return copy && (!table || copy->modified >= table->modified);
}

std::string CannotRead(const std::string& file, const std::string& reason) {
  return "Cannot read the table file " + Quoted(file) + ": " + reason + ".";
}

constexpr const char* kNotSaved = " the table starts empty and its changes will not be saved.";

// Moves a damaged table file aside and starts the notice with what happened
// to it; false when it could not be moved (it must then not be written over).
bool MoveDamagedAside(platform::FileSystem& fs, const std::string& stamp, TableNotice& notice) {
  notice.message = CannotRead(notice.file, notice.reason);
  notice.keptAs = KeepAside(fs, notice.file, ".unreadable", stamp);
  notice.message += notice.keptAs.empty() ? std::string(" It could not be moved aside, so it will not be written over;")
                                          : " It was kept as " + Quoted(notice.keptAs) + ";";
  return !notice.keptAs.empty();
}

// The table file could not be read: moved aside when its bytes are damaged,
// left in place when the system refused to read it.
void ReportUnreadable(DataTable& table, platform::FileSystem& fs, const std::string& stamp, Outcome outcome,
                      TableNotice notice, std::vector<TableNotice>& notices) {
  if (outcome == Outcome::Refused) {
    notice.message =
        CannotRead(notice.file, notice.reason) + " It was left as it is and will not be written over;" + kNotSaved;
  } else if (MoveDamagedAside(fs, stamp, notice)) {
    table.AllowSaveOverUnreadableFile();
    notice.message += " the table starts empty.";
  } else {
    notice.message += kNotSaved;
  }
  notices.push_back(std::move(notice));
}

// The copy at `saving` is whole and newer than the table file: it becomes the table.
void Restore(DataTable& table, DataTable& copy, platform::FileSystem& fs, const std::string& stamp, Outcome outcome,
             TableNotice notice, std::vector<TableNotice>& notices) {
  const std::string saving = copy.FileName();
  bool targetFree = true;
  if (outcome == Outcome::Damaged) {
    targetFree = MoveDamagedAside(fs, stamp, notice);
  } else if (outcome == Outcome::Missing) {
    notice.message = "The table file " + Quoted(notice.file) + " was missing;";
  } else {
    notice.message = "The last save of " + Quoted(notice.file) + " did not finish;";
  }
  table.Load(copy.Serialize());
  notice.restoredFrom = saving;
  notice.message += " the table was taken from " + Quoted(saving) + ", the whole copy that save wrote.";
  if (!targetFree) {
    notice.message += " Its changes will not be saved.";
  } else {
    table.AllowSaveOverUnreadableFile();
    try {
      platform::RetryFileOperation(
          fs, [&] { fs.Replace(saving, notice.file); }, platform::IsTransient);
    } catch (const platform::FileError& e) {
      // The copy stays; the next save writes the same rows anew and replaces
      // the table file with them.
      notice.message += " It could not take the table file's place (" + e.Reason() + ") and stays where it is.";
    }
  }
  notices.push_back(std::move(notice));
}

void OpenTable(DataTable& table, platform::FileSystem& fs, const std::string& path, const std::string& stamp,
               std::vector<TableNotice>& notices) {
  const std::string target = fs.FinalPath(path);
  table.SetFileName(target);
  TableNotice notice;
  notice.file = target;
  const Outcome outcome = TryOpen(table, fs, notice.reason);
  if (outcome == Outcome::Refused) {  // its copy is left alone too
    ReportUnreadable(table, fs, stamp, outcome, std::move(notice), notices);
    return;
  }

  DataTable copy(table.Schema());
  copy.SetFileName(platform::TemporaryPathFor(target));
  TableNotice copyNotice;
  copyNotice.file = copy.FileName();
  Outcome copyOutcome = TryOpen(copy, fs, copyNotice.reason);
  if (copyOutcome == Outcome::Loaded) {
    bool newer = false;
    try {
      newer = outcome != Outcome::Loaded || WrittenAfter(fs, copy.FileName(), target);
    } catch (const platform::FileError& e) {
      copyOutcome = Outcome::Refused;
      copyNotice.reason = e.Reason();
    }
    if (copyOutcome == Outcome::Loaded && newer) {
      Restore(table, copy, fs, stamp, outcome, std::move(notice), notices);
      return;
    }
    if (copyOutcome == Outcome::Loaded) {
      // Whole but older than the table file: not the newest data, yet not
      // ours to delete.
      copyNotice.keptAs = KeepAside(fs, copy.FileName(), "", stamp);
      if (copyNotice.keptAs.empty()) table.BlockSave();
      copyNotice.message = "An older copy of the table file, " + Quoted(copy.FileName()) + ", was " +
                           (copyNotice.keptAs.empty() ? "found; it will not be written over, so the table's "
                                                        "changes will not be saved."
                                                      : "kept as " + Quoted(copyNotice.keptAs) + ".");
      notices.push_back(std::move(copyNotice));
    }
  }
  if (copyOutcome == Outcome::Refused) {
    // Cannot tell whether the copy is the newest data: save nothing over it.
    table.BlockSave();
    copyNotice.message = "Cannot read " + Quoted(copyNotice.file) +
                         ", the copy an unfinished save left: " + copyNotice.reason +
                         ". It will not be written over; the table's changes will not be saved.";
    notices.push_back(std::move(copyNotice));
  } else if (copyOutcome == Outcome::Damaged) {
    // Cut short by a crash while it was written. When the table file loaded,
    // that is the last whole copy; without one, keep what there is.
    if (outcome == Outcome::Loaded) {
      fs.Remove(copyNotice.file);
    } else {
      copyNotice.keptAs = KeepAside(fs, copyNotice.file, ".unreadable", stamp);
      if (copyNotice.keptAs.empty()) table.BlockSave();
      copyNotice.message = "The copy " + Quoted(copyNotice.file) + " that an unfinished save left is damaged (" +
                           copyNotice.reason + "); " +
                           (copyNotice.keptAs.empty() ? std::string("it will not be written over.")
                                                      : "it was kept as " + Quoted(copyNotice.keptAs) + ".");
      notices.push_back(std::move(copyNotice));
    }
  }
  if (outcome == Outcome::Damaged) ReportUnreadable(table, fs, stamp, outcome, std::move(notice), notices);
}

}  // namespace

std::vector<TableNotice> OpenLibrary(Library& library, platform::FileSystem& fs, const std::string& folder,
                                     const std::string& stamp) {
  std::vector<TableNotice> notices;
  OpenTable(library.windows, fs, JoinPath(folder, kWindowsFile), stamp, notices);
  OpenTable(library.relations, fs, JoinPath(folder, kRelationsFile), stamp, notices);
  library.records.SetAfterScroll(nullptr);
  OpenTable(library.records, fs, JoinPath(folder, kRecordsFile), stamp, notices);
  PurgeIncompleteRecords(library.records);
  return notices;
}

std::unique_ptr<platform::ExclusiveFile> LockLibrary(platform::FileSystem& fs, const std::string& folder) {
  const std::string path = JoinPath(folder, kLockFile);
  fs.CreateNew(path);
  try {
    return fs.OpenExclusive(path);
  } catch (const platform::FileError& e) {
    if (e.Kind() == platform::FileErrorKind::Transient) return nullptr;  // held open elsewhere
    throw;
  }
}

std::size_t PurgeIncompleteRecords(DataTable& records) {
  static constexpr std::string_view kNamed[] = {"Subject", "Category", "FullName"};
  records.DisableControls();
  try {
    records.CancelRange();
    const std::size_t deleted = records.DeleteRowsWithNull(kNamed);
    records.First();
    records.EnableControls();
    return deleted;
  } catch (...) {
    records.EnableControls();
    throw;
  }
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
