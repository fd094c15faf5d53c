#include "store/RowBlock.h"

#include <new>

namespace tembric::store::detail {

const char* FieldTypeName(FieldType type) {
  switch (type) {
    case FieldType::Text:
      return "Text";
    case FieldType::Memo:
      return "Memo";
    case FieldType::Int16:
      return "Int16";
    case FieldType::Int32:
      return "Int32";
    case FieldType::Int64:
      return "Int64";
    case FieldType::Boolean:
      return "Boolean";
    case FieldType::Bytes:
      return "Bytes";
  }
  return "unknown";
}

Row* AllocateRow(std::size_t fieldCount, std::size_t dataBytes) {
  void* block = ::operator new(sizeof(Row) + fieldCount * sizeof(std::uint32_t) + dataBytes);
  return new (block) Row{};
}

void FreeRow(Row* row) noexcept { ::operator delete(static_cast<void*>(row)); }

void RowList::Push(Row* row) {
  try {
    rows_.push_back(row);
  } catch (...) {
    FreeRow(row);
    throw;
  }
}

void RowList::Clear() noexcept {
  for (Row* row : rows_) FreeRow(row);
  rows_.clear();
}

RowCodec::RowCodec(const std::vector<FieldDef>& fields, const std::vector<std::size_t>& leading) {
  const std::size_t n = fields.size();
  types_.reserve(n);
  widths_.reserve(n);
  for (const FieldDef& f : fields) {
    types_.push_back(f.type);
    widths_.push_back(f.width);
  }
  std::vector<bool> placed(n, false);
  auto place = [&](std::size_t f) {
    if (f < n && !placed[f]) {
      placed[f] = true;
      stored_.push_back(f);
    }
  };
  for (std::size_t f : leading) place(f);
  for (std::size_t f = 0; f < n; ++f) {
    if (FixedCellSize(types_[f]) != 0) place(f);
  }
  for (std::size_t f = 0; f < n; ++f) {
    if (types_[f] == FieldType::Text) place(f);
  }
  for (std::size_t f = 0; f < n; ++f) place(f);
  before_.assign(n, -1);
  for (std::size_t i = 1; i < stored_.size(); ++i) before_[stored_[i]] = static_cast<int>(stored_[i - 1]);
}

void RowCodec::SetEnds(Row& row, const std::uint32_t* sizes) const {
  std::uint32_t* ends = row.Ends();
  std::uint32_t at = 0;
  for (std::size_t f : stored_) {
    if (sizes[f] == kNullSize) {
      ends[f] = at | kNullBit;
    } else {
      at += sizes[f];
      ends[f] = at;
    }
  }
}

namespace {

std::int64_t ReadNumber(const char* p, FieldType type) {
  switch (type) {
    case FieldType::Int16: {
      std::int16_t v;
      std::memcpy(&v, p, sizeof v);
      return v;
    }
    case FieldType::Int32: {
      std::int32_t v;
      std::memcpy(&v, p, sizeof v);
      return v;
    }
    case FieldType::Int64: {
      std::int64_t v;
      std::memcpy(&v, p, sizeof v);
      return v;
    }
    case FieldType::Boolean:
      return *p != 0 ? 1 : 0;
    default:
      return 0;
  }
}

void WriteNumber(char* p, FieldType type, std::int64_t n) {
  switch (type) {
    case FieldType::Int16: {
      const auto v = static_cast<std::int16_t>(n);
      std::memcpy(p, &v, sizeof v);
      break;
    }
    case FieldType::Int32: {
      const auto v = static_cast<std::int32_t>(n);
      std::memcpy(p, &v, sizeof v);
      break;
    }
    case FieldType::Int64:
      std::memcpy(p, &n, sizeof n);
      break;
    case FieldType::Boolean:
      *p = n != 0 ? 1 : 0;
      break;
    default:
      break;
  }
}

std::size_t VariableSize(const Value& v) { return v.IsText() ? v.Text().size() : v.Blob().size(); }

}  // namespace

Row* RowCodec::Build(std::span<const Value> values, std::uint64_t seq) const {
  const std::size_t n = types_.size();
  std::vector<std::uint32_t> sizes(n);
  std::size_t total = 0;
  for (std::size_t f = 0; f < n; ++f) {
    if (values[f].IsNull()) {
      sizes[f] = kNullSize;
      continue;
    }
    const std::uint32_t fixed = FixedCellSize(types_[f]);
    const std::size_t size = fixed != 0 ? fixed : VariableSize(values[f]);
    if (size > kMaxRowData) throw TableError("The row is too large to be stored");
    sizes[f] = static_cast<std::uint32_t>(size);
    total += size;
  }
  if (total > kMaxRowData) throw TableError("The row is too large to be stored");
  Row* row = AllocateRow(n, total);
  row->seq = seq;
  SetEnds(*row, sizes.data());
  for (std::size_t f = 0; f < n; ++f) {
    const Value& v = values[f];
    if (v.IsNull()) continue;
    char* at = CellStart(*row, f);
    if (FixedCellSize(types_[f]) != 0) {
      WriteNumber(at, types_[f], v.IsBoolean() ? (v.Bool() ? 1 : 0) : v.Integer());
    } else if (sizes[f] != 0) {
      std::memcpy(at, v.IsText() ? static_cast<const void*>(v.Text().data()) : v.Blob().data(), sizes[f]);
    }
  }
  return row;
}

Value RowCodec::Get(const Row& row, std::size_t field) const {
  if (row.IsNull(field)) return Value();
  const std::string_view cell = Cell(row, field);
  switch (types_[field]) {
    case FieldType::Text:
    case FieldType::Memo:
      return Value(cell);
    case FieldType::Bytes:
      return Value::Blob(Bytes(cell.begin(), cell.end()));
    case FieldType::Boolean:
      return Value::Boolean(cell[0] != 0);
    case FieldType::Int16:
    case FieldType::Int32:
    case FieldType::Int64:
      return Value(ReadNumber(cell.data(), types_[field]));
  }
  return Value();
}

void RowCodec::WriteFixed(Row& row, std::size_t field, std::int64_t value) const {
  WriteNumber(CellStart(row, field), types_[field], value);
}

std::int64_t RowCodec::Number(const Row& row, std::size_t field) const {
  if (row.IsNull(field)) return 0;
  return ReadNumber(Cell(row, field).data(), types_[field]);
}

namespace {
int Sign(std::int64_t a, std::int64_t b) { return a < b ? -1 : (a > b ? 1 : 0); }
}  // namespace

int RowCodec::Compare(const Row& a, const Row& b, std::size_t field) const {
  const bool an = a.IsNull(field);
  const bool bn = b.IsNull(field);
  if (an || bn) return an == bn ? 0 : (an ? -1 : 1);
  if (FixedCellSize(types_[field]) != 0) return Sign(Number(a, field), Number(b, field));
  return CompareBytes(Cell(a, field), Cell(b, field));
}

int RowCodec::Compare(const Row& row, std::size_t field, const KeyCell& key) const {
  const bool rn = row.IsNull(field);
  if (rn || key.null) return rn == key.null ? 0 : (rn ? -1 : 1);
  if (FixedCellSize(types_[field]) != 0) return Sign(Number(row, field), key.number);
  return CompareBytes(Cell(row, field), key.bytes);
}

}  // namespace tembric::store::detail
