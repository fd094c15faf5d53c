#include "store/DataTable.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>

#include "platform/FileSystem.h"
#include "store/RowBlock.h"
#include "store/TableFile.h"

namespace tembric::store {

using detail::KeyCell;
using detail::Row;
using detail::RowCodec;
using detail::RowList;

namespace {

std::string Quote(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

int FindField(const std::vector<FieldDef>& fields, std::string_view name) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

// "FileName;WinType" → field numbers. Empty text → no fields.
std::vector<std::size_t> ParseFieldList(const TableSchema& schema, std::string_view list) {
  std::vector<std::size_t> result;
  if (Trim(list).empty()) return result;
  while (true) {
    const std::size_t semi = list.find(';');
    const std::string_view name = Trim(list.substr(0, semi));
    const int f = FindField(schema.fields, name);
    if (f < 0) {
      throw TableError("Table " + Quote(schema.name) + " has no field " + Quote(name) + " for an ordering");
    }
    result.push_back(static_cast<std::size_t>(f));
    if (semi == std::string_view::npos) break;
    list.remove_prefix(semi + 1);
  }
  return result;
}

void ValidateSchema(const TableSchema& schema) {
  const std::string table = "Table " + Quote(schema.name) + ": ";
  if (schema.fields.empty()) throw TableError(table + "no fields");
  for (std::size_t i = 0; i < schema.fields.size(); ++i) {
    const FieldDef& f = schema.fields[i];
    if (f.name.empty() || f.name.size() > 255) throw TableError(table + "a field name must have 1 to 255 characters");
    if (FindField(schema.fields, f.name) != static_cast<int>(i)) {
      throw TableError(table + "field " + Quote(f.name) + " is declared twice");
    }
    if (!detail::IsValidFieldType(static_cast<std::uint8_t>(f.type))) {
      throw TableError(table + "field " + Quote(f.name) + " has an unknown type");
    }
    if (f.type == FieldType::Text && f.width == 0) {
      throw TableError(table + "text field " + Quote(f.name) + " needs a width");
    }
  }
  for (std::size_t i = 0; i < schema.indexes.size(); ++i) {
    const IndexDef& index = schema.indexes[i];
    if (index.name.empty()) throw TableError(table + "an index needs a name");
    for (std::size_t j = 0; j < i; ++j) {
      if (schema.indexes[j].name == index.name) throw TableError(table + "index " + Quote(index.name) + " twice");
    }
    if (ParseFieldList(schema, index.fields).empty()) {
      throw TableError(table + "index " + Quote(index.name) + " has no fields");
    }
  }
}

// The fields of the named indexes, leading fields first.
std::vector<std::size_t> IndexedFields(const TableSchema& schema) {
  std::vector<std::size_t> fields;
  for (std::size_t depth = 0;; ++depth) {
    bool any = false;
    for (const IndexDef& index : schema.indexes) {
      const std::vector<std::size_t> list = ParseFieldList(schema, index.fields);
      if (depth < list.size()) {
        fields.push_back(list[depth]);
        any = true;
      }
    }
    if (!any) return fields;
  }
}

}  // namespace

// ---- The table's state ---------------------------------------------------------

// Rows sorted by the values of `fields`, ties by order of addition. With no
// fields this is the order of addition itself.
struct Ordering {
  std::vector<std::size_t> fields;
  std::vector<Row*> rows;
};

struct DataTable::Impl {
  Impl(DataTable& owner, TableSchema s)
      : self(owner), schema(std::move(s)), codec(schema.fields, IndexedFields(schema)) {}
  ~Impl() { FreeAllRows(); }

  DataTable& self;
  TableSchema schema;
  RowCodec codec;
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

  // ---- Fields and values -------------------------------------------------------

  std::size_t FieldCount() const { return schema.fields.size(); }

  std::size_t FieldOrThrow(std::string_view name) const {
    const int f = FindField(schema.fields, name);
    if (f < 0) throw TableError("Table " + Quote(schema.name) + " has no field " + Quote(name));
    return static_cast<std::size_t>(f);
  }

  std::string FieldLabel(std::size_t f) const {
    return "field " + Quote(schema.fields[f].name) + " of table " + Quote(schema.name);
  }

