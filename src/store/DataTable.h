#pragma once
// An in-memory table with declared fields, a current row, named and ad-hoc
// orderings, searches, an optional key range and persistence to one file.
//
// Semantics the rest of the program relies on:
// - Every field may be null; null and the empty text are different values.
// - Texts compare byte by byte (case matters); null sorts before any value;
//   rows with equal keys keep their order of addition.
// - A text longer than its field's width is cut to the width when written.
// - The current row survives a change of ordering, a post and a cancelled edit.
// - The file holds the rows in their order of addition (see docs/table-file-format.md).

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tembric::platform {
class FileSystem;
}

namespace tembric::store {

enum class FieldType : std::uint8_t {
  Text = 1,  // up to `width` single-byte characters
  Memo = 2,  // unbounded text
  Int16 = 3,
  Int32 = 4,
  Int64 = 5,
  Boolean = 6,
  Bytes = 7,  // unbounded bytes
};

struct FieldDef {
  std::string name;
  FieldType type = FieldType::Text;
  std::uint32_t width = 0;  // Text only: the maximum length
};

// A named ordering over one or more fields, given as names joined by ";".
struct IndexDef {
  std::string name;
  std::string fields;
};

struct TableSchema {
  std::string name;  // "TembricDB", "WinDB", "RelDB"
  std::vector<FieldDef> fields;
  std::vector<IndexDef> indexes;  // maintained at all times
  // What a freshly opened table is ordered by: an index name, a field list
  // ("FileName;WinType") or empty for the order of addition.
  std::string defaultOrdering;
};

using Bytes = std::vector<std::uint8_t>;

// A field value: null, text, integer, Boolean or bytes.
class Value {
 public:
  Value() = default;  // null
  Value(std::string_view text) : v_(std::string(text)) {}
  Value(const char* text) : v_(std::string(text)) {}
  Value(std::string text) : v_(std::move(text)) {}
  template <typename I>
  requires(std::is_integral_v<I> && !std::is_same_v<I, bool> && !std::is_same_v<I, char>) Value(I n)
      : v_(static_cast<std::int64_t>(n)) {}
  static Value Null() { return Value(); }
  static Value Boolean(bool b) {
    Value v;
    v.v_ = b;
    return v;
  }
  static Value Blob(Bytes bytes) {
    Value v;
    v.v_ = std::move(bytes);
    return v;
  }

  bool IsNull() const { return std::holds_alternative<std::monostate>(v_); }
  bool IsText() const { return std::holds_alternative<std::string>(v_); }
  bool IsInteger() const { return std::holds_alternative<std::int64_t>(v_); }
  bool IsBoolean() const { return std::holds_alternative<bool>(v_); }
  bool IsBytes() const { return std::holds_alternative<Bytes>(v_); }

  // Valid only for the matching kind.
  const std::string& Text() const { return std::get<std::string>(v_); }
  std::int64_t Integer() const { return std::get<std::int64_t>(v_); }
  bool Bool() const { return std::get<bool>(v_); }
  const Bytes& Blob() const { return std::get<Bytes>(v_); }

  bool operator==(const Value&) const = default;

 private:
  std::variant<std::monostate, std::string, std::int64_t, bool, Bytes> v_;
};

// Misuse of a table (unknown field, wrong state, wrong value kind) and
// unreadable or unwritable table files.
class TableError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A table file that exists but cannot be read, or cannot be written. what()
// is the whole message; Path() and Reason() are its parts.
class TableFileError : public TableError {
 public:
  TableFileError(std::string path, std::string reason, const std::string& message, bool damaged = false)
      : TableError(message), path_(std::move(path)), reason_(std::move(reason)), damaged_(damaged) {}
  const std::string& Path() const { return path_; }
  const std::string& Reason() const { return reason_; }
  // True when the file was read and its bytes are not a table (bad magic,
  // checksum or structure); false when the system refused to read it, which
  // says nothing about the bytes.
  bool Damaged() const { return damaged_; }

 private:
  std::string path_;
  std::string reason_;
  bool damaged_;
};

enum class TableState {
  Inactive,  // not opened yet
  Browse,
  Edit,    // the current row is being edited
  Insert,  // a new row is being appended
};

// Sent to bound views (grids, detail controls) unless controls are disabled.
enum class DataEvent {
  Scrolled,     // the current row changed
  RowChanged,   // the current row's values changed (post, cancel)
  DataChanged,  // rows were added or deleted, or the ordering or range changed
};

class DataTable {
 public:
  using Bookmark = std::uint64_t;  // see GetBookmark

  explicit DataTable(TableSchema schema);
  ~DataTable();
  DataTable(const DataTable&) = delete;
  DataTable& operator=(const DataTable&) = delete;

  const TableSchema& Schema() const;
  int FieldIndex(std::string_view field) const;  // -1 when unknown

  // ---- Persistence --------------------------------------------------------
  void SetFileName(std::string path);
  const std::string& FileName() const;
  // Loads the table from its file and returns true, or starts it empty and
  // returns false when the file does not exist. Throws TableError naming the file and the reason when the file
  // exists but cannot be read or is not a valid table of this schema; the
  // table is then active and empty, and Save refuses to write over the file
  // until AllowSaveOverUnreadableFile() is called (after the caller has kept
  // the unreadable file somewhere else).
  bool Open(platform::FileSystem& fs);
  // Writes the whole table to its file atomically. Throws TableError.
  void Save(platform::FileSystem& fs);
  void AllowSaveOverUnreadableFile();
  // Makes Save refuse, as for an unreadable file: for a table whose file, or
  // a copy beside it, must not be written over.
  void BlockSave();
  bool SaveBlocked() const;
  // The file image of the table and the reverse. Load replaces all rows and
  // leaves the table browsing on its first row; it throws TableError (and
  // leaves the table empty) on any malformed input.
  Bytes Serialize() const;
  void Load(std::span<const std::uint8_t> image);
  // An empty, active table without touching any file.
  void CreateEmpty();

