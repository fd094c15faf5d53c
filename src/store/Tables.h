#pragma once
// The three tables of a library: records (TembricDB, tembric.db), windows
// (WinDB, win.db) and record-to-window relations (RelDB, rel.db).

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "store/DataTable.h"

namespace tembric::platform {
class FileSystem;
}

namespace tembric::store {

// Record kinds stored in TembricDB.Type.
enum class RecordType : std::int16_t {
  Creating = -1,         // only while the record dialog creates it
  Text = 0,              // Memo
  Folder = 1,
  Image = 2,             // blob file extent
  Plugin = 3,            // computed by a plugin library; Memo describes it
  TextFileLink = 4,      // FileName
  ImageFileLink = 5,     // FileName
  ClipboardInRow = 10,   // Blob
  ClipboardInBlob = 20,  // blob file extent
};

inline constexpr const char* kRecordsIndex = "TembricByFullName";
inline constexpr const char* kRecordsFile = "tembric.db";
inline constexpr const char* kWindowsFile = "win.db";
inline constexpr const char* kRelationsFile = "rel.db";

// Shown in folder lists for the top level; never stored (Category is "").
inline constexpr const char* kRootCaption = "[Root]";
inline constexpr const char* kPluginsFolder = "\\*Plugins";
inline constexpr const char* kContextFolder = "\\*WinContext";

TableSchema RecordsSchema();    // TembricDB
TableSchema WindowsSchema();    // WinDB
TableSchema RelationsSchema();  // RelDB

// Category + "\" + Subject; a top-level record has Category "".
std::string MakeFullName(std::string_view category, std::string_view subject);

// ---- IDs ------------------------------------------------------------------
// A uniform draw in [low, high] from the caller's generator.
using RandomInt = std::function<std::int64_t(std::int64_t low, std::int64_t high)>;
// A generator seeded from the clock.
RandomInt ClockSeededRandom();

inline constexpr std::int32_t kMaxRecordId = 99'999'999;  // records: 0 ... 99,999,999
inline constexpr std::int32_t kMaxWindowId = 9'999'999;   // windows: 1 ... 9,999,999

// Draws in [low, high] until the value is not yet in `field` of `table`.
// Throws TableError when every value of the range is taken.
std::int32_t DrawUnusedId(const DataTable& table, std::string_view field, std::int32_t low, std::int32_t high,
                          const RandomInt& random);
std::int32_t DrawRecordId(const DataTable& records, const RandomInt& random);   // [0, 99,999,999]
std::int32_t DrawWindowId(const DataTable& windows, const RandomInt& random);   // [1, 9,999,999]

// ---- Opening a library ------------------------------------------------------
struct Library {
  DataTable records{RecordsSchema()};
  DataTable windows{WindowsSchema()};
  DataTable relations{RelationsSchema()};
};

// A table file that could not be read at open. The file itself was kept.
struct UnreadableTable {
  std::string file;      // the table file's path
  std::string reason;    // why it could not be read
  std::string keptAs;    // where the unreadable file now is; empty when it could not be moved
  std::string Message() const;  // the text shown to the user
};

// Opens win.db, rel.db and tembric.db from `folder`, in that order, then
// deletes the records that lack a Subject, Category or FullName. The records
// table's after-scroll handler is detached first and stays detached.
// A file that cannot be read is renamed to "<file>.unreadable-<YYYYMMDD-HHMMSS>"
// (`stamp`) and its table starts empty; when the rename fails too, the table
// refuses to save over the file. Every such file is reported; the others
// open normally.
std::vector<UnreadableTable> OpenLibrary(Library& library, platform::FileSystem& fs, const std::string& folder,
                                         const std::string& stamp);

// Deletes the rows whose Subject, Category or FullName is null; returns how many.
std::size_t PurgeIncompleteRecords(DataTable& records);

// "YYYYMMDD-HHMMSS" of the local time now.
std::string TimestampNow();

}  // namespace tembric::store