  // `v` as stored in field `f`: of the field's kind, texts cut to the width,
  // integers within the field's range.
  Value Normalize(std::size_t f, const Value& v) const {
    if (v.IsNull()) return v;
    const FieldDef& def = schema.fields[f];
    auto wrongKind = [&](const char* kind) { return TableError("The " + FieldLabel(f) + " takes " + kind); };
    switch (def.type) {
      case FieldType::Text:
        if (!v.IsText()) throw wrongKind("a text");
        if (v.Text().size() > def.width) return Value(std::string_view(v.Text()).substr(0, def.width));
        return v;
      case FieldType::Memo:
        if (!v.IsText()) throw wrongKind("a text");
        return v;
      case FieldType::Bytes:
        if (!v.IsBytes()) throw wrongKind("bytes");
        return v;
      case FieldType::Boolean:
        if (!v.IsBoolean()) throw wrongKind("a Boolean");
        return v;
      case FieldType::Int16:
      case FieldType::Int32:
      case FieldType::Int64: {
        if (!v.IsInteger()) throw wrongKind("an integer");
        const std::int64_t n = v.Integer();
        const bool fits = def.type == FieldType::Int16 ? n >= std::numeric_limits<std::int16_t>::min() &&
                                                             n <= std::numeric_limits<std::int16_t>::max()
                          : def.type == FieldType::Int32 ? n >= std::numeric_limits<std::int32_t>::min() &&
                                                               n <= std::numeric_limits<std::int32_t>::max()
                                                         : true;
        if (!fits) throw TableError(std::to_string(n) + " is out of range for the " + FieldLabel(f));
        return v;
      }
    }
    return v;
  }

  // A search value for field `f`, referring to `v`. Texts are cut to the
  // width as on writing, so that a search with the text that was written
  // finds the row.
  KeyCell ToKey(std::size_t f, const Value& v) const {
    KeyCell key;
    if (v.IsNull()) return key;
    key.null = false;
    const FieldDef& def = schema.fields[f];
    auto wrongKind = [&](const char* kind) {
      return TableError("A search on the " + FieldLabel(f) + " needs " + kind);
    };
    switch (def.type) {
      case FieldType::Text:
      case FieldType::Memo:
        if (!v.IsText()) throw wrongKind("a text");
        key.bytes = v.Text();
        if (def.type == FieldType::Text && key.bytes.size() > def.width) key.bytes = key.bytes.substr(0, def.width);
        break;
      case FieldType::Bytes:
        if (!v.IsBytes()) throw wrongKind("bytes");
        key.bytes = std::string_view(reinterpret_cast<const char*>(v.Blob().data()), v.Blob().size());
        break;
      case FieldType::Boolean:
        if (!v.IsBoolean()) throw wrongKind("a Boolean");
        key.number = v.Bool() ? 1 : 0;
        break;
      case FieldType::Int16:
      case FieldType::Int32:
      case FieldType::Int64:
        if (!v.IsInteger()) throw wrongKind("an integer");
        key.number = v.Integer();
        break;
    }
    return key;
  }

  std::vector<KeyCell> ToKeys(std::span<const Value> values) const {
    if (values.size() > order->fields.size()) {
      throw TableError("Table " + Quote(schema.name) + ": a key of " + std::to_string(values.size()) +
                       " values for an ordering on " + std::to_string(order->fields.size()) + " fields");
    }
    std::vector<KeyCell> keys;
    keys.reserve(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) keys.push_back(ToKey(order->fields[i], values[i]));
    return keys;
  }

  // ---- Orderings -----------------------------------------------------------------

  bool Less(const Ordering& o, const Row* a, const Row* b) const {
    for (std::size_t f : o.fields) {
      const int c = codec.Compare(*a, *b, f);
      if (c != 0) return c < 0;
    }
    return a->seq < b->seq;
  }

  bool SameKey(const Ordering& o, const Row* a, const Row* b) const {
    for (std::size_t f : o.fields) {
      if (codec.Compare(*a, *b, f) != 0) return false;
    }
    return true;
  }

  // Compares the leading fields of a row's key with a partial key.
  int CompareKey(const Ordering& o, const Row* row, const std::vector<KeyCell>& key) const {
    for (std::size_t i = 0; i < key.size(); ++i) {
      const int c = codec.Compare(*row, o.fields[i], key[i]);
      if (c != 0) return c;
    }
    return 0;
  }

  std::size_t PosOf(const Ordering& o, const Row* row) const {
    const auto it =
        std::lower_bound(o.rows.begin(), o.rows.end(), row, [&](const Row* a, const Row* b) { return Less(o, a, b); });
    return static_cast<std::size_t>(it - o.rows.begin());
  }

  // First position in [from, to) whose key is not below `key`.
  std::size_t LowerBound(std::size_t from, std::size_t to, const std::vector<KeyCell>& key) const {
    const auto& rows = order->rows;
    const auto it = std::partition_point(rows.begin() + static_cast<std::ptrdiff_t>(from),
                                         rows.begin() + static_cast<std::ptrdiff_t>(to),
                                         [&](const Row* r) { return CompareKey(*order, r, key) < 0; });
    return static_cast<std::size_t>(it - rows.begin());
  }

  // First position in [from, to) whose key is above `key`.
  std::size_t UpperBound(std::size_t from, std::size_t to, const std::vector<KeyCell>& key) const {
    const auto& rows = order->rows;
    const auto it = std::partition_point(rows.begin() + static_cast<std::ptrdiff_t>(from),
                                         rows.begin() + static_cast<std::ptrdiff_t>(to),
                                         [&](const Row* r) { return CompareKey(*order, r, key) <= 0; });
    return static_cast<std::size_t>(it - rows.begin());
  }

