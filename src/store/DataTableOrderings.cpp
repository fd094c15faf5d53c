// Orderings: keeping the named ones sorted, building ad-hoc ones, selecting
// one, and the searches on the active ordering.

#include <algorithm>

#include "store/DataTableImpl.h"

namespace tembric::store {

using detail::Quote;

namespace {

// Ordered as RowCodec::Compare orders a field: by rank (null first), then by
// head; equal heads decide only when `whole`. A text's head is its first
// seven bytes followed by its length up to 8, which orders it as byte-wise
// comparison does; a head of 8 means "longer than seven bytes".
struct SortEntry {
  std::uint64_t head;
  std::uint64_t seq;
  detail::Row* row;
  std::uint8_t rank;
  bool whole;
};

SortEntry MakeSortEntry(const detail::RowCodec& codec, detail::Row* row, std::size_t f) {
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

}  // namespace

// ---- Keeping orderings -------------------------------------------------------

bool DataTable::Impl::Less(const Ordering& o, const Row* a, const Row* b) const {
  for (std::size_t f : o.fields) {
    const int c = codec.Compare(*a, *b, f);
    if (c != 0) return c < 0;
  }
  return a->seq < b->seq;
}

bool DataTable::Impl::SameKey(const Ordering& o, const Row* a, const Row* b) const {
  for (std::size_t f : o.fields) {
    if (codec.Compare(*a, *b, f) != 0) return false;
  }
  return true;
}

int DataTable::Impl::CompareKey(const Ordering& o, const Row* row, const std::vector<KeyCell>& key) const {
  for (std::size_t i = 0; i < key.size(); ++i) {
    const int c = codec.Compare(*row, o.fields[i], key[i]);
    if (c != 0) return c;
  }
  return 0;
}

std::size_t DataTable::Impl::PosOf(const Ordering& o, const Row* row) const {
  const auto it =
      std::lower_bound(o.rows.begin(), o.rows.end(), row, [&](const Row* a, const Row* b) { return Less(o, a, b); });
  return static_cast<std::size_t>(it - o.rows.begin());
}

std::size_t DataTable::Impl::LowerBound(std::size_t from, std::size_t to, const std::vector<KeyCell>& key) const {
  const auto& rows = order->rows;
  const auto it = std::partition_point(rows.begin() + static_cast<std::ptrdiff_t>(from),
                                       rows.begin() + static_cast<std::ptrdiff_t>(to),
                                       [&](const Row* r) { return CompareKey(*order, r, key) < 0; });
  return static_cast<std::size_t>(it - rows.begin());
}

std::size_t DataTable::Impl::UpperBound(std::size_t from, std::size_t to, const std::vector<KeyCell>& key) const {
  const auto& rows = order->rows;
  const auto it = std::partition_point(rows.begin() + static_cast<std::ptrdiff_t>(from),
                                       rows.begin() + static_cast<std::ptrdiff_t>(to),
                                       [&](const Row* r) { return CompareKey(*order, r, key) <= 0; });
  return static_cast<std::size_t>(it - rows.begin());
}

// The rows are sorted through small entries that carry the start of the
// first key field, so that most comparisons are settled without reading the
// rows themselves.
void DataTable::Impl::Sort(Ordering& o) const {
  if (o.fields.empty()) {
    o.rows = addition.rows;
    return;
  }
  const std::size_t first = o.fields.front();
  std::vector<SortEntry> entries;
  entries.reserve(addition.rows.size());
  for (Row* row : addition.rows) entries.push_back(MakeSortEntry(codec, row, first));
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

void DataTable::Impl::InsertRow(Row* row) {
  // Room first, so that nothing below can fail half-way; growing by half
  // keeps a series of appends linear.
  ForEachOrdering([](Ordering& o) {
    if (o.rows.size() == o.rows.capacity()) o.rows.reserve(o.rows.size() + o.rows.size() / 2 + 16);
  });
  ForEachOrdering([&](Ordering& o) {
    const auto it =
        std::upper_bound(o.rows.begin(), o.rows.end(), row, [&](const Row* a, const Row* b) { return Less(o, a, b); });
    o.rows.insert(it, row);
  });
}

void DataTable::Impl::RemoveRow(Row* row) {
  ForEachOrdering([&](Ordering& o) { o.rows.erase(o.rows.begin() + static_cast<std::ptrdiff_t>(PosOf(o, row))); });
}

void DataTable::Impl::ReplaceRow(Row* old, Row* fresh) {
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

void DataTable::Impl::FreeAllRows() noexcept {
  for (Row* row : addition.rows) detail::FreeRow(row);
  addition.rows.clear();
  for (Ordering& o : named) o.rows.clear();
  if (adhoc) adhoc->rows.clear();
}

void DataTable::Impl::SelectOrdering(Ordering* o, int index) {
  PostIfEditing();
  Row* keep = current;
  order = o;
  namedIndex = index;
  if (adhoc && o != &*adhoc) adhoc.reset();
  ClearRange();
  Settle(keep);
  Notify(DataEvent::DataChanged);
}

// ---- Selecting an ordering ---------------------------------------------------------

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
  std::vector<std::size_t> fields = detail::ParseFieldList(t.schema, fieldNames);
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

std::vector<detail::KeyCell> DataTable::Impl::SearchKeys(std::span<const Value> key) {
  CheckActive();
  PostIfEditing();
  return ToKeys(key);
}

bool DataTable::FindKey(std::span<const Value> key) {
  Impl& t = *impl_;
  const std::vector<detail::KeyCell> keys = t.SearchKeys(key);
  const std::size_t p = t.LowerBound(t.lo, t.hi, keys);
  if (p >= t.hi || t.CompareKey(*t.order, t.order->rows[p], keys) != 0) return false;
  t.LandOn(p);
  return true;
}

void DataTable::FindNearest(std::span<const Value> key) {
  Impl& t = *impl_;
  const std::vector<detail::KeyCell> keys = t.SearchKeys(key);
  if (t.Empty()) return;
  const std::size_t p = t.LowerBound(t.lo, t.hi, keys);
  t.LandOn(p < t.hi ? p : t.hi - 1);
}

bool DataTable::Locate(std::span<const std::string> fields, std::span<const Value> values) {
  Impl& t = *impl_;
  t.CheckActive();
  if (fields.size() != values.size()) {
    throw TableError("Locate on table " + Quote(t.schema.name) + " needs one value per field");
  }
  t.PostIfEditing();
  std::vector<std::size_t> numbers;
  std::vector<detail::KeyCell> keys;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    numbers.push_back(t.FieldOrThrow(fields[i]));
    keys.push_back(t.ToKey(numbers.back(), values[i]));
  }
  for (std::size_t p = t.lo; p < t.hi; ++p) {
    const detail::Row& row = *t.order->rows[p];
    bool all = true;
    for (std::size_t i = 0; i < numbers.size() && all; ++i) all = t.codec.Equal(row, numbers[i], keys[i]);
    if (!all) continue;
    t.LandOn(p);
    return true;
  }
  return false;
}

bool DataTable::ContainsValue(std::string_view field, const Value& value) const {
  const Impl& t = *impl_;
  const std::size_t f = t.FieldOrThrow(field);
  const detail::KeyCell key = t.ToKey(f, value);
  return std::any_of(t.addition.rows.begin(), t.addition.rows.end(),
                     [&](const detail::Row* row) { return t.codec.Equal(*row, f, key); });
}

}  // namespace tembric::store
