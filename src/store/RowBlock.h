#pragma once
// The in-memory form of a table's rows, shared by the table and its file codec.
//
// A row is one heap block: its sequence number (the order of addition, unique
// within a table, also its bookmark), one end offset per field and the cells
// back to back. The top bit of a field's end offset marks the field as null;
// a null cell takes no bytes. The cells are stored in an order of their own:
// the fields of the named indexes first, so that a search touches the bytes
// right after the offsets, then the fixed-size fields, the texts, and the
// memos and bytes last. Texts, memos and bytes are stored as they are;
// integers take 2, 4 or 8 bytes and Booleans one byte (0 or 1), all in the
// machine's byte order. A 15-field row therefore costs 68 bytes more than its
// cells, against the several dozen bytes a variant per cell would take per field.

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/DataTable.h"

namespace tembric::store::detail {

inline constexpr std::uint32_t kNullBit = 0x8000'0000u;
inline constexpr std::uint32_t kOffsetMask = 0x7fff'ffffu;
// The cells of one row may take at most this many bytes.
inline constexpr std::size_t kMaxRowData = kOffsetMask;

// Bytes of a cell of a fixed-size kind; 0 for texts, memos and bytes.
constexpr std::uint32_t FixedCellSize(FieldType type) {
  switch (type) {
    case FieldType::Int16:
      return 2;
    case FieldType::Int32:
      return 4;
    case FieldType::Int64:
      return 8;
    case FieldType::Boolean:
      return 1;
    case FieldType::Text:
    case FieldType::Memo:
    case FieldType::Bytes:
      break;
  }
  return 0;
}

constexpr bool IsValidFieldType(std::uint8_t type) { return type >= 1 && type <= 7; }

const char* FieldTypeName(FieldType type);

struct Row {
  std::uint64_t seq;
  // Followed by std::uint32_t ends[fieldCount] and the cells.

  const std::uint32_t* Ends() const { return reinterpret_cast<const std::uint32_t*>(this + 1); }
  std::uint32_t* Ends() { return reinterpret_cast<std::uint32_t*>(this + 1); }
  const char* Data(std::size_t fieldCount) const { return reinterpret_cast<const char*>(Ends() + fieldCount); }
  char* Data(std::size_t fieldCount) { return reinterpret_cast<char*>(Ends() + fieldCount); }

  bool IsNull(std::size_t field) const { return (Ends()[field] & kNullBit) != 0; }
};

// A block for a row of `fieldCount` fields and `dataBytes` bytes of cells;
// the caller fills the ends and the cells. Freed with FreeRow.
Row* AllocateRow(std::size_t fieldCount, std::size_t dataBytes);
void FreeRow(Row* row) noexcept;

// Rows owned by one container, freed with it unless released.
class RowList {
 public:
  RowList() = default;
  ~RowList() { Clear(); }
  RowList(const RowList&) = delete;
  RowList& operator=(const RowList&) = delete;
  RowList(RowList&& other) noexcept : rows_(std::exchange(other.rows_, {})) {}
  RowList& operator=(RowList&& other) noexcept {
    if (this != &other) {
      Clear();
      rows_ = std::exchange(other.rows_, {});
    }
    return *this;
  }

  void Reserve(std::size_t n) { rows_.reserve(n); }
  // Takes ownership; frees the row when the push itself fails.
  void Push(Row* row);
  std::vector<Row*> Release() { return std::exchange(rows_, {}); }
  void Clear() noexcept;
  std::size_t Size() const { return rows_.size(); }
  Row* operator[](std::size_t i) const { return rows_[i]; }

 private:
  std::vector<Row*> rows_;
};

// A search value converted to a field's kind: texts cut to the width,
// Booleans as 0 and 1. It refers to the bytes of the Value it was made
// from, which must outlive it.
struct KeyCell {
  bool null = true;
  std::string_view bytes;   // Text, Memo, Bytes
  std::int64_t number = 0;  // integers and Booleans
};

// Reads, builds and compares rows of one schema.
class RowCodec {
 public:
  // `leading`: the fields whose cells come first in a row.
  RowCodec(const std::vector<FieldDef>& fields, const std::vector<std::size_t>& leading);

  std::size_t FieldCount() const { return types_.size(); }
  FieldType Type(std::size_t field) const { return types_[field]; }
  std::uint32_t Width(std::size_t field) const { return widths_[field]; }

  // `values` must already suit the fields (see DataTable::Set). Throws
  // TableError when the cells exceed kMaxRowData.
  Row* Build(std::span<const Value> values, std::uint64_t seq) const;

  // For builders of rows: sets the ends of `row` from the cell sizes of its
  // fields (kNullSize for a null field); then CellStart gives where each
  // field's bytes go.
  static constexpr std::uint32_t kNullSize = 0xFFFF'FFFFu;
  void SetEnds(Row& row, const std::uint32_t* sizes) const;
  char* CellStart(Row& row, std::size_t field) const { return row.Data(types_.size()) + Begin(row, field); }

  Value Get(const Row& row, std::size_t field) const;
  std::string_view Cell(const Row& row, std::size_t field) const {
    const std::uint32_t begin = Begin(row, field);
    return {row.Data(types_.size()) + begin, (row.Ends()[field] & kOffsetMask) - begin};
  }
  // Integers and Booleans; 0 for null.
  std::int64_t Number(const Row& row, std::size_t field) const;
  // Overwrites a non-null fixed-size cell; the row's layout does not change.
  void WriteFixed(Row& row, std::size_t field, std::int64_t value) const;

  // Null first; texts and bytes as unsigned bytes, shorter first on a common
  // prefix; integers and Booleans by value.
  int Compare(const Row& a, const Row& b, std::size_t field) const;
  int Compare(const Row& row, std::size_t field, const KeyCell& key) const;
  bool Equal(const Row& row, std::size_t field, const KeyCell& key) const { return Compare(row, field, key) == 0; }

 private:
  std::uint32_t Begin(const Row& row, std::size_t field) const {
    const int before = before_[field];
    return before < 0 ? 0 : row.Ends()[before] & kOffsetMask;
  }

  std::vector<FieldType> types_;
  std::vector<std::uint32_t> widths_;
  std::vector<std::size_t> stored_;  // the fields in the order their cells are stored
  std::vector<int> before_;          // per field: the field stored just before it, or -1
};

inline int CompareBytes(std::string_view a, std::string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  if (n != 0) {
    const int c = std::memcmp(a.data(), b.data(), n);
    if (c != 0) return c < 0 ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

}  // namespace tembric::store::detail