  // Fills `o` with every row in its order. The rows are sorted through
  // small entries that carry the start of the first key field, so that most
  // comparisons are settled without reading the rows themselves.
  void Sort(Ordering& o) const {
    if (o.fields.empty()) {
      o.rows = addition.rows;
      return;
    }
    const std::size_t first = o.fields.front();
    std::vector<SortEntry> entries;
    entries.reserve(addition.rows.size());
    for (Row* row : addition.rows) entries.push_back(MakeSortEntry(row, first));
    std::sort(entries.begin(), entries.end(), [&](const SortEntry& a, const SortEntry& b) {
      if (a.rank != b.rank) return a.rank < b.rank;
      if (a.head != b.head) return a.head < b.head;
      if (!a.whole) {  // equal heads: both hold more than the head shows
        const int c = codec.Compare(*a.row, *b.row, first);
        if (c != 0) return c < 0;
      }
      for (std::size_t i = 1; i < o.fields.size(); ++i) {
        const int c = codec.Compare(*a.row, *b.row, o.fields[i]);
        if (c != 0) return c < 0;
      }
      return a.seq < b.seq;
    });
    o.rows.clear();
    o.rows.reserve(entries.size());
    for (const SortEntry& e : entries) o.rows.push_back(e.row);
  }

  // Ordered as RowCodec::Compare orders field `f`: by rank (null first), then
  // by head; equal heads decide only when `whole`. A text's head is its first
  // seven bytes followed by its length up to 8, which orders it as byte-wise
  // comparison does; a head of 8 means "longer than seven bytes".
  struct SortEntry {
    std::uint64_t head;
    std::uint64_t seq;
    Row* row;
    std::uint8_t rank;
    bool whole;
  };

  SortEntry MakeSortEntry(Row* row, std::size_t f) const {
    SortEntry e{0, row->seq, row, 0, true};
    if (row->IsNull(f)) return e;
    e.rank = 1;
    if (detail::FixedCellSize(codec.Type(f)) != 0) {
      e.head = static_cast<std::uint64_t>(codec.Number(*row, f)) ^ (std::uint64_t{1} << 63);
      return e;
    }
    const std::string_view cell = codec.Cell(*row, f);
    const std::size_t n = std::min<std::size_t>(cell.size(), 7);
    for (std::size_t i = 0; i < n; ++i) {
      e.head |= static_cast<std::uint64_t>(static_cast<std::uint8_t>(cell[i])) << (56 - 8 * i);
    }
    e.head |= std::min<std::size_t>(cell.size(), 8);
    e.whole = cell.size() <= 7;
    return e;
  }

  template <typename F>
  void ForEachOrdering(F&& f) {
    f(addition);
    for (Ordering& o : named) f(o);
    if (adhoc) f(*adhoc);
  }

  void InsertRow(Row* row) {
    // Room first, so that nothing below can fail half-way; growing by half
    // keeps a series of appends linear.
    ForEachOrdering([](Ordering& o) {
      if (o.rows.size() == o.rows.capacity()) o.rows.reserve(o.rows.size() + o.rows.size() / 2 + 16);
    });
    ForEachOrdering([&](Ordering& o) {
      const auto it = std::upper_bound(o.rows.begin(), o.rows.end(), row,
                                       [&](const Row* a, const Row* b) { return Less(o, a, b); });
      o.rows.insert(it, row);
    });
  }

  void RemoveRow(Row* row) {
    ForEachOrdering([&](Ordering& o) { o.rows.erase(o.rows.begin() + static_cast<std::ptrdiff_t>(PosOf(o, row))); });
  }

  // `fresh` takes the place of `old` (same seq); `old` is freed.
  void ReplaceRow(Row* old, Row* fresh) {
    ForEachOrdering([&](Ordering& o) {
      const std::size_t p = PosOf(o, old);
      if (SameKey(o, old, fresh)) {
        o.rows[p] = fresh;
        return;
      }
      o.rows.erase(o.rows.begin() + static_cast<std::ptrdiff_t>(p));
      const auto it = std::upper_bound(o.rows.begin(), o.rows.end(), fresh,
                                       [&](const Row* a, const Row* b) { return Less(o, a, b); });
      o.rows.insert(it, fresh);
    });
    detail::FreeRow(old);
  }

  void FreeAllRows() noexcept {
    for (Row* row : addition.rows) detail::FreeRow(row);
    addition.rows.clear();
    for (Ordering& o : named) o.rows.clear();
    if (adhoc) adhoc->rows.clear();
  }

  // ---- Range and cursor --------------------------------------------------------

  void ClearRange() {
    hasRange = false;
    low.clear();
    high.clear();
    lowValues.clear();
    highValues.clear();
  }

  void RecomputeBounds() {
    const std::size_t n = order->rows.size();
    if (!hasRange) {
      lo = 0;
      hi = n;
      return;
    }
    lo = LowerBound(0, n, low);
    hi = std::max(lo, UpperBound(lo, n, high));
  }

