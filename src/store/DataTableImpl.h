#pragma once
// The state behind DataTable, shared by the files that implement it:
// DataTable.cpp (construction), DataTableFields.cpp (schema checks, value
// normalisation, search keys, field access), DataTableOrderings.cpp
// (orderings, sorting, searches), DataTableCursor.cpp (range, cursor, row
// changes, notifications) and DataTablePersistence.cpp (files and images).

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/DataTable.h"
#include "store/RowBlock.h"

namespace tembric::store {

namespace detail {

std::string Quote(std::string_view text);
int FindField(const std::vector<FieldDef>& fields, std::string_view name);
// "FileName;WinType" → field numbers. Empty text → no fields.
std::vector<std::size_t> ParseFieldList(const TableSchema& schema, std::string_view list);
void ValidateSchema(const TableSchema& schema);
// The fields of the named indexes, leading fields first.
std::vector<std::size_t> IndexedFields(const TableSchema& schema);

}  // namespace detail

// Rows sorted by the values of `fields`, ties by order of addition. With no
// fields this is the order of addition itself.
struct Ordering {
  std::vector<std::size_t> fields;
  std::vector<detail::Row*> rows;
};

struct DataTable::Impl {
  using Row = detail::Row;
  using KeyCell = detail::KeyCell;
  using RowList = detail::RowList;

  Impl(DataTable& owner, TableSchema s)
      : self(owner), schema(std::move(s)), codec(schema.fields, detail::IndexedFields(schema)) {}
  ~Impl() { FreeAllRows(); }

  DataTable& self;
  TableSchema schema;
  detail::RowCodec codec;
  std::string fileName;
  bool saveBlocked = false;

  // Every row, in order of addition; owns the rows.
  Ordering addition;
  std::vector<Ordering> named;    // one per schema.indexes, always up to date
  std::optional<Ordering> adhoc;  // only while an ad-hoc ordering is selected
  Ordering* order = &addition;    // the active ordering
  int namedIndex = -1;            // the selected index when one is selected by name
  std::uint64_t nextSeq = 1;

  // The range: rows [lo, hi) of the active ordering are visible. The keys
  // refer to the values kept beside them.
  bool hasRange = false;
  std::vector<Value> lowValues, highValues;
  std::vector<KeyCell> low, high;
  std::size_t lo = 0, hi = 0;

  TableState state = TableState::Inactive;
  Row* current = nullptr;  // null when no row is visible
  std::size_t pos = 0;     // where `current` was last seen in the active ordering
  bool bof = true, eof = true;
  std::vector<Value> buffer;  // the edited or appended row
  Row* beforeAppend = nullptr;

  std::shared_ptr<AfterScrollHandler> afterScroll;
  struct ObserverEntry {
    int id;
    std::shared_ptr<Observer> fn;
  };
  std::vector<ObserverEntry> observers;
  int nextObserverId = 1;
  int disabled = 0;

  // ---- Fields and values (DataTableFields.cpp) ----------------------------------

  std::size_t FieldCount() const { return schema.fields.size(); }
  std::size_t FieldOrThrow(std::string_view name) const;
  std::string FieldLabel(std::size_t f) const;
  // `v` as stored in field `f`: of the field's kind, texts cut to the width,
  // integers within the field's range.
  Value Normalize(std::size_t f, const Value& v) const;
  // A search value for field `f`, referring to `v`. Texts are cut to the
  // width as on writing, so that a search with the text that was written
  // finds the row.
  KeyCell ToKey(std::size_t f, const Value& v) const;
  // Search values for the leading fields of the active ordering.
  std::vector<KeyCell> ToKeys(std::span<const Value> values) const;

  // ---- Orderings (DataTableOrderings.cpp) ---------------------------------------

  bool Less(const Ordering& o, const Row* a, const Row* b) const;
  bool SameKey(const Ordering& o, const Row* a, const Row* b) const;
  // Compares the leading fields of a row's key with a partial key.
  int CompareKey(const Ordering& o, const Row* row, const std::vector<KeyCell>& key) const;
  std::size_t PosOf(const Ordering& o, const Row* row) const;
  // First position in [from, to) whose key is not below `key`.
  std::size_t LowerBound(std::size_t from, std::size_t to, const std::vector<KeyCell>& key) const;
  // First position in [from, to) whose key is above `key`.
  std::size_t UpperBound(std::size_t from, std::size_t to, const std::vector<KeyCell>& key) const;
  // Fills `o` with every row in its order.
  void Sort(Ordering& o) const;

  template <typename F>
  void ForEachOrdering(F&& f) {
    f(addition);
    for (Ordering& o : named) f(o);
    if (adhoc) f(*adhoc);
  }

  void InsertRow(Row* row);
  void RemoveRow(Row* row);
  // `fresh` takes the place of `old` (same seq); `old` is freed.
  void ReplaceRow(Row* old, Row* fresh);
  void FreeAllRows() noexcept;
  void SelectOrdering(Ordering* o, int index);
  // The start of a search: the table active, an edit posted, the key checked.
  std::vector<KeyCell> SearchKeys(std::span<const Value> key);

  // ---- Range, cursor and notifications (DataTableCursor.cpp) --------------------

  void ClearRange();
  void RecomputeBounds();
  bool Empty() const { return lo == hi; }
  std::size_t Pos();
  void MoveTo(std::size_t p);
  // After the rows, the ordering or the range changed: `row` (or, when it is
  // no longer visible, the visible row nearest its place) becomes current.
  void Settle(Row* row);
  // The first visible row, if any, becomes current, at the beginning.
  void Rewind();
  // The visible row at `p` becomes current, neither at the beginning nor at
  // the end, and views and the after-scroll handler hear of it.
  void LandOn(std::size_t p);

  void CheckActive() const;
  bool Editing() const { return state == TableState::Edit || state == TableState::Insert; }
  void PostIfEditing();

  void Notify(DataEvent event);
  void Scrolled();

  // ---- Loading (DataTablePersistence.cpp) ---------------------------------------

  void InstallRows(RowList rows);
  void Reset(RowList rows);
};

}  // namespace tembric::store