  // ---- Navigation (within the range when one is set) ---------------------
  void First();
  void Last();
  void Next();   // at the last row: stays there and sets Eof
  void Prior();  // at the first row: stays there and sets Bof
  bool Eof() const;
  bool Bof() const;
  bool IsEmpty() const;
  std::size_t RecordCount() const;
  std::size_t RecNo() const;  // 1-based position of the current row; 0 when empty

  // ---- Row changes -----------------------------------------------------------
  void Append();  // a new empty row becomes current; state Insert
  void Edit();    // state Edit on the current row
  void Post();    // commits; the posted row stays current
  void Cancel();  // drops the changes; a cancelled append returns to the row that was current
  // Deletes, in one pass over the rows, every row in which one of `fields`
  // is null, whatever the range; the first row of the ordering becomes
  // current. Returns how many went. An edit in progress is posted first.
  std::size_t DeleteRowsWithNull(std::span<const std::string_view> fields);
  void Delete();  // the next row becomes current, or the previous (with Eof set) when it was the last;
                  // while appending, it drops the new row as Cancel does
  // Deletes the rows of `rows` (bookmarks; those gone already are passed
  // over) in one pass over each ordering, instead of a shift of every
  // ordering per row. An edit in progress is posted first. The visible row
  // that takes the place of the first deleted one in the active ordering
  // becomes current (the last visible row, with Eof set, when none follows).
  // Returns how many went.
  std::size_t DeleteRows(std::span<const Bookmark> rows);
  // Changes the rows of `rows` (bookmarks) one after the other: each
  // becomes the current row in state Edit, `change` reads and sets its
  // fields (and nothing else: no navigation, no post), and it is posted.
  // The orderings are put in order once at the end (a merge), instead of
  // after each row. The row that was current stays current. An exception
  // from `change` drops that row's changes, keeps the rows done before, and
  // is passed on.
  void EditRows(std::span<const Bookmark> rows, const std::function<void(DataTable&)>& change);
  TableState State() const;

  // ---- Field access on the current row (the edited row while editing) ----
  // Reading an unknown field throws TableError; reading with no current row
  // returns null.
  Value Get(std::string_view field) const;
  bool IsNull(std::string_view field) const;
  std::string AsString(std::string_view field) const;    // null → ""; integers in decimal; Booleans "True"/"False"
  std::int64_t AsInteger(std::string_view field) const;  // null → 0
  bool AsBoolean(std::string_view field) const;          // null → false
  Bytes AsBytes(std::string_view field) const;           // null → empty
  // Writing needs state Edit or Insert. The value must suit the field: text
  // for Text and Memo, integer for the integer types (range-checked),
  // Boolean for Boolean, bytes for Bytes; null for any.
  void Set(std::string_view field, const Value& value);
  void SetNull(std::string_view field) { Set(field, Value()); }
  // Bulk bookkeeping without an edit: while browsing, writes an integer into
  // the current row in place when the field is an integer field of no
  // ordering and already holds a non-null value. Returns false, changing
  // nothing, when any of that does not hold (the caller then edits and
  // posts). Observers hear RowChanged as after a post.
  bool WriteIntegerInPlace(std::string_view field, std::int64_t value);

  // ---- Orderings -------------------------------------------------------------
  // Both cancel the range and keep the current row current.
  void SetIndexName(std::string_view indexName);
  void SetIndexFieldNames(std::string_view fieldNames);  // "KeyString", "FileName;WinType"; "" = order of addition
  std::string IndexName() const;                         // empty when an ad-hoc ordering is active
  std::string IndexFieldNames() const;                   // the fields of the active ordering

  // ---- Searches on the active ordering --------------------------------------
  // `key` gives values for the leading fields of the ordering.
  bool FindKey(std::span<const Value> key);      // exact; the current row stays on failure
  void FindNearest(std::span<const Value> key);  // first row ≥ key, else the last row
  // First row, in the active ordering, whose fields all equal the values.
  bool Locate(std::span<const std::string> fields, std::span<const Value> values);
  // Visible rows limited to low ≤ key ≤ high (leading fields, inclusive);
  // the first row of the range becomes current.
  void SetRange(std::span<const Value> low, std::span<const Value> high);
  void CancelRange();  // the current row stays current
  bool HasRange() const;

  // True when any row of the whole table (ignoring range and cursor) holds
  // `value` in `field`. Does not move the current row.
  bool ContainsValue(std::string_view field, const Value& value) const;

  // ---- Notifications -----------------------------------------------------
  // Called after the current row changed through navigation or a search
  // (First, Last, Next, Prior, FindNearest, a successful FindKey, Locate or
  // GotoBookmark, SetRange, Delete), and after Open, Load and CreateEmpty,
  // which make the first row current. An empty function detaches it.
  using AfterScrollHandler = std::function<void(DataTable&)>;
  void SetAfterScroll(AfterScrollHandler handler);
  bool HasAfterScroll() const;

  // Bound views. Suspended while controls are disabled; EnableControls sends
  // one DataChanged when the last suspension ends.
  using Observer = std::function<void(DataEvent)>;
  int AddObserver(Observer observer);
  void RemoveObserver(int id);
  void DisableControls();  // nests
  void EnableControls();
  bool ControlsDisabled() const;

  // ---- Positions ---------------------------------------------------------
  // Bookmark: an opaque handle of the current row, valid until that row is
  // deleted (declared at the top of the class).
  Bookmark GetBookmark() const;          // 0 when empty
  bool GotoBookmark(Bookmark bookmark);  // false when the row is gone or outside the range

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tembric::store