  bool Empty() const { return lo == hi; }

  std::size_t Pos() {
    if (pos >= order->rows.size() || order->rows[pos] != current) pos = PosOf(*order, current);
    return pos;
  }

  void MoveTo(std::size_t p) {
    current = order->rows[p];
    pos = p;
  }

  // After the rows, the ordering or the range changed: `row` (or, when it is
  // no longer visible, the visible row nearest its place) becomes current.
  void Settle(Row* row) {
    RecomputeBounds();
    if (Empty()) {
      current = nullptr;
      bof = eof = true;
      return;
    }
    std::size_t p = row != nullptr ? PosOf(*order, row) : lo;
    p = std::clamp(p, lo, hi - 1);
    MoveTo(p);
    bof = eof = false;
  }

  void SelectOrdering(Ordering* o, int index) {
    PostIfEditing();
    Row* keep = current;
    order = o;
    namedIndex = index;
    if (adhoc && o != &*adhoc) adhoc.reset();
    ClearRange();
    Settle(keep);
    Notify(DataEvent::DataChanged);
  }

  // ---- States --------------------------------------------------------------------

  void CheckActive() const {
    if (state == TableState::Inactive) throw TableError("Table " + Quote(schema.name) + " is not open");
  }

  bool Editing() const { return state == TableState::Edit || state == TableState::Insert; }

  void PostIfEditing() {
    if (Editing()) self.Post();
  }

  // ---- Notifications -----------------------------------------------------------

  void Notify(DataEvent event) {
    if (disabled > 0) return;
    for (std::size_t i = 0; i < observers.size(); ++i) {
      const std::shared_ptr<Observer> fn = observers[i].fn;  // survives a removal during the call
      if (fn && *fn) (*fn)(event);
    }
  }

  void Scrolled() {
    Notify(DataEvent::Scrolled);
    if (afterScroll) {
      const std::shared_ptr<AfterScrollHandler> handler = afterScroll;  // survives detaching during the call
      (*handler)(self);
    }
  }

  // ---- Loading -----------------------------------------------------------------

  void InstallRows(RowList rows) {
    state = TableState::Browse;
    buffer.clear();
    beforeAppend = nullptr;
    FreeAllRows();
    addition.rows = rows.Release();
    nextSeq = addition.rows.size() + 1;
    for (Ordering& o : named) Sort(o);
    if (adhoc) Sort(*adhoc);
    ClearRange();
    RecomputeBounds();
    current = nullptr;
    if (!Empty()) MoveTo(lo);
    bof = true;
    eof = Empty();
  }

