#pragma once
// The three tables of a library: records (TembricDB, tembric.db), windows
// (WinDB, win.db) and record-to-window relations (RelDB, rel.db).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/DataTable.h"

namespace tembric::platform {
class ExclusiveFile;
class FileSystem;
}  // namespace tembric::platform

namespace tembric::store {

// Record kinds stored in TembricDB.Type.
enum class RecordType : std::int16_t {
  Creating = -1,  // only while the record dialog creates it
  Text = 0,       // Memo
  Folder = 1,
  Image = 2,             // blob file extent
  Plugin = 3,            // computed by a plugin library; Memo describes it
  TextFileLink = 4,      // FileName
  ImageFileLink = 5,     // FileName
  ClipboardInRow = 10,   // Blob
  ClipboardInBlob = 20,  // blob file extent
};

inline constexpr const char* kRecordsIndex = "TembricByFullName";
// The orderings the context fill looks up through (kept sorted at all times;
// they are not part of the table files).
inline constexpr const char* kRecordsByIdIndex = "TembricByID";              // TembricDB: ID
inline constexpr const char* kWindowsByTypeIndex = "WinByType";              // WinDB: WinType
inline constexpr const char* kWindowsByFileNameTypeIndex = "WinByFileName";  // WinDB: FileName;WinType
inline constexpr const char* kRelationsByWinIdIndex = "RelByWinID";          // RelDB: WinID
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

// `path` is `folder` itself or lies below it: it equals `folder` or begins
// with `folder` and a backslash. "\Ab\x" is not below "\A", although the
// index order puts it right after the rows that are. Every command that acts
// on a folder together with its contents (rename, move, delete, the system
// folders' rebuild) decides what belongs to the folder with this one test.
bool IsAtOrBelow(std::string_view path, std::string_view folder);

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
std::int32_t DrawRecordId(const DataTable& records, const RandomInt& random);  // [0, 99,999,999]
std::int32_t DrawWindowId(const DataTable& windows, const RandomInt& random);  // [1, 9,999,999]

// ---- Opening a library ------------------------------------------------------
struct Library {
  DataTable records{RecordsSchema()};
  DataTable windows{WindowsSchema()};
  DataTable relations{RelationsSchema()};
};

// What the user must know about a table file after opening it: it could not
// be read, or it was recovered from the copy that an unfinished save left.
struct TableNotice {
  std::string file;          // the file concerned: the table file or its ".saving" copy
  std::string reason;        // why it could not be read; "" when it could
  std::string keptAs;        // where that file was moved; "" when it was not
  std::string restoredFrom;  // the whole copy the table was taken from; "" when none
  std::string message;       // the text shown to the user
  const std::string& Message() const { return message; }
};

// Opens win.db, rel.db and tembric.db from `folder`, in that order, then
// deletes the records that lack a Subject, Category or FullName. The records
// table's after-scroll handler is detached first and stays detached.
// A table file that is a symbolic link or junction is opened, and later
// saved, at its final target.
// A file whose bytes are not a table (damaged) is renamed to
// "<file>.unreadable-<YYYYMMDD-HHMMSS>" (`stamp`) and its table starts empty;
// when the rename fails, the table refuses to save over the file. A file the
// system refuses to read (after a short retry) stays where it is and its
// table refuses to save over it.
// A "<file>.saving" left by a save that did not finish is never written over:
// when it is whole (its checksum is right) and the table file is missing,
// damaged or older, it becomes the table file (an older or damaged file is
// kept aside as unreadable; an older one is replaced); when it is damaged,
// it is removed if the table file is whole, else kept aside; when it is whole
// but older than the table file, it is kept aside; when it cannot be read,
// the table refuses to save.
// Every such event is reported; the other tables open normally.
std::vector<TableNotice> OpenLibrary(Library& library, platform::FileSystem& fs, const std::string& folder,
                                     const std::string& stamp);

// The lock a running Tembric holds on its library folder: the file
// "tembric.lock" held open without sharing for the whole run. Tools that
// write the tables take it first, so that they never change a library that
// Tembric would write over when it shuts down. Only the open handle counts,
// so a crash leaves no stale lock behind.
inline constexpr const char* kLockFile = "tembric.lock";

// Takes the lock of `folder`; nullptr when another process holds it. Throws
// platform::FileError when the lock file cannot be made or opened at all.
std::unique_ptr<platform::ExclusiveFile> LockLibrary(platform::FileSystem& fs, const std::string& folder);

// Deletes the rows whose Subject, Category or FullName is null; returns how many.
std::size_t PurgeIncompleteRecords(DataTable& records);

// "YYYYMMDD-HHMMSS" of the local time now.
std::string TimestampNow();

}  // namespace tembric::store