  void Reset(RowList rows) {
    InstallRows(std::move(rows));
    Notify(DataEvent::DataChanged);
    Scrolled();
  }
};

// ---- Construction ----------------------------------------------------------------

DataTable::DataTable(TableSchema schema) {
  ValidateSchema(schema);
  impl_ = std::make_unique<Impl>(*this, std::move(schema));
  Impl& t = *impl_;
  for (const IndexDef& index : t.schema.indexes)
    t.named.push_back(Ordering{ParseFieldList(t.schema, index.fields), {}});
  const std::string ordering = t.schema.defaultOrdering;
  if (ordering.empty()) return;
  for (std::size_t i = 0; i < t.schema.indexes.size(); ++i) {
    if (t.schema.indexes[i].name == ordering) {
      t.order = &t.named[i];
      t.namedIndex = static_cast<int>(i);
      return;
    }
  }
  SetIndexFieldNames(ordering);
}

DataTable::~DataTable() = default;

const TableSchema& DataTable::Schema() const { return impl_->schema; }

int DataTable::FieldIndex(std::string_view field) const { return FindField(impl_->schema.fields, field); }

// ---- Persistence -----------------------------------------------------------------

void DataTable::SetFileName(std::string path) { impl_->fileName = std::move(path); }

const std::string& DataTable::FileName() const { return impl_->fileName; }

bool DataTable::Open(platform::FileSystem& fs) {
  Impl& t = *impl_;
  if (t.fileName.empty()) throw TableError("Table " + Quote(t.schema.name) + " has no file name");
  t.saveBlocked = false;
  std::optional<std::string> failure;
  bool damaged = false;
  RowList rows;
  try {
    if (!fs.Exists(t.fileName)) {
      CreateEmpty();
      return false;
    }
    // A sharing violation (a backup or a scanner reading the file) or a
    // network hiccup passes; only what persists counts as a failure.
    const Bytes image = platform::RetryFileOperation(
        fs, [&] { return fs.ReadAll(t.fileName); }, platform::IsTransient);
    rows = detail::DecodeTableFile(t.schema.fields, t.codec, image);
  } catch (const platform::FileError& e) {
    failure = e.Reason();
  } catch (const TableError& e) {
    failure = e.what();
    damaged = true;
  }
  if (!failure) {
    t.Reset(std::move(rows));
    return true;
  }
  const std::string reason = *failure;
  t.saveBlocked = true;
  t.Reset(RowList());
  throw TableFileError(t.fileName, reason, "Cannot read the table file " + Quote(t.fileName) + ": " + reason, damaged);
}

void DataTable::Save(platform::FileSystem& fs) {
  Impl& t = *impl_;
  t.CheckActive();
  if (t.fileName.empty()) throw TableError("Table " + Quote(t.schema.name) + " has no file name");
  if (t.saveBlocked) {
    throw TableFileError(t.fileName, "the file could not be read and was not moved aside",
                         "Will not write over the unreadable table file " + Quote(t.fileName));
  }
  t.PostIfEditing();
  const Bytes image = Serialize();
  try {
    platform::WriteFileAtomically(fs, t.fileName, image);
  } catch (const platform::SaveError& e) {
    std::string message = "Cannot save the table file " + Quote(t.fileName) + ": " + e.Reason();
    if (!e.KeptCopy().empty())
      message +=
          ". The saved table was kept as " + Quote(e.KeptCopy()) + "; Tembric takes it from there at the next start";
    throw TableFileError(t.fileName, e.Reason(), message);
  }
}

void DataTable::AllowSaveOverUnreadableFile() { impl_->saveBlocked = false; }

void DataTable::BlockSave() { impl_->saveBlocked = true; }

bool DataTable::SaveBlocked() const { return impl_->saveBlocked; }

Bytes DataTable::Serialize() const {
  const Impl& t = *impl_;
  return detail::EncodeTableFile(t.schema.fields, t.codec, t.addition.rows);
}

void DataTable::Load(std::span<const std::uint8_t> image) {
  Impl& t = *impl_;
  RowList rows;
  try {
    rows = detail::DecodeTableFile(t.schema.fields, t.codec, image);
  } catch (const TableError&) {
    t.Reset(RowList());
    throw;
  }
  t.Reset(std::move(rows));
}

void DataTable::CreateEmpty() { impl_->Reset(RowList()); }

// ---- Navigation --------------------------------------------------------------------

void DataTable::First() {
  Impl& t = *impl_;
  t.CheckActive();
  t.PostIfEditing();
  if (!t.Empty()) t.MoveTo(t.lo);
  t.bof = true;
  t.eof = t.Empty();
  t.Scrolled();
}

void DataTable::Last() {
  Impl& t = *impl_;
  t.CheckActive();
  t.PostIfEditing();
  if (!t.Empty()) t.MoveTo(t.hi - 1);
  t.eof = true;
  t.bof = t.Empty();
  t.Scrolled();
}

void DataTable::Next() {
  Impl& t = *impl_;
  t.CheckActive();
  t.PostIfEditing();
  if (t.Empty() || t.Pos() + 1 >= t.hi) {
    t.eof = true;
    t.bof = t.Empty();
    return;
  }
  t.MoveTo(t.pos + 1);
  t.bof = t.eof = false;
  t.Scrolled();
}

void DataTable::Prior() {
  Impl& t = *impl_;
  t.CheckActive();
  t.PostIfEditing();
  if (t.Empty() || t.Pos() <= t.lo) {
    t.bof = true;
    t.eof = t.Empty();
    return;
  }
  t.MoveTo(t.pos - 1);
  t.bof = t.eof = false;
  t.Scrolled();
}

bool DataTable::Eof() const { return impl_->eof || impl_->Empty(); }

bool DataTable::Bof() const { return impl_->bof || impl_->Empty(); }

bool DataTable::IsEmpty() const { return impl_->Empty(); }

std::size_t DataTable::RecordCount() const { return impl_->hi - impl_->lo; }

std::size_t DataTable::RecNo() const {
  Impl& t = *impl_;
  if (t.current == nullptr || t.state == TableState::Insert) return 0;
  return t.Pos() - t.lo + 1;
}

// ---- Row changes -----------------------------------------------------------------

void DataTable::Append() {
  Impl& t = *impl_;
  t.CheckActive();
  t.PostIfEditing();
  t.buffer.assign(t.FieldCount(), Value());
  t.beforeAppend = t.current;
  t.state = TableState::Insert;
  t.Notify(DataEvent::DataChanged);
}

void DataTable::Edit() {
  Impl& t = *impl_;
  t.CheckActive();
  if (t.Editing()) return;
  if (t.current == nullptr) throw TableError("Table " + Quote(t.schema.name) + " has no current row to edit");
  t.buffer.clear();
  t.buffer.reserve(t.FieldCount());
  for (std::size_t f = 0; f < t.FieldCount(); ++f) t.buffer.push_back(t.codec.Get(*t.current, f));
  t.state = TableState::Edit;
}

void DataTable::Post() {
  Impl& t = *impl_;
  t.CheckActive();
  if (!t.Editing()) return;
  if (t.state == TableState::Insert) {
    Row* row = t.codec.Build(t.buffer, t.nextSeq);
    try {
      t.InsertRow(row);
    } catch (...) {
      detail::FreeRow(row);
      throw;
    }
    ++t.nextSeq;
    t.state = TableState::Browse;
    t.buffer.clear();
    t.beforeAppend = nullptr;
    t.Settle(row);
    t.Notify(DataEvent::DataChanged);
    return;
  }
  Row* old = t.current;
  const std::size_t oldPos = t.Pos();
  Row* row = t.codec.Build(t.buffer, old->seq);
  t.ReplaceRow(old, row);
  t.state = TableState::Browse;
  t.buffer.clear();
  t.current = row;
  t.Settle(row);
  t.Notify(t.pos == oldPos ? DataEvent::RowChanged : DataEvent::DataChanged);
}

void DataTable::Cancel() {
  Impl& t = *impl_;
  t.CheckActive();
  if (!t.Editing()) return;
  const bool appending = t.state == TableState::Insert;
  t.state = TableState::Browse;
  t.buffer.clear();
  if (appending) {
    t.current = t.beforeAppend;
    t.beforeAppend = nullptr;
    t.Notify(DataEvent::DataChanged);
  } else {
    t.Notify(DataEvent::RowChanged);
  }
}

// While appending, Delete drops the new row as Cancel does; while editing,
// the edits are dropped with the row.
std::size_t DataTable::DeleteRowsWithNull(std::span<const std::string_view> fields) {
  Impl& t = *impl_;
  t.CheckActive();
  t.PostIfEditing();
  std::vector<std::size_t> columns;
  for (const std::string_view field : fields) columns.push_back(t.FieldOrThrow(field));
  const auto doomed = [&](const Row* row) {
    return std::any_of(columns.begin(), columns.end(), [&](std::size_t f) { return row->IsNull(f); });
  };
  std::vector<Row*> gone;
  for (Row* row : t.addition.rows)
    if (doomed(row)) gone.push_back(row);
  if (gone.empty()) return 0;
  // Every ordering keeps its survivors in place: one pass each instead of a
  // shift of the whole vector per deleted row.
  t.ForEachOrdering([&](Ordering& o) { std::erase_if(o.rows, doomed); });
  for (Row* row : gone) detail::FreeRow(row);
  t.current = nullptr;
  t.RecomputeBounds();
  if (!t.Empty()) t.MoveTo(t.lo);
  t.bof = true;
  t.eof = t.Empty();
  t.Notify(DataEvent::DataChanged);
  t.Scrolled();
  return gone.size();
}

void DataTable::Delete() {
  Impl& t = *impl_;
  t.CheckActive();
  if (t.state == TableState::Insert) {
    Cancel();
    return;
  }
  if (t.current == nullptr) throw TableError("Table " + Quote(t.schema.name) + " has no current row to delete");
  t.state = TableState::Browse;
  t.buffer.clear();
  Row* row = t.current;
  const std::size_t p = t.Pos();
  t.RemoveRow(row);
  detail::FreeRow(row);
  t.current = nullptr;
  t.RecomputeBounds();
  t.bof = t.eof = false;
  if (t.Empty()) {
    t.bof = t.eof = true;
  } else if (p < t.hi) {
    t.MoveTo(p);
  } else {
    t.MoveTo(t.hi - 1);
    t.eof = true;  // the last row went: a walk to the end is over
  }
  t.Notify(DataEvent::DataChanged);
  t.Scrolled();
}

TableState DataTable::State() const { return impl_->state; }

// ---- Field access ----------------------------------------------------------------

Value DataTable::Get(std::string_view field) const {
  const Impl& t = *impl_;
  const std::size_t f = t.FieldOrThrow(field);
  if (t.Editing()) return t.buffer[f];
  if (t.current == nullptr) return Value();
  return t.codec.Get(*t.current, f);
}

bool DataTable::IsNull(std::string_view field) const {
  const Impl& t = *impl_;
  const std::size_t f = t.FieldOrThrow(field);
  if (t.Editing()) return t.buffer[f].IsNull();
  return t.current == nullptr || t.current->IsNull(f);
}

std::string DataTable::AsString(std::string_view field) const {
  const Value v = Get(field);
  if (v.IsNull()) return {};
  if (v.IsText()) return v.Text();
  if (v.IsInteger()) return std::to_string(v.Integer());
  if (v.IsBoolean()) return v.Bool() ? "True" : "False";
  return std::string(v.Blob().begin(), v.Blob().end());
}

std::int64_t DataTable::AsInteger(std::string_view field) const {
  const Value v = Get(field);
  if (v.IsNull()) return 0;
  if (v.IsInteger()) return v.Integer();
  if (v.IsBoolean()) return v.Bool() ? 1 : 0;
  if (v.IsText()) {
    const std::string& s = v.Text();
    std::int64_t n = 0;
    const auto [end, err] = std::from_chars(s.data(), s.data() + s.size(), n);
    if (err == std::errc() && end == s.data() + s.size() && !s.empty()) return n;
    throw TableError(Quote(s) + " in field " + Quote(field) + " is not an integer");
  }
  throw TableError("Field " + Quote(field) + " holds bytes, not an integer");
}

bool DataTable::AsBoolean(std::string_view field) const {
  const Value v = Get(field);
  if (v.IsNull()) return false;
  if (v.IsBoolean()) return v.Bool();
  if (v.IsInteger()) return v.Integer() != 0;
  if (v.IsText()) {
    if (v.Text() == "True") return true;
    if (v.Text() == "False") return false;
    throw TableError(Quote(v.Text()) + " in field " + Quote(field) + " is not a Boolean");
  }
  throw TableError("Field " + Quote(field) + " holds bytes, not a Boolean");
}

Bytes DataTable::AsBytes(std::string_view field) const {
  const Value v = Get(field);
  if (v.IsNull()) return {};
  if (v.IsBytes()) return v.Blob();
  if (v.IsText()) return Bytes(v.Text().begin(), v.Text().end());
  throw TableError("Field " + Quote(field) + " holds no bytes");
}

void DataTable::Set(std::string_view field, const Value& value) {
  Impl& t = *impl_;
  t.CheckActive();
  const std::size_t f = t.FieldOrThrow(field);
  if (!t.Editing()) {
    throw TableError("Table " + Quote(t.schema.name) + " is not being edited; field " + Quote(field) +
                     " cannot be written");
  }
  t.buffer[f] = t.Normalize(f, value);
}

bool DataTable::WriteIntegerInPlace(std::string_view field, std::int64_t value) {
  Impl& t = *impl_;
  t.CheckActive();
  const std::size_t f = t.FieldOrThrow(field);
  if (t.state != TableState::Browse || t.current == nullptr || t.current->IsNull(f)) return false;
  const FieldType type = t.schema.fields[f].type;
  if (type != FieldType::Int16 && type != FieldType::Int32 && type != FieldType::Int64) return false;
  auto inOrdering = [f](const Ordering& o) { return std::find(o.fields.begin(), o.fields.end(), f) != o.fields.end(); };
  if (std::any_of(t.named.begin(), t.named.end(), inOrdering) || (t.adhoc && inOrdering(*t.adhoc))) return false;
  const Value normalized = t.Normalize(f, Value(value));  // range check
  t.codec.WriteFixed(*t.current, f, normalized.Integer());
  t.Notify(DataEvent::RowChanged);
  return true;
}

// ---- Orderings -------------------------------------------------------------------

void DataTable::SetIndexName(std::string_view indexName) {
  Impl& t = *impl_;
  if (indexName.empty()) {
    t.SelectOrdering(&t.addition, -1);
    return;
  }
  for (std::size_t i = 0; i < t.schema.indexes.size(); ++i) {
    if (t.schema.indexes[i].name == indexName) {
      t.SelectOrdering(&t.named[i], static_cast<int>(i));
      return;
    }
  }
  throw TableError("Table " + Quote(t.schema.name) + " has no index " + Quote(indexName));
}

void DataTable::SetIndexFieldNames(std::string_view fieldNames) {
  Impl& t = *impl_;
  std::vector<std::size_t> fields = ParseFieldList(t.schema, fieldNames);
  if (fields.empty()) {
    t.SelectOrdering(&t.addition, -1);
    return;
  }
  // A named index on the same fields already holds this order.
  for (Ordering& o : t.named) {
    if (o.fields == fields) {
      t.SelectOrdering(&o, -1);
      return;
    }
  }
  if (t.adhoc && t.order == &*t.adhoc && t.adhoc->fields == fields) {
    t.SelectOrdering(&*t.adhoc, -1);
    return;
  }
  t.PostIfEditing();
  Ordering built{std::move(fields), {}};
  t.Sort(built);
  t.adhoc = std::move(built);
  t.SelectOrdering(&*t.adhoc, -1);
}

std::string DataTable::IndexName() const {
  const Impl& t = *impl_;
  return t.namedIndex >= 0 ? t.schema.indexes[static_cast<std::size_t>(t.namedIndex)].name : std::string();
}

std::string DataTable::IndexFieldNames() const {
  const Impl& t = *impl_;
  std::string names;
  for (std::size_t f : t.order->fields) {
    if (!names.empty()) names += ';';
    names += t.schema.fields[f].name;
  }
  return names;
}

// ---- Searches ----------------------------------------------------------------------

bool DataTable::FindKey(std::span<const Value> key) {
  Impl& t = *impl_;
  t.CheckActive();
  t.PostIfEditing();
  const std::vector<KeyCell> keys = t.ToKeys(key);
  const std::size_t p = t.LowerBound(t.lo, t.hi, keys);
  if (p >= t.hi || t.CompareKey(*t.order, t.order->rows[p], keys) != 0) return false;
  t.MoveTo(p);
  t.bof = t.eof = false;
  t.Scrolled();
  return true;
}

void DataTable::FindNearest(std::span<const Value> key) {
  Impl& t = *impl_;
  t.CheckActive();
  t.PostIfEditing();
  const std::vector<KeyCell> keys = t.ToKeys(key);
  if (t.Empty()) return;
  const std::size_t p = t.LowerBound(t.lo, t.hi, keys);
  t.MoveTo(p < t.hi ? p : t.hi - 1);
  t.bof = t.eof = false;
  t.Scrolled();
}

bool DataTable::Locate(std::span<const std::string> fields, std::span<const Value> values) {
  Impl& t = *impl_;
  t.CheckActive();
  if (fields.size() != values.size()) {
    throw TableError("Locate on table " + Quote(t.schema.name) + " needs one value per field");
  }
  t.PostIfEditing();
  std::vector<std::size_t> numbers;
  std::vector<KeyCell> keys;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    numbers.push_back(t.FieldOrThrow(fields[i]));
    keys.push_back(t.ToKey(numbers.back(), values[i]));
  }
  for (std::size_t p = t.lo; p < t.hi; ++p) {
    const Row& row = *t.order->rows[p];
    bool all = true;
    for (std::size_t i = 0; i < numbers.size() && all; ++i) all = t.codec.Equal(row, numbers[i], keys[i]);
    if (!all) continue;
    t.MoveTo(p);
    t.bof = t.eof = false;
    t.Scrolled();
    return true;
  }
  return false;
}

void DataTable::SetRange(std::span<const Value> low, std::span<const Value> high) {
  Impl& t = *impl_;
  t.CheckActive();
  t.PostIfEditing();
  t.ToKeys(low);  // checks before anything changes
  t.ToKeys(high);
  t.lowValues.assign(low.begin(), low.end());
  t.highValues.assign(high.begin(), high.end());
  t.low = t.ToKeys(t.lowValues);
  t.high = t.ToKeys(t.highValues);
  t.hasRange = true;
  t.Settle(nullptr);
  t.bof = true;
  t.eof = t.Empty();
  t.Notify(DataEvent::DataChanged);
  t.Scrolled();
}

void DataTable::CancelRange() {
  Impl& t = *impl_;
  if (!t.hasRange) return;
  t.PostIfEditing();
  t.ClearRange();
  t.Settle(t.current);
  t.Notify(DataEvent::DataChanged);
}

bool DataTable::HasRange() const { return impl_->hasRange; }

bool DataTable::ContainsValue(std::string_view field, const Value& value) const {
  const Impl& t = *impl_;
  const std::size_t f = t.FieldOrThrow(field);
  const KeyCell key = t.ToKey(f, value);
  return std::any_of(t.addition.rows.begin(), t.addition.rows.end(),
                     [&](const Row* row) { return t.codec.Equal(*row, f, key); });
}

// ---- Notifications -----------------------------------------------------------------

void DataTable::SetAfterScroll(AfterScrollHandler handler) {
  impl_->afterScroll = handler ? std::make_shared<AfterScrollHandler>(std::move(handler)) : nullptr;
}

bool DataTable::HasAfterScroll() const { return impl_->afterScroll != nullptr; }

int DataTable::AddObserver(Observer observer) {
  Impl& t = *impl_;
  const int id = t.nextObserverId++;
  t.observers.push_back({id, std::make_shared<Observer>(std::move(observer))});
  return id;
}

void DataTable::RemoveObserver(int id) {
  auto& list = impl_->observers;
  list.erase(std::remove_if(list.begin(), list.end(), [id](const Impl::ObserverEntry& e) { return e.id == id; }),
             list.end());
}

void DataTable::DisableControls() { ++impl_->disabled; }

void DataTable::EnableControls() {
  Impl& t = *impl_;
  if (t.disabled == 0) return;
  if (--t.disabled == 0) t.Notify(DataEvent::DataChanged);
}

bool DataTable::ControlsDisabled() const { return impl_->disabled > 0; }

// ---- Positions ---------------------------------------------------------------------

DataTable::Bookmark DataTable::GetBookmark() const {
  const Impl& t = *impl_;
  if (t.current == nullptr || t.state == TableState::Insert) return 0;
  return t.current->seq;
}

bool DataTable::GotoBookmark(Bookmark bookmark) {
  Impl& t = *impl_;
  t.CheckActive();
  t.PostIfEditing();
  const auto& all = t.addition.rows;
  const auto it =
      std::lower_bound(all.begin(), all.end(), bookmark, [](const Row* r, Bookmark b) { return r->seq < b; });
  if (it == all.end() || (*it)->seq != bookmark) return false;
  const std::size_t p = t.PosOf(*t.order, *it);
  if (p < t.lo || p >= t.hi) return false;
  t.MoveTo(p);
  t.bof = t.eof = false;
  t.Scrolled();
  return true;
}

}  // namespace tembric::store
